// The point-group analysis of the current geometry as the window shows it:
// the D2h subgroup found (perhaps after turning the molecule to its
// principal axes) on the lower status bar, its mirror planes and two-fold
// axes as the only decorations.
#pragma once

#include <string>

struct mol_data_t;

// Finds the point group of `m` and draws its elements; false when the
// detection failed (the molecule and its decorations are then untouched).
bool do_point_group_analysis();
// Adds a plane for every mirror plane and an arrow for every two-fold axis
// of the group the generators name.
void draw_symmetry_elements(mol_data_t& rec, const std::string& generators);
