// Grid sections of the native file: parsing the grid descriptions, reading
// the values of one grid on demand, and the suggested isosurface levels.
#pragma once

#include <cstdio>

#include "molecule/mol_data.h"

// Largest grid the reader accepts (points per grid).
constexpr long long max_grid_points = 1LL << 27;

// Orbital type codes, their long names and the letters the files use.
extern const char* const orbital_description[8];
extern const char* const orb_desc_short[8];
// The type code of a letter ("u" "f" "i" "1" "2" "3" "s" "d"); 0 for others.
int orbital_type_from_letter(char c);

class line_source;

// Parses a grid section after its " <GRID>" line into `rec`: the grid
// descriptions and where their values lie; no values.
void read_grid_block(line_source& in, mol_data_t& rec);
// The same from a stream, which is left where the section ended.
void read_grid_block(FILE* file, mol_data_t& rec);
// Reads the values of grid `iorb` of `m` from `file` (the native file its
// grid section was read from) and takes their limits (the suggested levels
// are made when asked for); with the first grid loaded also the potential
// grid, if there is one. The values of other geometries are dropped. A grid too large for the memory
// budget, or whose cut-off blocks overrun the data, is not loaded (warned).
void read_current_grid(FILE* file);
// Reads the values of grid g of `rec` (being read from `file`) into `values`,
// clamped as the current grid's are, with their smallest and largest value;
// of `rec` only a missing cut-off mask is made. False when the grid's layout
// or its kept values don't fit the file, or the values don't fit in memory.
bool read_grid_copy(FILE* file, mol_data_t& rec, int g, grid_values_t& values, double& min, double& max);
// Marks the points of `rec`'s lattice that its cut-off keeps around the
// atoms of `rec` (cutoff_mask, n_points entries).
void build_cutoff_mask(mol_data_t& rec);
// Gives back the memory of the values, the potential and the cut-off mask
// (the grid descriptions stay).
void release_grid_values(grid_data_t& d);
// Warns with `message` and frees the grids of `m`: its grid can't be read.
void fail_current_grid(const char* message);
// Reads the values of grid j of `rec` (being read from `file`) into
// `epot_values`.
void read_epoten_grid(FILE* file, mol_data_t& rec, int j);
// `iso_levels` and `iso_value` from `grid_values` and its limits: a pass
// over every value, so made only where they are asked for, not with each
// grid read.
void compute_iso_levels(mol_data_t& rec);
void current_grid_limits(double* min, double* max, double* iso);
int current_grid_data(const double** out);
// The grid of `m` with that orbital symmetry and index, or -1.
int get_orbital(int sym, int index);
