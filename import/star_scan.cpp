#include "star_scan.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

namespace
{

constexpr uint64_t NO_BOUND = UINT64_MAX;
constexpr uint64_t LINE = 64; // bytes tested together when skipping zeros

uint64_t loadWord(const uint8_t* p)
{
    uint64_t word;
    std::memcpy(&word, p, sizeof word); // the bytes need not be aligned
    return word;
}

} // namespace

// Each word is reduced to eight byte counts, which are summed for up to 31 words (31 * 8
// fits in a byte) before the bytes are added up.
uint64_t countSetBitsPortable(const uint8_t* bytes, uint64_t size)
{
    const uint64_t m1 = 0x5555555555555555u;
    const uint64_t m2 = 0x3333333333333333u;
    const uint64_t m4 = 0x0F0F0F0F0F0F0F0Fu;
    const uint64_t m8 = 0x00FF00FF00FF00FFu;
    uint64_t total = 0;
    uint64_t words = size / 8;
    while (words > 0) {
        uint64_t group = std::min<uint64_t>(words, 31);
        uint64_t byteCounts = 0;
        for (uint64_t i = 0; i < group; ++i) {
            uint64_t x = loadWord(bytes + 8 * i);
            x = x - ((x >> 1) & m1);
            x = (x & m2) + ((x >> 2) & m2);
            byteCounts += (x + (x >> 4)) & m4;
        }
        uint64_t pairs = (byteCounts & m8) + ((byteCounts >> 8) & m8);
        total += (pairs * 0x0001000100010001u) >> 48;
        bytes += 8 * group;
        words -= group;
    }
    for (uint64_t i = 0; i < size % 8; ++i)
        total += uint64_t(std::popcount(bytes[i]));
    return total;
}

namespace
{

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define SKY_POPCNT_DISPATCH 1
// The same count with the processor's population count instruction, several times faster;
// used only where the processor has it (every x86 of the last fifteen years).
__attribute__((target("popcnt"))) uint64_t countBitsPopcnt(const uint8_t* bytes, uint64_t size)
{
    uint64_t total = 0;
    uint64_t i = 0;
    for (; i + 8 <= size; i += 8)
        total += uint64_t(std::popcount(loadWord(bytes + i)));
    for (; i < size; ++i)
        total += uint64_t(std::popcount(bytes[i]));
    return total;
}
#endif

// The index of the first non-zero byte in bytes[i, size), or `size`.
uint64_t nextNonZero(const uint8_t* bytes, uint64_t i, uint64_t size)
{
    for (; i + LINE <= size; i += LINE) {
        const uint8_t* p = bytes + i;
        if ((loadWord(p) | loadWord(p + 8) | loadWord(p + 16) | loadWord(p + 24) |
             loadWord(p + 32) | loadWord(p + 40) | loadWord(p + 48) | loadWord(p + 56)) != 0)
            break;
    }
    for (; i + 8 <= size && loadWord(bytes + i) == 0; i += 8) {
    }
    for (; i < size && bytes[i] == 0; ++i) {
    }
    return i;
}

uint64_t orderKey(const MapGeometry& geometry, uint32_t column, uint32_t rowFromBottom)
{
    return uint64_t(column) * geometry.height + rowFromBottom;
}

// Columns below the result can hold a pixel of row `rowFromBottom` whose key is below
// the bound: column * height + rowFromBottom < bound.
uint64_t columnLimit(const StarScan& scan, uint32_t rowFromBottom)
{
    if (scan.bound == NO_BOUND)
        return scan.geometry.width;
    if (scan.bound <= rowFromBottom)
        return 0;
    return (scan.bound - rowFromBottom - 1) / scan.geometry.height + 1;
}

// Keeps the `wanted` smallest keys; every later candidate must lie below the largest.
void keepFirstWanted(StarScan& scan)
{
    uint64_t* keys = scan.keys.get();
    uint64_t* last = keys + (scan.wanted - 1);
    std::nth_element(keys, last, keys + scan.keyCount);
    scan.bound = *last;
    scan.keyCount = scan.wanted;
}

// The set pixels of one non-zero byte at `column0`, left to right.
void takeByte(StarScan& scan, uint8_t byte, uint32_t column0, uint32_t rowFromBottom)
{
    scan.stars += uint64_t(std::popcount(byte));
    while (byte != 0 && scan.rowCandidates < scan.wanted) {
        int lead = std::countl_zero(byte);
        byte = uint8_t(byte & ~(0x80u >> lead));
        uint64_t key = orderKey(scan.geometry, column0 + uint32_t(lead), rowFromBottom);
        if (key >= scan.bound)
            return; // and so is every pixel further right
        scan.keys[scan.keyCount++] = key;
        ++scan.rowCandidates;
        if (scan.keyCount == 2 * uint64_t(scan.wanted))
            keepFirstWanted(scan);
    }
}

// `size` bytes of the current row, from scan.byteInRow on.
void scanRowPart(StarScan& scan, const uint8_t* bytes, uint64_t size)
{
    uint32_t rowFromBottom = scan.geometry.height - 1 - scan.row;
    uint64_t i = 0;
    // While the row can still give candidates, visit its set pixels one by one...
    while (scan.rowCandidates < scan.wanted) {
        i = nextNonZero(bytes, i, size);
        if (i == size)
            return;
        uint32_t column0 = (scan.byteInRow + uint32_t(i)) * 8;
        if (column0 >= columnLimit(scan, rowFromBottom))
            break;
        takeByte(scan, bytes[i], column0, rowFromBottom);
        ++i;
    }
    // ...and once it cannot, only count them.
    scan.stars += countSetBits(bytes + i, size - i);
}

} // namespace

uint64_t countSetBits(const uint8_t* bytes, uint64_t size)
{
#ifdef SKY_POPCNT_DISPATCH
    static const bool hasPopcnt = __builtin_cpu_supports("popcnt");
    if (hasPopcnt)
        return countBitsPopcnt(bytes, size);
#endif
    return countSetBitsPortable(bytes, size);
}

bool beginStarScan(StarScan& scan, const MapGeometry& geometry, uint32_t wanted)
{
    scan = StarScan{geometry, wanted, 0, 0, 0, 0, 0, NO_BOUND, nullptr, 0};
    // Twice the planet count: pruning back to the count then comes once per `wanted`
    // candidates at most, so it costs a constant per candidate.
    uint64_t room = 2 * uint64_t(wanted);
    if (room > SIZE_MAX / sizeof(uint64_t)) // a 32-bit system cannot even name the size
        return false;
    scan.keys.reset(new (std::nothrow) uint64_t[size_t(room)]);
    return scan.keys != nullptr;
}

void scanRasterBytes(StarScan& scan, const uint8_t* bytes, uint64_t size)
{
    size = std::min<uint64_t>(size, scan.geometry.rasterSize - scan.consumed);
    while (size > 0) {
        uint64_t part = std::min<uint64_t>(size, scan.geometry.stride - scan.byteInRow);
        scanRowPart(scan, bytes, part);
        bytes += part;
        size -= part;
        scan.consumed += part;
        scan.byteInRow += uint32_t(part);
        if (scan.byteInRow == scan.geometry.stride) {
            scan.byteInRow = 0;
            ++scan.row;
            scan.rowCandidates = 0;
        }
    }
}

void finishStarScan(StarScan& scan)
{
    if (scan.keyCount > scan.wanted)
        keepFirstWanted(scan);
    std::sort(scan.keys.get(), scan.keys.get() + scan.keyCount);
}
