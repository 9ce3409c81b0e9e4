// Molden files to the native format: the geometry with its orbitals and
// densities evaluated on a lattice, the vibrational modes, and the steps of
// an optimisation.
#pragma once

#include <string>

#include "convert/orbital_choice.h"

bool convert_molden(const std::string& path, const grid_options_t& o, const std::string& target, std::string& error);
// Molden to native.
//
// Geometries: the [Atoms] geometry first, with its grids (made by the
// wavefunction pipeline, wavefunction_grids.h) and, when the atom counts
// agree, the vibrational modes; a [FR-COORD] geometry of its own when they
// don't; then one geometry per optimisation step.
