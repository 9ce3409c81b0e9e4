// Reading what xtb writes: the optimisation log (one XYZ frame per step with
// its energy and gradient norm), the Gaussian-style frequency file with the
// normal modes and IR intensities, and the total energy of its output.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "formats/geometry_section.h"

struct xtb_step_t {
  mol_data_t atoms;
  double energy = 0;  // hartree
  double gnorm = 0;   // norm of the gradient, hartree/bohr
};

// The complete frames of "xtbopt.log" (or "xtbopt.xyz"): a frame the file
// ends inside, as while xtb is still writing it, is left out, as is
// everything after a frame that does not read.
std::vector<xtb_step_t> parse_xtb_steps(const std::string& text);
// The steps as native geometries: the energy and the RMS gradient
// (gnorm / sqrt(3N)) of each.
std::vector<geometry_section_t> steps_to_geometries(const std::vector<xtb_step_t>& steps);

// The normal modes of "g98.out" for the atoms of `rec`, given to `rec`:
// frequency (cm⁻¹), IR intensity (km/mol) and displacement of each atom.
// False with `error` set (and `rec` unchanged) when the file holds no modes
// or a mode block does not read.
bool parse_g98_modes(const std::string& text, mol_data_t& rec, std::string& error);
// The "TOTAL ENERGY" of xtb's summary; null when the output has none.
std::optional<double> xtb_total_energy(const std::string& output);
