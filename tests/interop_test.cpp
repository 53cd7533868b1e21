// The programs our users edit bitmaps with, both ways round. Each of them opens
// skydump's bitmap and sees the same size and the same black pixels, the ones the XY
// file's planets stand for (netpbm's view is in export_e2e_test.cpp). And skyload
// accepts the bitmaps they write, made here by the programs themselves, and places the
// planets where their pixels say (ImageMagick drawing into the bitmap itself and netpbm's
// pamflip are in import_e2e_test.cpp, a GIMP-style header among the header cases). Each
// test skips, saying what to install, when its program is missing.
#include "editors.h"
#include "pbm_fixtures.h"
#include "xy_fixtures.h"

#include <gtest/gtest.h>

#include <sstream>

namespace
{

// A universe whose map is wider than high (1200 x 800), so that a program that swaps
// width and height, or reads the rows the wrong way up, cannot pass.
struct ExportedMap {
    XyLayout layout;
    XyFixture xy;
    std::string pbm;
    Bitmap planets; // the planets drawn from the records, by the test's own rule
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
                    drawPlanets(layout.records)};
    EXPECT_EQ(map.planets.width, 1200u);
    EXPECT_EQ(map.planets.height, 800u);
    ToolRun run = runTool(Tool::Skydump, {map.xy.path, map.pbm});
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(fileBytes(map.xy.path), map.xy.bytes);
    return map;
}

// The black pixels a program reported, as a bitmap of the map's size.
Bitmap bitmapOf(const ExportedMap& map, const std::vector<Pixel>& black)
{
    Bitmap bitmap = blankBitmap(map.planets.width, map.planets.height);
    for (const Pixel& pixel : black)
        setPixel(bitmap, pixel.column, pixel.row);
    return bitmap;
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
    EXPECT_EQ(seen.size(), 60u);
    EXPECT_EQ(bitmapOf(map, seen).raster, map.planets.raster);
}

// The tests with Pillow run Debian's Python, which python3-pil serves.
class Pillow : public testing::Test
{
  protected:
    void SetUp() override
    {
        python_ = pythonWithPillow();
        if (python_.empty())
            GTEST_SKIP() << "Pillow is not installed for /usr/bin/python3 (apt-get install "
                            "python3-pil)";
    }
    std::string python_;
};

TEST_F(Pillow, SeesTheSameSizeAndPixelsInSkydumpsBitmap)
{
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
    ToolRun run = runCommand({python_, "-c", script, map.pbm});
    ASSERT_EQ(run.status, 0) << run.err;
    std::istringstream lines(run.out);
    std::string header;
    std::getline(lines, header);
    EXPECT_EQ(header, "PPM 1 1200 800");
    std::vector<Pixel> seen;
    for (uint32_t column = 0, row = 0; lines >> column >> row;)
        seen.push_back({column, row});
    EXPECT_EQ(seen.size(), 60u);
    EXPECT_EQ(bitmapOf(map, seen).raster, map.planets.raster);
}

// The edit every editor makes below: the middle planet of the reading order moved 37
// columns to the right along its row, to a free pixel, and the bitmap that results.
struct Move {
    Pixel from;
    Pixel to;
    Bitmap edited;
};

Move moveOnePlanet(const Bitmap& planets)
{
    std::vector<StarPixel> stars = modelStars(planets);
    StarPixel star = stars[stars.size() / 2];
    uint32_t row = planets.height - 1 - star.rowFromBottom;
    Move move{{star.column, row}, {star.column, row}, planets};
    do
        move.to.column = (move.to.column + 37) % planets.width;
    while (pixelAt(planets, move.to.column, row));
    clearPixel(move.edited, move.from.column, row);
    setPixel(move.edited, move.to.column, row);
    return move;
}

// Runs skyload on `bitmap` and checks the outcome against the placement rule applied to
// `expected`: the exact output, and the XY file holding exactly the records the rule
// gives, and so the planets where the pixels of `expected` lie.
void expectImported(const ExportedMap& map, const std::string& bitmap, const Bitmap& expected)
{
    PlacementOutcome model = modelPlacement(expected, map.layout.records);
    ASSERT_FALSE(model.refused);
    ToolRun run = runTool(Tool::Skyload, {map.xy.path, bitmap});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, bannerOf(Tool::Skyload) +
                           screen("60 planets detected\n60 of 60 star positions updated\n"));
    EXPECT_EQ(run.err, "");
    XyLayout after = map.layout;
    after.records = model.records;
    EXPECT_EQ(fileBytes(map.xy.path), buildXyFile(after));
    EXPECT_EQ(drawPlanets(recordsIn(fileBytes(map.xy.path), map.layout)).raster, expected.raster);
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
    Move move = moveOnePlanet(map.planets);
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
    expectImported(map, back, move.edited);
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
    expectImported(map, back, map.planets);
}

TEST_F(Pillow, SetsAPixelAndSavesABitmapThatSkyloadReads)
{
    TempDir dir;
    ExportedMap map = exportMap(dir);
    Move move = moveOnePlanet(map.planets);
    const char* script = R"(
import sys
from PIL import Image
image = Image.open(sys.argv[1])
image.putpixel((int(sys.argv[3]), int(sys.argv[4])), 1)
image.putpixel((int(sys.argv[5]), int(sys.argv[6])), 0)
image.save(sys.argv[2])
)";
    std::string saved = dir.path("saved.pbm");
    ToolRun run = runCommand({python_, "-c", script, map.pbm, saved,
                              std::to_string(move.from.column), std::to_string(move.from.row),
                              std::to_string(move.to.column), std::to_string(move.to.row)});
    ASSERT_EQ(run.status, 0) << run.err;
    expectImported(map, saved, move.edited);
}

} // namespace
