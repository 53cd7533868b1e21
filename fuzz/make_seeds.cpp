// make_fuzz_seeds OUTDIR: writes the seed corpora of the fuzz targets into
// OUTDIR/fuzz_xy and OUTDIR/fuzz_import, replacing what was there.
//
// Every seed is made here by the project's own generator: valid XY files of several
// sizes and shapes, the edge cases of the tests (odd block sizes, wrong types, magic and
// filetype, a record that looks like the terminator, no terminator, truncations), and,
// for the import, each XY file joined with the bitmap skydump draws for it or with a
// bitmap that tests one rule of the reader or of the placement.
#include "export_body.h"
#include "fuzz_support.h"
#include "map_geometry.h"
#include "xy_file.h"
#include "xy_generator.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace
{

using Bytes = std::vector<uint8_t>;

// The largest raster of an exported bitmap among the import seeds: 400 x 3200 pixels.
constexpr uint32_t IMPORT_SEED_RASTER_LIMIT = 160000;

XyLayout layoutOf(std::vector<uint32_t> records)
{
    XyLayout layout;
    layout.records = std::move(records);
    return layout;
}

Bytes xyOf(std::vector<uint32_t> records)
{
    return buildXyFile(layoutOf(std::move(records)));
}

Bytes randomXy(uint64_t seed, const PlanetSpread& spread)
{
    return xyOf(randomPlanets(seed, spread));
}

// `count` planets `dx` columns apart, all at `y`.
std::vector<uint32_t> evenPlanets(uint32_t count, uint32_t dx, uint32_t y)
{
    std::vector<uint32_t> records;
    for (uint32_t i = 0; i < count; ++i)
        records.push_back(planetWord(dx, y, 1 + i % 1023));
    return records;
}

// The geometry the tools derive for `xy`; false when they refuse the file.
bool geometryOf(const Bytes& xy, PlanetList& planets, MapGeometry& geometry)
{
    return inspectXy(ByteView{xy.data(), uint32_t(xy.size())}, planets, geometry);
}

Bytes withHeader(const std::string& header, const Bytes& raster)
{
    Bytes pbm(header.begin(), header.end());
    pbm.insert(pbm.end(), raster.begin(), raster.end());
    return pbm;
}

// A pixel by its column and its Y co-ordinate, as the placement reads it.
struct Star {
    uint32_t column;
    uint32_t y;
};

// The raster of `geometry` with exactly `stars` set.
Bytes rasterWith(const MapGeometry& geometry, const std::vector<Star>& stars)
{
    Bytes raster(geometry.rasterSize, 0);
    for (const Star& star : stars)
        raster[pixelByte(geometry, rowFromTop(geometry, star.y), star.column)] |=
            pixelMask(star.column);
    return raster;
}

// The bitmap skydump writes for `xy`.
Bytes exportedPbm(const Bytes& xy)
{
    PlanetList planets{};
    MapGeometry geometry{};
    if (!geometryOf(xy, planets, geometry))
        return {};
    Bytes raster(geometry.rasterSize, 0);
    drawPlanets(ByteView{xy.data(), uint32_t(xy.size())}, planets, geometry, raster.data());
    return withHeader(pbmHeader(geometry), raster);
}

struct SeedWriter {
    std::filesystem::path dir;
    bool ok = true;

    void write(const std::string& name, const Bytes& bytes)
    {
        std::string path = (dir / name).string();
        if (!writeFileBytes(path, bytes)) {
            std::fprintf(stderr, "make_fuzz_seeds: cannot write %s\n", path.c_str());
            ok = false;
        }
    }
};

// Named XY files: the shapes the tools must handle and the edge cases of the tests.
std::vector<std::pair<std::string, Bytes>> xySeeds()
{
    std::vector<std::pair<std::string, Bytes>> seeds;
    auto add = [&seeds](const std::string& name, const Bytes& bytes) {
        seeds.emplace_back(name, bytes);
    };
    const std::vector<uint32_t> three = {planetWord(10, 1000, 1), planetWord(20, 1100, 2),
                                         planetWord(0, 1200, 3)};
    add("three", xyOf(three));
    add("empty-list", xyOf({}));
    add("xsum-700", xyOf({planetWord(300, 1000, 1), planetWord(400, 1000, 2)}));
    add("last-byte-of-top-row", xyOf({planetWord(399, 1399, 1)}));
    add("shared-pixel", xyOf({planetWord(20, 1100, 1), planetWord(0, 1100, 2)}));
    add("y-below-1000", xyOf({planetWord(5, 1200, 1), planetWord(5, 998, 2)}));
    add("y-4095", xyOf({planetWord(7, 4095, 1), planetWord(1, 1000, 2)}));
    add("terminator-lookalike",
        xyOf({planetWord(10, 1100, 1), planetWord(2, 1024, 0), planetWord(5, 1300, 3)}));
    add("distance-1023", xyOf(evenPlanets(40, 1023, 1200)));
    add("columns-2-apart", xyOf(evenPlanets(1000, 2, 1000)));

    // The three planets in files whose blocks, magic, filetype or end are unusual.
    struct LayoutCase {
        const char* name;
        uint16_t firstHeader;
        uint16_t secondHeader;
        const char* magic;
        uint8_t filetype;
        bool terminated;
        uint32_t trailerBytes;
    };
    const uint16_t FIRST = (8 << 10) | 30;
    const uint16_t SECOND = (7 << 10) | 40;
    const LayoutCase layouts[] = {
        {"odd-first-size", (8 << 10) | 31, SECOND, "J3J3", 0, true, 24},
        {"odd-second-size", FIRST, (7 << 10) | 41, "J3J3", 0, true, 24},
        {"first-not-type-8", (9 << 10) | 30, SECOND, "J3J3", 0, true, 24},
        {"second-not-type-7", FIRST, (6 << 10) | 40, "J3J3", 0, true, 24},
        {"second-block-over-the-magic", (8 << 10) | 0, SECOND, "J3J3", 0, true, 24},
        {"largest-blocks", (8 << 10) | 1023, (7 << 10) | 1023, "J3J3", 0, true, 24},
        {"wrong-magic", FIRST, SECOND, "J3J2", 0, true, 24},
        {"filetype-2", FIRST, SECOND, "J3J3", 2, true, 24},
        {"no-terminator", FIRST, SECOND, "J3J3", 0, false, 0},
        {"no-terminator-odd-end", FIRST, SECOND, "J3J3", 0, false, 3},
    };
    for (const LayoutCase& c : layouts) {
        XyLayout layout = layoutOf(three);
        layout.firstHeader = c.firstHeader;
        layout.secondHeader = c.secondHeader;
        layout.magic = c.magic;
        layout.filetype = c.filetype;
        layout.terminated = c.terminated;
        layout.trailerBytes = c.trailerBytes;
        add(c.name, buildXyFile(layout));
    }

    Bytes whole = xyOf(three);
    for (size_t length : {1, 5, 16, 17, 33, 34, 75, 85})
        add("cut-at-" + std::to_string(length), Bytes(whole.begin(), whole.begin() + length));

    PlanetSpread spread;
    for (uint32_t count : {1u, 40u, 300u}) {
        spread.count = count;
        add("random-" + std::to_string(count), randomXy(count, spread));
    }
    spread.count = 60;
    spread.dxMin = 100;
    spread.dxMax = 1023;
    spread.yMin = 1000;
    spread.yMax = 4095;
    add("random-wide-and-tall", randomXy(5, spread));
    // The largest map the XY target draws (its raster just under 4 MiB), the smallest it
    // leaves undrawn, and one past what the tools handle at all.
    add("largest-drawn-map", xyOf(evenPlanets(10, 1023, 4095)));
    add("smallest-undrawn-map", xyOf(evenPlanets(11, 1023, 4095)));
    add("map-too-large", xyOf(evenPlanets(10600, 1023, 4095)));
    return seeds;
}

// Bitmaps for the import: each joined with the XY file it is read against.
void writeImportSeeds(SeedWriter& out, const std::vector<std::pair<std::string, Bytes>>& xy)
{
    // Every XY file with the bitmap skydump draws for it; a refused file with an empty
    // one. Large maps are left out: a seed that big would slow every mutation down.
    for (const auto& [name, bytes] : xy) {
        PlanetList planets{};
        MapGeometry geometry{};
        bool usable = geometryOf(bytes, planets, geometry);
        if (usable && geometry.rasterSize > IMPORT_SEED_RASTER_LIMIT)
            continue;
        out.write(name + "+exported",
                  joinImportInput(bytes, usable ? exportedPbm(bytes) : Bytes{}));
    }

    const Bytes three =
        xyOf({planetWord(10, 1000, 1), planetWord(20, 1100, 2), planetWord(0, 1200, 3)});
    PlanetList planets{};
    MapGeometry square{};
    geometryOf(three, planets, square);
    Bytes raster = rasterWith(square, {{10, 1000}, {30, 1100}, {30, 1200}});
    auto add = [&out](const std::string& name, const Bytes& xyBytes, const Bytes& pbm) {
        out.write(name, joinImportInput(xyBytes, pbm));
    };
    add("comments", three, withHeader("P4\n# one\n# two\n400 400\n", raster));
    add("long-comment", three, withHeader("P4\n#" + std::string(300, 'c') + "\n400 400\n", raster));
    add("indented-comment", three, withHeader("P4\n # no\n400 400\n", raster));
    add("crlf", three, withHeader("P4\r\n400 400\r\n", raster));
    add("size-on-first-line", three, withHeader("P4 400 400\n", raster));
    add("size-on-two-lines", three, withHeader("P4\n400\n400\n", raster));
    add("empty-line", three, withHeader("P4\n\n400 400\n", raster));
    add("plain-pbm", three, withHeader("P1\n400 400\n", raster));
    add("signs-and-spaces", three, withHeader("P4\n  +400\t+400 trailing\n", raster));
    add("negative-size", three, withHeader("P4\n-400 400\n", raster));
    add("huge-size", three, withHeader("P4\n99999999999 400\n", raster));
    add("no-size-line", three, withHeader("P4\n# only a comment\n", {}));
    add("empty-bitmap", three, {});
    add("all-white", three, withHeader("P4\n400 400\n", Bytes(raster.size(), 0)));
    add("all-black", three, withHeader("P4\n400 400\n", Bytes(raster.size(), 0xFF)));
    add("short-raster", three,
        withHeader("P4\n400 400\n", Bytes(raster.begin(), raster.begin() + raster.size() / 2)));
    add("too-many-stars", three,
        withHeader(
            "P4\n400 400\n",
            rasterWith(square, {{1, 1000}, {1, 1001}, {2, 1002}, {399, 1399}, {200, 1200}})));

    const Bytes wide = xyOf({planetWord(1023, 1000, 1), planetWord(1023, 1000, 2)});
    MapGeometry wideGeometry{};
    geometryOf(wide, planets, wideGeometry);
    add("x-distance-over-1023", wide,
        withHeader(pbmHeader(wideGeometry),
                   rasterWith(wideGeometry, {{1500, 1000}, {2000, 1000}})));
    add("swapped-size", wide, withHeader("P4\n400 2400\n", rasterWith(wideGeometry, {})));

    const Bytes tall = xyOf({planetWord(7, 4095, 1)});
    MapGeometry tallGeometry{};
    geometryOf(tall, planets, tallGeometry);
    add("y-over-4095", tall,
        withHeader(pbmHeader(tallGeometry), rasterWith(tallGeometry, {{3, 4199}})));

    // Star 975 gets ident 0; two columns after star 974 and at Y 1024 it would be written
    // as a word that reads as the terminator.
    const Bytes thousand = xyOf(evenPlanets(1000, 2, 1000));
    MapGeometry thousandGeometry{};
    geometryOf(thousand, planets, thousandGeometry);
    std::vector<Star> stars;
    for (uint32_t i = 0; i < 1000; ++i)
        stars.push_back({2 * i, i == 975 ? 1024u : 1000u});
    add("star-that-reads-as-terminator", thousand,
        withHeader(pbmHeader(thousandGeometry), rasterWith(thousandGeometry, stars)));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds OUTDIR\n");
        return 2;
    }
    // The scan's warnings are of no interest here.
    silenceStdout();
    namespace fs = std::filesystem;
    SeedWriter xyOut{fs::path(argv[1]) / "fuzz_xy"};
    SeedWriter importOut{fs::path(argv[1]) / "fuzz_import"};
    std::error_code error;
    for (const SeedWriter* out : {&xyOut, &importOut}) {
        fs::remove_all(out->dir, error);
        if (!fs::create_directories(out->dir, error)) {
            std::fprintf(stderr, "make_fuzz_seeds: cannot create %s\n", out->dir.c_str());
            return 1;
        }
    }
    std::vector<std::pair<std::string, Bytes>> xy = xySeeds();
    for (const auto& [name, bytes] : xy)
        xyOut.write(name, bytes);
    writeImportSeeds(importOut, xy);
    return xyOut.ok && importOut.ok ? 0 : 1;
}
