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
    struct Case {
        const char* name;
        std::vector<uint32_t> records;
        uint32_t width;
        uint32_t height;
        std::vector<Pixel> black; // sorted by row from the top, then column
    };
    const Case cases[] = {
        {"no planets", {}, 400, 400, {}},
        {"first distance 0 is column 0, y 1000 the bottom row",
         {planetWord(0, 1000, 7)},
         400,
         400,
         {{0, 399}}},
        {"last byte of the top row", {planetWord(399, 1399, 1)}, 400, 400, {{399, 0}}},
        {"running column, y from the bottom",
         {planetWord(5, 1000, 1), planetWord(10, 1001, 2), planetWord(0, 1399, 3)},
         400,
         400,
         {{15, 0}, {15, 398}, {5, 399}}},
        {"xSum 700, every y 1000",
         {planetWord(300, 1000, 1), planetWord(400, 1000, 2)},
         800,
         400,
         {{300, 399}, {700, 399}}},
        {"two planets on one pixel",
         {planetWord(9, 1234, 1), planetWord(0, 1234, 2)},
         400,
         400,
         {{9, 165}}},
        // The first record has no row; its distance still moves the second along.
        {"y below 1000 is not drawn",
         {planetWord(100, 999, 1), planetWord(50, 1000, 2)},
         400,
         400,
         {{150, 399}}},
        {"highest y 4095 in a 3200-row map", {planetWord(1, 4095, 1)}, 400, 3200, {{1, 104}}},
        // The ident field plays no part in the drawing.
        {"ident ignored", {planetWord(8, 1010, 1023)}, 400, 400, {{8, 389}}},
    };
    for (const Case& c : cases) {
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
