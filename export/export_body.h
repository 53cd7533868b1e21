// The body of skydump: draw the planets into a raster and write it as a raw PBM.
#pragma once

#include "tool_frame.h"

#include <cstdint>
#include <string>

// Sets one pixel per planet in `raster` (geometry.rasterSize bytes, zeroed by the
// caller), walking the list from its first record with a running column. A pixel
// already set stays set. A record whose y is below Y_ORIGIN has no row and is skipped;
// so is any pixel outside the geometry, which a list scanned into it cannot produce.
void drawPlanets(ByteView view, const PlanetList& planets, const MapGeometry& geometry,
                 uint8_t* raster);

// The PBM header for `geometry`: "P4\n<width> <height>\n".
std::string pbmHeader(const MapGeometry& geometry);

// Draws the planets and writes the bitmap to `pbmPath`, creating or truncating it.
// Refuses a path that names the XY file itself. On a failed write the message is
// printed and a regular output file is removed, so no half bitmap is left behind.
ToolStatus exportBody(const MappedXyFile& xy, const PlanetList& planets,
                      const MapGeometry& geometry, const char* pbmPath);
