// The run that both tools share, from the banner to the exit status: arguments, the
// XY file opened and mapped in the tool's mode, validated and scanned, then the body.
#pragma once

#include "byte_view.h"
#include "map_geometry.h"
#include "platform/platform.h"

#include <cstdint>

// The process exit status.
enum class ToolStatus : int {
    Ok = 0,       // the run completed
    Failure = 1,  // too few arguments, or the body failed (its file, or a rejected bitmap)
    CantOpen = 2, // the XY file cannot be opened
    CantMap = 3,  // the XY file cannot be mapped (no message)
    Unusable = 4, // the XY file is not one these tools can use
};

// The body of a tool: given the mapped XY file, its planet list, its bitmap geometry and
// the PBM path, does the tool's work and returns its status.
using ToolBody = ToolStatus (*)(const MappedXyFile& xy, const PlanetList& planets,
                                const MapGeometry& geometry, const char* pbmPath);

struct ToolInfo {
    const char* name;   // used in the usage line when the system gives no program name
    const char* banner; // first line printed, with its "\n"
    ToolMode mode;
    ToolBody body;
};

// The time stamp of the build, 24 characters like "Fri Sep 18 09:35:14 1998".
extern const char* const BUILD_TIMESTAMP;

// The bounded view of a mapped file. A file too large for 32-bit offsets is seen as its
// first 4 GiB less one byte: no planet list can reach that far.
ByteView viewOf(const MappedXyFile& xy);

// Opens and maps `path` in `mode`: Ok, CantOpen (after printing "Can't open file: ...")
// or CantMap (no message).
ToolStatus openXyFile(const char* path, ToolMode mode, MappedXyFile& xy);

// Writes the changes made through a read-write view to the file on disk. A failure gets
// an "Error: " line and false: the caller must not report the run as a success.
bool flushXyFile(const MappedXyFile& xy);

// Releases the view, the mapping and the file, in that order.
void closeXyFile(MappedXyFile& xy);

// The whole run of a tool; returns the process exit status.
int runTool(const ToolInfo& tool, int argc, char** argv);
