// Bounded access to bytes that came from the user.
//
// Both input files may be truncated, hand-edited or of the wrong kind, so nothing in
// the tools indexes the mapped XY file directly: every read goes through these
// helpers, which say no instead of reading past the end.
#pragma once

#include <cstdint>

struct ByteView {
    const uint8_t* data;
    uint32_t size;
};

// The byte at `offset`, or false if the view ends before it.
inline bool readU8(ByteView view, uint32_t offset, uint8_t& value)
{
    if (offset >= view.size)
        return false;
    value = view.data[offset];
    return true;
}

// The little-endian 16-bit word at `offset`, or false if fewer than 2 bytes remain.
// Tested by subtraction: `offset + 2` could wrap around and pass the check.
inline bool readLe16(ByteView view, uint32_t offset, uint16_t& word)
{
    if (offset > view.size || view.size - offset < 2)
        return false;
    const uint8_t* p = view.data + offset;
    word = uint16_t(p[0] | p[1] << 8);
    return true;
}

// The little-endian 32-bit word at `offset`, or false if fewer than 4 bytes remain.
// Records need not be aligned, so the word is assembled byte by byte.
inline bool readLe32(ByteView view, uint32_t offset, uint32_t& word)
{
    if (offset > view.size || view.size - offset < 4)
        return false;
    const uint8_t* p = view.data + offset;
    word = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    return true;
}

// Stores `word` little-endian at `p`; the caller has checked that 4 bytes are there.
inline void storeLe32(uint8_t* p, uint32_t word)
{
    p[0] = uint8_t(word);
    p[1] = uint8_t(word >> 8);
    p[2] = uint8_t(word >> 16);
    p[3] = uint8_t(word >> 24);
}
