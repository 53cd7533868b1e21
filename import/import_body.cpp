#include "import_body.h"

#include "pbm_reader.h"
#include "star_placement.h"

ToolStatus importBody(const MappedXyFile& xy, const PlanetList& planets,
                      const MapGeometry& geometry, const char* pbmPath)
{
    // The placement's memory is taken before the bitmap is opened.
    StarScan scan;
    PlacementPlan plan;
    if (beginPlacement(geometry, planets.count, scan, plan) != PlacementStatus::Ok)
        return ToolStatus::Failure;
    // The raster is scanned for stars as it is read; the file is done with after that.
    BitmapInput input{};
    PbmStatus read = readBitmap(pbmPath, geometry, scan, input);
    releaseBitmap(input);
    if (read != PbmStatus::Ok)
        return ToolStatus::Failure;
    finishStarScan(scan);
    WritableView view{xy.base, viewOf(xy).size};
    if (placeStars(scan, plan, geometry, planets, view) != PlacementStatus::Ok)
        return ToolStatus::Failure;
    // The records are written through the mapping; flushing now turns a failed write-back
    // into a failed run instead of a silent loss when the view is released.
    return flushXyFile(xy) ? ToolStatus::Ok : ToolStatus::Failure;
}
