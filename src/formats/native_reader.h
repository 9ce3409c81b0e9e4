// Reading the native format: geometry sections with their blocks, each
// into one record of `mol`.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "molecule/mol_data.h"

// Set by a successful native read, consumed by the opener.
extern unsigned char file_open_success;

// Reads `path` into `mol` (replacing all geometries) and starts the undo
// history; warns when the file can't be opened.
void open_zev_file(const std::string& path);
// Replaces all geometries by those of the file, from its current position.
void parse_zev_file(FILE* file);
// Records the start of every geometry from the current position in
// `geo_file_position` and returns their number (at least 1).
int read_geo_positions(FILE* file);
// Reads geometry section i into `rec`.
void read_section(FILE* file, int i, mol_data_t& rec);
// Atom count, comment and atom lines.
void read_coord_block(FILE* file, mol_data_t& rec);
// Makes geometry `igeo` current.
void get_new_section();
// Re-reads the grid sections of the geometries whose flag is non-zero from
// the native file of the open file.
void read_all_grids_from_all_sections(const std::vector<int>& flags);
// Reads the current grid's values.
void do_load_grid();
