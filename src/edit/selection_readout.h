// The lower status-bar line that describes the current selection: the atom
// and its position, or the bond, angle or dihedral the selected atoms define.
#pragma once

#include <string>

#include "molecule/mol_data.h"

// The line for the 1 to 4 selected atoms of `rec`, each shown by element
// symbol and 1-based number; empty with no selection (or a stale index).
std::string selection_status_text(const mol_data_t& rec);
