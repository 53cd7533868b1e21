// Both programs from the outside: arguments, opening, validation and the scan, up to
// the body. Every run checks the exact output, the exit status, that nothing went to
// standard error, and that the XY file is byte-identical afterwards.
#include "xy_file.h"
#include "xy_fixtures.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

const Tool BOTH[] = {Tool::Skydump, Tool::Skyload};

const char* nameOf(Tool tool)
{
    return tool == Tool::Skydump ? "skydump" : "skyload";
}

void expectRun(const ToolRun& run, int status, const std::string& out, const std::string& what)
{
    EXPECT_EQ(run.status, status) << what;
    EXPECT_EQ(run.out, out) << what;
    EXPECT_EQ(run.err, "") << what;
}

TEST(Frame, TooFewArgumentsPrintUsageWithTheProgramName)
{
    for (Tool tool : BOTH) {
        std::string usage = screen(invokedName(tool) + " <filename.xy> <filename.pbm>\n");
        expectRun(runTool(tool, {}), 1, bannerOf(tool) + usage, nameOf(tool));
        expectRun(runTool(tool, {"only-one.xy"}), 1, bannerOf(tool) + usage, nameOf(tool));
    }
}

TEST(Frame, EmptyArgumentVectorUsesTheToolsOwnName)
{
    if (underEmulator())
        GTEST_SKIP() << "an empty argument vector cannot be passed through the emulator";
    for (Tool tool : BOTH) {
        RunOptions options;
        options.emptyArgv = true;
        std::string usage = std::string(nameOf(tool)) + " <filename.xy> <filename.pbm>\n";
        expectRun(runTool(tool, {}, options), 1, bannerOf(tool) + usage, nameOf(tool));
    }
}

TEST(Frame, CompiledLineIsATwentyFourCharacterTimeStamp)
{
    std::string banner = bannerOf(Tool::Skydump);
    std::string stamp = banner.substr(banner.find("Compiled ") + 9);
    stamp = stamp.substr(0, stamp.find_first_of("\r\n"));
    ASSERT_EQ(stamp.size(), 24u) << stamp;
    // "Fri Sep 18 09:35:14 1998": fixed positions of the spaces and colons.
    for (size_t i : {3u, 7u, 10u, 19u})
        EXPECT_EQ(stamp[i], ' ') << stamp;
    EXPECT_EQ(stamp[13], ':');
    EXPECT_EQ(stamp[16], ':');
}

TEST(Frame, XyFileThatCannotBeOpened)
{
    TempDir dir;
    std::string missing = dir.path("no-such-universe.xy");
    ASSERT_EQ(mkdir(dir.path("a-directory.xy").c_str(), 0755), 0);
    // NUL is the null device on Windows, which opens like a file but is not one; on
    // Linux it is a missing file in the current directory.
    for (Tool tool : BOTH) {
        for (const std::string& path : {missing, dir.path("a-directory.xy"), std::string("NUL")}) {
            expectRun(runTool(tool, {path, dir.path("out.pbm")}), 2,
                      bannerOf(tool) + screen("Can't open file: " + path + "\n"), path);
        }
        EXPECT_EQ(access(dir.path("out.pbm").c_str(), F_OK), -1) << "no output for a failed run";
    }
}

TEST(Frame, EmptyXyFileCannotBeMapped)
{
    TempDir dir;
    std::string empty = writeBytes(dir, "empty.xy", {});
    for (Tool tool : BOTH) {
        expectRun(runTool(tool, {empty, dir.path("out.pbm")}), 3, bannerOf(tool), nameOf(tool));
        EXPECT_TRUE(fileBytes(empty).empty());
    }
}

TEST(Frame, SkyloadNeedsWriteAccess)
{
    TempDir dir;
    XyLayout layout;
    layout.records = {planetWord(3, 1100, 1)};
    XyFixture xy = writeXy(dir, "readonly.xy", layout);
    ASSERT_EQ(chmod(xy.path.c_str(), 0444), 0);
    RunOptions options;
    if (geteuid() == 0) {
        // Root may write to any file: the refusal shows only for an ordinary user.
        if (underEmulator())
            GTEST_SKIP() << "running as root: write permission is not enforced, and the "
                            "emulator cannot be started as another user";
        ASSERT_EQ(chmod(dir.root().c_str(), 0755), 0);
        options.uid = 65534; // nobody
    }
    ToolRun run = runTool(Tool::Skyload, {xy.path, dir.path("any.pbm")}, options);
    if (run.status == 125)
        GTEST_SKIP() << "running as root and cannot switch to an unprivileged user";
    expectRun(run, 2, bannerOf(Tool::Skyload) + screen("Can't open file: " + xy.path + "\n"),
              "read-only");
    EXPECT_EQ(fileBytes(xy.path), xy.bytes);
}

struct FrameCase {
    const char* name;
    XyLayout layout;
    int status;
    const char* out; // after the banner
};

XyLayout layoutWith(std::vector<uint32_t> records, uint16_t first = (8 << 10) | 30,
                    uint16_t second = (7 << 10) | 40, const char* magic = "J3J3",
                    uint8_t filetype = 0)
{
    XyLayout layout;
    layout.records = std::move(records);
    layout.firstHeader = first;
    layout.secondHeader = second;
    layout.magic = magic;
    layout.filetype = filetype;
    return layout;
}

TEST(Frame, ValidationAndScanOfWholeFiles)
{
    const std::vector<uint32_t> three = {planetWord(10, 1000, 1), planetWord(20, 1100, 2),
                                         planetWord(0, 1200, 3)};
    const FrameCase cases[] = {
        {"three planets", layoutWith(three), 0, "3 planets detected\n"},
        {"zero planets", layoutWith({}), 0, "0 planets detected\n"},
        {"odd header size", layoutWith(three, (8 << 10) | 31), 0, "3 planets detected\n"},
        {"odd second size", layoutWith(three, (8 << 10) | 30, (7 << 10) | 41), 0,
         "3 planets detected\n"},
        {"first block not type 8", layoutWith(three, (9 << 10) | 30), 0,
         "Warning: first block is not type 8\n3 planets detected\n"},
        {"second block not type 7", layoutWith(three, (8 << 10) | 30, (6 << 10) | 40), 0,
         "Warning: second block isn't type 7\n3 planets detected\n"},
        {"wrong magic", layoutWith(three, (8 << 10) | 30, (7 << 10) | 40, "J3J2"), 4,
         "This isn't a zelvar! file. (magic id fail)\n"},
        {"filetype not 0", layoutWith(three, (8 << 10) | 30, (7 << 10) | 40, "J3J3", 2), 4,
         "This isn't an XY file. (filetype = 2)\n"},
        {"y below 1000", layoutWith({planetWord(5, 1200, 1), planetWord(5, 998, 2)}), 0,
         "Warning: planet 1 has Y 998, below 1000, so it has no pixel in the bitmap\n"
         "2 planets detected\n"},
    };
    TempDir dir;
    for (const FrameCase& c : cases) {
        XyFixture xy = writeXy(dir, "case.xy", c.layout);
        // The body is not reached when the file is refused, so skyload runs these too;
        // whole files run through skydump alone, whose body is quiet on success.
        for (Tool tool : BOTH) {
            if (c.status == 0 && tool == Tool::Skyload)
                continue;
            expectRun(runTool(tool, {xy.path, dir.path("case.pbm")}), c.status,
                      bannerOf(tool) + screen(c.out), std::string(c.name) + " " + nameOf(tool));
            EXPECT_EQ(fileBytes(xy.path), xy.bytes) << c.name;
        }
    }
}

TEST(Frame, EveryTruncationOfASmallFileIsRefused)
{
    XyLayout layout = layoutWith({planetWord(10, 1000, 1), planetWord(20, 1100, 2)});
    std::vector<uint8_t> whole = buildXyFile(layout);
    uint32_t end = planetOffset(layout) + 3 * RECORD_SIZE; // just past the terminator
    TempDir dir;
    std::string path = dir.path("cut.xy");
    for (uint32_t length = 1; length < end; ++length) {
        std::vector<uint8_t> cut(whole.begin(), whole.begin() + length);
        writeBytes(dir, "cut.xy", cut);
        for (Tool tool : BOTH) {
            ToolRun run = runTool(tool, {path, dir.path("cut.pbm")});
            std::string what = std::to_string(length) + " bytes, " + nameOf(tool);
            EXPECT_EQ(run.status, 4) << what;
            ASSERT_EQ(run.out.compare(0, bannerOf(tool).size(), bannerOf(tool)), 0) << what;
            std::string rest = run.out.substr(bannerOf(tool).size());
            EXPECT_EQ(rest.rfind("Error: ", 0), 0u) << what << ": " << rest;
            EXPECT_EQ(std::count(rest.begin(), rest.end(), '\n'), 1) << what << ": " << rest;
            EXPECT_EQ(run.err, "") << what;
            EXPECT_EQ(fileBytes(path), cut) << what;
        }
    }
}

} // namespace
