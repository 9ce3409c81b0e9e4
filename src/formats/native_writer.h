// Writing the native format.
#pragma once

#include <cstdio>
#include <string>

#include "molecule/mol_data.h"

// One geometry section; `grid` says whether its grid section is written.
void write_mol_section(FILE* file, const mol_data_t& rec, int grid);
// All geometries of `mol`.
void write_all_data_to_output(FILE* file, int grid);
// The grid section as saved: grid descriptions and the embedded orbital
// file (with the types the user changed), without the values.
void write_inporb_block(FILE* file, const mol_data_t& rec);
// Writes all geometries to `target` through a temporary file in the same
// directory; false (and a warning) when the file could not be written.
bool save_zev_file(const std::string& target);
