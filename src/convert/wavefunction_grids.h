// A wavefunction on grids: its orbitals and densities evaluated on a
// lattice and written, with the other geometries of the file, as a native
// file. Every source of orbitals (Molden, formatted checkpoint, …) goes
// through here, so that the same orbitals give the same grids.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "convert/orbital_choice.h"
#include "convert/wavefunction.h"
#include "formats/geometry_section.h"

// Writes `geometries` to `target`, geometry 0 (whose record holds the atoms
// of `wf`) with the grids of `wf` when it has atoms and orbitals. `source`
// names the file read, for the embedded orbital file; `notes` (the
// reader's) open the status message of geometry 0, the pipeline's own
// follow. False with `error` set when nothing sound can be written.
//
// Grids: the total density (and the spin density of an open shell), then
// the chosen orbitals of each spin in order of energy. The lattice is
// walked in runs of whole rows: the basis functions are evaluated on a run
// (rows split between threads), one matrix product with the coefficients
// of every orbital needed gives the orbitals there, the densities are summed
// from them, and each grid's stretch is written at its place in the file.
//
// The orbitals of each spin must be orthonormal, CᵀSC = 1: the convention
// of wf.conventions under which they are closest to it normalises the
// basis, and the status message names it; when none fits, a warning says
// so and the closest is used.
// The one geometry of a wavefunction's native file: its atoms, the comment
// naming the source, and the energy when the source gives one.
std::vector<geometry_section_t> wavefunction_geometry(const wavefunction_t& wf, const std::string& source,
                                                      std::optional<double> energy);
bool write_wavefunction(const wavefunction_t& wf, const grid_options_t& o, const std::string& source,
                        std::vector<geometry_section_t>& geometries, std::vector<std::string> notes,
                        const std::string& target, std::string& error);
