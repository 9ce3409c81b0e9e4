// Reading the native format: geometry sections with their blocks, each
// into one record of `mol`.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "molecule/mol_data.h"

// Replaces all geometries by those of the file, from its current position.
// What follows a read (surfaces, view size, undo) is the caller's.
void parse_zev_file(FILE* file);
// Records the start of every geometry from the current position in
// `geo_file_position` and returns their number (at least 1).
int read_geo_positions(FILE* file);
// Reads geometry section i into `rec`.
void read_section(FILE* file, int i, mol_data_t& rec);
// Atom count, comment and atom lines.
void read_coord_block(FILE* file, mol_data_t& rec);
