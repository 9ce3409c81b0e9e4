// Several Molden files in one text, one after the other (an unrestricted
// wavefunction as Molpro writes it), and the beta orbitals taken from the
// second.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "convert/wavefunction.h"

struct molden_file_part_t {
  std::string_view text;
  int first_line = 1;  // in the whole text
  bool atoms = false;  // holds an [Atoms] section
};

// The files of the text: a "[Molden Format]" line begins one when an
// [Atoms] section follows it before the next such line (CFOUR repeats the
// line within one file).
std::vector<molden_file_part_t> molden_files(const std::string& text);
// Takes the orbitals of `second` (the file that begins at `line`) as the
// beta orbitals of `first` when its atoms and basis are the first's, with a
// note saying so; otherwise a warning note says why they are not read.
void add_second_file(wavefunction_t& first, wavefunction_t& second, int line, std::vector<std::string>& notes);
