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
#include "star_scan.h"

#include <cstdint>
#include <cstdio>

constexpr uint32_t LINE_LIMIT = 255; // bytes in one header line read

enum class PbmStatus {
    Ok,
    NoMemory,       // the piece buffer cannot be allocated
    CantOpen,       // the bitmap file cannot be opened
    NotP4,          // the first line does not begin with "P4" (also an empty file)
    NoSizeLine,     // the file ends before a line that is not a comment
    BadSizeLine,    // the size line does not begin with two integers
    SizeOutOfRange, // a number of the size line does not fit a signed 32-bit integer
    WrongSize,      // the size differs from the XY file's bitmap geometry
    ShortRaster,    // the file ends before stride * height raster bytes
};

// The raster is read a piece at a time and each piece is handed to the star scan as it
// arrives: the pieces stay in the processor's cache between the read and the scan, and
// the raster, which can be hundreds of megabytes, is never held in memory whole.
constexpr uint32_t RASTER_PIECE = 256 * 1024; // bytes read at a time
// The piece buffer is larger by a page, so that the pieces can sit at the same offset
// within a page as the file position they come from (see readBitmapStream).
constexpr uint32_t PIECE_ALIGNMENT = 4096;
constexpr uint32_t PIECE_BUFFER = RASTER_PIECE + PIECE_ALIGNMENT;

// The bitmap being read: the buffer the raster passes through and the stream it comes
// from. The body owns both until releaseBitmap.
struct BitmapInput {
    uint8_t* piece;    // PIECE_BUFFER bytes
    std::FILE* stream; // the open bitmap file, or null
};

// Allocates the piece buffer, opens `path` with mode "rb" and reads the bitmap with
// readBitmapStream into `scan`. Every failure prints its message; whatever was taken
// stays in `input` for releaseBitmap, on every path.
PbmStatus readBitmap(const char* path, const MapGeometry& geometry, StarScan& scan,
                     BitmapInput& input);

// Reads the header from an open stream, then the raster of geometry.rasterSize bytes in
// pieces of at most RASTER_PIECE bytes through `piece` (PIECE_BUFFER bytes), handing each
// to `scan` (begun for
// `geometry`). Prints the message of any failure; a raster cut short has been scanned as
// far as it goes. Bytes after the raster are not read.
PbmStatus readBitmapStream(std::FILE* stream, const MapGeometry& geometry, uint8_t* piece,
                           StarScan& scan);

// Frees the piece buffer, then closes the stream; either may be missing.
void releaseBitmap(BitmapInput& input);
