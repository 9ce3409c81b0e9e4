// The ways the programs that write Molden files normalise their basis
// functions, as conventions for the orthonormality test to choose from.
#pragma once

#include <vector>

#include "convert/wavefunction.h"

// The Molden standard first, then psi4 1.3's Cartesian functions.
std::vector<convention_t> molden_conventions();
