// The ways the programs that write Molden files normalise their basis
// functions, as conventions for the orthonormality test to choose from.
#pragma once

#include <string>
#include <vector>

#include "convert/wavefunction.h"

// Every known writer's conventions, those of the program that `marks` (the
// file's title, program line and section names, in lower case) names
// first, then the Molden standard, ORCA, psi4 before 1.0, psi4 1.3,
// Turbomole, CFOUR, NWChem and Molpro.
std::vector<convention_t> molden_conventions(const std::string& marks);
