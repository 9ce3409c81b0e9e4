// Reading and writing the element table file "atoms.rc".
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "molecule/types.h"

// Parses the text of an "atoms.rc" into `e` and `def_elem`.
void read_atom_data(FILE* file);
// Writes the table in use to `path` (the "atoms.rc" layout), atomically;
// false when it could not be written (the file there stays as it was).
bool Write_Atom_data(const std::string& path);
// The "atoms.rc" text for the records of `table` up to the first without a
// name; `lines` receives the number of element lines.
std::string atom_data_text(const std::vector<element_t>& table, int* lines = nullptr);
