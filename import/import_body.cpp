#include "import_body.h"

// FIXME: the bitmap reader and the star placement are not written yet; the import
// changes nothing after counting the planets.
ToolStatus importBody(const MappedXyFile&, const PlanetList&, const MapGeometry&, const char*)
{
    return ToolStatus::Ok;
}
