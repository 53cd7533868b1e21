#include "pbm_image.h"

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
