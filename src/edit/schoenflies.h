// The full point group of a molecule in Schoenflies notation (C2v, D6h, Td,
// Ih, C∞v as "Cinfv", …): every proper axis up to order 8, every mirror
// plane, the inversion and the improper axes S4, S6, S8, found at one
// distance tolerance and then named. Beyond the D2h subgroup that
// `findsym` reports; the command line uses it, the window does not.
#pragma once

#include <string>
#include <vector>

#include "molecule/types.h"

struct point_group_t {
  // "C1", "Cs", "Ci", "Cn", "Cnv", "Cnh", "Dn", "Dnd", "Dnh", "S2n", "T",
  // "Td", "Th", "O", "Oh", "I", "Ih", "Cinfv", "Dinfh", "Kh" (a single
  // point); empty when the atoms can't be examined (see `problem`).
  std::string symbol;
  std::string problem;
  struct axis_t {
    vec3 direction;
    unsigned orders = 0;    // bit n set: the n-fold rotation holds (n = 2 … 8)
    unsigned improper = 0;  // bit 2n set: the improper rotation S2n holds (4, 6, 8)
    int order() const;
  };
  // Elements found about the centre (the element-weighted mean position),
  // directions as unit vectors; none for the linear groups and Kh.
  std::vector<axis_t> axes;
  std::vector<vec3> planes;  // normals of the mirror planes
  bool inversion = false;
};

// The point group of the atoms `labels` at `xyz` (labels are numbered as
// `findsym` numbers them), with tolerance `tol` (Å, clamped to 1e-6 … 1).
point_group_t schoenflies_point_group(const std::vector<std::string>& labels, const std::vector<vec3>& xyz, double tol);
