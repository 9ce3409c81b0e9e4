// Molden files to the native format: the geometry with its orbitals and
// densities evaluated on a lattice, the vibrational modes, and the steps of
// an optimisation.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "convert/orbital_choice.h"

bool convert_molden(const std::string& path, const molden_options_t& o, const std::string& target, std::string& error);
