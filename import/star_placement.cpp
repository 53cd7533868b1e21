#include "star_placement.h"

#include "byte_view.h"
#include "xy_file.h"

#include <cstdio>
#include <new>

uint64_t findStars(const uint8_t* raster, const MapGeometry& geometry, uint32_t limit,
                   StarPixel* found)
{
    uint64_t stars = 0;
    for (uint32_t column = 0; column < geometry.width; ++column) {
        uint8_t mask = pixelMask(column);
        // From the bottom row up: one stride back per row.
        uint64_t offset = pixelByte(geometry, geometry.height - 1, column);
        for (uint32_t row = 0; row < geometry.height; ++row, offset -= geometry.stride) {
            if ((raster[offset] & mask) == 0)
                continue;
            if (stars < limit)
                found[stars] = StarPixel{column, row};
            ++stars;
        }
    }
    return stars;
}

namespace
{

// The record for star number `index`, relative to the column of the star before it.
// Fields that do not fit are truncated, with a warning for each.
PlanetRecord placedRecord(StarPixel star, uint32_t index, uint32_t lastColumn)
{
    PlanetRecord record{};
    uint32_t distance = star.column - lastColumn; // columns never decrease
    record.xDistance = distance;
    if (distance > X_DISTANCE_LIMIT) {
        std::printf("Warning: X distance exceeds 1023, truncating!\n");
        record.xDistance = X_DISTANCE_LIMIT;
    }
    // rowFromBottom < height <= UINT32_MAX / 8 bytes: the sum cannot wrap.
    record.y = Y_ORIGIN + star.rowFromBottom;
    if (record.y > Y_LIMIT) {
        std::printf("Warning: Y co-ordinate exceeds 4095, truncating\n");
        record.y = Y_LIMIT;
    }
    record.ident = (index + IDENT_BASE) % (IDENT_LIMIT + 1);
    return record;
}

void reportTerminatorStar(uint32_t index, StarPixel star, PlanetRecord record,
                          const MapGeometry& geometry)
{
    std::printf("Error: star %u would be stored as the end of the planet list (X distance "
                "%u, Y %u, ident %u); move its pixel (column %u, row %u from the top)\n",
                index, record.xDistance, record.y, record.ident, star.column,
                geometry.height - 1 - star.rowFromBottom);
}

} // namespace

PlacementStatus planPlacement(const uint8_t* raster, const MapGeometry& geometry, uint32_t count,
                              PlacementPlan& plan)
{
    plan.written = 0;
    plan.stars = 0;
    std::unique_ptr<StarPixel[]> stars(new (std::nothrow) StarPixel[count]);
    plan.words.reset(new (std::nothrow) uint32_t[count]);
    if (stars == nullptr || plan.words == nullptr) {
        std::printf(
            "Error: not enough memory for the new positions of %u planets (%llu "
            "bytes).\n",
            count, static_cast<unsigned long long>(count) * (sizeof(StarPixel) + sizeof(uint32_t)));
        return PlacementStatus::NoMemory;
    }
    uint64_t found = findStars(raster, geometry, count, stars.get());
    uint32_t written = found < count ? uint32_t(found) : count;

    uint32_t lastColumn = 0;
    for (uint32_t i = 0; i < written; ++i) {
        PlanetRecord record = placedRecord(stars[i], i, lastColumn);
        lastColumn = stars[i].column; // the real column, even after a truncation
        uint32_t word = encodePlanet(record);
        if (isTerminator(word)) {
            reportTerminatorStar(i, stars[i], record, geometry);
            return PlacementStatus::TerminatorStar;
        }
        plan.words[i] = word;
    }
    if (found < count)
        std::printf("Warning: too few stars in bitmap, game may error.\n");
    else if (found > count)
        std::printf("Warning: too many stars in bitmap, some ignored.\n");
    plan.written = written;
    plan.stars = found;
    return PlacementStatus::Ok;
}

void applyPlan(const PlacementPlan& plan, WritableView view, uint32_t first)
{
    for (uint32_t i = 0; i < plan.written; ++i)
        storeLe32(view.data + first + uint64_t(i) * RECORD_SIZE, plan.words[i]);
}

PlacementStatus placeStars(const uint8_t* raster, const MapGeometry& geometry,
                           const PlanetList& planets, WritableView view)
{
    uint64_t end = uint64_t(planets.first) + uint64_t(planets.count) * RECORD_SIZE;
    if (end > view.size) {
        std::printf("Error: the planet list (%u records from offset %u) does not lie inside "
                    "the XY file's %u bytes\n",
                    planets.count, planets.first, view.size);
        return PlacementStatus::ListOutsideView;
    }
    PlacementPlan plan;
    PlacementStatus status = planPlacement(raster, geometry, planets.count, plan);
    if (status != PlacementStatus::Ok)
        return status;
    std::printf("%d of %d star positions updated\n", int(plan.written), int(planets.count));
    applyPlan(plan, view, planets.first);
    return PlacementStatus::Ok;
}
