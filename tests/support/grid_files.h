// Native files with grids for the tests of saving and of failing disks:
// water with orbitals on a lattice, in blocks, with or without a cut-off,
// every value its own so that a misplaced one shows.
#pragma once

#include <string>
#include <vector>

#include "molecule/types.h"

struct grid_file_layout_t {
  int n = 4;          // points per axis
  int grids = 2;      // orbitals
  int block = 0;      // points per block; 0: one block per grid
  double cutoff = 0;  // the cut-off radius in bohr (a "BOHR" header); 0: none
  std::vector<vec3> atoms = {{0, 0, 0.1173}, {0, 0.7572, -0.4692}, {0, -0.7572, -0.4692}};  // ångström
};

// The file's text. Its lattice spans -4 … 4 bohr along each axis; with the
// cut-off each block holds the values of its kept points first, and the
// rest of its place (but for the last block of the last grid) holds 9e9.
std::string grid_file_text(const grid_file_layout_t& layout);
// The value at point p of grid g (0 where the cut-off drops the point).
double grid_file_value(int g, long long p);
// The bytes of the grid data of the first grid section of `text`.
std::string grid_data_of(const std::string& text);
