// A tile reads its grid into a buffer of its own and makes its surfaces in a
// store of its own; the current grid, its values and the surface store of
// the main view are left alone.
#include "edit/orbital_tiles.h"

#include <algorithm>

#include "document/native_file.h"
#include "edit/key_commands.h"
#include "render/isosurface.h"

const char orb_types_1_c[9] = "UFI123SD";

color_t mivor_gtk_get_cur_color(int code) {
  switch (code) {
    case 1:
      return {1.0f, 0.5f, 0.5f, 1.0f};
    case 2:
      return {1.0f, 0.78f, 0.5f, 1.0f};
    case 3:
      return {1.0f, 1.0f, 0.5f, 1.0f};
    case 4:
      return {0.5f, 0.78f, 0.5f, 1.0f};
    case 5:
      return {0.5f, 1.0f, 1.0f, 1.0f};
    case 6:
      return {0.5f, 0.5f, 1.0f, 1.0f};
    case 7:
      return {0.78f, 0.5f, 0.78f, 1.0f};
    default:
      return {0.0f, 0.0f, 0.0f, 1.0f};
  }
}

char orbital_type_letter(int code) { return code >= 0 && code < 8 ? orb_types_1_c[code] : 'U'; }

std::vector<orbital_tile_t> orbital_tiles(const mol_data_t& rec) {
  std::vector<orbital_tile_t> tiles;
  const grid_data_t& g = *rec.grid;
  for (size_t j = 0; j < g.grid_kind.size(); ++j) {
    if (g.grid_kind[j] != GRID_ORBITAL) continue;
    tiles.push_back({static_cast<int>(j), g.orb_sym[j], g.orb_index[j], g.orb_energy[j], g.orb_occ[j], g.orb_type[j]});
  }
  return tiles;
}

bool tile_matches(const mol_data_t& rec, const orbital_tile_t& tile) {
  const grid_data_t& g = *rec.grid;
  const size_t j = static_cast<size_t>(tile.grid);
  return tile.grid >= 0 && j < g.grid_kind.size() && g.grid_kind[j] == GRID_ORBITAL && g.orb_sym[j] == tile.symmetry &&
         g.orb_index[j] == tile.index;
}

int multiview_tile_size(int magnification_level) {
  return std::max(250 + 10 * clamp_magnification(magnification_level), min_tile_size);
}

int clamp_magnification(int level) { return std::clamp(level, (min_tile_size - 250) / 10, 1000); }

int multiview_columns(int width, int tile_size) { return tile_size > 0 ? std::max(width / tile_size, 1) : 1; }

tile_place_t multiview_tile_place(int k, int columns, int tile_size) {
  columns = std::max(columns, 1);
  return {(k % columns) * tile_size, (k / columns) * tile_size};
}

tile_place_t multiview_area_size(int n, int columns, int tile_size) {
  columns = std::max(columns, 1);
  return {columns * tile_size, (n / columns + 1) * tile_size};
}

int multiview_key_type(unsigned keysym) { return keysym == 'a' ? 4 : orbital_type_of_key(keysym); }

tile_surface_t build_tile_surface(const orbital_tile_t& tile, double level, bool automatic) {
  tile_surface_t result;
  result.level = level;
  if (!m || !tile_matches(*m, tile)) {
    result.error = "ERROR: Grid number out of range!";
    return result;
  }
  grid_values_t values;
  double low = 0, high = 0;
  if (!read_grid_of_current_geometry(tile.grid, values, low, high, result.error)) return result;
  if (automatic) result.level = automatic_isolevel(low, high);
  msrf_Init(result.store, 1);
  srf_t* surface = msrf_New_Surface(*result.store);
  const grid_data_t& g = *m->grid;
  const auto& net = g.net;
  const size_t points = values.size();
  const double* second = points > 0 && g.epot_values.size() >= points ? g.epot_values.data() : nullptr;
  if (net[0] > 0 && net[1] > 0 && net[2] > 0 && static_cast<size_t>(net[0]) * net[1] * net[2] <= points)
    mcubes_on_lattice(surface, g.lattice(), values.data(), second, result.level, true, SIZE_MAX);
  return result;
}
