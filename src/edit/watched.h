// Watched values: bonds, angles and dihedrals whose values stay on show
// while the user edits. Each record names its atoms by number (from 1).
#pragma once

#include <array>
#include <vector>

#include "molecule/mol_data.h"

struct watch_t {
  int kind = 0;               // 2 bond, 3 angle, 4 dihedral: the number of atoms
  std::array<int, 4> atom{};  // atom numbers from 1; the first `kind` are used
};

extern std::vector<watch_t> watch;
int n_watched();

// Watches the coordinate the selection defines (two to four atoms selected).
void add_watched_coord();
// Removes record k, moving the later ones down.
void remove_watched_coord(int k);
void remove_all_watched_coords();

// Whether every atom the record names exists in `rec`.
bool watch_is_valid(const mol_data_t& rec, const watch_t& w);
// The atoms were numbered anew: new_index[old index] is each atom's new
// index, or −1 when it was deleted. Records follow their atoms; a record
// that names a deleted atom is removed.
void renumber_watched_atoms(const std::vector<int>& new_index);
