// How many values a cut-off grid must store at least, found from the
// lattice and the atoms alone, so that a header whose data can't hold them
// is refused before any work per point.
#pragma once

#include <vector>

#include "molecule/lattice.h"
#include "molecule/types.h"

// A number of points the cut-off of radius `r` (a box: |Δx|, |Δy| and |Δz|
// below r) surely keeps among points first … points()-1 of `lattice`
// around `atoms` (all in one unit). Never more than the mask would keep;
// the work grows with the atoms, never with the points.
long long fewest_kept_points(const lattice_t& lattice, const std::vector<vec3>& atoms, double r, long long first);
