// The orbital file a grid section embeds after its values: its opening
// lines and the type letter of every orbital of every symmetry. Saving puts
// the types the user changed into it; converters write a new one.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "molecule/mol_data.h"

struct orbital_file_t {
  // From the line holding "INPORB" to the "#INDEX" line, line ends included:
  // the version, the counts line and the free lines.
  std::string head;
  // The type letters of each symmetry, in order.
  std::vector<std::string> letters;
};

// A line of free text as the head can hold it: one line without zero bytes,
// in which none of the words that end the head or its grid section
// ("#INDEX", "/grid", "<END>") stands: their first character becomes a
// blank, so that a title cannot cut the orbital file short when it is read.
std::string orbital_file_free_line(const std::string& text);
// A new orbital file: version 2.2, the counts of `orbitals_per_symmetry`, an
// "#INFO" comment of one line and every orbital of type "u".
orbital_file_t new_orbital_file(const std::string& info, const std::vector<int>& orbitals_per_symmetry);
// The orbital file that follows the grid data of `rec` in `source` (the
// native file its grid section was read from); none when that grid section
// has none. Only this grid section is read, and only the letters the file
// holds are kept, at most as many per symmetry as its counts line gives.
std::optional<orbital_file_t> read_orbital_file(FILE* source, const mol_data_t& rec);
// Puts the type of every grid of `grid` whose type was changed, and every
// type set for an orbital without a grid, into the letter of its orbital
// (symmetry and index), where the file has one.
void apply_changed_types(orbital_file_t& file, const grid_data_t& grid);
// The type letters as an orbital file lists them after "#INDEX": each
// symmetry as "* 1234567890" and lines of up to ten letters numbered 0 … 9.
std::string type_index_text(const std::vector<std::string>& letters);
// The orbital file as written: the head, the type letters, then " </INPORB>".
void write_orbital_file(FILE* out, const orbital_file_t& file);
