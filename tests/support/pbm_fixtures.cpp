#include "pbm_fixtures.h"

#include <algorithm>
#include <cstdio>

Bitmap blankBitmap(uint32_t width, uint32_t height)
{
    Bitmap bitmap;
    bitmap.width = width;
    bitmap.height = height;
    bitmap.raster.assign(size_t(width / 8) * height, 0);
    return bitmap;
}

namespace
{

size_t byteOf(const Bitmap& bitmap, uint32_t column, uint32_t rowFromTop)
{
    return size_t(rowFromTop) * (bitmap.width / 8) + column / 8;
}

uint8_t maskOf(uint32_t column)
{
    return uint8_t(0x80 >> (column % 8));
}

} // namespace

void setPixel(Bitmap& bitmap, uint32_t column, uint32_t rowFromTop)
{
    bitmap.raster.at(byteOf(bitmap, column, rowFromTop)) |= maskOf(column);
}

void clearPixel(Bitmap& bitmap, uint32_t column, uint32_t rowFromTop)
{
    bitmap.raster.at(byteOf(bitmap, column, rowFromTop)) &= uint8_t(~maskOf(column));
}

bool pixelAt(const Bitmap& bitmap, uint32_t column, uint32_t rowFromTop)
{
    return (bitmap.raster.at(byteOf(bitmap, column, rowFromTop)) & maskOf(column)) != 0;
}

Fields fieldsOf(uint32_t word)
{
    return Fields{word & 0x3FF, (word >> 10) & 0xFFF, word >> 22};
}

Bitmap blankBitmapFor(const std::vector<uint32_t>& records)
{
    uint64_t column = 0;
    uint32_t highest = 0;
    for (uint32_t word : records) {
        column += fieldsOf(word).xDistance;
        uint32_t y = fieldsOf(word).y;
        if (y >= 1000 && y - 1000 > highest)
            highest = y - 1000;
    }
    return blankBitmap(uint32_t(column / 400 * 400 + 400), highest / 400 * 400 + 400);
}

Bitmap drawPlanets(const std::vector<uint32_t>& records)
{
    Bitmap bitmap = blankBitmapFor(records);
    uint32_t column = 0;
    for (uint32_t word : records) {
        column += fieldsOf(word).xDistance;
        setPixel(bitmap, column, rowOfY(bitmap, fieldsOf(word).y));
    }
    return bitmap;
}

std::string p4Header(uint32_t width, uint32_t height)
{
    return "P4\n" + std::to_string(width) + " " + std::to_string(height) + "\n";
}

std::vector<uint8_t> p4File(const Bitmap& bitmap, const std::string& header)
{
    std::vector<uint8_t> bytes(header.begin(), header.end());
    bytes.insert(bytes.end(), bitmap.raster.begin(), bitmap.raster.end());
    return bytes;
}

std::vector<uint32_t> recordsIn(const std::vector<uint8_t>& xy, const XyLayout& layout)
{
    std::vector<uint32_t> words;
    size_t offset = planetOffset(layout);
    for (size_t i = 0; i < layout.records.size(); ++i, offset += 4) {
        uint32_t word = 0;
        for (size_t b = 0; b < 4; ++b)
            word |= uint32_t(xy.at(offset + b)) << (8 * b);
        words.push_back(word);
    }
    return words;
}

namespace
{

// Ident 0, X distance 2 and a Y that is a multiple of 64 below 2048: the word reads as
// the end of the planet list.
bool looksLikeEndOfList(uint32_t xDistance, uint32_t y, uint32_t ident)
{
    return ident == 0 && xDistance == 2 && y % 64 == 0 && y < 2048;
}

} // namespace

std::vector<StarPixel> modelStars(const Bitmap& bitmap)
{
    std::vector<StarPixel> stars;
    for (uint32_t j = 0; j < bitmap.width; ++j)
        for (uint32_t k = 0; k < bitmap.height; ++k)
            if (pixelAt(bitmap, j, bitmap.height - 1 - k))
                stars.push_back(StarPixel{j, k});
    return stars;
}

PlacementOutcome modelPlacement(const Bitmap& bitmap, const std::vector<uint32_t>& records)
{
    PlacementOutcome outcome;
    outcome.records = records;
    const std::vector<StarPixel> stars = modelStars(bitmap);
    const size_t written = std::min(stars.size(), records.size());
    uint32_t lastColumn = 0;
    for (size_t i = 0; i < written; ++i) {
        const StarPixel star = stars[i];
        uint32_t xDistance = star.column - lastColumn;
        if (xDistance > 1023) {
            outcome.printed += "Warning: X distance exceeds 1023, truncating!\n";
            xDistance = 1023;
        }
        lastColumn = star.column;
        uint32_t y = 1000 + star.rowFromBottom;
        if (y > 4095) {
            outcome.printed += "Warning: Y co-ordinate exceeds 4095, truncating\n";
            y = 4095;
        }
        uint32_t ident = uint32_t((i + 49) % 1024);
        if (looksLikeEndOfList(xDistance, y, ident)) {
            outcome.printed += "Error: star " + std::to_string(i) +
                               " would be stored as the end of the planet list (X distance 2, "
                               "Y " +
                               std::to_string(y) + ", ident 0); move its pixel (column " +
                               std::to_string(star.column) + ", row " +
                               std::to_string(bitmap.height - 1 - star.rowFromBottom) +
                               " from the top)\n";
            outcome.records = records;
            outcome.refused = true;
            return outcome;
        }
        outcome.records[i] = planetWord(xDistance, y, ident);
    }
    if (stars.size() < records.size())
        outcome.printed += "Warning: too few stars in bitmap, game may error.\n";
    else if (stars.size() > records.size())
        outcome.printed += "Warning: too many stars in bitmap, some ignored.\n";
    outcome.printed += std::to_string(written) + " of " + std::to_string(records.size()) +
                       " star positions updated\n";
    return outcome;
}

std::vector<uint32_t> headerCasePlanets()
{
    // Rightmost column 450 and highest Y 1300: 800 x 400, a bitmap that is not square.
    return {planetWord(10, 1100, 1), planetWord(440, 1300, 2)};
}

Bitmap headerCaseBitmap()
{
    Bitmap bitmap = blankBitmap(800, 400);
    setPixel(bitmap, 20, rowOfY(bitmap, 1050));
    setPixel(bitmap, 700, rowOfY(bitmap, 1389)); // row 10 from the top
    return bitmap;
}

const std::vector<HeaderCase>& headerCases()
{
    const std::string invalid = "Error: invalid PBM header\n";
    const std::string notP4 = "Error: not a PBM(4) file\n";
    const std::string longComment = "#" + std::string(254, 'x'); // one full line read
    static const std::vector<HeaderCase> cases = {
        {"magic, two comments, size", "P4\n# one\n# two\n800 400\n", 0, PbmStatus::Ok, ""},
        {"an image editor's comment",
         "P4\n# Created by GIMP version 2.10.34 PNM plug-in\n800 400\n", 0, PbmStatus::Ok, ""},
        {"CRLF line ends", "P4\r\n# comment\r\n800 400\r\n", 0, PbmStatus::Ok, ""},
        {"an image editor's comment, saved on Windows",
         "P4\r\n# Created by GIMP version 2.10.34 PNM plug-in\r\n800 400\r\n", 0, PbmStatus::Ok,
         ""},
        {"rest of the magic line ignored", "P4 is the raw form\n800 400\n", 0, PbmStatus::Ok, ""},
        {"white space, signs and zeros", "P4\n \t+0800\t +400 and more text\n", 0, PbmStatus::Ok,
         ""},
        {"bytes after the raster ignored", "P4\n800 400\n", 100, PbmStatus::Ok, ""},
        {"comment of exactly 255 bytes", "P4\n#" + std::string(253, 'x') + "\n800 400\n", 0,
         PbmStatus::Ok, ""},
        {"long comment, second piece two integers", "P4\n" + longComment + "800 400\n", 0,
         PbmStatus::Ok, ""},
        {"size line longer than a line read", "P4\n800 400" + std::string(300, ' ') + "\n", 0,
         PbmStatus::Ok, ""},
        {"long comment, second piece text", "P4\n" + longComment + "more words\n800 400\n", 0,
         PbmStatus::BadSizeLine, invalid},
        {"comment of 256 bytes leaves an empty line", "P4\n" + longComment + "\n800 400\n", 0,
         PbmStatus::BadSizeLine, invalid},
        {"magic and size on one line", "P4 800 400\n", 0, PbmStatus::BadSizeLine, invalid},
        {"width and height on separate lines", "P4\n800\n400\n", 0, PbmStatus::BadSizeLine,
         invalid},
        {"indented comment", "P4\n # note\n800 400\n", 0, PbmStatus::BadSizeLine, invalid},
        {"empty line", "P4\n\n800 400\n", 0, PbmStatus::BadSizeLine, invalid},
        {"sign without digits", "P4\n800 -\n", 0, PbmStatus::BadSizeLine, invalid},
        {"only comments", "P4\n# no size\n", -40000, PbmStatus::NoSizeLine, invalid},
        {"magic alone", "P4", -40000, PbmStatus::NoSizeLine, invalid},
        {"width beyond 32 bits", "P4\n2147483648 400\n", 0, PbmStatus::SizeOutOfRange, invalid},
        {"height below 32 bits", "P4\n800 -2147483649\n", 0, PbmStatus::SizeOutOfRange, invalid},
        {"twenty digits", "P4\n800 40000000000000000000\n", 0, PbmStatus::SizeOutOfRange, invalid},
        {"width and height swapped", "P4\n400 800\n", 0, PbmStatus::WrongSize,
         "Error: pbm file is wrong size (expected 800x400, got 400x800)\n"},
        {"largest and smallest numbers", "P4\n2147483647 -2147483648\n", 0, PbmStatus::WrongSize,
         "Error: pbm file is wrong size (expected 800x400, got 2147483647x-2147483648)\n"},
        {"negative width", "P4\n-800 400\n", 0, PbmStatus::WrongSize,
         "Error: pbm file is wrong size (expected 800x400, got -800x400)\n"},
        {"plain PBM", "P1\n800 400\n", 0, PbmStatus::NotP4, notP4},
        {"lower-case magic", "p4\n800 400\n", 0, PbmStatus::NotP4, notP4},
        {"empty file", "", -40000, PbmStatus::NotP4, notP4},
        {"truncated raster", "P4\n800 400\n", -1, PbmStatus::ShortRaster,
         "Error: pbm raster is too short (expected 40000 bytes, got 39999)\n"},
        {"no raster at all", "P4\n800 400", -40000, PbmStatus::ShortRaster,
         "Error: pbm raster is too short (expected 40000 bytes, got 0)\n"},
    };
    return cases;
}

std::vector<uint8_t> headerCaseFile(const HeaderCase& c)
{
    std::vector<uint8_t> bytes = p4File(headerCaseBitmap(), c.header);
    if (c.rasterChange < 0)
        bytes.resize(bytes.size() - size_t(-c.rasterChange));
    else
        bytes.insert(bytes.end(), size_t(c.rasterChange), 0xFF);
    return bytes;
}

Bitmap withStars(const std::vector<uint32_t>& records, const std::vector<StarAt>& stars)
{
    Bitmap bitmap = blankBitmapFor(records);
    for (const StarAt& star : stars)
        setPixel(bitmap, star.column, rowOfY(bitmap, star.y));
    return bitmap;
}

const std::vector<PlacementCase>& placementCases()
{
    static const std::vector<PlacementCase> cases = {
        {"one column listed out of order",
         {planetWord(5, 1300, 7), planetWord(0, 1100, 8), planetWord(0, 1200, 9),
          planetWord(3, 1050, 10)},
         {{5, 1300}, {5, 1100}, {5, 1200}, {8, 1050}},
         {planetWord(5, 1100, 49), planetWord(0, 1200, 50), planetWord(0, 1300, 51),
          planetWord(3, 1050, 52)},
         "4 of 4 star positions updated\n"},
        {"several stars in one column",
         {planetWord(3, 1100, 1), planetWord(9, 1100, 2), planetWord(9, 1100, 3)},
         {{12, 1350}, {12, 1000}, {12, 1300}},
         {planetWord(12, 1000, 49), planetWord(0, 1300, 50), planetWord(0, 1350, 51)},
         "3 of 3 star positions updated\n"},
        {"all white",
         {planetWord(10, 1100, 1), planetWord(20, 1200, 2), planetWord(30, 1300, 3)},
         {},
         {planetWord(10, 1100, 1), planetWord(20, 1200, 2), planetWord(30, 1300, 3)},
         "Warning: too few stars in bitmap, game may error.\n0 of 3 star positions updated\n"},
        {"too few: the rest keep their bytes",
         {planetWord(10, 1100, 1), planetWord(20, 1200, 2), planetWord(30, 1300, 3)},
         {{100, 1250}},
         {planetWord(100, 1250, 49), planetWord(20, 1200, 2), planetWord(30, 1300, 3)},
         "Warning: too few stars in bitmap, game may error.\n1 of 3 star positions updated\n"},
        {"empty list, blank bitmap", {}, {}, {}, "0 of 0 star positions updated\n"},
        {"empty list, stars in the bitmap",
         {},
         {{0, 1000}, {399, 1399}},
         {},
         "Warning: too many stars in bitmap, some ignored.\n0 of 0 star positions updated\n"},
        {"two surplus pixels",
         {planetWord(10, 1100, 1), planetWord(20, 1200, 2), planetWord(30, 1300, 3)},
         {{10, 1100}, {30, 1200}, {60, 1300}, {61, 1000}, {399, 1399}},
         {planetWord(10, 1100, 49), planetWord(20, 1200, 50), planetWord(30, 1300, 51)},
         "Warning: too many stars in bitmap, some ignored.\n3 of 3 star positions updated\n"},
        {"first star more than 1023 columns from the left",
         {planetWord(1023, 1000, 1), planetWord(77, 1000, 2), planetWord(50, 1000, 3)},
         {{1100, 1000}, {1150, 1200}, {1150, 1300}},
         {planetWord(1023, 1000, 49), planetWord(50, 1200, 50), planetWord(0, 1300, 51)},
         "Warning: X distance exceeds 1023, truncating!\n3 of 3 star positions updated\n"},
        {"star above Y 4095 in a 3200-row bitmap",
         {planetWord(10, 4095, 1), planetWord(5, 1200, 2)},
         {{10, 4150}, {15, 1200}},
         {planetWord(10, 4095, 49), planetWord(5, 1200, 50)},
         "Warning: Y co-ordinate exceeds 4095, truncating\n2 of 2 star positions updated\n"},
        {"both truncations on one star, X first",
         {planetWord(1023, 4095, 1), planetWord(77, 4095, 2)},
         {{1100, 4199}, {1101, 1000}},
         {planetWord(1023, 4095, 49), planetWord(1, 1000, 50)},
         "Warning: X distance exceeds 1023, truncating!\n"
         "Warning: Y co-ordinate exceeds 4095, truncating\n2 of 2 star positions updated\n"},
        {"end-of-list shape with an ident other than 0",
         {planetWord(5, 1100, 1), planetWord(2, 1024, 2)},
         {{5, 1100}, {7, 1024}},
         {planetWord(5, 1100, 49), planetWord(2, 1024, 50)},
         "2 of 2 star positions updated\n"},
    };
    return cases;
}

std::vector<uint32_t> planetsEndingWith(uint32_t distance, uint32_t y)
{
    PlanetSpread spread;
    spread.count = 975;
    spread.width = 1500;
    spread.yMax = 1999;
    std::vector<uint32_t> records = randomPlanets(11, spread);
    records.push_back(planetWord(distance, y, 7));
    return records;
}

std::vector<std::vector<uint32_t>> randomPlanetLists(uint64_t firstSeed, uint64_t seeds)
{
    const PlanetSpread spreads[] = {
        {40, 800, 0, 0, 1000, 1799},  // scattered
        {300, 399, 0, 0, 1000, 1399}, // crowded into one 400 x 400 square
        {12, 0, 0, 1023, 1000, 1399}, // far apart, up to the largest distance
        {200, 0, 0, 3, 1000, 1100},   // many stars per column
        {1, 400, 0, 0, 1000, 1000},   // a single planet on the bottom row
        {60, 400, 0, 0, 3000, 4095},  // high up, in a 3200-row bitmap
    };
    std::vector<std::vector<uint32_t>> lists;
    for (uint64_t seed = firstSeed; seed < firstSeed + seeds; ++seed)
        for (const PlanetSpread& spread : spreads)
            lists.push_back(randomPlanets(seed, spread));
    return lists;
}

void editRandomly(Bitmap& bitmap, std::mt19937_64& random)
{
    auto below = [&random](size_t limit) {
        return uint32_t(std::uniform_int_distribution<size_t>(0, limit - 1)(random));
    };
    const std::vector<StarPixel> stars = modelStars(bitmap);
    for (uint32_t i = below(5); i > 0 && !stars.empty(); --i) {
        StarPixel star = stars[below(stars.size())];
        clearPixel(bitmap, star.column, bitmap.height - 1 - star.rowFromBottom);
        if (below(2) == 1) // moved rather than removed
            setPixel(bitmap, below(bitmap.width), below(bitmap.height));
    }
    for (uint32_t i = below(4); i > 0; --i)
        setPixel(bitmap, below(bitmap.width), below(bitmap.height));
}
