// The star placement on XY files and bitmaps in memory: the scan order, the new record
// fields with their truncations, the warnings and the summary, the refusal of a star that
// would end the planet list, and that a refused placement changes no byte. Every case is
// also compared with the literal model of the placement in the test support.
#include "star_placement.h"

#include "pbm_fixtures.h"
#include "xy_file.h"
#include "xy_fixtures.h"

#include <gtest/gtest.h>
#include <random>

namespace
{

struct Placed {
    PlacementStatus status = PlacementStatus::Ok;
    std::string printed;
    std::vector<uint8_t> before; // the XY file as built
    std::vector<uint8_t> after;  // the XY file after the placement
};

// Builds the XY file of `records`, finds its planets and geometry as the frame does and
// places the stars of `bitmap` into it.
Placed place(const std::vector<uint32_t>& records, const Bitmap& bitmap)
{
    XyLayout layout;
    layout.records = records;
    Placed placed;
    placed.before = buildXyFile(layout);
    placed.after = placed.before;
    PlanetList planets{};
    MapGeometry geometry{};
    uint32_t first = 0;
    std::string scanned = printedBy([&] {
        EXPECT_TRUE(planetListStart(viewOver(placed.before), first));
        EXPECT_EQ(scanPlanets(viewOver(placed.before), first, planets), ScanStatus::Ok);
        EXPECT_TRUE(geometryFor(planets, geometry));
    });
    EXPECT_EQ(scanned, "");
    EXPECT_EQ(planets.count, records.size());
    EXPECT_EQ(geometry.width, bitmap.width);
    EXPECT_EQ(geometry.height, bitmap.height);
    if (geometry.width != bitmap.width || geometry.height != bitmap.height)
        return placed;
    WritableView view{placed.after.data(), uint32_t(placed.after.size())};
    placed.printed = printedBy(
        [&] { placed.status = placeStars(bitmap.raster.data(), geometry, planets, view); });
    return placed;
}

// The whole XY file that `records` give, with the generator's blocks and trailer.
std::vector<uint8_t> xyWith(const std::vector<uint32_t>& records)
{
    XyLayout layout;
    layout.records = records;
    return buildXyFile(layout);
}

// Places and checks the run against the model: the same output, and the same file, in
// which nothing but the planet records may have changed.
Placed placeAndCompare(const std::vector<uint32_t>& records, const Bitmap& bitmap,
                       const std::string& what)
{
    Placed placed = place(records, bitmap);
    PlacementOutcome model = modelPlacement(bitmap, records);
    EXPECT_EQ(placed.printed, model.printed) << what;
    EXPECT_EQ(placed.status == PlacementStatus::TerminatorStar, model.refused) << what;
    EXPECT_EQ(placed.after, xyWith(model.records)) << what;
    return placed;
}

TEST(PlaceStars, Cases)
{
    for (const PlacementCase& c : placementCases()) {
        Placed placed = placeAndCompare(c.records, withStars(c.records, c.stars), c.name);
        EXPECT_EQ(placed.status, PlacementStatus::Ok) << c.name;
        EXPECT_EQ(placed.printed, c.printed) << c.name;
        EXPECT_EQ(placed.after, xyWith(c.expected)) << c.name;
    }
}

TEST(PlaceStars, UnchangedBitmapGivesBackThePositions)
{
    for (const std::vector<uint32_t>& records : randomPlanetLists(0, 5)) {
        Placed placed = placeAndCompare(records, drawPlanets(records), "round trip");
        ASSERT_EQ(placed.status, PlacementStatus::Ok);
        std::string summary = std::to_string(records.size()) + " of " +
                              std::to_string(records.size()) + " star positions updated\n";
        EXPECT_EQ(placed.printed, summary);
        XyLayout layout;
        layout.records = records;
        std::vector<uint32_t> after = recordsIn(placed.after, layout);
        for (size_t i = 0; i < records.size(); ++i) {
            EXPECT_EQ(fieldsOf(after[i]).xDistance, fieldsOf(records[i]).xDistance) << i;
            EXPECT_EQ(fieldsOf(after[i]).y, fieldsOf(records[i]).y) << i;
            EXPECT_EQ(fieldsOf(after[i]).ident, (i + 49) % 1024) << i;
        }
    }
}

TEST(PlaceStars, RandomEditsPlaceAsTheModelSays)
{
    std::mt19937_64 random(20240611);
    for (const std::vector<uint32_t>& records : randomPlanetLists(0, 8)) {
        Bitmap bitmap = drawPlanets(records);
        editRandomly(bitmap, random);
        Placed placed = placeAndCompare(records, bitmap, "random edit");
        if (placed.status != PlacementStatus::Ok) {
            EXPECT_EQ(placed.after, placed.before);
        }
    }
}

TEST(PlaceStars, IdentsWrapAfter1023)
{
    PlanetSpread spread;
    spread.count = 1000;
    spread.width = 2000;
    spread.yMax = 1399;
    std::vector<uint32_t> records = randomPlanets(3, spread);
    Placed placed = placeAndCompare(records, drawPlanets(records), "1000 planets");
    ASSERT_EQ(placed.status, PlacementStatus::Ok) << placed.printed;
    EXPECT_EQ(placed.printed, "1000 of 1000 star positions updated\n");
    XyLayout layout;
    layout.records = records;
    std::vector<uint32_t> after = recordsIn(placed.after, layout);
    EXPECT_EQ(fieldsOf(after[0]).ident, 49u);
    EXPECT_EQ(fieldsOf(after[974]).ident, 1023u);
    EXPECT_EQ(fieldsOf(after[975]).ident, 0u);
    EXPECT_EQ(fieldsOf(after[999]).ident, 24u);
}

TEST(PlaceStars, StarThatWouldEndThePlanetListIsRefused)
{
    // Star 975 gets ident 0; placed 2 columns after star 974 at a Y that is a multiple of
    // 64 below 2048, its record would read as the terminator.
    struct Case {
        uint32_t distance;
        uint32_t y;
        bool refused;
    };
    const Case cases[] = {
        {2, 1024, true},  {2, 1088, true},  {2, 1984, true},  {2, 1000, false},
        {2, 1025, false}, {2, 2048, false}, {3, 1024, false}, {0, 1024, false},
    };
    for (const Case& c : cases) {
        std::vector<uint32_t> records = planetsEndingWith(c.distance, c.y);
        Bitmap bitmap = drawPlanets(records);
        ASSERT_EQ(modelStars(bitmap).size(), 976u);
        std::string what = std::to_string(c.distance) + " columns, Y " + std::to_string(c.y);
        Placed placed = placeAndCompare(records, bitmap, what);
        if (!c.refused) {
            EXPECT_EQ(placed.status, PlacementStatus::Ok) << what;
            continue;
        }
        uint32_t column = 0;
        for (uint32_t word : records)
            column += fieldsOf(word).xDistance;
        EXPECT_EQ(placed.status, PlacementStatus::TerminatorStar) << what;
        EXPECT_EQ(placed.printed, "Error: star 975 would be stored as the end of the planet list "
                                  "(X distance 2, Y " +
                                      std::to_string(c.y) + ", ident 0); move its pixel (column " +
                                      std::to_string(column) + ", row " +
                                      std::to_string(rowOfY(bitmap, c.y)) + " from the top)\n")
            << what;
        EXPECT_EQ(placed.after, placed.before) << what;
    }
}

TEST(PlaceStars, ListOutsideTheViewIsRefusedUntouched)
{
    std::vector<uint32_t> records = {planetWord(10, 1100, 1), planetWord(20, 1200, 2)};
    std::vector<uint8_t> xy = xyWith(records);
    const std::vector<uint8_t> before = xy;
    XyLayout layout;
    uint32_t first = planetOffset(layout);
    Bitmap bitmap = drawPlanets(records);
    MapGeometry geometry{400, 400, 50, 20000};
    PlanetList planets{first, 2, 30, 200};
    WritableView cut{xy.data(), first + 7}; // one byte short of the second record
    PlacementStatus status = PlacementStatus::Ok;
    std::string printed =
        printedBy([&] { status = placeStars(bitmap.raster.data(), geometry, planets, cut); });
    EXPECT_EQ(status, PlacementStatus::ListOutsideView);
    EXPECT_EQ(printed, "Error: the planet list (2 records from offset " + std::to_string(first) +
                           ") does not lie inside the XY file's " + std::to_string(first + 7) +
                           " bytes\n");
    EXPECT_EQ(xy, before);
}

TEST(FindStars, VisitsColumnsFromTheLeftEachFromTheBottomUp)
{
    std::mt19937_64 random(7);
    struct Shape {
        uint32_t width;
        uint32_t height;
        uint32_t permille; // share of black pixels
    };
    const Shape shapes[] = {{400, 400, 5}, {800, 400, 500}, {1200, 3200, 1}, {400, 800, 1000}};
    for (const Shape& shape : shapes) {
        Bitmap bitmap = blankBitmap(shape.width, shape.height);
        std::bernoulli_distribution black(shape.permille / 1000.0);
        for (uint32_t row = 0; row < shape.height; ++row)
            for (uint32_t column = 0; column < shape.width; ++column)
                if (black(random))
                    setPixel(bitmap, column, row);
        const std::vector<StarPixel> all = modelStars(bitmap);
        const uint32_t total = uint32_t(all.size());
        MapGeometry geometry{shape.width, shape.height, shape.width / 8,
                             shape.width / 8 * shape.height};
        for (uint32_t limit : {0u, 1u, total / 2, total, total + 5}) {
            std::vector<StarPixel> found(limit + 1, StarPixel{~0u, ~0u});
            EXPECT_EQ(findStars(bitmap.raster.data(), geometry, limit, found.data()), total);
            uint32_t stored = std::min(limit, total);
            for (uint32_t i = 0; i < stored; ++i) {
                ASSERT_EQ(found[i].column, all[i].column) << i;
                ASSERT_EQ(found[i].rowFromBottom, all[i].rowFromBottom) << i;
            }
            // Nothing is stored past the stars found or past the limit.
            EXPECT_EQ(found[stored].column, ~0u);
        }
    }
}

} // namespace
