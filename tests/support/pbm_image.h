// Raw PBM images for tests: built from a list of black pixels, and read back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A black pixel, as a bitmap editor shows it: column from the left, row from the top.
struct Pixel {
    uint32_t column;
    uint32_t row;
    bool operator==(const Pixel&) const = default;
    bool operator<(const Pixel& other) const
    {
        return row != other.row ? row < other.row : column < other.column;
    }
};

// The bytes of a P4 file of `width` x `height` with exactly `black` set, in the form
// skydump writes: "P4\n<width> <height>\n" then the rows, top first.
std::vector<uint8_t> makePbm(uint32_t width, uint32_t height, const std::vector<Pixel>& black);

// Reads a P4 file in that form: false unless the header is exactly it and the raster
// is complete. `black` gets every set pixel, sorted by row, then column.
bool readPbm(const std::vector<uint8_t>& bytes, uint32_t& width, uint32_t& height,
             std::vector<Pixel>& black);

// A planet list and the bitmap the export must draw for it: one table for the drawing
// in memory and for skydump's whole run.
struct DrawCase {
    const char* name;
    std::vector<uint32_t> records;
    uint32_t width;
    uint32_t height;
    std::vector<Pixel> black; // sorted by row from the top, then column
    const char* warnings;     // what the scan prints before "N planets detected"
};
const std::vector<DrawCase>& drawCases();
