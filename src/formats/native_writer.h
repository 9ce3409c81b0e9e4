// Writing the native format: the program's saves, and the sections the
// converters make.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "formats/geometry_section.h"
#include "molecule/mol_data.h"

struct saved_grids_t;

// One geometry section, with its grid section when `grids` is given: the
// values and orbital file it holds (no values without write_values).
void write_mol_section(FILE* file, const mol_data_t& rec, const grid_output_t* grids);
// All geometries of `mol`; `grid` says whether grid sections are written,
// their values and orbital files copied from `grid_source` (the native file
// the grids were read from) where it still holds them.
void write_all_data_to_output(FILE* file, int grid, FILE* grid_source);
// All geometries of `mol` with the grid sections of a save's plan. False
// when geometry i's values could not be copied (i is added to `failed`:
// the file is to be written again without them) or the file not written.
bool write_saved_geometries(FILE* file, const saved_grids_t& grids, std::vector<size_t>& failed);
// The grid section as saved: grid descriptions, the values of `grids` and
// its embedded orbital file.
void write_inporb_block(FILE* file, const mol_data_t& rec, const grid_output_t& grids);

// Writes a converter's sections to `path` through a temporary file in the
// same directory: each record with its comment, energy, RMS gradient,
// message and bonds, and its grid section with every value and the orbital
// file. False with `error` set (and `path` untouched) when it can't.
bool write_geometry_sections(const std::string& path, const std::vector<geometry_section_t>& sections,
                             std::string& error);
// The text of one such section without its grid section.
std::string geometry_section_text(const geometry_section_t& section);
