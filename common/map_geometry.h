// The planet scan and the bitmap that stands for a planet list.
//
// Both tools must agree, with no side file, on the size of the bitmap and on which
// pixel is which planet; this module is that agreement.
#pragma once

#include "byte_view.h"

#include <cstdint>

constexpr uint32_t Y_ORIGIN = 1000; // the Y co-ordinate of the bitmap's bottom row
constexpr uint32_t MAP_STEP = 400;  // bitmap dimensions are multiples of it

struct PlanetList {
    uint32_t first;      // offset of the first record in the view
    uint32_t count;      // records before the terminator
    uint64_t xSum;       // sum of all xDistance fields: the rightmost planet's column
    uint32_t maxYOffset; // largest y - Y_ORIGIN over records with y >= Y_ORIGIN; 0 if none
};

struct MapGeometry {
    uint32_t width;      // pixels, a multiple of MAP_STEP
    uint32_t height;     // pixels, a multiple of MAP_STEP
    uint32_t stride;     // bytes per row: width / 8
    uint32_t rasterSize; // stride * height bytes
};

enum class ScanStatus {
    Ok,
    NoTerminator, // the file ends before the terminator word
};

// Counts the records from `first` up to the terminator, summing their X distances and
// finding the highest row. A record whose y is below Y_ORIGIN has no row: it is counted
// and its distance summed, but it gets a warning and does not raise maxYOffset.
// A list that runs off the end of the view gets an "Error: " line and NoTerminator.
ScanStatus scanPlanets(ByteView view, uint32_t first, PlanetList& list);

// The smallest multiple of MAP_STEP strictly above `extent`: 0 and 399 give 400.
inline uint64_t roundUpToStep(uint64_t extent)
{
    return extent / MAP_STEP * MAP_STEP + MAP_STEP;
}

// The bitmap for `list`. False, with an "Error: " line, when its raster would not fit
// in 32 bits; the sizes are formed in 64 bits so that they cannot wrap.
bool geometryFor(const PlanetList& list, MapGeometry& geometry);

// Byte index of the pixel at `rowFromTop` and `column`; both must lie inside the bitmap.
inline uint32_t pixelByte(const MapGeometry& geometry, uint32_t rowFromTop, uint32_t column)
{
    return uint32_t(uint64_t(rowFromTop) * geometry.stride + column / 8);
}

// The leftmost pixel of a byte is its most significant bit.
inline uint8_t pixelMask(uint32_t column)
{
    return uint8_t(0x80u >> (column % 8));
}

// Row from the top of the pixel for a record's y (y >= Y_ORIGIN and inside the bitmap).
inline uint32_t rowFromTop(const MapGeometry& geometry, uint32_t y)
{
    return geometry.height - 1 - (y - Y_ORIGIN);
}
