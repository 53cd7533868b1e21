// The body of skydump: draw the planets and write the P4 bitmap.
#pragma once

#include "tool_frame.h"

ToolStatus exportBody(const MappedXyFile& xy, const PlanetList& planets,
                      const MapGeometry& geometry, const char* pbmPath);
