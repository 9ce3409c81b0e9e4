// Formatted checkpoint files to the native format: the geometry with its
// orbitals and densities on a lattice, as the Molden converter puts them
// (the same options, lattice and orthonormality check: wavefunction_grids.h).
#pragma once

#include <string>

#include "convert/orbital_choice.h"

bool convert_fchk(const std::string& path, const grid_options_t& o, const std::string& target, std::string& error);
