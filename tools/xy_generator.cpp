#include "xy_generator.h"

#include <algorithm>
#include <cstdio>
#include <random>
#include <set>
#include <utility>

namespace
{

void appendLe16(std::vector<uint8_t>& out, uint16_t word)
{
    out.push_back(uint8_t(word));
    out.push_back(uint8_t(word >> 8));
}

void appendLe32(std::vector<uint8_t>& out, uint32_t word)
{
    appendLe16(out, uint16_t(word));
    appendLe16(out, uint16_t(word >> 16));
}

// A block's payload as the walk sees it: the size with its lowest bit cleared.
uint32_t walkedPayload(uint16_t header)
{
    return (header & 0x3FEu);
}

void appendPattern(std::vector<uint8_t>& out, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i)
        out.push_back(uint8_t(0xA5 ^ (out.size() * 7)));
}

} // namespace

uint32_t planetWord(uint32_t xDistance, uint32_t y, uint32_t ident)
{
    return (xDistance & 0x3FF) | (y & 0xFFF) << 10 | (ident & 0x3FF) << 22;
}

uint32_t planetOffset(const XyLayout& layout)
{
    return 2 + walkedPayload(layout.firstHeader) + 2 + walkedPayload(layout.secondHeader);
}

std::vector<uint8_t> buildXyFile(const XyLayout& layout)
{
    std::vector<uint8_t> out;
    appendLe16(out, layout.firstHeader);
    appendPattern(out, walkedPayload(layout.firstHeader));
    appendLe16(out, layout.secondHeader);
    appendPattern(out, walkedPayload(layout.secondHeader));
    for (uint32_t word : layout.records)
        appendLe32(out, word);
    if (layout.terminated)
        appendLe32(out, 0x00000002);
    appendPattern(out, layout.trailerBytes);
    // The magic and the filetype are written last, so that they stand at their offsets
    // even when a short header block lets the next block overlap them.
    if (out.size() < 17)
        out.resize(17);
    for (size_t i = 0; i < layout.magic.size() && 2 + i < out.size(); ++i)
        out[2 + i] = uint8_t(layout.magic[i]);
    out[16] = layout.filetype;
    return out;
}

std::vector<uint32_t> randomPlanets(uint64_t seed, const PlanetSpread& spread)
{
    std::mt19937_64 random(seed);
    auto draw = [&random](uint32_t low, uint32_t high) {
        return std::uniform_int_distribution<uint32_t>(low, high)(random);
    };
    // Pixels as (column, y), distinct, then sorted into the import's order.
    std::set<std::pair<uint64_t, uint32_t>> pixels;
    uint64_t column = 0;
    while (pixels.size() < spread.count) {
        if (spread.dxMax > 0) {
            column += draw(spread.dxMin, spread.dxMax);
            pixels.insert({column, draw(spread.yMin, spread.yMax)});
        } else {
            pixels.insert({draw(0, spread.width - 1), draw(spread.yMin, spread.yMax)});
        }
    }
    std::vector<uint32_t> words;
    uint64_t previous = 0;
    for (const auto& [x, y] : pixels) {
        // Idents 1 to 1023: never 0, so no record can look like the terminator.
        uint32_t ident = 1 + uint32_t(words.size() % 1023);
        words.push_back(planetWord(uint32_t(x - previous), y, ident));
        previous = x;
    }
    return words;
}

bool writeFileBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    // An empty vector may have no storage at all: fwrite must not see its null data.
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

bool readFileBytes(const std::string& path, std::vector<uint8_t>& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    bytes.clear();
    uint8_t buffer[65536];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + got);
    bool ok = std::ferror(file) == 0;
    std::fclose(file);
    return ok;
}
