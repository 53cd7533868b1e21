// Synthetic XY files for tests, fuzz seeds, benchmarks and the example universe.
// Every test file of the project is made here, from plain numbers and a seed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The parts of an XY file that the tools read, plus what follows the planet list.
struct XyLayout {
    uint16_t firstHeader = (8 << 10) | 30;  // type 8, 30 bytes of payload
    std::string magic = "J3J3";             // the first four bytes of the payload
    uint8_t filetype = 0;                   // the byte at offset 16
    uint16_t secondHeader = (7 << 10) | 40; // type 7, 40 bytes of payload
    std::vector<uint32_t> records;          // planet words, in list order
    bool terminated = true;                 // append the terminator word 0x00000002
    uint32_t trailerBytes = 24;             // patterned bytes after the list
};

// The bytes of the file described by `layout`. Payload bytes that the tools never read
// are filled with a pattern, so that a test can tell when one has been changed.
std::vector<uint8_t> buildXyFile(const XyLayout& layout);

// Offset of the first planet record in a file built from `layout`.
uint32_t planetOffset(const XyLayout& layout);

// One planet word from its fields (masked to their widths).
uint32_t planetWord(uint32_t xDistance, uint32_t y, uint32_t ident);

// Random planets, listed in the order the import assigns them (columns from the left,
// within a column increasing Y), each on its own pixel, with idents that never make a
// record look like a terminator.
struct PlanetSpread {
    uint32_t count = 40;
    uint32_t width = 800; // columns drawn from [0, width), when dxMax is 0
    uint32_t dxMin = 0;   // otherwise distances drawn from [dxMin, dxMax]
    uint32_t dxMax = 0;
    uint32_t yMin = 1000; // Y drawn from [yMin, yMax]
    uint32_t yMax = 1799;
};
std::vector<uint32_t> randomPlanets(uint64_t seed, const PlanetSpread& spread);

// Writes `bytes` to `path`; false on failure.
bool writeFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// Reads the whole file at `path`; false on failure.
bool readFileBytes(const std::string& path, std::vector<uint8_t>& bytes);
