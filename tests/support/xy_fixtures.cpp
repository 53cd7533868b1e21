#include "xy_fixtures.h"

#include <algorithm>

XyFixture writeXy(const TempDir& dir, const std::string& name, const XyLayout& layout)
{
    XyFixture fixture{dir.path(name), buildXyFile(layout)};
    if (!writeFileBytes(fixture.path, fixture.bytes))
        ADD_FAILURE() << "cannot write " << fixture.path;
    return fixture;
}

std::string writeBytes(const TempDir& dir, const std::string& name,
                       const std::vector<uint8_t>& bytes)
{
    std::string path = dir.path(name);
    if (!writeFileBytes(path, bytes))
        ADD_FAILURE() << "cannot write " << path;
    return path;
}

std::vector<uint8_t> fileBytes(const std::string& path)
{
    std::vector<uint8_t> bytes;
    readFileBytes(path, bytes);
    return bytes;
}

std::vector<Pixel> planetPixels(const std::vector<uint32_t>& records, uint32_t height)
{
    std::vector<Pixel> pixels;
    uint32_t column = 0;
    for (uint32_t word : records) {
        // Fields as the file layout defines them: xDistance in bits 0-9, y in 10-21.
        column += word & 0x3FF;
        uint32_t y = (word >> 10) & 0xFFF;
        pixels.push_back({column, height - 1 - (y - 1000)});
    }
    std::sort(pixels.begin(), pixels.end());
    return pixels;
}
