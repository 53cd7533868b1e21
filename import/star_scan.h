// Finding the stars of a bitmap in the order the import gives them to planets.
//
// The order is columns from the left, each column from the bottom row up; every set
// pixel is a star, and only the first `wanted` of them (one per planet record) matter
// beyond being counted. Read literally, that order steps one row back per pixel and
// meets a cache miss at every step of a wide map. The scan here reads the raster as it
// is stored, top row first, a piece at a time, as it arrives from the file, and keeps
// the set pixels that can still be among the first `wanted`:
//   - a pixel is identified by its order key, column * height + row from the bottom,
//     which sorts exactly in the import's order;
//   - once `wanted` candidates are known, a pixel whose key lies above the wanted-th
//     smallest key so far can never be among the first `wanted`, nor can anything to
//     its right in the same row, so the rest of a row is only counted;
//   - within one row, the pixels beyond its first `wanted` set pixels are only counted;
//   - zero bytes are skipped a cache line at a time, and pixels that are only counted
//     are counted a word at a time with a population count.
// Work and memory stay proportional to the raster's size plus the planet count, and the
// raster is never held in memory whole.
#pragma once

#include "map_geometry.h"

#include <cstdint>
#include <memory>

// The position of a star: its column and its row counted from the bottom (Y - Y_ORIGIN).
struct StarPixel {
    uint32_t column;
    uint32_t rowFromBottom;
    bool operator==(const StarPixel&) const = default;
};

// A scan in progress. Begin it, feed it the raster in pieces of any size, finish it.
struct StarScan {
    MapGeometry geometry;
    uint32_t wanted;                  // stars that get a record: the planet count
    uint64_t stars;                   // every set pixel met so far
    uint64_t consumed;                // raster bytes met so far
    uint32_t row;                     // row from the top of the next byte
    uint32_t byteInRow;               // its byte within that row
    uint32_t rowCandidates;           // candidates taken from that row so far
    uint64_t bound;                   // a key at or above it cannot be among the first `wanted`
    std::unique_ptr<uint64_t[]> keys; // candidates' keys, in no order until finished
    uint64_t keyCount;                // keys held, at most 2 * wanted
};

// Starts a scan of a raster of `geometry` for the first `wanted` stars, taking room for
// 2 * wanted candidates. False when that memory cannot be had.
bool beginStarScan(StarScan& scan, const MapGeometry& geometry, uint32_t wanted);

// The next `size` bytes of the raster, continuing where the last piece ended; rows are
// stored top first, as in the file. Bytes past the raster's size are ignored.
void scanRasterBytes(StarScan& scan, const uint8_t* bytes, uint64_t size);

// Orders the stars found. Afterwards the first foundStars(scan) stars, min(stars, wanted),
// are foundStar(scan, 0), foundStar(scan, 1)... in the import's order, and scan.stars is
// the number of all set pixels. A raster fed short counts as if the rest were zero.
void finishStarScan(StarScan& scan);

inline uint32_t foundStars(const StarScan& scan)
{
    return uint32_t(scan.keyCount);
}

inline StarPixel foundStar(const StarScan& scan, uint32_t index)
{
    uint64_t key = scan.keys[index];
    return StarPixel{uint32_t(key / scan.geometry.height), uint32_t(key % scan.geometry.height)};
}

// The number of set bits in `size` bytes, with the processor's population count
// instruction where it has one.
uint64_t countSetBits(const uint8_t* bytes, uint64_t size);

// The same count without that instruction: the fallback, exposed for its tests.
uint64_t countSetBitsPortable(const uint8_t* bytes, uint64_t size);
