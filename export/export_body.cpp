#include "export_body.h"

#include "xy_file.h"

#include <cstdio>
#include <cstdlib>
#include <string>

void drawPlanets(ByteView view, const PlanetList& planets, const MapGeometry& geometry,
                 uint8_t* raster)
{
    uint64_t column = 0;
    uint32_t offset = planets.first;
    uint32_t word = 0;
    for (uint32_t i = 0; i < planets.count && readLe32(view, offset, word); ++i) {
        offset += RECORD_SIZE;
        PlanetRecord record = decodePlanet(word);
        column += record.xDistance;
        if (record.y < Y_ORIGIN || record.y - Y_ORIGIN >= geometry.height ||
            column >= geometry.width)
            continue;
        uint32_t row = rowFromTop(geometry, record.y);
        raster[pixelByte(geometry, row, uint32_t(column))] |= pixelMask(uint32_t(column));
    }
}

std::string pbmHeader(const MapGeometry& geometry)
{
    char header[64];
    int length = std::snprintf(header, sizeof header, "P4\n%d %d\n", int(geometry.width),
                               int(geometry.height));
    return std::string(header, size_t(length));
}

namespace
{

// Writes header and raster and closes the file; false if any of the three failed.
bool writeBitmap(OutputFile& out, const std::string& header, const uint8_t* raster,
                 uint32_t rasterSize)
{
    bool written =
        platformWriteAll(out, reinterpret_cast<const uint8_t*>(header.data()), header.size()) &&
        platformWriteAll(out, raster, rasterSize);
    // Close even after a failed write; a close can also be the first to report one.
    bool closed = platformCloseOutput(out);
    return written && closed;
}

} // namespace

ToolStatus exportBody(const MappedXyFile& xy, const PlanetList& planets,
                      const MapGeometry& geometry, const char* pbmPath)
{
    // Creating the output truncates it: were it the XY file, the universe being read
    // through the mapping would be destroyed. Names can differ for one file (links),
    // so the test is on the file's identity.
    if (platformIdentify(xy, pbmPath) == Identity::Same) {
        std::printf("Error: %s is the XY file itself; give the bitmap another name.\n", pbmPath);
        return ToolStatus::Failure;
    }
    // calloc leaves the untouched pages of a large, mostly empty map unallocated.
    uint8_t* raster = static_cast<uint8_t*>(std::calloc(geometry.rasterSize, 1));
    if (raster == nullptr) {
        std::printf("Error: not enough memory for a bitmap of %u bytes.\n", geometry.rasterSize);
        return ToolStatus::Failure;
    }
    drawPlanets(viewOf(xy), planets, geometry, raster);

    OutputFile out{};
    if (!platformCreateOutput(pbmPath, out)) {
        std::printf("error opening %s for write.\n", pbmPath);
        std::free(raster);
        return ToolStatus::Failure;
    }
    bool ok = writeBitmap(out, pbmHeader(geometry), raster, geometry.rasterSize);
    std::free(raster);
    if (!ok) {
        std::printf("error writing %s.\n", pbmPath);
        if (out.isRegular)
            platformRemoveFile(pbmPath);
        return ToolStatus::Failure;
    }
    return ToolStatus::Ok;
}
