// The native file of the open document as the document reads it: the
// geometries with what follows a read (view depth, surface store), the grid
// sections again after undo, and the values of the current grid.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "molecule/large_blocks.h"

// Replaces all geometries by those of `file` from its current position, and
// sizes the view and the surface store for them.
void read_geometries(FILE* file);
// Makes the highest occupied orbital of the current geometry (of the alpha
// orbitals, when it has both spins) the current grid, as for a file that
// came through a converter; without an occupied orbital nothing changes.
void make_highest_occupied_current();
// Re-reads the grid sections of the geometries whose flag is non-zero from
// the native file of the open file.
void read_all_grids_from_all_sections(const std::vector<int>& flags);
// Reads the values of the current grid from the native file of the open file.
void read_grid_from_file();
// Reads the current grid's values and builds its isosurfaces.
void do_load_grid();
// Reads the values of grid g of the current geometry from the open file's
// native file, without making it current (its smallest and largest value
// too). False with the reason in `error` when it can't be read.
bool read_grid_of_current_geometry(int g, grid_values_t& values, double& min, double& max, std::string& error);
