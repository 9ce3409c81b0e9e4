// Gaussian cube files to the native format: single grids (density,
// potential, one orbital) and orbital cubes (negative atom count followed by
// the list of orbitals), with values read as one stream of numbers.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "formats/geometry_section.h"

struct cube_header_t {
  std::string title, comment;
  lattice_t lattice;          // bohr
  mol_data_t molecule;        // the atoms
  std::vector<int> orbitals;  // the orbital list of an orbital cube
  int grids() const { return orbitals.empty() ? 1 : static_cast<int>(orbitals.size()); }
};

// Reads the header lines and leaves `file` at the first value; false with
// `error` set when the header is not a cube header or claims more than the
// file can hold.
bool read_cube_header(FILE* file, cube_header_t& header, std::string& error);
// Describes the grids of the cube in `rec`: their names, kinds and orbital
// indices, on the cube's lattice.
void describe_cube_grids(const cube_header_t& header, mol_data_t& rec);

// Converts the cube `path` (plain or compressed) to the native file
// `target`; with `epot`, the potential cube of the same lattice is added as
// "Electrostatic potential". Messages do not name `path` (the caller
// does); those about the potential name its file.
bool convert_cube(const std::string& path, const std::optional<std::string>& epot, const std::string& target,
                  std::string& error);
