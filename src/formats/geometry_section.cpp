#include "formats/geometry_section.h"

#include "formats/grid_reader.h"

void set_grid_lattice(mol_data_t& rec, const lattice_t& bohr) {
  grid_data_t& g = rec.grid.edit();
  g.lattice() = bohr.scaled(bohr_to_angstrom);
  g.n_points = static_cast<int>(g.points());
}

namespace {

size_t new_grid(mol_data_t& rec) {
  const int n = rec.ngrid();
  allocate_grids(rec, n + 1);
  rec.grid.edit().n_grid_header = n + 1;
  return static_cast<size_t>(n);
}

}  // namespace

void add_named_grid(mol_data_t& rec, const std::string& name) {
  const size_t k = new_grid(rec);
  grid_data_t& g = rec.grid.edit();
  g.grid_name[k] = name;
  const bool epot = name.find("Electrostatic") != std::string::npos;
  g.grid_kind[k] = epot ? GRID_EPOT : GRID_OTHER;
  if (epot) rec.flags |= FLAG_EPOT;
}

void add_orbital_grid(mol_data_t& rec, int sym, int index, double energy, double occ) {
  const size_t k = new_grid(rec);
  grid_data_t& g = rec.grid.edit();
  g.grid_name[k] = "Orbital";
  g.grid_kind[k] = GRID_ORBITAL;
  g.orb_sym[k] = sym;
  g.orb_index[k] = index;
  g.orb_energy[k] = energy;
  g.orb_occ[k] = occ;
}
