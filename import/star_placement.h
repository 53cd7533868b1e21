// Placing the planets from the black pixels of the bitmap.
//
// The stars are taken columns from the left, each column from the bottom row up (the
// star scan finds them in that order), and the k-th set pixel (a star) gives its
// position to the k-th planet record. That order
// lists the planets by non-decreasing X, as the relative X distances of the list need,
// and the planets of one column by increasing Y. The number of records never changes:
// surplus stars are counted and ignored, records without a star keep their bytes.
//
// The work is split so that nothing is stored before every check has passed: the scan
// finds the stars while the bitmap is read, planPlacement computes the new record words
// into a plan, and applyPlan stores them.
#pragma once

#include "map_geometry.h"
#include "star_scan.h"

#include <cstdint>
#include <memory>

constexpr uint32_t IDENT_BASE = 49; // the ident of the first placed planet

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

// Takes the memory of a placement for `count` planets before the bitmap is read: room
// for the scan's candidates (begun for `geometry`) and for the new record words. Prints
// the message and returns NoMemory when it cannot be had.
PlacementStatus beginPlacement(const MapGeometry& geometry, uint32_t count, StarScan& scan,
                               PlacementPlan& plan);

// From the finished scan, computes the new word of each record that gets a star, printing,
// in placement order, the warnings of a truncated X distance or Y, and then the too-few
// or too-many warning. A record that would be stored as a word that passes the
// terminator test would end the list early on the next scan: the first such star gets an
// "Error: " line that names its pixel, and TerminatorStar. Touches nothing but `plan`.
PlacementStatus planPlacement(const StarScan& scan, const MapGeometry& geometry, uint32_t count,
                              PlacementPlan& plan);

// Bytes that are written in place: the read-write view of the XY file.
struct WritableView {
    uint8_t* data;
    uint32_t size;
};

// Stores the plan's words little-endian into the records from offset `first` on. The
// caller has checked that those records lie inside the view.
void applyPlan(const PlacementPlan& plan, WritableView view, uint32_t first);

// The whole placement from the finished scan: checks that the planet list lies in
// `view`, plans, prints "N of M star positions updated" and then rewrites the records. On
// any failure the view is left untouched.
PlacementStatus placeStars(const StarScan& scan, PlacementPlan& plan, const MapGeometry& geometry,
                           const PlanetList& planets, WritableView view);
