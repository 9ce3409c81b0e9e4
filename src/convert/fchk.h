// Gaussian formatted checkpoint files (.fchk, also written by psi4 and
// Q-Chem) read into a wavefunction: atoms, basis, the orbitals of each spin
// with their energies and occupations.
#pragma once

#include <string>

#include "convert/wavefunction.h"

struct fchk_t {
  std::string title;  // the first line
  wavefunction_t wf;
  bool has_energy = false;
  double energy = 0;  // "Total Energy", hartree
};

// Parses the text; false with `error` set when the file can't be used: a
// field it needs missing, arrays whose lengths disagree, a count larger
// than the rest of the file could hold (checked before anything is sized by
// it).
//
// The fields: a line of the label (43 columns), the type (I, R, C or L) and
// a value, or "N=" and the count of the values on the lines that follow.
// Shell types 0 s, 1 p, -1 sp, ±2 d, ±3 f, ±4 g (negative: spherical);
// orbitals occupied in file order by "Number of alpha electrons" and
// "Number of beta electrons" (an orbital of both spins holds two when the
// file has no beta orbitals). Cartesian g components in Gaussian's order,
// zzzz … xxxx, or in Molden's as psi4 writes them: two conventions for the
// orthonormality test, psi4's first when the title names it.
bool parse_fchk(const std::string& text, fchk_t& out, std::string& error);
