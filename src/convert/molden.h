// Molden files read into plain records: atoms, the Gaussian basis, the
// molecular orbitals, vibrational modes and optimisation steps.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "convert/native_out.h"

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
  std::vector<out_atom_t> atoms;  // ångström
  std::vector<vec3> centres;      // the same, bohr
  std::vector<shell_t> shells;
  std::vector<molden_mo_t> mos;
  bool has_basis = false;
  // Vibrations, with the geometry they belong to.
  std::vector<out_atom_t> fr_atoms;
  std::vector<out_mode_t> modes;
  // Optimisation steps with their energies (when [GEOCONV] gives them).
  std::vector<out_geometry_t> steps;
  int basis_functions() const;
};

// Largest basis the converter takes.
constexpr int max_basis_functions = 20000;

// Parses the text; false with `error` set (naming the line) when the file
// can't be used. Sections the converter does not use are skipped.
bool parse_molden(const std::string& text, molden_t& out, std::string& error);
