// Fuzz target: any bytes as an XY file, through everything both tools do with it before
// their bodies (validation, block walk, planet scan, geometry) and then the drawing of
// the export. Besides the sanitizers, it checks what the tools rely on afterwards: the
// list ends at a terminator inside the file, the geometry holds every planet, and every
// planet that has a row is drawn at its pixel.
#include "export_body.h"
#include "fuzz_support.h"
#include "map_geometry.h"
#include "xy_file.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace
{

// Checking that no stray pixel is set reads the whole raster; do it while that is cheap.
constexpr uint32_t STRAY_CHECK_CAP = 1u << 20;

void checkGeometry(const PlanetList& planets, const MapGeometry& geometry)
{
    FUZZ_CHECK(geometry.width % MAP_STEP == 0 && geometry.width > planets.xSum);
    FUZZ_CHECK(geometry.height % MAP_STEP == 0 && geometry.height > planets.maxYOffset);
    FUZZ_CHECK(geometry.height <= roundUpToStep(Y_LIMIT - Y_ORIGIN));
    FUZZ_CHECK(uint64_t(geometry.stride) * 8 == geometry.width);
    FUZZ_CHECK(uint64_t(geometry.stride) * geometry.height == geometry.rasterSize);
    std::string header = pbmHeader(geometry);
    FUZZ_CHECK(header == "P4\n" + std::to_string(geometry.width) + " " +
                             std::to_string(geometry.height) + "\n");
}

// Calls `visit` with the byte index and mask of the pixel of every planet that has a row,
// walking the list as the drawing does, and checks the walk against the scan.
template <typename Visit>
void forEachPixel(ByteView view, const PlanetList& planets, const MapGeometry& geometry,
                  Visit visit)
{
    uint64_t column = 0;
    for (uint32_t i = 0; i < planets.count; ++i) {
        uint32_t word = 0;
        FUZZ_CHECK(readLe32(view, planets.first + i * RECORD_SIZE, word));
        PlanetRecord record = decodePlanet(word);
        column += record.xDistance;
        if (record.y < Y_ORIGIN)
            continue;
        FUZZ_CHECK(column < geometry.width && record.y - Y_ORIGIN < geometry.height);
        visit(pixelByte(geometry, rowFromTop(geometry, record.y), uint32_t(column)),
              pixelMask(uint32_t(column)));
    }
    FUZZ_CHECK(column == planets.xSum);
}

// Checks that every planet with a row has its pixel set and, for a raster small enough,
// that no other pixel is. Clears the planets' pixels on the way.
void checkDrawing(ByteView view, const PlanetList& planets, const MapGeometry& geometry,
                  uint8_t* raster)
{
    forEachPixel(view, planets, geometry,
                 [raster](uint32_t byte, uint8_t mask) { FUZZ_CHECK(raster[byte] & mask); });
    if (geometry.rasterSize > STRAY_CHECK_CAP)
        return;
    forEachPixel(view, planets, geometry,
                 [raster](uint32_t byte, uint8_t mask) { raster[byte] &= uint8_t(~mask); });
    // Blank now: memcmp against itself shifted by one byte tests that at library speed.
    FUZZ_CHECK(raster[0] == 0 && std::memcmp(raster, raster + 1, geometry.rasterSize - 1) == 0);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    silenceStdout();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > UINT32_MAX)
        return 0;
    ByteView view{data, uint32_t(size)};
    if (validateXyFile(view) != XyCheck::Valid)
        return 0;
    uint32_t first = 0;
    // A valid file has both block headers, so the walk to the list always succeeds.
    FUZZ_CHECK(planetListStart(view, first));
    PlanetList planets{};
    if (scanPlanets(view, first, planets) != ScanStatus::Ok)
        return 0;
    uint32_t terminator = 0;
    FUZZ_CHECK(planets.first == first);
    FUZZ_CHECK(
        readLe32(view, uint32_t(first + uint64_t(planets.count) * RECORD_SIZE), terminator) &&
        isTerminator(terminator));
    MapGeometry geometry{};
    if (!geometryFor(planets, geometry))
        return 0;
    checkGeometry(planets, geometry);
    if (geometry.rasterSize > RASTER_CAP)
        return 0;
    uint8_t* raster = static_cast<uint8_t*>(std::calloc(geometry.rasterSize, 1));
    FUZZ_CHECK(raster != nullptr);
    drawPlanets(view, planets, geometry, raster);
    checkDrawing(view, planets, geometry, raster);
    std::free(raster);
    return 0;
}
