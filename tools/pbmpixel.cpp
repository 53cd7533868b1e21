// pbmpixel: lists, sets or clears black pixels of a raw PBM, the smallest bitmap editor
// there is, so that the demo can edit a star map without any other program.
//
//   pbmpixel list FILE.pbm             one "column row" line per black pixel, rows from
//                                      the top, top row first
//   pbmpixel set FILE.pbm COLUMN ROW   makes the pixel black
//   pbmpixel clear FILE.pbm COLUMN ROW makes the pixel white
//
// It reads only the form skydump writes: "P4\n<width> <height>\n" and the raster.
#include "xy_generator.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <string>
#include <vector>

namespace {

struct Bitmap {
    uint32_t width = 0;
    uint32_t height = 0;
    size_t rasterStart = 0;
    std::vector<uint8_t> bytes;
};

bool load(const char* path, Bitmap& bitmap)
{
    if (!readFileBytes(path, bitmap.bytes))
        return false;
    std::string head(bitmap.bytes.begin(),
                     bitmap.bytes.begin() + std::min<size_t>(bitmap.bytes.size(), 32));
    unsigned width = 0;
    unsigned height = 0;
    int used = 0;
    if (std::sscanf(head.c_str(), "P4\n%u %u%n", &width, &height, &used) != 2 ||
        size_t(used) >= head.size() || head[size_t(used)] != '\n')
        return false;
    bitmap.width = width;
    bitmap.height = height;
    bitmap.rasterStart = size_t(used) + 1;
    size_t stride = (size_t(width) + 7) / 8;
    return bitmap.bytes.size() >= bitmap.rasterStart + stride * height;
}

uint8_t* pixelAt(Bitmap& bitmap, uint32_t column, uint32_t row, uint8_t& mask)
{
    size_t stride = (size_t(bitmap.width) + 7) / 8;
    mask = uint8_t(0x80 >> (column % 8));
    return &bitmap.bytes[bitmap.rasterStart + row * stride + column / 8];
}

int usage()
{
    std::fprintf(stderr, "usage: pbmpixel list FILE.pbm\n"
                         "       pbmpixel set|clear FILE.pbm COLUMN ROW\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return usage();
    Bitmap bitmap;
    if (!load(argv[2], bitmap)) {
        std::fprintf(stderr, "pbmpixel: %s is not a complete raw PBM\n", argv[2]);
        return 1;
    }
    if (std::strcmp(argv[1], "list") == 0 && argc == 3) {
        for (uint32_t row = 0; row < bitmap.height; ++row)
            for (uint32_t column = 0; column < bitmap.width; ++column) {
                uint8_t mask = 0;
                if (*pixelAt(bitmap, column, row, mask) & mask)
                    std::printf("%u %u\n", column, row);
            }
        return 0;
    }
    bool set = std::strcmp(argv[1], "set") == 0;
    if ((!set && std::strcmp(argv[1], "clear") != 0) || argc != 5)
        return usage();
    unsigned long column = std::strtoul(argv[3], nullptr, 10);
    unsigned long row = std::strtoul(argv[4], nullptr, 10);
    if (column >= bitmap.width || row >= bitmap.height) {
        std::fprintf(stderr, "pbmpixel: pixel %lu %lu is outside the %u x %u bitmap\n", column,
                     row, bitmap.width, bitmap.height);
        return 1;
    }
    uint8_t mask = 0;
    uint8_t* byte = pixelAt(bitmap, uint32_t(column), uint32_t(row), mask);
    *byte = set ? uint8_t(*byte | mask) : uint8_t(*byte & ~mask);
    if (!writeFileBytes(argv[2], bitmap.bytes)) {
        std::fprintf(stderr, "pbmpixel: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
