// The store of isosurface triangles: one surface per grid slot, a flat
// index of all triangles sorted back to front for transparent drawing, and
// the lobe- and potential-coloured drawing.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "molecule/mesh.h"
#include "molecule/types.h"
#include "render/scene_output.h"

struct msrf_t;

struct srf_t {
  // In the order added; the store's index walks them newest first.
  surface_triangles_t triangles;
  msrf_t* owner = nullptr;
  int slot = -1;
  int count() const { return static_cast<int>(triangles.size()); }
};

// A triangle and the key of its depth, as the sort orders them.
struct depth_key_t {
  uint64_t key;
  const srf_triangle_t* triangle;
};
using depth_keys_t = std::vector<depth_key_t, large_block_allocator<depth_key_t>>;

struct msrf_t {
  std::vector<const srf_triangle_t*> index;  // drawing order
  // The sort's working memory, kept between sorts: a turn of the view
  // sorts again, and fresh memory each time would cost a page fault per
  // few hundred triangles.
  depth_keys_t sort_keys, sort_moved;
  // The triangle storage of the largest surface deleted since the last
  // extraction, emptied: the surface that replaces it (a new level, another orbital)
  // takes it, and so writes its triangles into memory already mapped.
  surface_triangles_t spare_triangles;
  int index_valid = 0;
  int sorted = 0;
  std::vector<std::unique_ptr<srf_t>> slots;  // null when empty
  int n_slots() const { return static_cast<int>(slots.size()); }
  int n_index() const { return static_cast<int>(index.size()); }
};

// The store; null until grids are read.
extern std::unique_ptr<msrf_t> All_Surfaces;

msrf_t* msrf_Init(std::unique_ptr<msrf_t>& store, int n);
void msrf_Clean(msrf_t& store);
srf_t* msrf_New_Surface(msrf_t& store);
void msrf_Delete_Surface(srf_t* surface);
// The spare triangle storage, emptied, when it holds `triangles`; none
// otherwise. The store keeps none either way.
surface_triangles_t msrf_Take_Spare_Triangles(msrf_t& store, size_t triangles);
void srf_Add_Triangle(srf_t& surface, const std::array<vec3, 3>& positions, const std::array<vec3, 3>& normals,
                      const std::array<double, 3>& values, int lobe);
// The same for a triangle made already.
void srf_Add_Triangle(srf_t& surface, const srf_triangle_t& t);
// Rebuilds the index when stale (slot order, each surface newest first).
void msrf_Make_Index(msrf_t& store);
// Sorts the index back to front for model-view matrix `mv` (column-major).
void msrf_Sort(msrf_t& store, const std::array<double, 16>& mv);
// Lobe-coloured and potential-coloured drawing (index and sort first).
void msrf_Draw(msrf_t& store, const std::array<color_t, 2>& colors, SceneOutput& out);
void msrf_Draw1(msrf_t& store, const std::array<color_t, 2>& colors, SceneOutput& out);
// The colour of a vertex with potential p: P plus colour, N minus colour.
color_t potential_color(double p, const color_t& P, const color_t& N, bool gray);
// Marks the sort stale and the scene list for rebuilding.
void mivor_gtk_resort_surfaces();
