// A geometry section as the converters make and read it: the molecule
// record, and what a section of the native file holds beyond the record.
#pragma once

#include <array>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>

#include "formats/orbital_file.h"
#include "molecule/mol_data.h"

// How the values of a grid section lie in its data, as its header says:
// points per grid, blocks of points (each block of every grid in turn, the
// last, shorter blocks at the end), whether a cut-off keeps only some
// points, and the byte length of the data.
struct grid_values_layout_t {
  long long points = 0, block_size = 0, bytes = 0;
  int n_blocks = 0, is_cutoff = 0, n_p = 0;
  bool bohr = false;  // the cut-off radius is given in bohr
  std::array<int, 3> net{};
};

// What a grid section holds beyond the grid descriptions of its record:
// the values and the embedded orbital file.
struct grid_output_t {
  // Writes the values of every grid of the record as `layout` lays them
  // out (without one: every grid in turn, the lattice's points of each in
  // point order), as 8-byte doubles in the machine's byte order; false with
  // `error` set when it can't. Without it the section holds no values.
  std::function<bool(FILE*, std::string& error)> write_values;
  std::optional<orbital_file_t> orbital_file;
  std::optional<grid_values_layout_t> layout;
};

struct geometry_section_t {
  mol_data_t rec;
  std::string comment;                   // the second line
  std::optional<std::string> message;    // shown in the status bar on opening
  bool bonds_final = false;              // no automatic bonding, even without bonds
  const grid_output_t* grids = nullptr;  // the values of rec's grids, when it has some
};

// The grid section of `rec` described as the reader would describe it:
// its lattice (given in bohr), and grids added one after another, each a
// named grid ("Electrostatic" in the name makes a potential) or an orbital.
void set_grid_lattice(mol_data_t& rec, const lattice_t& bohr);
void add_named_grid(mol_data_t& rec, const std::string& name);
void add_orbital_grid(mol_data_t& rec, int sym, int index, double energy, double occ);
