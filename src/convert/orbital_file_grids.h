// HDF5 and INPORB orbitals to the native format: its HDF5 files, and its
// orbital files with the basis of the HDF5 file of the same run, on grids
// as every other source of orbitals, with their irreps and type letters and
// the orbital file embedded so that the types set in the window go back
// to the program that made them.
#pragma once

#include <optional>
#include <string>

#include "convert/hdf5_orbitals.h"
#include "convert/orbital_choice.h"

// The wavefunction of an HDF5 or INPORB orbital file as a native file: its geometry
// (with `comment`, or "converted from SOURCE" when it is empty) and energy,
// the orbitals and density on grids, its orbital file embedded.
bool write_orbital_file_wavefunction(hdf5_orbitals_t& f, const grid_options_t& o, const std::string& source,
                               const std::string& comment, const std::string& target, std::string& error);

// Converts the HDF5 file `path` to the native file `target`.
bool convert_hdf5_orbitals(const std::string& path, const grid_options_t& o, const std::string& target,
                       std::string& error);
// Converts the orbital file `path` to `target`, with the basis of the HDF5
// file `basis` or, without it, of the HDF5 file beside `path` of the same
// project (water.ScfOrb: water.scf.h5, water.rasscf.h5, …).
bool convert_inporb(const std::string& path, const std::optional<std::string>& basis, const grid_options_t& o,
                    const std::string& target, std::string& error);
