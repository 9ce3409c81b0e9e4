// Moving the molecule as a whole or in part: the centre used by origin
// moves and view centring, moving the origin, and translation.
#pragma once

#include "molecule/mol_data.h"

// Mean of the marked atoms, else of all atoms, else of the decorations'
// centres (planes excluded); (0, 0, 0) when there is nothing.
void get_center(double& x, double& y, double& z);
// Shifts atoms, decorations and the grid origin so that the centre (no atom
// selected), the first selected atom (one) or the midpoint of the first two
// (two or more) becomes the origin.
void set_origin_molecule();
// Moves the first selected atom by v; with no selection, the marked atoms,
// or everything (atoms, decorations, grid origin) when none is marked.
void translate(const vec3& v);
