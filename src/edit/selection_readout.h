// The texts that show measured values: the lower status-bar line that
// describes the current selection (the atom and its position, or the bond,
// angle or dihedral the selected atoms define) and the watched values.
#pragma once

#include <string>

#include "edit/watched.h"
#include "molecule/mol_data.h"

// The line for the 1 to 4 selected atoms of `rec`, each shown by element
// symbol and 1-based number; empty with no selection (or a stale index).
std::string selection_status_text(const mol_data_t& rec);
// "%s %d (%f %f %f)": atom i's symbol, number from 1 and position; empty
// when there is no such atom.
std::string atom_position_text(const mol_data_t& rec, int i);
// "bond: %d-%d: %f", "angle: %d-%d-%d: %f" or "dihedral: %d-%d-%d-%d: %f"
// with the atom numbers from 1 and the current value; empty when the record
// names an atom `rec` does not have.
std::string watched_text(const mol_data_t& rec, const watch_t& w);
