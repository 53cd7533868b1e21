#include "map_geometry.h"

#include "xy_file.h"

#include <cstdio>

ScanStatus scanPlanets(ByteView view, uint32_t first, PlanetList& list)
{
    list = PlanetList{first, 0, 0, 0};
    uint32_t offset = first;
    uint32_t word = 0;
    // readLe32 succeeding means offset + 4 <= view.size, so the step cannot wrap.
    for (; readLe32(view, offset, word) && !isTerminator(word); offset += RECORD_SIZE) {
        PlanetRecord record = decodePlanet(word);
        if (record.y < Y_ORIGIN)
            std::printf("Warning: planet %u has Y %u, below %u, so it has no pixel in the "
                        "bitmap\n",
                        list.count, record.y, Y_ORIGIN);
        else if (record.y - Y_ORIGIN > list.maxYOffset)
            list.maxYOffset = record.y - Y_ORIGIN;
        list.xSum += record.xDistance;
        ++list.count;
    }
    if (offset > view.size || view.size - offset < RECORD_SIZE) {
        std::printf("Error: the planet list runs off the end of the XY file: no terminator "
                    "after %u planets (the file ends at offset %u)\n",
                    list.count, view.size);
        return ScanStatus::NoTerminator;
    }
    return ScanStatus::Ok;
}

bool geometryFor(const PlanetList& list, MapGeometry& geometry)
{
    uint64_t width = roundUpToStep(list.xSum);
    uint64_t height = roundUpToStep(list.maxYOffset);
    uint64_t stride = width / 8;
    uint64_t rasterSize = stride * height; // xSum < 2^40 and height <= 3200: no wrap
    if (rasterSize > UINT32_MAX) {
        std::printf("Error: the bitmap for this planet list would be %llu x %llu pixels, "
                    "%llu bytes, too large to handle\n",
                    static_cast<unsigned long long>(width), static_cast<unsigned long long>(height),
                    static_cast<unsigned long long>(rasterSize));
        return false;
    }
    geometry =
        MapGeometry{uint32_t(width), uint32_t(height), uint32_t(stride), uint32_t(rasterSize)};
    return true;
}
