// Reading the bitmap that skyload gets: a raw PBM ("P4") of exactly the size that
// skydump writes for the XY file, with comment lines allowed in its header.
//
// The header is read as lines of at most LINE_LIMIT bytes, so a longer text line arrives
// in pieces, and each piece counts as a line of its own:
//   first line     begins with "P4"; the rest of it is ignored
//   comment lines  any number, each beginning with "#" in its first byte
//   size line      width and height as decimal integers, each after optional white space
//                  and with an optional sign; text after the height is ignored
// The raster starts at the first byte after the size line's "\n".
#pragma once

#include "map_geometry.h"

#include <cstdint>
#include <cstdio>

constexpr uint32_t LINE_LIMIT = 255; // bytes in one header line read

enum class PbmStatus {
    Ok,
    NoMemory,       // the raster buffer cannot be allocated
    CantOpen,       // the bitmap file cannot be opened
    NotP4,          // the first line does not begin with "P4" (also an empty file)
    NoSizeLine,     // the file ends before a line that is not a comment
    BadSizeLine,    // the size line does not begin with two integers
    SizeOutOfRange, // a number of the size line does not fit a signed 32-bit integer
    WrongSize,      // the size differs from the XY file's bitmap geometry
    ShortRaster,    // the file ends before stride * height raster bytes
};

// The bitmap being read: the raster and the stream it came from. The body owns both
// until releaseBitmap.
struct BitmapInput {
    uint8_t* raster;   // geometry.rasterSize bytes, zeroed before reading
    std::FILE* stream; // the open bitmap file, or null
};

// Allocates the zeroed raster of `geometry`, opens `path` with mode "rb" and reads the
// bitmap with readBitmapStream. Every failure prints its message; whatever was taken
// stays in `input` for releaseBitmap, on every path.
PbmStatus readBitmap(const char* path, const MapGeometry& geometry, BitmapInput& input);

// Reads the header and the raster from an open stream into `raster`, which holds
// geometry.rasterSize bytes. Prints the message of any failure. Bytes after the raster
// are not read.
PbmStatus readBitmapStream(std::FILE* stream, const MapGeometry& geometry, uint8_t* raster);

// Frees the raster, then closes the stream; either may be missing.
void releaseBitmap(BitmapInput& input);
