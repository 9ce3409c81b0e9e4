// Writing the native format.
#pragma once

#include <cstdio>
#include <string>

#include "molecule/mol_data.h"

// One geometry section; `grid` says whether its grid section is written.
// `grid_source` is the native file the grids were read from (its embedded
// orbital file is copied), or null.
void write_mol_section(FILE* file, const mol_data_t& rec, int grid, FILE* grid_source);
// All geometries of `mol`.
void write_all_data_to_output(FILE* file, int grid, FILE* grid_source);
// The grid section as saved: grid descriptions and the embedded orbital
// file of `source` (with the types the user changed), without the values.
void write_inporb_block(FILE* file, const mol_data_t& rec, FILE* source);
