// The optimisation steps of an ORCA output, which Open Babel's reader of
// this library version keeps only the first geometry of: every block of
// Cartesian coordinates in Ångström, with the single-point energy printed
// after it, and the Mulliken charges of its population analysis.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "molecule/types.h"

struct program_step_t {
  std::vector<vec3> xyz;         // Ångström, in the atoms' order
  std::optional<double> energy;  // hartree
  std::vector<double> mulliken;  // one per atom, or none
};

// The steps of `text` in file order: each "CARTESIAN COORDINATES
// (ANGSTROEM)" block, and the first "FINAL SINGLE POINT ENERGY" and
// "MULLIKEN ATOMIC CHARGES" block after it and before the next block.
std::vector<program_step_t> orca_steps(const std::string& text);
