// The body of skyload: read the P4 bitmap and place the planets.
#pragma once

#include "tool_frame.h"

ToolStatus importBody(const MappedXyFile& xy, const PlanetList& planets,
                      const MapGeometry& geometry, const char* pbmPath);
