// Writing the native format: the program's saves, and the sections the
// converters make.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "formats/geometry_section.h"
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

// Writes a converter's sections to `path` through a temporary file in the
// same directory: each record with its comment, energy, RMS gradient,
// message and bonds, and its grid section with every value and the orbital
// file. False with `error` set (and `path` untouched) when it can't.
bool write_geometry_sections(const std::string& path, const std::vector<geometry_section_t>& sections,
                             std::string& error);
// The text of one such section without its grid section.
std::string geometry_section_text(const geometry_section_t& section);
