// What the fuzz targets share: the invariant check, the silenced console, and the
// layout of the import target's input (an XY file and a bitmap in one byte string).
#pragma once

#include "byte_view.h"
#include "map_geometry.h"
#include "xy_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

// An invariant the code under test must keep, whatever the input. A failure aborts, so
// libFuzzer saves the input as a crash and the replay test fails.
#define FUZZ_CHECK(condition)                                                                      \
    ((condition) ? void(0) : fuzzCheckFailed(#condition, __FILE__, __LINE__))

[[noreturn]] inline void fuzzCheckFailed(const char* condition, const char* file, int line)
{
    std::fprintf(stderr, "invariant failed: %s (%s:%d)\n", condition, file, line);
    std::abort();
}

// The largest raster the targets allocate. Larger ones are handled by the tools alike,
// but would slow the search tenfold: under ASan every allocation and release of a raster
// costs time in proportion to its size. The geometry is checked for every size; drawing
// and placement do not depend on the size beyond it. 4 MiB holds a map of 10400 columns
// at the greatest height, or 83600 at the least.
constexpr uint32_t RASTER_CAP = 4u << 20;

// The tools print every message with printf; at millions of runs that printing would be
// most of the work. libFuzzer reports on standard error, which stays.
inline void silenceStdout()
{
    // A failed freopen leaves stdout closed, and printing to it undefined: stop at once.
    FUZZ_CHECK(std::freopen("/dev/null", "w", stdout) != nullptr);
}

// Validation, block walk, scan and geometry, as both tools run them before their body:
// false when the tools refuse the file.
inline bool inspectXy(ByteView view, PlanetList& planets, MapGeometry& geometry)
{
    uint32_t first = 0;
    return validateXyFile(view) == XyCheck::Valid && planetListStart(view, first) &&
           scanPlanets(view, first, planets) == ScanStatus::Ok && geometryFor(planets, geometry);
}

// The import target's input: a 2-byte little-endian length n, then n bytes of XY file,
// then the bitmap, which is the rest. A length beyond the input takes all of it, so
// every byte string is a valid input; an XY file is at most 65535 bytes here.
struct ImportInput {
    ByteView xy;
    const uint8_t* pbm;
    size_t pbmSize;
};

inline ImportInput splitImportInput(const uint8_t* data, size_t size)
{
    size_t length = size >= 2 ? size_t(data[0] | data[1] << 8) : 0;
    size_t rest = size >= 2 ? size - 2 : 0;
    if (length > rest)
        length = rest;
    const uint8_t* xy = size >= 2 ? data + 2 : data;
    return ImportInput{ByteView{xy, uint32_t(length)}, xy + length, rest - length};
}

// The input that splitImportInput takes apart into `xy` and `pbm`; `xy` must be at most
// 65535 bytes long.
inline std::vector<uint8_t> joinImportInput(const std::vector<uint8_t>& xy,
                                            const std::vector<uint8_t>& pbm)
{
    std::vector<uint8_t> input = {uint8_t(xy.size()), uint8_t(xy.size() >> 8)};
    input.insert(input.end(), xy.begin(), xy.end());
    input.insert(input.end(), pbm.begin(), pbm.end());
    return input;
}
