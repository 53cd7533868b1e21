// Layout of the XY file: the block walk, the planet record and the terminator,
// and the check that a freshly mapped file is an XY file we can use.
//
// Everything here works on bytes in memory and never reads outside the view.
#pragma once

#include "byte_view.h"

#include <cstdint>

// The 16-bit little-endian word that opens every block: type in bits 10-15,
// payload size in bytes in bits 0-9.
using BlockHeader = uint16_t;

constexpr uint32_t FILE_HEADER_TYPE = 8;
constexpr uint32_t SECOND_BLOCK_TYPE = 7;
constexpr uint32_t MAGIC_OFFSET = 2;
constexpr uint32_t MAGIC_LENGTH = 4;
constexpr uint32_t FILETYPE_OFFSET = 16;
constexpr uint32_t RECORD_SIZE = 4;

constexpr uint32_t X_DISTANCE_LIMIT = 1023; // largest value of the 10-bit xDistance
constexpr uint32_t Y_LIMIT = 4095;          // largest value of the 12-bit y
constexpr uint32_t IDENT_LIMIT = 1023;      // largest value of the 10-bit ident

// One planet entry. In the file it is a 32-bit little-endian word:
// xDistance in bits 0-9, y in bits 10-21, ident in bits 22-31.
struct PlanetRecord {
    uint32_t xDistance; // columns from the previous planet (the first: from column 0)
    uint32_t y;         // Y co-ordinate; the bitmap's bottom row is Y_ORIGIN
    uint32_t ident;     // identifier, renumbered by the import
};

enum class XyCheck {
    Valid,
    NotGameFile, // wrong magic
    NotXyFile,   // filetype byte not 0
    Truncated,   // the file ends before a field the check needs
};

inline uint32_t blockType(BlockHeader word)
{
    return uint32_t(word) >> 10;
}
inline uint32_t blockSize(BlockHeader word)
{
    return uint32_t(word) & 0x3FF;
}

// Offset of the block after the one at `offset` whose header is `word`. The lowest bit
// of the size is dropped, so an odd size moves one byte less than header plus payload.
inline uint64_t nextBlock(uint64_t offset, BlockHeader word)
{
    return offset + 2 + (blockSize(word) & 0x3FE);
}

inline PlanetRecord decodePlanet(uint32_t word)
{
    return PlanetRecord{word & 0x3FF, (word >> 10) & 0xFFF, word >> 22};
}

// Each field is masked to its width, so an out-of-range value cannot spill into the next.
inline uint32_t encodePlanet(PlanetRecord record)
{
    return (record.xDistance & 0x3FF) | (record.y & 0xFFF) << 10 | (record.ident & 0x3FF) << 22;
}

// The word that ends the planet list: low half exactly 0x0002, high half below 32.
// Some real records (ident 0, xDistance 2, y a multiple of 64 below 2048) match it too.
inline bool isTerminator(uint32_t word)
{
    return (word & 0xFFC00000) == 0 && (word & 0x3FF) == 2 && (word & 0x0020FC00) == 0;
}

// Offset of the first planet record: the block walk applied twice from offset 0.
// False when the file ends before one of the two block headers.
bool planetListStart(ByteView view, uint32_t& first);

// Checks, in this order, the first block's type (warning only), the magic id, the
// filetype byte and the second block's type (warning only), printing each message.
// A field that lies past the end of the file gives an "Error: " line and Truncated;
// a magic that differs in the bytes present is reported as a wrong magic first.
XyCheck validateXyFile(ByteView view);
