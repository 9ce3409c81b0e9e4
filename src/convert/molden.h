// Molden files read into plain records: the wavefunction (atoms, Gaussian
// basis, molecular orbitals), vibrational modes and optimisation steps.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "convert/wavefunction.h"
#include "formats/geometry_section.h"

struct molden_t {
  // [Atoms], [GTO] and [MO]: the atoms, shells and orbitals; Sym= labels
  // such as "5a1" or "5.1" give the orbital's own index.
  wavefunction_t wf;
  bool has_basis = false;
  // Vibrations, with the geometry of [FR-COORD] they belong to; `ir` when
  // [INT] gives every mode's intensity.
  mol_data_t fr_atoms;
  vibration_data_t modes;
  bool ir = false;
  // Optimisation steps with their energies (when [GEOCONV] gives them).
  std::vector<geometry_section_t> steps;
  // What the status message should say of the reading (a second Molden
  // file in the text, read or not); warnings begin with "WARNING".
  std::vector<std::string> notes;
};

// Parses the text; false with `error` set (naming the line) when the file
// can't be used. Sections the converter does not use are skipped. A text
// of several Molden files one after another gives the first, with the beta
// orbitals of the second when it describes the same atoms and basis
// (molden_files.cpp).
bool parse_molden(const std::string& text, molden_t& out, std::string& error);
