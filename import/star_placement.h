// Placing the planets from the black pixels of the bitmap.
//
// The pixels are visited columns from the left, each column from the bottom row up, and
// the k-th set pixel (a star) gives its position to the k-th planet record. That order
// lists the planets by non-decreasing X, as the relative X distances of the list need,
// and the planets of one column by increasing Y. The number of records never changes:
// surplus stars are counted and ignored, records without a star keep their bytes.
//
// The work is split in two so that nothing is stored before every check has passed:
// planPlacement computes the new record words into a plan, and applyPlan stores them.
#pragma once

#include "map_geometry.h"

#include <cstdint>
#include <memory>

constexpr uint32_t IDENT_BASE = 49; // the ident of the first placed planet

// The position of a star: its column and its row counted from the bottom (Y - Y_ORIGIN).
struct StarPixel {
    uint32_t column;
    uint32_t rowFromBottom;
};

// Visits the pixels of `raster` (geometry.rasterSize bytes) in placement order, stores
// the first `limit` stars in `found` (room for `limit`) and returns the number of all
// stars. Counted in 64 bits: a raster of 4 GiB holds more pixels than 32 bits count.
uint64_t findStars(const uint8_t* raster, const MapGeometry& geometry, uint32_t limit,
                   StarPixel* found);

enum class PlacementStatus {
    Ok,
    NoMemory,        // no room for the new record words
    TerminatorStar,  // a new record would read as the end of the planet list
    ListOutsideView, // the planet list does not lie inside the view it is to be written to
};

// The new words of the first `written` planet records.
struct PlacementPlan {
    std::unique_ptr<uint32_t[]> words;
    uint32_t written; // records to rewrite: the smaller of `stars` and the planet count
    uint64_t stars;   // all stars of the raster, surplus ones included
};

// Computes the new word of each record that gets a star, printing, in placement order,
// the warnings of a truncated X distance or Y, and then the too-few or too-many warning.
// A record that would be stored as a word that passes the terminator test would end
// the list early on the next scan: the first such star gets an "Error: " line that
// names its pixel, and TerminatorStar. Touches nothing but `plan`.
PlacementStatus planPlacement(const uint8_t* raster, const MapGeometry& geometry, uint32_t count,
                              PlacementPlan& plan);

// Bytes that are written in place: the read-write view of the XY file.
struct WritableView {
    uint8_t* data;
    uint32_t size;
};

// Stores the plan's words little-endian into the records from offset `first` on. The
// caller has checked that those records lie inside the view.
void applyPlan(const PlacementPlan& plan, WritableView view, uint32_t first);

// The whole placement: checks that the planet list lies in `view`, plans, prints
// "N of M star positions updated" and then rewrites the records. On any failure the
// view is left untouched.
PlacementStatus placeStars(const uint8_t* raster, const MapGeometry& geometry,
                           const PlanetList& planets, WritableView view);
