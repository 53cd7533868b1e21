// The programs our users edit bitmaps with, both ways round. Each of them opens
// skydump's bitmap and sees the same size and the same black pixels, the ones the XY
// file's planets stand for (netpbm's view is in export_e2e_test.cpp). And skyload
// accepts the bitmaps they write, made here by the programs themselves, and places the
// planets where their pixels say. Each test skips, saying what to install, when its
// program is missing.
#include "editors.h"
#include "xy_fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace
{

// A universe whose map is wider than high (1200 x 800), so that a program that swaps
// width and height, or reads the rows the wrong way up, cannot pass.
struct ExportedMap {
    XyLayout layout;
    XyFixture xy;
    std::string pbm;
    std::vector<Pixel> black; // where the planets lie, from the records
};

ExportedMap exportMap(const TempDir& dir)
{
    PlanetSpread spread;
    spread.count = 60;
    spread.width = 1100;
    spread.yMax = 1700;
    XyLayout layout;
    layout.records = randomPlanets(20240601, spread);
    ExportedMap map{layout, writeXy(dir, "universe.xy", layout), dir.path("map.pbm"),
                    planetPixels(layout.records, 800)};
    ToolRun run = runTool(Tool::Skydump, {map.xy.path, map.pbm});
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(fileBytes(map.xy.path), map.xy.bytes);
    return map;
}

TEST(EditorsReadSkydump, ImageMagickSeesTheSameSizeAndPixels)
{
    std::string identify = imageMagick("identify");
    std::string convert = imageMagick("convert");
    if (identify.empty() || convert.empty())
        GTEST_SKIP() << "ImageMagick's identify and convert are not installed "
                        "(apt-get install imagemagick)";
    TempDir dir;
    ExportedMap map = exportMap(dir);

    ToolRun info = runCommand({identify, "-format", "%m %w %h %z", map.pbm});
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_EQ(info.out, "PBM 1200 800 1"); // format, width, height, bits per pixel

    std::vector<Pixel> seen;
    ASSERT_TRUE(imageMagickPixels(convert, map.pbm, seen));
    EXPECT_EQ(seen, map.black);
}

TEST(EditorsReadSkydump, PillowSeesTheSameSizeAndPixels)
{
    std::string python = pythonWithPillow();
    if (python.empty())
        GTEST_SKIP() << "Pillow is not installed for /usr/bin/python3 (apt-get install "
                        "python3-pil)";
    TempDir dir;
    ExportedMap map = exportMap(dir);
    // Mode "1" is one bit per pixel; 0 is black.
    const char* script = R"(
import sys
from PIL import Image
image = Image.open(sys.argv[1])
print(image.format, image.mode, image.width, image.height)
pixels = image.load()
for y in range(image.height):
    for x in range(image.width):
        if pixels[x, y] == 0:
            print(x, y)
)";
    ToolRun run = runCommand({python, "-c", script, map.pbm});
    ASSERT_EQ(run.status, 0) << run.err;
    std::istringstream lines(run.out);
    std::string header;
    std::getline(lines, header);
    EXPECT_EQ(header, "PPM 1 1200 800");
    std::vector<Pixel> seen;
    for (uint32_t column = 0, row = 0; lines >> column >> row;)
        seen.push_back({column, row});
    EXPECT_EQ(seen, map.black);
}

// The edit every editor makes below: one planet moved right along its row, to a free
// pixel, and the black pixels that the bitmap should then hold.
struct Move {
    Pixel from;
    Pixel to;
    std::vector<Pixel> black;
};

Move moveOnePlanet(const std::vector<Pixel>& black)
{
    Move move{black[black.size() / 2], black[black.size() / 2], {}};
    do
        move.to.column = (move.to.column + 37) % 1200;
    while (std::find(black.begin(), black.end(), move.to) != black.end());
    for (const Pixel& pixel : black)
        if (!(pixel == move.from))
            move.black.push_back(pixel);
    move.black.push_back(move.to);
    std::sort(move.black.begin(), move.black.end());
    return move;
}

// Runs skyload on `bitmap` and checks the outcome: every planet updated without a
// warning, the planets now where `black` says, numbered afresh from 49, and not one
// byte of the XY file changed outside the planet records.
void expectImported(const ExportedMap& map, const std::string& bitmap,
                    const std::vector<Pixel>& black)
{
    ToolRun run = runTool(Tool::Skyload, {map.xy.path, bitmap});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, bannerOf(Tool::Skyload) +
                           screen("60 planets detected\n60 of 60 star positions updated\n"));
    EXPECT_EQ(run.err, "");

    std::vector<uint8_t> after = fileBytes(map.xy.path);
    ASSERT_EQ(after.size(), map.xy.bytes.size());
    uint32_t first = planetOffset(map.layout);
    uint32_t end = first + 4 * uint32_t(map.layout.records.size());
    std::vector<uint32_t> records;
    for (uint32_t offset = first; offset < end; offset += 4)
        records.push_back(uint32_t(after[offset]) | uint32_t(after[offset + 1]) << 8 |
                          uint32_t(after[offset + 2]) << 16 | uint32_t(after[offset + 3]) << 24);
    EXPECT_EQ(planetPixels(records, 800), black);
    for (size_t i = 0; i < records.size(); ++i)
        EXPECT_EQ(records[i] >> 22, 49 + i) << "ident of planet " << i;
    EXPECT_TRUE(std::equal(after.begin(), after.begin() + first, map.xy.bytes.begin()))
        << "bytes before the planet list changed";
    EXPECT_TRUE(std::equal(after.begin() + end, after.end(), map.xy.bytes.begin() + end))
        << "bytes after the planet list changed";
}

std::string point(const Pixel& pixel)
{
    return "point " + std::to_string(pixel.column) + "," + std::to_string(pixel.row);
}

TEST(SkyloadReadsEditors, ABitmapImageMagickMakesFromAPng)
{
    std::string convert = imageMagick("convert");
    if (convert.empty())
        GTEST_SKIP() << "ImageMagick's convert is not installed (apt-get install imagemagick)";
    TempDir dir;
    ExportedMap map = exportMap(dir);
    Move move = moveOnePlanet(map.black);
    // The user works on a PNG: made from the bitmap, edited, and saved back as PBM.
    std::string png = dir.path("map.png");
    std::string edited = dir.path("edited.png");
    std::string back = dir.path("back.pbm");
    ToolRun toPng = runCommand({convert, map.pbm, png});
    ASSERT_EQ(toPng.status, 0) << toPng.err;
    ToolRun draw = runCommand({convert, png, "-fill", "white", "-draw", point(move.from), "-fill",
                               "black", "-draw", point(move.to), edited});
    ASSERT_EQ(draw.status, 0) << draw.err;
    ToolRun toPbm = runCommand({convert, edited, back});
    ASSERT_EQ(toPbm.status, 0) << toPbm.err;
    expectImported(map, back, move.black);
}

TEST(SkyloadReadsEditors, NetpbmPngRoundTrip)
{
    for (const char* program : {"pnmtopng", "pngtopnm"})
        if (!haveProgram(program))
            GTEST_SKIP() << "netpbm's " << program << " is not installed (apt-get install netpbm)";
    TempDir dir;
    ExportedMap map = exportMap(dir);
    std::string png = dir.path("map.png");
    std::string back = dir.path("back.pbm");
    ToolRun toPng = runShell("pnmtopng " + shellQuoted(map.pbm) + " > " + shellQuoted(png));
    ASSERT_EQ(toPng.status, 0) << toPng.err;
    ToolRun fromPng = runShell("pngtopnm " + shellQuoted(png) + " > " + shellQuoted(back));
    ASSERT_EQ(fromPng.status, 0) << fromPng.err;
    // Planets listed in reading order come back where they were.
    expectImported(map, back, map.black);
}

TEST(SkyloadReadsEditors, PillowSetsAPixelAndSavesAsPbm)
{
    std::string python = pythonWithPillow();
    if (python.empty())
        GTEST_SKIP() << "Pillow is not installed for /usr/bin/python3 (apt-get install "
                        "python3-pil)";
    TempDir dir;
    ExportedMap map = exportMap(dir);
    Move move = moveOnePlanet(map.black);
    const char* script = R"(
import sys
from PIL import Image
image = Image.open(sys.argv[1])
image.putpixel((int(sys.argv[3]), int(sys.argv[4])), 1)
image.putpixel((int(sys.argv[5]), int(sys.argv[6])), 0)
image.save(sys.argv[2])
)";
    std::string saved = dir.path("saved.pbm");
    ToolRun run = runCommand({python, "-c", script, map.pbm, saved,
                              std::to_string(move.from.column), std::to_string(move.from.row),
                              std::to_string(move.to.column), std::to_string(move.to.row)});
    ASSERT_EQ(run.status, 0) << run.err;
    expectImported(map, saved, move.black);
}

TEST(SkyloadReadsEditors, GimpStyleHeaderWithCarriageReturns)
{
    TempDir dir;
    ExportedMap map = exportMap(dir);
    Move move = moveOnePlanet(map.black);
    // The header as GIMP's PNM plug-in writes it, with a "# Created by" comment, and
    // with the line ends of a bitmap saved on Windows.
    std::vector<uint8_t> bytes = makePbm(1200, 800, move.black);
    std::string plain = "P4\n1200 800\n";
    std::string gimp = "P4\r\n# Created by GIMP version 2.10.34 PNM plug-in\r\n1200 800\r\n";
    bytes.erase(bytes.begin(), bytes.begin() + plain.size());
    bytes.insert(bytes.begin(), gimp.begin(), gimp.end());
    expectImported(map, writeBytes(dir, "gimp.pbm", bytes), move.black);
}

} // namespace
