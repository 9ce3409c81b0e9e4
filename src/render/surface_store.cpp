// The surface store: surfaces in slots, the flat index of all their
// triangles, its back-to-front sort, and the lobe- and potential-coloured
// drawing of the index as one triangle batch.
//
// The index lists each slot's triangles newest first, slots in order; it is
// rebuilt only after triangles or surfaces were added or removed, and sorted
// only when the sort was invalidated. The sort is stable, so triangles of
// equal depth keep their index order: a radix sort of the depths' bit
// patterns, each depth read once.

#include "render/surface_store.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "molecule/notify.h"
#include "molecule/settings.h"
#include "render/colors.h"

std::unique_ptr<msrf_t> All_Surfaces;

msrf_t* msrf_Init(std::unique_ptr<msrf_t>& store, int n) {
  if (!store) store = std::make_unique<msrf_t>();
  store->index.clear();
  store->index_valid = 0;
  store->slots.clear();
  store->slots.resize(static_cast<size_t>(std::max(n, 0)));
  return store.get();
}

void msrf_Clean(msrf_t& store) {
  for (auto& slot : store.slots) slot.reset();
  store.index.clear();
  store.index_valid = 0;
  depth_keys_t().swap(store.sort_keys);
  depth_keys_t().swap(store.sort_moved);
  surface_triangles_t().swap(store.spare_triangles);
}

srf_t* msrf_New_Surface(msrf_t& store) {
  for (size_t i = 0; i < store.slots.size(); ++i) {
    if (store.slots[i]) continue;
    store.slots[i] = std::make_unique<srf_t>();
    srf_t* surface = store.slots[i].get();
    surface->owner = &store;
    surface->slot = static_cast<int>(i);
    store.index_valid = 0;
    return surface;
  }
  return nullptr;
}

void msrf_Delete_Surface(srf_t* surface) {
  if (!surface) return;
  msrf_t* owner = surface->owner;
  const bool in_slot = owner && surface->slot >= 0 && surface->slot < owner->n_slots() &&
                       owner->slots[static_cast<size_t>(surface->slot)].get() == surface;
  if (!in_slot) {
    make_warning("msrf_Delete_Surface(): structure corrupted");
    std::exit(1);
  }
  owner->index_valid = 0;
  if (surface->triangles.capacity() > owner->spare_triangles.capacity()) {
    owner->spare_triangles = std::move(surface->triangles);
    owner->spare_triangles.clear();
  }
  owner->slots[static_cast<size_t>(surface->slot)].reset();
}

surface_triangles_t msrf_Take_Spare_Triangles(msrf_t& store, size_t triangles) {
  surface_triangles_t spare = std::exchange(store.spare_triangles, {});
  if (spare.capacity() < triangles) return {};
  return spare;
}

void srf_Add_Triangle(srf_t& surface, const std::array<vec3, 3>& positions, const std::array<vec3, 3>& normals,
                      const std::array<double, 3>& values, int lobe) {
  srf_triangle_t t;
  for (size_t k = 0; k < 3; ++k) {
    t.v[k] = positions[k];
    t.n[k] = normals[k];
    t.val[k] = clamp_to_float(values[k]);
  }
  t.lobe = lobe == 0 ? 0 : 1;
  srf_Add_Triangle(surface, t);
}

void srf_Add_Triangle(srf_t& surface, const srf_triangle_t& t) {
  surface.triangles.push_back(t);
  if (surface.owner) surface.owner->index_valid = 0;
}

// A surface's count is the size of its triangle vector, so the index holds
// exactly that many triangles of it: a list shorter or longer than its count
// cannot occur.
void msrf_Make_Index(msrf_t& store) {
  if (store.index_valid) return;
  size_t total = 0;
  for (const auto& slot : store.slots)
    if (slot) total += slot->triangles.size();
  store.index.clear();
  store.index.reserve(total);
  for (const auto& slot : store.slots) {
    if (!slot) continue;
    for (auto t = slot->triangles.rbegin(); t != slot->triangles.rend(); ++t) store.index.push_back(&*t);
  }
  store.index_valid = 1;
  store.sorted = 0;
}

namespace {

// A triangle of the index with its sort key.
// An unsigned key whose ascending order is the descending order of the
// depths: the bits of a double order like its value once the sign bit is
// set for positive numbers and every bit is flipped for negative ones; the
// result is flipped again to reverse it. -0 and +0 compare equal, so both
// get the key of +0. NaN has no place in that order.
uint64_t descending_key(double depth) {
  if (depth == 0) depth = 0;
  uint64_t bits;
  std::memcpy(&bits, &depth, sizeof bits);
  const uint64_t ascending = bits >> 63 ? ~bits : bits | (uint64_t{1} << 63);
  return ~ascending;
}

// Least-significant-digit radix sort by key: one pass per digit, each a
// stable counting sort, so keys that are equal keep their order. A digit
// that all keys share is skipped.
void radix_sort(depth_keys_t& items, depth_keys_t& moved) {
  constexpr int digit_bits = 11, digits = (64 + digit_bits - 1) / digit_bits;
  constexpr size_t radix = size_t{1} << digit_bits;
  const size_t n = items.size();
  if (n == 0) return;
  std::vector<size_t> counts(digits * radix);
  for (const depth_key_t& item : items)
    for (int d = 0; d < digits; ++d) ++counts[d * radix + ((item.key >> (d * digit_bits)) & (radix - 1))];
  moved.resize(n);
  for (int d = 0; d < digits; ++d) {
    size_t* count = &counts[d * radix];
    const int shift = d * digit_bits;
    if (count[(items[0].key >> shift) & (radix - 1)] == n) continue;
    size_t at = 0;
    for (size_t k = 0; k < radix; ++k) at += std::exchange(count[k], at);
    for (const depth_key_t& item : items) moved[count[(item.key >> shift) & (radix - 1)]++] = item;
    items.swap(moved);
  }
}

}  // namespace

// The order is that of a stable sort of the index by descending depth. It is
// reached by a radix sort of keys read once per triangle, or, when a depth
// is NaN (which compares equal to every depth), by the library's stable
// sort itself.
void msrf_Sort(msrf_t& store, const std::array<double, 16>& mv) {
  msrf_Make_Index(store);
  bool has_nan = false;
  // Depth = minus the mean eye-space z of the three vertices: larger is farther.
  for (auto& slot : store.slots) {
    if (!slot) continue;
    for (srf_triangle_t& t : slot->triangles) {
      double z = 0;
      for (const fvec3& p : t.v) z += mv[2] * p[0] + mv[6] * p[1] + mv[10] * p[2] + mv[14];
      t.depth = clamp_to_float(-z / 3);
      has_nan |= std::isnan(t.depth);
    }
  }
  store.sorted = 1;
  if (has_nan) {
    std::stable_sort(store.index.begin(), store.index.end(),
                     [](const srf_triangle_t* a, const srf_triangle_t* b) { return a->depth > b->depth; });
    return;
  }
  depth_keys_t& items = store.sort_keys;
  items.resize(store.index.size());
  for (size_t i = 0; i < items.size(); ++i) items[i] = {descending_key(store.index[i]->depth), store.index[i]};
  radix_sort(items, store.sort_moved);
  for (size_t i = 0; i < items.size(); ++i) store.index[i] = items[i].triangle;
}

namespace {

// Index and sort as the model-view matrix of `out` requires. Drawing runs
// inside the window's expose: should memory run out there, the surfaces are
// left out of this picture and the status bar says so.
void prepare(msrf_t& store, const SceneOutput& out) {
  try {
    msrf_Make_Index(store);
    if (!store.sorted) msrf_Sort(store, out.modelview());
  } catch (const std::bad_alloc&) {
    std::vector<const srf_triangle_t*>().swap(store.index);
    store.index_valid = 0;
    notifier().status(StatusBar::lower, "ERROR: Not enough memory to draw the surface");
  }
}

// Colour channel k of a vertex with potential p: white near zero, blending
// linearly into the plus or minus colour between 0.025 and 0.1 in magnitude.
double potential_channel(double p, double plus, double minus) {
  if (p > 0.1) return plus;
  if (p < -0.1) return minus;
  if (p > 0.025) return 1 - (p - 0.025) * (1 - plus) / 0.075;
  if (p < -0.025) return 1 + (p + 0.025) * (1 - minus) / 0.075;
  return 1;
}

// Grey of a vertex with potential p: 0.5 near zero, 1 from +1 up, 0 from -1 down.
double potential_grey(double p) {
  if (p > 1) return 1;
  if (p < -1) return 0;
  if (p > 0.025) return 0.5 + (p - 0.025) * 0.5 / 0.975;
  if (p < -0.025) return 0.5 + (p + 0.025) * 0.5 / 0.975;
  return 0.5;
}

}  // namespace

color_t potential_color(double p, const color_t& P, const color_t& N, bool gray) {
  if (gray) {
    const auto g = static_cast<float>(potential_grey(p));
    return {g, g, g, P.alpha};
  }
  return {static_cast<float>(potential_channel(p, P.red, N.red)),
          static_cast<float>(potential_channel(p, P.green, N.green)),
          static_cast<float>(potential_channel(p, P.blue, N.blue)), P.alpha};
}

void msrf_Draw(msrf_t& store, const std::array<color_t, 2>& colors, SceneOutput& out) {
  prepare(store, out);
  const color_t lobe_color[2] = {scene_color(colors[0]), scene_color(colors[1])};
  out.surface_colors(colors, false);
  out.begin(PrimitiveKind::triangles);
  for (const srf_triangle_t* t : store.index) {
    const int lobe = t->lobe == 0 ? 0 : 1;
    out.color(lobe_color[lobe], true);
    for (int k = 0; k < 3; ++k) {
      out.normal(t->n[k]);
      out.vertex(t->v[k]);
    }
    out.surface_triangle(*t, colors[lobe]);
  }
  out.end();
}

void msrf_Draw1(msrf_t& store, const std::array<color_t, 2>& colors, SceneOutput& out) {
  prepare(store, out);
  const bool gray = Input_Data.grayscale != 0;
  out.surface_colors(colors, true);
  out.begin(PrimitiveKind::triangles);
  for (const srf_triangle_t* t : store.index) {
    for (int k = 0; k < 3; ++k) {
      out.color(potential_color(t->val[k], colors[0], colors[1], gray), true);
      out.normal(t->n[k]);
      out.vertex(t->v[k]);
    }
    // Files colour the potential surfaces by lobe.
    out.surface_triangle(*t, colors[t->lobe == 0 ? 0 : 1]);
  }
  out.end();
}

void mivor_gtk_resort_surfaces() {
  if (All_Surfaces) All_Surfaces->sorted = 0;
  rerender_3d();
}
