// Reading the native format: geometry sections with their blocks, each
// into one record of `mol`.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "formats/geometry_section.h"
#include "molecule/mol_data.h"

// Replaces all geometries by those of the file, from its current position,
// and leaves the stream where reading stopped. What follows a read
// (surfaces, view size, undo) is the caller's.
void parse_zev_file(FILE* file);
// Whether a line begins (after blanks) with one of the format's markers,
// opening or closing: "<ATOM>", "</VECTOR>", "<END>" and the like, in any
// letter case. Such a line never belongs to the lines of a block.
bool is_marker_line(const std::string& line);
// Every geometry of a native file, from its current position, as the
// converters and calculations take them: each record read as above (the
// open file's records are left alone), with its comment line and whether
// its bonds are final (a bond block with "AUTOMATIC = 0"); geometries
// without such a block are not bonded automatically.
std::vector<geometry_section_t> read_geometry_sections(FILE* file);
// The same one geometry at a time: each record is handed to `visit` (with
// its index from 0) and dropped before the next is read, so that a look at
// a file costs the memory of its largest geometry. The current grid of the
// open file stays as it was.
void visit_geometry_sections(FILE* file, const std::function<void(size_t, const mol_data_t&)>& visit);
