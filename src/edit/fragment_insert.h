// Inserting fragments of the library into the current geometry: on their
// own beside the molecule, attached to a selected atom, or in place of the
// second of two selected atoms; and the Insert key's choice between a
// fragment and a hydrogen.
#pragma once

#include <array>

#include "molecule/types.h"

using matrix3 = std::array<std::array<double, 3>, 3>;

// The matrix that turns direction b onto direction a (both normalised
// first): the identity for equal directions, a reflection of one axis when
// they differ only in that component's sign, else the rotation about a × b.
matrix3 build_rotation_matrix(const vec3& a, const vec3& b);

// Clear space between a fragment inserted on its own and the molecule,
// along the direction it is placed in.
constexpr double fragment_clearance = 2.0;

// Makes fragment k the last one used and inserts it: with no atom selected
// on its own (cap included); with one, three or four attached to the first
// selected atom; with two in place of the second.
void add_fragment(int k);
// At most one atom selected: the last fragment used, or a hydrogen while no
// fragment has been chosen.
void do_key_insert();
