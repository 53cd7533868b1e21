#include "import_body.h"

#include "pbm_reader.h"
#include "star_placement.h"

ToolStatus importBody(const MappedXyFile& xy, const PlanetList& planets,
                      const MapGeometry& geometry, const char* pbmPath)
{
    BitmapInput input{};
    PbmStatus read = readBitmap(pbmPath, geometry, input);
    bool placed = read == PbmStatus::Ok &&
                  placeStars(input.raster, geometry, planets,
                             WritableView{xy.base, viewOf(xy).size}) == PlacementStatus::Ok;
    // The raster and the stream go back on every path, the failed ones included.
    releaseBitmap(input);
    if (!placed)
        return ToolStatus::Failure;
    // The records are written through the mapping; flushing now turns a failed write-back
    // into a failed run instead of a silent loss when the view is released.
    return flushXyFile(xy) ? ToolStatus::Ok : ToolStatus::Failure;
}
