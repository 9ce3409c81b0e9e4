// mivor-cli export-grid: a grid's values as the file stores them, written as
// a Gaussian cube that other programs open.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_common.h"
#include "document/current_file.h"
#include "formats/cube_writer.h"
#include "formats/element_numbers.h"
#include "formats/file_names.h"
#include "formats/grid_reader.h"
#include "formats/safe_file.h"
#include "molecule/mol_data.h"

namespace {

// Grid g of the current geometry as the file stores it (the values the
// viewer shows are clamped at 2; these are not), with its lattice and atoms
// in bohr. All use of the molecule record for export is here.
bool stored_grid(int g, cube_grid_t& cube, grid_values_t& values, std::string& error) {
  if (m->grid->n_points <= 0) {
    error =
        "the file keeps no grid values (a saved native file keeps only the grid descriptions); export from the "
        "file the grids were converted into";
    return false;
  }
  file_ptr file = open_file_ptr(make_mivor_file_name(input_file_name), "rb");
  m->grid.edit().epot_values.clear();
  read_epoten_grid(file.get(), *m, g);
  if (m->grid->epot_values.size() != static_cast<size_t>(m->grid->n_points)) {
    error = "grid " + std::to_string(g) + " can't be read";
    return false;
  }
  values = std::move(m->grid.edit().epot_values);
  m->grid.edit().epot_values.clear();
  cube.lattice = m->grid->lattice().scaled(1 / bohr_to_angstrom);
  for (size_t i = 0; i < m->xyz.size(); ++i)
    cube.atoms.push_back(
        {std::max(0, number_of_symbol(atom_element(*m, static_cast<int>(i)).name)), m->xyz[i] / bohr_to_angstrom});
  const std::string name = m->grid->grid_name[static_cast<size_t>(g)].value_or("grid");
  cube.comment = m->grid->grid_kind[static_cast<size_t>(g)] == GRID_ORBITAL
                     ? "Orbital sym " + std::to_string(m->grid->orb_sym[static_cast<size_t>(g)]) + " index " +
                           std::to_string(m->grid->orb_index[static_cast<size_t>(g)])
                     : name;
  return true;
}

}  // namespace

int command_export_grid(const options_t& o, MessageCollector& told) {
  if (o.files.size() != 1 || !o.grid || !o.cube || !o.only({"--geometry", "--grid", "--cube"})) return 2;
  if (!open_input(o.files[0])) {
    print_messages_to_stderr(told);
    return 1;
  }
  const int g = o.geometry.value_or(igeo);
  if (g >= n_geometries() || *o.grid >= mol[static_cast<size_t>(g)].ngrid()) {
    std::fprintf(stderr, "geometry %d has no grid %d\n", g, *o.grid);
    return 1;
  }
  igeo = g;
  get_new_section();
  cube_grid_t cube;
  grid_values_t values;
  std::string error;
  if (!stored_grid(*o.grid, cube, values, error)) {
    std::fprintf(stderr, "%s: %s\n", o.files[0].c_str(), error.c_str());
    return 1;
  }
  cube.title = "exported by mivor-cli from " + o.files[0];
  cube.values = &values;
  if (!write_cube(*o.cube, cube)) {
    std::fprintf(stderr, "cannot write %s\n", o.cube->c_str());
    return 1;
  }
  return 0;
}
