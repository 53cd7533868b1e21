// The fast star scan against the literal one: on every raster, the same first stars in
// the same order and the same count of all stars, however the raster arrives in pieces.
#include "star_scan.h"

#include <gtest/gtest.h>
#include <random>

namespace
{

struct Stars {
    std::vector<StarPixel> first; // the first `wanted`, in the import's order
    uint64_t all = 0;             // every set pixel
};

// The model: the order itself, column by column from the left, each from the bottom row
// up by stepping one stride back per row.
Stars literalStars(const std::vector<uint8_t>& raster, const MapGeometry& geometry, uint32_t wanted)
{
    Stars stars;
    for (uint32_t column = 0; column < geometry.width; ++column)
        for (uint32_t k = 0; k < geometry.height; ++k)
            if (raster[pixelByte(geometry, geometry.height - 1 - k, column)] & pixelMask(column)) {
                if (stars.first.size() < wanted)
                    stars.first.push_back({column, k});
                ++stars.all;
            }
    return stars;
}

// The scan under test, fed the raster in pieces of the given sizes (repeated; 0 means
// the whole raster at once).
Stars fastStars(const std::vector<uint8_t>& raster, const MapGeometry& geometry, uint32_t wanted,
                const std::vector<uint64_t>& pieces)
{
    StarScan scan;
    EXPECT_TRUE(beginStarScan(scan, geometry, wanted));
    uint64_t at = 0;
    for (size_t n = 0; at < raster.size(); ++n) {
        uint64_t piece = pieces[n % pieces.size()];
        piece = piece == 0 ? raster.size() : std::min<uint64_t>(piece, raster.size() - at);
        scanRasterBytes(scan, raster.data() + at, piece);
        at += piece;
    }
    finishStarScan(scan);
    Stars stars;
    for (uint32_t i = 0; i < foundStars(scan); ++i)
        stars.first.push_back(foundStar(scan, i));
    stars.all = scan.stars;
    return stars;
}

MapGeometry geometryOf(uint32_t width, uint32_t height)
{
    return MapGeometry{width, height, width / 8, width / 8 * height};
}

void setPixel(std::vector<uint8_t>& raster, const MapGeometry& geometry, uint32_t column,
              uint32_t rowFromBottom)
{
    raster[pixelByte(geometry, geometry.height - 1 - rowFromBottom, column)] |= pixelMask(column);
}

// Compares the two scans for a spread of planet counts around the raster's star count,
// and for pieces that cut rows and words anywhere.
void expectSameStars(const std::vector<uint8_t>& raster, const MapGeometry& geometry,
                     const std::string& name)
{
    Stars all = literalStars(raster, geometry, UINT32_MAX);
    uint64_t count = all.all;
    std::vector<uint32_t> wanteds = {0, 1, 2, 7, 1000, 4096};
    for (uint64_t near : {count / 2, count - 1, count, count + 1, count * 2})
        if (near <= UINT32_MAX)
            wanteds.push_back(uint32_t(near));
    std::vector<std::vector<uint64_t>> piecings = {
        {0}, {1, 63, 64, 65, 4096, 7}, {geometry.stride * 3 + 5}, {geometry.stride}, {131072}};
    // With a planet per star, the scan's work is ordering them: for the densest rasters,
    // two ways of cutting the pieces say all there is to say.
    if (count > 100000)
        piecings.resize(2);
    for (uint32_t wanted : wanteds) {
        Stars expected = all;
        expected.first.resize(std::min<uint64_t>(wanted, all.first.size()));
        for (const std::vector<uint64_t>& pieces : piecings) {
            Stars got = fastStars(raster, geometry, wanted, pieces);
            ASSERT_EQ(got.all, expected.all) << name << ", wanted " << wanted;
            ASSERT_EQ(got.first.size(), expected.first.size()) << name << ", wanted " << wanted;
            if (got.first == expected.first)
                continue;
            size_t i = 0;
            while (got.first[i] == expected.first[i])
                ++i;
            FAIL() << name << ", wanted " << wanted << ": star " << i << " should be at column "
                   << expected.first[i].column << ", row " << expected.first[i].rowFromBottom
                   << " from the bottom, not at column " << got.first[i].column << ", row "
                   << got.first[i].rowFromBottom;
        }
    }
}

TEST(StarScan, SameAsTheLiteralOrderOnRandomRasters)
{
    std::mt19937_64 random(2024);
    struct Shape {
        uint32_t width;
        uint32_t height;
        double density;
    };
    // Strides of 50, 100 and 150 bytes: rows begin inside words as well as on them. The
    // densest rasters are the smaller ones: with a planet per star, the scan's work is
    // ordering them, which says nothing more at a larger size.
    const Shape shapes[] = {
        {400, 400, 0.0002},  {400, 400, 0.003},  {400, 400, 0.5},   {800, 400, 0.97},
        {800, 400, 0.05},    {1200, 800, 0.003}, {1200, 800, 0.05}, {1200, 400, 0.5},
        {400, 3200, 0.0002}, {400, 3200, 0.003}, {400, 3200, 0.05}, {400, 3200, 0.3},
    };
    for (const Shape& shape : shapes) {
        MapGeometry geometry = geometryOf(shape.width, shape.height);
        std::vector<uint8_t> raster(geometry.rasterSize, 0);
        std::bernoulli_distribution black(shape.density);
        for (uint32_t column = 0; column < geometry.width; ++column)
            for (uint32_t k = 0; k < geometry.height; ++k)
                if (black(random))
                    setPixel(raster, geometry, column, k);
        expectSameStars(raster, geometry,
                        std::to_string(shape.width) + " x " + std::to_string(shape.height) +
                            ", density " + std::to_string(shape.density));
    }
}

TEST(StarScan, SameAsTheLiteralOrderOnAdversarialRasters)
{
    struct Case {
        const char* name;
        uint32_t width;
        uint32_t height;
        // Whether the pixel at `column`, `k` rows from the bottom, is set.
        bool (*black)(uint32_t column, uint32_t k, uint32_t width, uint32_t height);
    };
    const Case cases[] = {
        {"all white", 800, 400, [](uint32_t, uint32_t, uint32_t, uint32_t) { return false; }},
        {"all black", 800, 400, [](uint32_t, uint32_t, uint32_t, uint32_t) { return true; }},
        {"all black, 8 x 400 rows high", 400, 3200,
         [](uint32_t, uint32_t, uint32_t, uint32_t) { return true; }},
        {"first column full", 1200, 400,
         [](uint32_t c, uint32_t, uint32_t, uint32_t) { return c == 0; }},
        {"one middle column full", 1200, 3200,
         [](uint32_t c, uint32_t, uint32_t, uint32_t) { return c == 613; }},
        {"stars only in the last column", 1200, 3200,
         [](uint32_t c, uint32_t k, uint32_t w, uint32_t) { return c == w - 1 && k % 3 != 1; }},
        {"top row full", 1200, 400,
         [](uint32_t, uint32_t k, uint32_t, uint32_t h) { return k == h - 1; }},
        {"bottom row full", 1200, 400,
         [](uint32_t, uint32_t k, uint32_t, uint32_t) { return k == 0; }},
        // Each row down holds a band left of every band above it: the rows read first
        // keep being overtaken, the most work for the candidates.
        {"staircase to the lower left", 3200, 400,
         [](uint32_t c, uint32_t k, uint32_t, uint32_t) { return c / 8 == k; }},
        {"staircase to the lower right", 3200, 400,
         [](uint32_t c, uint32_t k, uint32_t, uint32_t h) { return c / 8 == h - 1 - k; }},
        {"dense top half, one pixel per column below", 800, 800,
         [](uint32_t c, uint32_t k, uint32_t, uint32_t h) { return k >= h / 2 || k == c % 400; }},
        {"last pixel of the raster", 400, 3200,
         [](uint32_t c, uint32_t k, uint32_t w, uint32_t) { return c == w - 1 && k == 0; }},
        {"word edges", 1200, 400,
         [](uint32_t c, uint32_t, uint32_t, uint32_t) { return c % 64 == 0 || c % 64 == 63; }},
    };
    for (const Case& c : cases) {
        MapGeometry geometry = geometryOf(c.width, c.height);
        std::vector<uint8_t> raster(geometry.rasterSize, 0);
        for (uint32_t column = 0; column < geometry.width; ++column)
            for (uint32_t k = 0; k < geometry.height; ++k)
                if (c.black(column, k, c.width, c.height))
                    setPixel(raster, geometry, column, k);
        expectSameStars(raster, geometry, c.name);
    }
}

TEST(StarScan, ARasterFedShortCountsOnlyWhatArrived)
{
    MapGeometry geometry = geometryOf(400, 400);
    std::vector<uint8_t> raster(geometry.rasterSize, 0xFF);
    StarScan scan;
    ASSERT_TRUE(beginStarScan(scan, geometry, 3));
    scanRasterBytes(scan, raster.data(), 50); // the top row only
    finishStarScan(scan);
    EXPECT_EQ(scan.stars, 400u);
    ASSERT_EQ(foundStars(scan), 3u);
    EXPECT_EQ(foundStar(scan, 0), (StarPixel{0, 399}));
    EXPECT_EQ(foundStar(scan, 1), (StarPixel{1, 399}));
    EXPECT_EQ(foundStar(scan, 2), (StarPixel{2, 399}));
    // Bytes past the raster's end are not pixels.
    ASSERT_TRUE(beginStarScan(scan, geometry, 3));
    raster.resize(geometry.rasterSize + 100, 0xFF);
    scanRasterBytes(scan, raster.data(), raster.size());
    finishStarScan(scan);
    EXPECT_EQ(scan.stars, 400u * 400u);
    EXPECT_EQ(foundStar(scan, 0), (StarPixel{0, 0}));
}

TEST(StarScan, CountSetBitsAtAnyAlignment)
{
    std::mt19937_64 random(5);
    std::vector<uint8_t> bytes(1000);
    for (uint8_t& byte : bytes)
        byte = uint8_t(random());
    for (uint64_t start : {0, 1, 3, 7, 8, 13})
        for (uint64_t size : {0, 1, 7, 8, 9, 63, 248, 249, 255, 256, 257, 900}) {
            uint64_t expected = 0;
            for (uint64_t i = start; i < start + size; ++i)
                for (int bit = 0; bit < 8; ++bit)
                    expected += (bytes[i] >> bit) & 1;
            EXPECT_EQ(countSetBits(bytes.data() + start, size), expected)
                << "start " << start << ", size " << size;
            EXPECT_EQ(countSetBitsPortable(bytes.data() + start, size), expected)
                << "start " << start << ", size " << size;
        }
}

} // namespace
