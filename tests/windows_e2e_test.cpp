// The Windows programs, run under the emulator, against the Linux build of the same
// source on the same inputs: the files they write must be identical byte for byte, and
// their standard output the same text with Windows line ends. Outside the emulator
// there is nothing to compare with, and these tests skip.
#include "pbm_fixtures.h"
#include "xy_fixtures.h"

#include <cctype>
#include <gtest/gtest.h>
#include <random>
#include <unistd.h>

namespace
{

class WindowsBuild : public testing::Test
{
  protected:
    void SetUp() override
    {
        if (!underEmulator())
            GTEST_SKIP() << "compares the Windows programs with this build; they run under "
                            "an emulator only (make check-windows)";
    }
};

// Each "\n" as "\r\n": written out here rather than taken from screen(), so that these
// tests also catch a fault in the expectations of every other test.
std::string withCrLf(std::string text)
{
    for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2))
        text.insert(at, 1, '\r');
    return text;
}

// What a run printed after its banner, which differs between the builds by its stamp.
std::string afterBanner(const ToolRun& run, const std::string& banner)
{
    EXPECT_EQ(run.out.substr(0, banner.size()), banner);
    return run.out.size() < banner.size() ? "" : run.out.substr(banner.size());
}

// Checks that the two builds' runs of `tool` ended alike: the same status, and the same
// text after the banner, with the platform's line ends.
void expectAlike(Tool tool, const ToolRun& windows, const ToolRun& linux, const std::string& what)
{
    EXPECT_EQ(windows.status, linux.status) << what;
    std::string name = tool == Tool::Skydump ? "skydump" : "skyload";
    EXPECT_EQ(windows.out.rfind(name + " - v1.01\r\nCompiled ", 0), 0u) << what;
    EXPECT_EQ(afterBanner(windows, bannerOf(tool)),
              withCrLf(afterBanner(linux, nativeBannerOf(tool))))
        << what;
    EXPECT_EQ(windows.err, "") << what;
    EXPECT_EQ(linux.err, "") << what;
}

// Runs both builds of `tool` on the same arguments, one after the other, and checks
// that they end alike. `written` is read after each run: the file that run wrote (empty
// when it wrote none).
void expectSameRun(Tool tool, const std::vector<std::string>& args, const std::string& written,
                   const std::string& what, std::vector<uint8_t>& windowsBytes,
                   std::vector<uint8_t>& linuxBytes)
{
    unlink(written.c_str());
    ToolRun windows = runTool(tool, args);
    windowsBytes = fileBytes(written);
    unlink(written.c_str());
    ToolRun linux = runNativeTool(tool, args);
    linuxBytes = fileBytes(written);
    expectAlike(tool, windows, linux, what);
}

// Runs both builds of skyload, each on a fresh copy of the same XY file and bitmap, and
// checks that they end alike and leave the same XY file. Returns that file.
std::vector<uint8_t> expectSameImport(const TempDir& dir, const std::vector<uint32_t>& records,
                                      const std::vector<uint8_t>& pbm, const std::string& what)
{
    XyLayout layout;
    layout.records = records;
    XyFixture xy = writeXy(dir, "universe.xy", layout);
    std::string bitmap = writeBytes(dir, "map.pbm", pbm);
    ToolRun windows = runTool(Tool::Skyload, {xy.path, bitmap});
    std::vector<uint8_t> windowsXy = fileBytes(xy.path);
    writeXy(dir, "universe.xy", layout);
    ToolRun linux = runNativeTool(Tool::Skyload, {xy.path, bitmap});
    std::vector<uint8_t> linuxXy = fileBytes(xy.path);
    expectAlike(Tool::Skyload, windows, linux, what);
    EXPECT_TRUE(windowsXy == linuxXy) << what << ": the XY files differ";
    EXPECT_EQ(fileBytes(bitmap), pbm) << what << ": the bitmap was changed";
    if (windows.status != 0) {
        EXPECT_EQ(windowsXy, xy.bytes) << what << ": a refused run changed the XY file";
    }
    return windowsXy;
}

TEST_F(WindowsBuild, ExportIsIdenticalToTheLinuxExport)
{
    PlanetSpread wide;
    wide.count = 400;
    wide.width = 2500;
    wide.yMin = 990;
    wide.yMax = 2700;
    struct Case {
        const char* name;
        std::vector<uint32_t> records;
    };
    const Case cases[] = {
        {"no planets", {}},
        {"two planets on one pixel, one below Y 1000",
         {planetWord(20, 1100, 1), planetWord(0, 1100, 2), planetWord(7, 999, 3)}},
        {"the corners", {planetWord(0, 1000, 1), planetWord(399, 1399, 2)}},
        {"400 planets over 2500 columns", randomPlanets(11, wide)},
    };
    TempDir dir;
    for (const Case& c : cases) {
        XyLayout layout;
        layout.records = c.records;
        XyFixture xy = writeXy(dir, "universe.xy", layout);
        std::string pbm = dir.path("map.pbm");
        std::vector<uint8_t> windowsBytes;
        std::vector<uint8_t> linuxBytes;
        expectSameRun(Tool::Skydump, {xy.path, pbm}, pbm, c.name, windowsBytes, linuxBytes);
        ASSERT_FALSE(linuxBytes.empty()) << c.name;
        EXPECT_TRUE(windowsBytes == linuxBytes) << c.name << ": the bitmaps differ";
        EXPECT_EQ(fileBytes(xy.path), xy.bytes) << c.name;
    }
}

TEST_F(WindowsBuild, FailuresEndAlike)
{
    TempDir dir;
    XyLayout layout;
    layout.records = {planetWord(3, 1003, 1)};
    XyFixture xy = writeXy(dir, "universe.xy", layout);
    XyLayout foreign = layout;
    foreign.magic = "J3J2";
    XyFixture notGame = writeXy(dir, "foreign.xy", foreign);
    std::string empty = writeBytes(dir, "empty.xy", {});
    std::string pbm = dir.path("map.pbm");
    struct Case {
        const char* name;
        std::vector<std::string> args;
    };
    const Case cases[] = {
        {"no arguments after the name", {}},
        {"missing XY file", {dir.path("missing.xy"), pbm}},
        {"empty XY file", {empty, pbm}},
        {"wrong magic", {notGame.path, pbm}},
        {"bitmap in a missing directory", {xy.path, dir.path("nowhere/map.pbm")}},
        {"bitmap over the XY file", {xy.path, xy.path}},
    };
    for (const Case& c : cases) {
        for (Tool tool : {Tool::Skydump, Tool::Skyload}) {
            std::vector<uint8_t> windowsBytes;
            std::vector<uint8_t> linuxBytes;
            std::string what =
                std::string(c.name) + (tool == Tool::Skydump ? " skydump" : " skyload");
            // The usage line names the program as invoked, which differs by build.
            if (c.args.empty()) {
                ToolRun windows = runTool(tool, {});
                EXPECT_EQ(windows.status, 1) << what;
                EXPECT_EQ(afterBanner(windows, bannerOf(tool)),
                          withCrLf(invokedName(tool) + " <filename.xy> <filename.pbm>\n"))
                    << what;
                continue;
            }
            expectSameRun(tool, c.args, pbm, what, windowsBytes, linuxBytes);
            EXPECT_TRUE(windowsBytes.empty()) << what << ": wrote a bitmap";
            EXPECT_EQ(fileBytes(xy.path), xy.bytes) << what;
            EXPECT_EQ(fileBytes(notGame.path), notGame.bytes) << what;
        }
    }
}

TEST_F(WindowsBuild, ImportIsIdenticalToTheLinuxImport)
{
    TempDir dir;
    for (const PlacementCase& c : placementCases()) {
        expectSameImport(dir, c.records, p4File(withStars(c.records, c.stars)), c.name);
    }
    std::vector<uint32_t> ending = planetsEndingWith(2, 1024);
    expectSameImport(dir, ending, p4File(drawPlanets(ending)), "a star stored as the end");
    std::mt19937_64 random(5150);
    for (const std::vector<uint32_t>& records : randomPlanetLists(300, 1)) {
        std::string what = std::to_string(records.size()) + " planets";
        Bitmap bitmap = drawPlanets(records);
        std::vector<uint8_t> unchanged = expectSameImport(dir, records, p4File(bitmap), what);
        // The unchanged bitmap gives back every position: the runs did place the stars.
        XyLayout layout;
        layout.records = records;
        std::vector<uint32_t> placed = recordsIn(unchanged, layout);
        ASSERT_EQ(placed.size(), records.size()) << what;
        for (size_t i = 0; i < records.size(); ++i) {
            EXPECT_EQ(fieldsOf(placed[i]).xDistance, fieldsOf(records[i]).xDistance) << what;
            EXPECT_EQ(fieldsOf(placed[i]).y, fieldsOf(records[i]).y) << what;
        }
        editRandomly(bitmap, random);
        expectSameImport(dir, records, p4File(bitmap), what + ", edited");
    }
}

TEST_F(WindowsBuild, BitmapRejectionsAreIdentical)
{
    TempDir dir;
    for (const HeaderCase& c : headerCases())
        expectSameImport(dir, headerCasePlanets(), headerCaseFile(c), c.name);
}

// The same file by other names that only Windows gives it: its DOS path, in other case.
TEST_F(WindowsBuild, SkydumpRefusesTheXyFileUnderItsWindowsNames)
{
    TempDir dir;
    XyLayout layout;
    layout.records = {planetWord(3, 1003, 1)};
    XyFixture xy = writeXy(dir, "universe.xy", layout);
    std::string dos = windowsPath(xy.path);
    ASSERT_NE(dos, xy.path);
    std::string upper = dos;
    for (size_t i = upper.rfind('\\') + 1; i < upper.size(); ++i)
        upper[i] = char(std::toupper(static_cast<unsigned char>(upper[i])));
    ASSERT_EQ(upper.substr(upper.size() - 12), "\\UNIVERSE.XY");
    for (const std::string& pbm : {dos, upper}) {
        ToolRun run = runTool(Tool::Skydump, {xy.path, pbm});
        EXPECT_EQ(run.status, 1) << pbm;
        EXPECT_EQ(afterBanner(run, bannerOf(Tool::Skydump)),
                  withCrLf("1 planets detected\nError: " + pbm +
                           " is the XY file itself; give the bitmap another name.\n"))
            << pbm;
        EXPECT_EQ(fileBytes(xy.path), xy.bytes) << pbm;
    }
}

} // namespace
