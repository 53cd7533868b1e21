#include "map_geometry.h"

#include "xy_file.h"
#include "xy_fixtures.h"

#include <gtest/gtest.h>

namespace
{

// Scans the planet list of a file built from `records`.
struct Scanned {
    ScanStatus status;
    PlanetList list;
    std::string printed;
};

Scanned scan(const std::vector<uint8_t>& bytes)
{
    Scanned result{ScanStatus::Ok, {}, ""};
    uint32_t first = 0;
    EXPECT_TRUE(planetListStart(viewOver(bytes), first));
    result.printed =
        printedBy([&] { result.status = scanPlanets(viewOver(bytes), first, result.list); });
    return result;
}

Scanned scanRecords(const std::vector<uint32_t>& records)
{
    XyLayout layout;
    layout.records = records;
    return scan(buildXyFile(layout));
}

TEST(RoundUpToStep, SmallestMultipleStrictlyAbove)
{
    struct Case {
        uint64_t extent;
        uint64_t size;
    };
    const Case cases[] = {{0, 400}, {399, 400}, {400, 800}, {799, 800}, {800, 1200}, {3095, 3200}};
    for (const Case& c : cases)
        EXPECT_EQ(roundUpToStep(c.extent), c.size) << c.extent;
}

TEST(ScanPlanets, CountsSumsAndFindsTheHighestRow)
{
    struct Case {
        const char* name;
        std::vector<uint32_t> records;
        uint32_t count;
        uint64_t xSum;
        uint32_t maxYOffset;
    };
    const Case cases[] = {
        {"empty list", {}, 0, 0, 0},
        {"one planet", {planetWord(10, 1200, 5)}, 1, 10, 200},
        {"sum of distances", {planetWord(300, 1000, 1), planetWord(400, 1000, 2)}, 2, 700, 0},
        {"highest y wins",
         {planetWord(0, 1500, 1), planetWord(1, 4095, 2), planetWord(1, 1001, 3)},
         3,
         2,
         3095},
        // A record that passes the terminator test ends the list where it stands.
        {"terminator-like record",
         {planetWord(5, 1100, 1), planetWord(2, 1024, 0), planetWord(9, 2000, 1)},
         1,
         5,
         100},
    };
    for (const Case& c : cases) {
        Scanned s = scanRecords(c.records);
        EXPECT_EQ(s.status, ScanStatus::Ok) << c.name;
        EXPECT_EQ(s.list.count, c.count) << c.name;
        EXPECT_EQ(s.list.xSum, c.xSum) << c.name;
        EXPECT_EQ(s.list.maxYOffset, c.maxYOffset) << c.name;
        EXPECT_EQ(s.printed, "") << c.name;
    }
}

TEST(ScanPlanets, RecordBelowTheOriginIsCountedButHasNoRow)
{
    Scanned s = scanRecords({planetWord(7, 1200, 1), planetWord(3, 999, 2), planetWord(4, 0, 3)});
    EXPECT_EQ(s.status, ScanStatus::Ok);
    EXPECT_EQ(s.list.count, 3u);
    EXPECT_EQ(s.list.xSum, 14u);
    EXPECT_EQ(s.list.maxYOffset, 200u); // not 999 - 1000 wrapped around
    EXPECT_EQ(s.printed,
              "Warning: planet 1 has Y 999, below 1000, so it has no pixel in the bitmap\n"
              "Warning: planet 2 has Y 0, below 1000, so it has no pixel in the bitmap\n");
}

TEST(ScanPlanets, ListThatRunsOffTheEnd)
{
    XyLayout layout;
    layout.records = {planetWord(1, 1000, 1), planetWord(1, 1000, 2)};
    layout.terminated = false;
    layout.trailerBytes = 0;
    std::vector<uint8_t> bytes = buildXyFile(layout);
    uint32_t end = uint32_t(bytes.size());
    // Cut at a record boundary and in the middle of a record.
    for (uint32_t extra : {0u, 1u, 3u}) {
        std::vector<uint8_t> cut = bytes;
        cut.resize(end - 4 + extra);
        Scanned s = scan(cut);
        EXPECT_EQ(s.status, ScanStatus::NoTerminator);
        EXPECT_EQ(s.printed,
                  "Error: the planet list runs off the end of the XY file: no terminator "
                  "after 1 planets (the file ends at offset " +
                      std::to_string(cut.size()) + ")\n");
    }
}

TEST(GeometryFor, DimensionsFromTheExtent)
{
    struct Case {
        uint64_t xSum;
        uint32_t maxYOffset;
        uint32_t width;
        uint32_t height;
    };
    const Case cases[] = {
        {0, 0, 400, 400},   {399, 399, 400, 400}, {400, 400, 800, 800}, {700, 0, 800, 400},
        {799, 0, 800, 400}, {800, 0, 1200, 400},  {0, 3095, 400, 3200},
    };
    for (const Case& c : cases) {
        MapGeometry g{};
        ASSERT_TRUE(geometryFor(PlanetList{0, 1, c.xSum, c.maxYOffset}, g));
        EXPECT_EQ(g.width, c.width);
        EXPECT_EQ(g.height, c.height);
        EXPECT_EQ(g.stride, c.width / 8);
        EXPECT_EQ(g.rasterSize, c.width / 8 * c.height);
    }
}

TEST(GeometryFor, RasterBeyond32BitsIsRefused)
{
    // 3200 rows of 1342150 bytes still fit in 32 bits; one step wider does not.
    MapGeometry g{};
    std::string printed = printedBy([&] {
        EXPECT_TRUE(geometryFor(PlanetList{0, 1, 10737199, 3095}, g));
    });
    EXPECT_EQ(g.width, 10737200u);
    EXPECT_EQ(g.rasterSize, 1342150u * 3200u);
    printed = printedBy([&] { EXPECT_FALSE(geometryFor(PlanetList{0, 1, 10737200, 3095}, g)); });
    EXPECT_EQ(printed, "Error: the bitmap for this planet list would be 10737600 x 3200 pixels, "
                       "4295040000 bytes, too large to handle\n");
    // A sum that would wrap a 32-bit width is still seen for what it is.
    printed = printedBy([&] {
        EXPECT_FALSE(geometryFor(PlanetList{0, 1, uint64_t(1) << 32, 0}, g));
    });
    EXPECT_NE(printed.find("4294967600 x 400 pixels"), std::string::npos) << printed;
}

TEST(PixelAddressing, RowsFromTheTopMostSignificantBitFirst)
{
    MapGeometry g{};
    ASSERT_TRUE(geometryFor(PlanetList{0, 1, 399, 399}, g));
    // The planet at column 399 and Y 1399 is the last pixel of the top row.
    EXPECT_EQ(rowFromTop(g, 1399), 0u);
    EXPECT_EQ(pixelByte(g, rowFromTop(g, 1399), 399), 49u);
    EXPECT_EQ(pixelMask(399), 0x01);
    // Y 1000 is the bottom row; column 0 is the top bit of the row's first byte.
    EXPECT_EQ(rowFromTop(g, 1000), 399u);
    EXPECT_EQ(pixelByte(g, 399, 0), 399u * 50u);
    EXPECT_EQ(pixelMask(0), 0x80);
    EXPECT_EQ(pixelMask(9), 0x40);
    EXPECT_EQ(pixelByte(g, 1, 9), 51u);
}

} // namespace
