// Molden files read into plain records: atoms, the Gaussian basis, the
// molecular orbitals, vibrational modes and optimisation steps.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "formats/geometry_section.h"

// One contracted shell as written: angular momentum l (0 … 4), whether it
// is spherical, exponents and contraction coefficients (for normalised
// primitives).
struct shell_t {
  int atom = 0;  // index into the atoms, from 0
  int l = 0;
  bool spherical = false;
  std::vector<double> exponents, coefficients;
  int functions() const { return spherical ? 2 * l + 1 : (l + 1) * (l + 2) / 2; }
};

struct molden_mo_t {
  std::string sym;  // the Sym= label as written
  double energy = 0, occ = 0;
  bool beta = false;
  std::vector<std::pair<int, double>> coefficients;  // basis function from 0, value
};

struct molden_t {
  mol_data_t atoms;           // [Atoms]
  std::vector<vec3> centres;  // their positions in bohr
  std::vector<shell_t> shells;
  std::vector<molden_mo_t> mos;
  bool has_basis = false;
  // Vibrations, with the geometry of [FR-COORD] they belong to; `ir` when
  // [INT] gives every mode's intensity.
  mol_data_t fr_atoms;
  vibration_data_t modes;
  bool ir = false;
  // Optimisation steps with their energies (when [GEOCONV] gives them).
  std::vector<geometry_section_t> steps;
  int basis_functions() const;
};

// Largest basis the converter takes.
constexpr int max_basis_functions = 20000;

// Parses the text; false with `error` set (naming the line) when the file
// can't be used. Sections the converter does not use are skipped.
bool parse_molden(const std::string& text, molden_t& out, std::string& error);
