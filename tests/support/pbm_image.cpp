#include "pbm_image.h"

#include "xy_generator.h"

#include <algorithm>
#include <cstdio>

std::vector<uint8_t> makePbm(uint32_t width, uint32_t height, const std::vector<Pixel>& black)
{
    std::string header = "P4\n" + std::to_string(width) + " " + std::to_string(height) + "\n";
    std::vector<uint8_t> bytes(header.begin(), header.end());
    size_t start = bytes.size();
    uint32_t stride = (width + 7) / 8;
    bytes.resize(start + size_t(stride) * height, 0);
    for (const Pixel& p : black)
        bytes[start + size_t(p.row) * stride + p.column / 8] |= uint8_t(0x80 >> (p.column % 8));
    return bytes;
}

bool readPbm(const std::vector<uint8_t>& bytes, uint32_t& width, uint32_t& height,
             std::vector<Pixel>& black)
{
    std::string text(bytes.begin(), bytes.begin() + std::min<size_t>(bytes.size(), 64));
    unsigned w = 0;
    unsigned h = 0;
    int used = 0;
    if (std::sscanf(text.c_str(), "P4\n%u %u\n%n", &w, &h, &used) != 2 || used == 0)
        return false;
    std::string exact = "P4\n" + std::to_string(w) + " " + std::to_string(h) + "\n";
    if (text.compare(0, exact.size(), exact) != 0)
        return false;
    used = int(exact.size());
    size_t stride = (w + 7) / 8;
    if (bytes.size() != size_t(used) + stride * h)
        return false;
    width = w;
    height = h;
    black.clear();
    for (uint32_t row = 0; row < h; ++row)
        for (uint32_t column = 0; column < w; ++column)
            if (bytes[size_t(used) + row * stride + column / 8] & (0x80 >> (column % 8)))
                black.push_back({column, row});
    return true;
}

const std::vector<DrawCase>& drawCases()
{
    static const std::vector<DrawCase> cases = {
        {"no planets", {}, 400, 400, {}, ""},
        {"first distance 0 is column 0, y 1000 the bottom row",
         {planetWord(0, 1000, 7)},
         400,
         400,
         {{0, 399}},
         ""},
        {"last byte of the top row", {planetWord(399, 1399, 1)}, 400, 400, {{399, 0}}, ""},
        {"running column, y from the bottom",
         {planetWord(5, 1000, 1), planetWord(10, 1001, 2), planetWord(0, 1399, 3)},
         400,
         400,
         {{15, 0}, {15, 398}, {5, 399}},
         ""},
        {"xSum 700, every y 1000",
         {planetWord(300, 1000, 1), planetWord(400, 1000, 2)},
         800,
         400,
         {{300, 399}, {700, 399}},
         ""},
        {"two planets on one pixel",
         {planetWord(9, 1234, 1), planetWord(0, 1234, 2)},
         400,
         400,
         {{9, 165}},
         ""},
        // The first record has no row; its distance still moves the second along.
        {"y below 1000 is not drawn",
         {planetWord(100, 999, 1), planetWord(50, 1000, 2)},
         400,
         400,
         {{150, 399}},
         "Warning: planet 0 has Y 999, below 1000, so it has no pixel in the bitmap\n"},
        {"highest y 4095 in a 3200-row map", {planetWord(1, 4095, 1)}, 400, 3200, {{1, 104}}, ""},
        // The ident field plays no part in the drawing.
        {"ident ignored", {planetWord(8, 1010, 1023)}, 400, 400, {{8, 389}}, ""},
    };
    return cases;
}
