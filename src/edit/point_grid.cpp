#include "edit/point_grid.h"

#include <algorithm>
#include <cmath>

namespace {

// Cell indices are kept within ±(2^20 − 2) so that they and their neighbours
// pack, three to one 64-bit key, without two cells sharing a key. Clamping is monotonic, so two points less than a cell
// apart still land in the same or neighbouring cells; only points far outside that range share the boundary cells.
constexpr double cell_index_limit = 1048574.0;

int64_t clamp_index(double v) {
  if (!(v > -cell_index_limit)) return static_cast<int64_t>(-cell_index_limit);
  if (!(v < cell_index_limit)) return static_cast<int64_t>(cell_index_limit);
  return static_cast<int64_t>(std::floor(v));
}

}  // namespace

point_grid::point_grid(double cell, double extent) : cell_(std::isfinite(cell) && cell > 0 ? cell : 1.0) {
  if (std::isfinite(extent)) cell_ = std::max(cell_, extent / (cell_index_limit - 1));
}

double point_grid::extent_of(const std::vector<vec3>& points) {
  double e = 0;
  for (const vec3& p : points)
    for (double c : p) e = std::max(e, std::fabs(c));
  return e;
}

void point_grid::clear() { cells_.clear(); }

point_grid::cell_t point_grid::cell_of(const vec3& p) const {
  return {clamp_index(p[0] / cell_), clamp_index(p[1] / cell_), clamp_index(p[2] / cell_)};
}

uint64_t point_grid::key(const cell_t& c) {
  // 21 bits per axis, offset to be non-negative.
  const auto part = [](int64_t v) { return static_cast<uint64_t>(v + (int64_t{1} << 20)) & 0x1fffff; };
  const uint64_t k = (part(c.x) << 42) | (part(c.y) << 21) | part(c.z);
  // Spread the bits so that neighbouring cells don't crowd hash buckets.
  return k * 0x9E3779B97F4A7C15ull;
}

void point_grid::insert(int id, const vec3& p) { cells_[key(cell_of(p))].push_back(id); }

void point_grid::move(int id, const vec3& from, const vec3& to) {
  const uint64_t a = key(cell_of(from)), b = key(cell_of(to));
  if (a == b) return;
  const auto it = cells_.find(a);
  if (it != cells_.end()) {
    auto& ids = it->second;
    const auto pos = std::find(ids.begin(), ids.end(), id);
    if (pos != ids.end()) {
      *pos = ids.back();
      ids.pop_back();
    }
  }
  cells_[b].push_back(id);
}
