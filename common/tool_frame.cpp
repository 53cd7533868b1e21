#include "tool_frame.h"

#include "build_stamp.h"
#include "xy_file.h"

#include <cstdio>

const char* const BUILD_TIMESTAMP = SKY_BUILD_TIMESTAMP;

ByteView viewOf(const MappedXyFile& xy)
{
    uint64_t size = xy.length < UINT32_MAX ? xy.length : UINT32_MAX;
    return ByteView{xy.base, uint32_t(size)};
}

ToolStatus openXyFile(const char* path, ToolMode mode, MappedXyFile& xy)
{
    switch (platformOpenAndMap(path, mode, xy)) {
    case MapResult::Ok:
        return ToolStatus::Ok;
    case MapResult::CantOpen:
        std::printf("Can't open file: %s\n", path);
        return ToolStatus::CantOpen;
    case MapResult::CantMap:
        break;
    }
    return ToolStatus::CantMap;
}

bool flushXyFile(const MappedXyFile& xy)
{
    // Releasing the view would write the pages back too, but without telling anyone when
    // that fails; an explicit flush lets the run end with a failure instead.
    if (platformFlushView(xy))
        return true;
    std::printf("Error: the changed planet records could not be written back to the XY file "
                "(%llu bytes)\n",
                static_cast<unsigned long long>(xy.length));
    return false;
}

void closeXyFile(MappedXyFile& xy)
{
    platformRelease(xy);
}

namespace
{

// Validation, scan and geometry. Anything but Ok means the reason has been printed and
// the file is not one the tools can use; the run then ends through the normal release.
ToolStatus inspectXyFile(ByteView view, PlanetList& planets, MapGeometry& geometry)
{
    if (validateXyFile(view) != XyCheck::Valid)
        return ToolStatus::Unusable;
    uint32_t first = 0;
    // validateXyFile has read both block headers, so this walk cannot fail.
    if (!planetListStart(view, first))
        return ToolStatus::Unusable;
    if (scanPlanets(view, first, planets) != ScanStatus::Ok)
        return ToolStatus::Unusable;
    if (!geometryFor(planets, geometry))
        return ToolStatus::Unusable;
    return ToolStatus::Ok;
}

} // namespace

int runTool(const ToolInfo& tool, int argc, char** argv)
{
    std::printf("%s", tool.banner);
    std::printf("Compiled %s\n", BUILD_TIMESTAMP);
    if (argc < 3) {
        // Started with no argument vector, a program gets none, or (on Linux) one empty
        // string in its place: either way it has no name of its own to show.
        bool named = argc > 0 && argv[0] != nullptr && argv[0][0] != '\0';
        const char* self = named ? argv[0] : tool.name;
        std::printf("%s <filename.xy> <filename.pbm>\n", self);
        return int(ToolStatus::Failure);
    }
    const char* xyPath = argv[1];
    const char* pbmPath = argv[2];

    MappedXyFile xy{};
    ToolStatus status = openXyFile(xyPath, tool.mode, xy);
    if (status != ToolStatus::Ok)
        return int(status);

    PlanetList planets{};
    MapGeometry geometry{};
    status = inspectXyFile(viewOf(xy), planets, geometry);
    if (status == ToolStatus::Ok) {
        std::printf("%d planets detected\n", int(planets.count));
        status = tool.body(xy, planets, geometry, pbmPath);
        // A failed body ends the run at once; the system reclaims the view and the file.
        if (status != ToolStatus::Ok) {
            std::fflush(stdout);
            return int(status);
        }
    }
    closeXyFile(xy);
    return int(status);
}
