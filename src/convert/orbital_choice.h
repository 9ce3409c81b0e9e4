// Which orbitals of a wavefunction go on grids, how the orbital list numbers
// them (alpha and beta apart), and the lattice they are evaluated on.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "convert/wavefunction.h"
#include "molecule/lattice.h"

struct grid_options_t {
  double spacing = 0.2;             // bohr
  double margin = 4.0;              // bohr around the atoms
  std::optional<int> net;           // points on the longest edge
  std::optional<std::string> like;  // a cube file whose lattice is taken
  bool all = false;                 // every orbital, not HOMO-10 … LUMO+10
  bool density_only = false;        // the densities, no orbitals
};

// The lattice of the options for atoms at `centres` (bohr): a box of the
// atoms and the margin, its phase along each axis chosen from the nuclei
// (weighted by `weights`, the squares of their charges) so that sums over
// the lattice stay accurate; or the lattice of the --like cube.
bool choose_lattice(const std::vector<vec3>& centres, const std::vector<double>& weights, const grid_options_t& o,
                    lattice_t& lattice, std::string& error);

// One orbital chosen for a grid, and how the orbital list shows it.
struct chosen_orbital_t {
  int mo = 0;     // index into the orbitals
  int sym = 1;    // symmetry number (beta orbitals after the alpha ones)
  int index = 1;  // within its symmetry
};

// Orbital numbering: symmetry numbers from the irreps in order of first
// appearance (beta orbitals in symmetries after the alpha ones when the
// wavefunction has both), indices within each (irrep, spin) by energy unless
// every orbital has its own and no two clash. `per_symmetry` receives the
// number of orbitals of each symmetry, `labels` the label of each.
std::vector<chosen_orbital_t> number_orbitals(const wavefunction_t& wf, std::vector<int>& per_symmetry,
                                              std::vector<std::string>& labels);
// The orbitals put on grids: HOMO-10 … LUMO+10 of each spin, or all.
std::vector<int> select_orbitals(const wavefunction_t& wf, bool all);
