#include "document/native_file.h"

#include <memory>

#include "document/current_file.h"
#include "formats/grid_reader.h"
#include "formats/line_source.h"
#include "formats/native_reader.h"
#include "formats/text_words.h"
#include "molecule/memory_budget.h"
#include "molecule/mol_data.h"
#include "molecule/notify.h"
#include "render/isosurface.h"
#include "render/view.h"

namespace {

// The surface store has one slot per grid of the current geometry; none
// without grids.
void size_surface_store() {
  if (m && m->ngrid() > 0)
    allocate_msrf(m->ngrid());
  else
    deallocate_msrf();
}

// The current grid is the last grid of the current geometry, whatever the
// other geometries hold.
void make_last_grid_current() { iorb = m && m->ngrid() > 0 ? m->ngrid() - 1 : 0; }

// The grid of the highest occupied orbital among the first run of orbitals
// in rising energy (the converters list the orbitals of each spin in order
// of energy, alpha first, so the run ends where the beta ones begin); -1
// when no orbital of that run is occupied.
int highest_occupied_grid(const grid_data_t& g) {
  int best = -1;
  bool any = false;
  double previous = 0;
  for (size_t k = 0; k < g.grid_kind.size(); ++k) {
    if (g.grid_kind[k] != GRID_ORBITAL) continue;
    if (any && g.orb_energy[k] < previous) break;
    any = true;
    previous = g.orb_energy[k];
    if (g.orb_occ[k] > 1e-8) best = static_cast<int>(k);
  }
  return best;
}

}  // namespace

void make_highest_occupied_current() {
  if (!m || m->ngrid() == 0) return;
  const int g = highest_occupied_grid(*m->grid);
  if (g >= 0) iorb = g;
}

void read_geometries(FILE* file) {
  parse_zev_file(file);
  make_last_grid_current();
  size_surface_store();
  set_sizes();
}

void read_all_grids_from_all_sections(const std::vector<int>& flags) {
  if (input_file_name.empty()) {
    notifier().status(StatusBar::upper, "");
    return;
  }
  file_ptr file = open_current_mivor_file();
  if (!file) {
    notifier().status(StatusBar::upper, "ERROR: Can't open file that contains grid data!");
    return;
  }
  size_t geometry = 0;
  line_source in(file.get());
  for (std::string line; in.next(line);) {
    if (find_nocase(line, "<END>") != std::string::npos) {
      ++geometry;
    } else if (find_nocase(line, "<GRID>") != std::string::npos) {
      const bool wanted = geometry < flags.size() && flags[geometry] && geometry < mol.size();
      // Sections that are not wanted are parsed into a scratch record so
      // that their binary data are stepped over.
      mol_data_t scratch;
      read_grid_block(in, wanted ? mol[geometry] : scratch);
    }
  }
  make_last_grid_current();
  size_surface_store();
}

void read_grid_from_file() {
  if (!m) return;
  if (input_file_name.empty()) {
    fail_current_grid("ERROR: File containing grid data is undefined!");
    return;
  }
  file_ptr file = open_current_mivor_file();
  if (!file) {
    fail_current_grid("ERROR: Can't open file containig grid data!");
    return;
  }
  // Out of memory, the grid stays listed without values.
  if (!run_within_memory([&] { read_current_grid(file.get()); }, "ERROR: Not enough memory to load the grid")) {
    release_grid_values(m->grid.edit());
  }
}

void do_load_grid() {
  read_grid_from_file();
  // Geometries may hold different numbers of grids: the store follows the
  // current one.
  if (m && surf.size() != static_cast<size_t>(m->ngrid())) size_surface_store();
  make_surfaces();
  notifier().grid_loaded();
}

bool read_grid_of_current_geometry(int g, grid_values_t& values, double& min, double& max, std::string& error) {
  if (!m || g < 0 || g >= m->ngrid()) {
    error = "ERROR: Grid number out of range!";
    return false;
  }
  if (input_file_name.empty()) {
    error = "ERROR: File containing grid data is undefined!";
    return false;
  }
  file_ptr file = open_current_mivor_file();
  if (!file) {
    error = "ERROR: Can't open file containig grid data!";
    return false;
  }
  if (!read_grid_copy(file.get(), *m, g, values, min, max)) {
    error = "ERROR: Can't read the values of grid " + std::to_string(g) + ": damaged file or not enough memory";
    return false;
  }
  return true;
}
