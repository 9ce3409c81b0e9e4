// The window of all orbitals without its widgets: one tile per orbital grid
// (in grid order), the tile background of each orbital type, the tile
// arrangement, the type keys, and each tile's isosurfaces, read from the
// open file without changing the grid the main view shows.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "molecule/mol_data.h"
#include "render/surface_store.h"

// The letters of the type codes 0 to 7.
extern const char orb_types_1_c[9];
// The background of a tile of type `code`; black outside 1 to 7.
color_t mivor_gtk_get_cur_color(int code);
// The letter of a type code ('U' outside 0 to 7).
char orbital_type_letter(int code);

// One orbital as its tile shows it.
struct orbital_tile_t {
  int grid = -1;  // its grid of the geometry
  int symmetry = 0, index = 0;
  double energy = 0, occupation = 0;
  int type = 0;
};
// One tile per orbital grid of `rec`, in grid order.
std::vector<orbital_tile_t> orbital_tiles(const mol_data_t& rec);
// True while grid `tile.grid` of `rec` is still that orbital (a file read
// or an undo may have replaced the grids).
bool tile_matches(const mol_data_t& rec, const orbital_tile_t& tile);

// Tile side in pixels at a magnification level: 250 + 10 per level, never
// below `min_tile_size`.
constexpr int min_tile_size = 50;
int multiview_tile_size(int magnification_level);
// The magnification level stays where tiles keep at least `min_tile_size`.
int clamp_magnification(int level);
// Tiles per row in a width of `width` pixels (at least one).
int multiview_columns(int width, int tile_size);
// Pixel position of tile k and the size of the area holding n tiles.
struct tile_place_t {
  int x, y;
};
tile_place_t multiview_tile_place(int k, int columns, int tile_size);
tile_place_t multiview_area_size(int n, int columns, int tile_size);

// The type a key assigns in the window: f 1, i 2, 1 3, 2 and a 4, 3 5, s 6,
// d 7 (keypad digits like the others); 0 for other keys.
int multiview_key_type(unsigned keysym);

// What building a tile's isosurfaces gave.
struct tile_surface_t {
  std::unique_ptr<msrf_t> store;  // null when the grid could not be read
  double level = 0;               // the level the surfaces were made at
  std::string error;              // why there are none
};
// Reads grid `tile.grid` of the current geometry and makes its two lobes at
// `level`, or at the level chosen automatically for that grid when
// `automatic` is set (as the main view would for it).
tile_surface_t build_tile_surface(const orbital_tile_t& tile, double level, bool automatic);
