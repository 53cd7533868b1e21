// The drawing of the export, on bytes in memory.
#include "export_body.h"
#include "pbm_image.h"
#include "xy_file.h"
#include "xy_fixtures.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace
{

struct Drawn {
    MapGeometry geometry;
    std::vector<Pixel> black;
};

// Builds an XY file from `records`, scans it as the frame does and draws it.
Drawn draw(const std::vector<uint32_t>& records)
{
    XyLayout layout;
    layout.records = records;
    std::vector<uint8_t> bytes = buildXyFile(layout);
    PlanetList planets{};
    Drawn drawn{};
    printedBy([&] {
        EXPECT_EQ(scanPlanets(viewOver(bytes), planetOffset(layout), planets), ScanStatus::Ok);
        EXPECT_TRUE(geometryFor(planets, drawn.geometry));
    });
    std::vector<uint8_t> raster(drawn.geometry.rasterSize, 0);
    drawPlanets(viewOver(bytes), planets, drawn.geometry, raster.data());
    std::string header = pbmHeader(drawn.geometry);
    std::vector<uint8_t> pbm(header.begin(), header.end());
    pbm.insert(pbm.end(), raster.begin(), raster.end());
    uint32_t width = 0;
    uint32_t height = 0;
    EXPECT_TRUE(readPbm(pbm, width, height, drawn.black));
    EXPECT_EQ(width, drawn.geometry.width);
    EXPECT_EQ(height, drawn.geometry.height);
    return drawn;
}

TEST(DrawPlanets, OnePixelPerPlanetAtItsRunningColumn)
{
    for (const DrawCase& c : drawCases()) {
        Drawn drawn = draw(c.records);
        EXPECT_EQ(drawn.geometry.width, c.width) << c.name;
        EXPECT_EQ(drawn.geometry.height, c.height) << c.name;
        EXPECT_EQ(drawn.black, c.black) << c.name;
    }
}

TEST(DrawPlanets, HeaderNamesWidthThenHeight)
{
    EXPECT_EQ(pbmHeader(MapGeometry{1200, 800, 150, 150 * 800}), "P4\n1200 800\n");
}

TEST(DrawPlanets, RandomListsGiveTheirOwnPixels)
{
    for (uint64_t seed = 1; seed <= 20; ++seed) {
        PlanetSpread spread;
        spread.count = 1 + uint32_t(seed * 37 % 300);
        spread.width = 1200;
        spread.yMax = 2600;
        std::vector<uint32_t> records = randomPlanets(seed, spread);
        Drawn drawn = draw(records);
        std::vector<Pixel> expected;
        uint32_t column = 0;
        for (uint32_t word : records) {
            PlanetRecord record = decodePlanet(word);
            column += record.xDistance;
            expected.push_back({column, drawn.geometry.height - 1 - (record.y - 1000)});
        }
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(drawn.black, expected) << "seed " << seed;
    }
}

} // namespace
