// mkxy: writes a synthetic XY file, for examples, tests and benchmarks.
//
//   mkxy [--seed N] [--planets N] [--width W] [--dx MIN-MAX] [--y MIN-MAX] OUT.xy
//
// Planets are scattered over columns [0, W) or, with --dx, placed one after another at
// distances drawn from MIN-MAX; their Y is drawn from the --y range.
#include "xy_generator.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{

bool parseNumber(const char* text, uint64_t& value)
{
    char* end = nullptr;
    value = std::strtoull(text, &end, 10);
    return end != text && *end == '\0';
}

bool parseRange(const char* text, uint32_t& low, uint32_t& high)
{
    unsigned long a = 0;
    unsigned long b = 0;
    char tail = 0;
    if (std::sscanf(text, "%lu-%lu%c", &a, &b, &tail) != 2 || a > b || b > 0xFFFFFFFFul)
        return false;
    low = uint32_t(a);
    high = uint32_t(b);
    return true;
}

int usage()
{
    std::fprintf(stderr, "usage: mkxy [--seed N] [--planets N] [--width W] [--dx MIN-MAX] "
                         "[--y MIN-MAX] OUT.xy\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    uint64_t seed = 1;
    PlanetSpread spread;
    const char* out = nullptr;
    for (int i = 1; i < argc && argv[i] != nullptr; ++i) {
        const char* arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        uint64_t number = 0;
        if (std::strcmp(arg, "--seed") == 0 && value && parseNumber(value, seed)) {
            ++i;
        } else if (std::strcmp(arg, "--planets") == 0 && value && parseNumber(value, number) &&
                   number <= 100000000) {
            spread.count = uint32_t(number);
            ++i;
        } else if (std::strcmp(arg, "--width") == 0 && value && parseNumber(value, number) &&
                   number > 0 && number <= 0xFFFFFFFFu) {
            spread.width = uint32_t(number);
            ++i;
        } else if (std::strcmp(arg, "--dx") == 0 && value &&
                   parseRange(value, spread.dxMin, spread.dxMax) && spread.dxMax <= 1023) {
            ++i;
        } else if (std::strcmp(arg, "--y") == 0 && value &&
                   parseRange(value, spread.yMin, spread.yMax) && spread.yMin >= 1000 &&
                   spread.yMax <= 4095) {
            ++i;
        } else if (arg[0] != '-' && out == nullptr) {
            out = arg;
        } else {
            return usage();
        }
    }
    if (out == nullptr)
        return usage();
    // Distinct pixels only: refuse a count the chosen area cannot hold.
    uint64_t rows = uint64_t(spread.yMax) - spread.yMin + 1;
    if (spread.dxMax == 0 && uint64_t(spread.width) * rows < spread.count) {
        std::fprintf(stderr, "mkxy: %u planets do not fit in %u x %llu pixels\n", spread.count,
                     spread.width, static_cast<unsigned long long>(rows));
        return 2;
    }
    XyLayout layout;
    layout.records = randomPlanets(seed, spread);
    if (!writeFileBytes(out, buildXyFile(layout))) {
        std::fprintf(stderr, "mkxy: cannot write %s\n", out);
        return 1;
    }
    return 0;
}
