// Writing one grid as a Gaussian cube file, the format other programs read.
#pragma once

#include <string>
#include <vector>

#include "molecule/large_blocks.h"
#include "molecule/lattice.h"
#include "molecule/types.h"

struct cube_atom_t {
  int number = 0;  // atomic number
  vec3 xyz{};      // bohr
};

struct cube_grid_t {
  std::string title, comment;  // the two comment lines
  lattice_t lattice;           // bohr
  std::vector<cube_atom_t> atoms;
  const grid_values_t* values = nullptr;  // the lattice's points, z fastest
};

// The text of the cube: the header in bohr, then the values of each row of
// the third axis, six to a line ("%13.5E"), every row starting a new line.
std::string cube_text(const cube_grid_t& grid);
// Writes it to `path` atomically; false when it could not be written.
bool write_cube(const std::string& path, const cube_grid_t& grid);
