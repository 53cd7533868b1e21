// Fuzz target: an XY file and a bitmap in one input (see splitImportInput), through
// everything skyload does with them: the XY file's check, scan and geometry, the bitmap
// reader on an in-memory stream feeding the star scan, and the placement on a copy of
// the view.
//
// Besides the sanitizers, it checks what the universe's owner relies on. A refused
// placement leaves every byte as it was. After a placement, the next scan finds the
// same number of planets, no byte outside the planet list has changed, the records
// without a star keep their bytes, and the rewritten ones are the stars of the bitmap
// in placement order, numbered from 49.
#include "fuzz_support.h"
#include "pbm_reader.h"
#include "star_placement.h"

#include <bit>
#include <cstring>
#include <vector>

namespace
{

uint64_t countStars(const uint8_t* raster, uint32_t size)
{
    uint64_t stars = 0;
    for (uint32_t i = 0; i < size; ++i)
        stars += uint64_t(std::popcount(raster[i]));
    return stars;
}

bool isSet(const uint8_t* raster, const MapGeometry& geometry, uint64_t column, uint32_t y)
{
    return column < geometry.width && y >= Y_ORIGIN && y - Y_ORIGIN < geometry.height &&
           (raster[pixelByte(geometry, rowFromTop(geometry, y), uint32_t(column))] &
            pixelMask(uint32_t(column))) != 0;
}

// The first `written` records of `after` against the raster they came from: each is a
// set pixel, in placement order (a column from the bottom up, then the next column), and
// numbered from IDENT_BASE. A field at its limit may have been truncated: from the first
// X distance of 1023 on the columns are no longer exact, and a Y of 4095 may stand for
// any row above it; those pixels are not looked up.
void checkRewritten(ByteView after, const PlanetList& planets, const MapGeometry& geometry,
                    const uint8_t* raster, uint32_t written)
{
    uint64_t column = 0;
    bool exactColumn = true;
    uint32_t previousY = 0;
    for (uint32_t i = 0; i < written; ++i) {
        uint32_t word = 0;
        FUZZ_CHECK(readLe32(after, planets.first + i * RECORD_SIZE, word));
        PlanetRecord record = decodePlanet(word);
        FUZZ_CHECK(record.ident == (i + IDENT_BASE) % (IDENT_LIMIT + 1));
        FUZZ_CHECK(record.y >= Y_ORIGIN);
        // Stars of one column come bottom up; a truncated Y may repeat 4095.
        if (i > 0 && record.xDistance == 0)
            FUZZ_CHECK(record.y > previousY || record.y == Y_LIMIT);
        previousY = record.y;
        column += record.xDistance;
        exactColumn = exactColumn && record.xDistance < X_DISTANCE_LIMIT;
        if (exactColumn && record.y < Y_LIMIT)
            FUZZ_CHECK(isSet(raster, geometry, column, record.y));
    }
}

void checkPlacement(ByteView before, const PlanetList& planets, const MapGeometry& geometry,
                    const StarScan& scan, PlacementPlan& plan, const uint8_t* raster)
{
    std::vector<uint8_t> copy(before.data, before.data + before.size);
    PlacementStatus placed =
        placeStars(scan, plan, geometry, planets, WritableView{copy.data(), uint32_t(copy.size())});
    if (placed != PlacementStatus::Ok) {
        // Only a star that would read as the terminator is refused here: the list lies in
        // the view, and a planet list of this size always finds memory.
        FUZZ_CHECK(placed == PlacementStatus::TerminatorStar);
        FUZZ_CHECK(std::memcmp(copy.data(), before.data, before.size) == 0);
        return;
    }
    ByteView after{copy.data(), uint32_t(copy.size())};
    uint64_t stars = countStars(raster, geometry.rasterSize);
    FUZZ_CHECK(scan.stars == stars);
    uint32_t written = stars < planets.count ? uint32_t(stars) : planets.count;
    uint32_t writtenEnd = planets.first + written * RECORD_SIZE;
    // Before the first rewritten record and after the last one, every byte is as it was:
    // the file's header blocks, the records without a star, the terminator, the rest.
    FUZZ_CHECK(std::memcmp(copy.data(), before.data, planets.first) == 0);
    FUZZ_CHECK(std::memcmp(copy.data() + writtenEnd, before.data + writtenEnd,
                           before.size - writtenEnd) == 0);
    checkRewritten(after, planets, geometry, raster, written);

    // The next run of either tool sees the same list.
    PlanetList again{};
    MapGeometry unused{};
    FUZZ_CHECK(validateXyFile(after) == XyCheck::Valid);
    uint32_t first = 0;
    FUZZ_CHECK(planetListStart(after, first) && first == planets.first);
    FUZZ_CHECK(scanPlanets(after, first, again) == ScanStatus::Ok);
    FUZZ_CHECK(again.count == planets.count);
    FUZZ_CHECK(geometryFor(again, unused));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    silenceStdout();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ImportInput input = splitImportInput(data, size);
    PlanetList planets{};
    MapGeometry geometry{};
    if (!inspectXy(input.xy, planets, geometry) || geometry.rasterSize > RASTER_CAP)
        return 0;
    StarScan scan;
    PlacementPlan plan;
    FUZZ_CHECK(beginPlacement(geometry, planets.count, scan, plan) == PlacementStatus::Ok);
    std::vector<uint8_t> piece(PIECE_BUFFER);
    // A stream opened for reading never writes to its buffer.
    std::FILE* stream = fmemopen(const_cast<uint8_t*>(input.pbm), input.pbmSize, "rb");
    FUZZ_CHECK(stream != nullptr);
    PbmStatus read = readBitmapStream(stream, geometry, piece.data(), scan);
    // An accepted bitmap's raster is the bytes just before where the reader stopped; the
    // checks look its pixels up there.
    long end = std::ftell(stream);
    std::fclose(stream);
    if (read == PbmStatus::Ok) {
        FUZZ_CHECK(end >= long(geometry.rasterSize) && size_t(end) <= input.pbmSize);
        finishStarScan(scan);
        checkPlacement(input.xy, planets, geometry, scan, plan,
                       input.pbm + (end - long(geometry.rasterSize)));
    }
    return 0;
}
