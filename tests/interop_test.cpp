// skydump's bitmap in the programs our users edit with: each of them opens it and sees
// the same size and the same black pixels, the ones the XY file's planets stand for.
// (netpbm's view is in export_e2e_test.cpp.) Each test skips, saying what to install,
// when its program is missing.
#include "editors.h"
#include "xy_fixtures.h"

#include <gtest/gtest.h>

#include <sstream>

namespace
{

// A universe whose map is wider than high (1200 x 800), so that a program that swaps
// width and height, or reads the rows the wrong way up, cannot pass.
struct ExportedMap {
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
    ExportedMap map{writeXy(dir, "universe.xy", layout), dir.path("map.pbm"),
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

} // namespace
