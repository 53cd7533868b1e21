// Bitmaps for tests, drawn in the test code from pixel lists, and the import's placement
// written out literally as the reference the program is compared with.
#pragma once

#include "pbm_reader.h"
#include "star_placement.h"
#include "xy_generator.h"

#include <cstdint>
#include <random>
#include <string>
#include <vector>

// A 1-bit raster as a P4 file stores it: rows from the top, most significant bit first,
// a set bit is a black pixel.
struct Bitmap {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> raster;
};

Bitmap blankBitmap(uint32_t width, uint32_t height);
void setPixel(Bitmap& bitmap, uint32_t column, uint32_t rowFromTop);
void clearPixel(Bitmap& bitmap, uint32_t column, uint32_t rowFromTop);
bool pixelAt(const Bitmap& bitmap, uint32_t column, uint32_t rowFromTop);

// The row from the top that holds Y (Y 1000 is the bottom row).
inline uint32_t rowOfY(const Bitmap& bitmap, uint32_t y)
{
    return bitmap.height - 1 - (y - 1000);
}

// The size the tools give the bitmap of `records`: the smallest multiples of 400 above
// the rightmost column and above the highest row. Worked out here, independently.
Bitmap blankBitmapFor(const std::vector<uint32_t>& records);

// The planets of `records` drawn as the export draws them, one pixel each.
Bitmap drawPlanets(const std::vector<uint32_t>& records);

// "P4\n<width> <height>\n", as the export writes it.
std::string p4Header(uint32_t width, uint32_t height);

// `header` followed by the raster.
std::vector<uint8_t> p4File(const Bitmap& bitmap, const std::string& header);
inline std::vector<uint8_t> p4File(const Bitmap& bitmap)
{
    return p4File(bitmap, p4Header(bitmap.width, bitmap.height));
}

// The words of the records of `layout` in `xy`, a file built from it and maybe changed.
std::vector<uint32_t> recordsIn(const std::vector<uint8_t>& xy, const XyLayout& layout);

// The fields of a planet word.
struct Fields {
    uint32_t xDistance;
    uint32_t y;
    uint32_t ident;
};
Fields fieldsOf(uint32_t word);

// The stars of `bitmap` in placement order, found by visiting every pixel: columns from
// the left, each column from the bottom row up.
std::vector<StarPixel> modelStars(const Bitmap& bitmap);

// What placing the stars of `bitmap` into `records` gives, by the rule itself: columns
// from the left, each from the bottom row up, the k-th star to the k-th record, with
// the truncations, warnings and summary, and the refusal of a star that would be stored
// as the end-of-list word.
struct PlacementOutcome {
    std::vector<uint32_t> records; // every record afterwards (unchanged when refused)
    std::string printed;           // warnings and summary, or the warnings and the refusal
    bool refused = false;
};
PlacementOutcome modelPlacement(const Bitmap& bitmap, const std::vector<uint32_t>& records);

// A header for the reader, for an 800 x 400 bitmap: the bytes before the raster, how the
// raster is cut or extended, and what the reader says.
struct HeaderCase {
    std::string name;
    std::string header;
    int64_t rasterChange; // bytes added to (> 0) or cut from (< 0) the end of the raster
    PbmStatus status;
    std::string message; // empty when the bitmap is accepted
};
const std::vector<HeaderCase>& headerCases();

// The XY planets that the header cases are read for: an 800 x 400 bitmap.
std::vector<uint32_t> headerCasePlanets();

// The whole bitmap file of a header case: its header and the raster, cut or extended.
std::vector<uint8_t> headerCaseFile(const HeaderCase& c);

// The raster the header cases carry: stars away from the first rows, so that the raster
// begins with zero bytes.
Bitmap headerCaseBitmap();

// A black pixel given by its column and Y.
struct StarAt {
    uint32_t column;
    uint32_t y;
};

// The blank bitmap of `records` with `stars` set.
Bitmap withStars(const std::vector<uint32_t>& records, const std::vector<StarAt>& stars);

// An XY file's planets, a bitmap drawn for them, and the placement's result.
struct PlacementCase {
    std::string name;
    std::vector<uint32_t> records;
    std::vector<StarAt> stars;      // the black pixels of the bitmap
    std::vector<uint32_t> expected; // the records afterwards
    std::string printed;            // warnings and summary
};
const std::vector<PlacementCase>& placementCases();

// 976 planets in placement order: 975 random ones, then one `distance` columns after
// the rightmost of them at `y`. Placed, the last gets ident 0: with distance 2 and a
// Y that is a multiple of 64 from 1024 to 1984 its record reads as the end of the list.
std::vector<uint32_t> planetsEndingWith(uint32_t distance, uint32_t y);

// Random planet lists in placement order, each planet on its own pixel: `seeds` seeds
// from `firstSeed` on, each with several spreads (scattered, crowded, far apart, many
// per column, a single planet, high up in a 3200-row bitmap).
std::vector<std::vector<uint32_t>> randomPlanetLists(uint64_t firstSeed, uint64_t seeds);

// Edits `bitmap` as a user might: removes a few stars, moves a few elsewhere, adds a few.
void editRandomly(Bitmap& bitmap, std::mt19937_64& random);
