// skydump from the outside: the exact bytes it writes, and every way writing can fail.
// Each run checks the exit status, the exact output, and that the XY file is unchanged.
#include "pbm_image.h"
#include "xy_fixtures.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace
{

XyFixture writeRecords(const TempDir& dir, const std::vector<uint32_t>& records)
{
    XyLayout layout;
    layout.records = records;
    return writeXy(dir, "universe.xy", layout);
}

std::string detected(size_t count)
{
    return bannerOf(Tool::Skydump) + screen(std::to_string(count) + " planets detected\n");
}

TEST(Skydump, WritesTheExactBitmap)
{
    TempDir dir;
    for (const DrawCase& c : drawCases()) {
        XyFixture xy = writeRecords(dir, c.records);
        std::string pbm = dir.path("map.pbm");
        ToolRun run = runTool(Tool::Skydump, {xy.path, pbm});
        EXPECT_EQ(run.status, 0) << c.name;
        EXPECT_EQ(run.out, bannerOf(Tool::Skydump) + screen(std::string(c.warnings)) +
                               screen(std::to_string(c.records.size()) + " planets detected\n"))
            << c.name;
        EXPECT_EQ(run.err, "") << c.name;
        EXPECT_EQ(fileBytes(pbm), makePbm(c.width, c.height, c.black)) << c.name;
        EXPECT_EQ(fileBytes(xy.path), xy.bytes) << c.name;
    }
}

TEST(Skydump, ReplacesALongerFileWhole)
{
    TempDir dir;
    XyFixture xy = writeRecords(dir, {planetWord(3, 1003, 1)});
    std::string pbm = writeBytes(dir, "map.pbm", std::vector<uint8_t>(100000, 0xFF));
    ToolRun run = runTool(Tool::Skydump, {xy.path, pbm});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(fileBytes(pbm), makePbm(400, 400, {{3, 396}}));
}

// A failed run: its exact output and status, no output file left where `gone` is set,
// and the XY file untouched.
void expectFailure(const XyFixture& xy, const std::string& pbm, const std::string& message,
                   const RunOptions& options, bool gone)
{
    ToolRun run = runTool(Tool::Skydump, {xy.path, pbm}, options);
    EXPECT_EQ(run.status, 1) << pbm;
    EXPECT_EQ(run.out, detected(1) + screen(message)) << pbm;
    EXPECT_EQ(run.err, "") << pbm;
    if (gone) {
        EXPECT_EQ(access(pbm.c_str(), F_OK), -1) << pbm << " was left behind";
    }
    EXPECT_EQ(fileBytes(xy.path), xy.bytes) << pbm;
}

TEST(Skydump, OutputThatCannotBeCreated)
{
    TempDir dir;
    XyFixture xy = writeRecords(dir, {planetWord(3, 1003, 1)});
    std::string pbm = dir.path("no-such-directory/map.pbm");
    expectFailure(xy, pbm, "error opening " + pbm + " for write.\n", {}, true);
}

TEST(Skydump, WriteFailures)
{
    TempDir dir;
    XyFixture xy = writeRecords(dir, {planetWord(3, 1003, 1)});
    expectFailure(xy, "/dev/full", "error writing /dev/full.\n", {}, false);
    // The header fits in the limit, the raster does not: the half-written file goes.
    RunOptions limited;
    limited.fileSizeLimit = 1000;
    std::string pbm = dir.path("map.pbm");
    expectFailure(xy, pbm, "error writing " + pbm + ".\n", limited, true);
    // Only the top row holds a planet: the blocks after it are zeros, left as a hole,
    // and only the final length passes the limit. That must fail just the same.
    XyFixture topRow = writeRecords(dir, {planetWord(3, 1399, 1)});
    limited.fileSizeLimit = 8192;
    ToolRun run = runTool(Tool::Skydump, {topRow.path, pbm}, limited);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, detected(1) + screen("error writing " + pbm + ".\n"));
    EXPECT_EQ(access(pbm.c_str(), F_OK), -1) << pbm << " was left behind";
    EXPECT_EQ(fileBytes(topRow.path), topRow.bytes);
}

// A wide map with a handful of planets: the exact bitmap, and on a file system that keeps
// holes, its long runs of zeros take no disk space.
TEST(Skydump, AWideMostlyEmptyMap)
{
    TempDir dir;
    std::vector<uint32_t> records;
    std::vector<Pixel> black;
    uint32_t column = 0;
    for (uint32_t i = 0; i < 40; ++i) {
        uint32_t y = 1000 + (i * 787) % 3096;
        records.push_back(planetWord(1000, y, i));
        column += 1000;
        black.push_back({column, 3199 - (y - 1000)});
    }
    std::sort(black.begin(), black.end());
    XyFixture xy = writeRecords(dir, records);
    std::string pbm = dir.path("map.pbm");
    ToolRun run = runTool(Tool::Skydump, {xy.path, pbm});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, detected(40));
    std::vector<uint8_t> expected = makePbm(40400, 3200, black);
    EXPECT_EQ(fileBytes(pbm), expected);
    EXPECT_EQ(fileBytes(xy.path), xy.bytes);
    if (underEmulator())
        GTEST_SKIP() << "Windows builds write every byte";
    struct stat info;
    ASSERT_EQ(stat(pbm.c_str(), &info), 0);
    std::string probe = dir.path("probe");
    ASSERT_EQ(runCommand({"truncate", "-s", "1M", probe}).status, 0);
    struct stat probed;
    ASSERT_EQ(stat(probe.c_str(), &probed), 0);
    if (probed.st_blocks != 0)
        GTEST_SKIP() << "the file system of " << dir.root() << " keeps no holes";
    // 40 blocks with a planet, the header's and the last: far below the 16 MB of the file.
    EXPECT_LT(uint64_t(info.st_blocks) * 512, uint64_t(1) << 20) << "of " << expected.size();
}

TEST(Skydump, RefusesToWriteOverTheXyFile)
{
    TempDir dir;
    XyFixture xy = writeRecords(dir, {planetWord(3, 1003, 1)});
    std::string hardLink = dir.path("hard.pbm");
    std::string symbolic = dir.path("soft.pbm");
    ASSERT_EQ(link(xy.path.c_str(), hardLink.c_str()), 0);
    ASSERT_EQ(symlink(xy.path.c_str(), symbolic.c_str()), 0);
    std::string roundabout = dir.root() + "/./universe.xy";
    for (const std::string& pbm : {xy.path, hardLink, symbolic, roundabout})
        expectFailure(xy, pbm,
                      "Error: " + pbm + " is the XY file itself; give the bitmap another name.\n",
                      {}, false);
}

TEST(Skydump, OutputsThatAreNotRegularFiles)
{
    TempDir dir;
    XyFixture xy = writeRecords(dir, {planetWord(3, 1003, 1), planetWord(500, 1500, 2)});
    ToolRun run = runTool(Tool::Skydump, {xy.path, "/dev/null"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, detected(2));
    if (!haveProgram("pamfile"))
        GTEST_SKIP() << "netpbm's pamfile is not installed (apt-get install netpbm)";
    // -allimages makes pamfile read the stream to its end, so the whole bitmap passes.
    std::string fifo = dir.path("pipe.pbm");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ToolRun reader;
    std::thread readBack([&] { reader = runCommand({"pamfile", "-allimages", fifo}); });
    run = runTool(Tool::Skydump, {xy.path, fifo});
    readBack.join();
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, detected(2));
    EXPECT_EQ(reader.status, 0);
    EXPECT_EQ(reader.out, fifo + ":\tImage 0:\tPBM raw, 800 by 800\n");
    EXPECT_EQ(fileBytes(xy.path), xy.bytes);
}

// A reader that stops after the header: the rest cannot be written, and the run says so
// instead of dying silently of a broken pipe.
TEST(Skydump, AReaderThatStopsEarlyFailsTheWrite)
{
    if (underEmulator())
        GTEST_SKIP() << "Wine waits forever on a write to a named pipe whose reader has gone";
    TempDir dir;
    XyFixture xy = writeRecords(dir, {planetWord(3, 1003, 1), planetWord(500, 1500, 2)});
    std::string fifo = dir.path("pipe.pbm");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ToolRun reader;
    std::thread readHead([&] { reader = runCommand({"head", "-c", "5", fifo}); });
    ToolRun run = runTool(Tool::Skydump, {xy.path, fifo});
    readHead.join();
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, detected(2) + screen("error writing " + fifo + ".\n"));
    EXPECT_EQ(reader.out, "P4\n80");
    EXPECT_EQ(access(fifo.c_str(), F_OK), 0) << "a named pipe is not removed";
    EXPECT_EQ(fileBytes(xy.path), xy.bytes);
}

// netpbm reads what skydump writes: the same size and the same black pixels.
TEST(Skydump, NetpbmSeesTheSamePixels)
{
    for (const char* program : {"pamfile", "pbmtoascii", "pnmtopng", "pngtopnm", "pnmnoraw"})
        if (!haveProgram(program))
            GTEST_SKIP() << "netpbm's " << program << " is not installed (apt-get install netpbm)";
    TempDir dir;
    PlanetSpread spread;
    spread.count = 60;
    spread.width = 1100;
    spread.yMax = 1700;
    XyFixture xy = writeRecords(dir, randomPlanets(42, spread));
    std::string pbm = dir.path("map.pbm");
    ASSERT_EQ(runTool(Tool::Skydump, {xy.path, pbm}).status, 0);
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<Pixel> black;
    ASSERT_TRUE(readPbm(fileBytes(pbm), width, height, black));
    ASSERT_EQ(black.size(), 60u);

    ToolRun info = runCommand({"pamfile", pbm});
    EXPECT_EQ(info.out, pbm + ":\tPBM raw, 1200 by 800\n");

    // The plain (ASCII) form lists every pixel: 1 is black.
    ToolRun plain = runCommand({"pnmnoraw", pbm});
    ASSERT_EQ(plain.status, 0);
    std::vector<Pixel> seen;
    std::string digits;
    size_t headerEnd = plain.out.find("1200 800\n");
    ASSERT_NE(headerEnd, std::string::npos);
    for (char c : plain.out.substr(headerEnd + 9))
        if (c == '0' || c == '1')
            digits += c;
    ASSERT_EQ(digits.size(), size_t(1200) * 800);
    for (size_t i = 0; i < digits.size(); ++i)
        if (digits[i] == '1')
            seen.push_back({uint32_t(i % 1200), uint32_t(i / 1200)});
    EXPECT_EQ(seen, black);

    // To PNG and back gives the identical P4 file.
    std::string png = dir.path("map.png");
    std::string back = dir.path("back.pbm");
    ToolRun toPng = runCommand({"sh", "-c", "pnmtopng '" + pbm + "' > '" + png + "'"});
    ASSERT_EQ(toPng.status, 0) << toPng.err;
    ToolRun fromPng = runCommand({"sh", "-c", "pngtopnm '" + png + "' > '" + back + "'"});
    ASSERT_EQ(fromPng.status, 0) << fromPng.err;
    EXPECT_EQ(fileBytes(back), fileBytes(pbm));
}

} // namespace
