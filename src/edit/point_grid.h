// A spatial hash of points: cubic cells of one edge length, so that the
// points near a place are found by looking at the 27 cells around it rather
// than at every point. Symmetry searches and overlap tests use it to stay
// linear in the number of atoms per operation tested.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "molecule/types.h"

class point_grid {
 public:
  // `cell` is the edge of a cell; every point closer than `cell` to a query
  // lies in the 27 cells around it. Points are expected within `extent` of
  // the origin in each coordinate; the cells grow where needed so that such
  // points never share the boundary cells. A cell edge that is not a
  // positive finite number becomes 1.
  explicit point_grid(double cell = 1.0, double extent = 0);
  // The largest coordinate magnitude of `points`.
  static double extent_of(const std::vector<vec3>& points);
  void clear();
  void insert(int id, const vec3& p);
  // Moves point `id` from where it was inserted (`from`) to `to`.
  void move(int id, const vec3& from, const vec3& to);
  // Calls f(id) for every point in the 27 cells around q; stops early and
  // returns false as soon as f returns false.
  template <typename F>
  bool for_each_near(const vec3& q, F&& f) const {
    const cell_t c = cell_of(q);
    for (int64_t dx = -1; dx <= 1; ++dx)
      for (int64_t dy = -1; dy <= 1; ++dy)
        for (int64_t dz = -1; dz <= 1; ++dz) {
          const auto it = cells_.find(key({c.x + dx, c.y + dy, c.z + dz}));
          if (it == cells_.end()) continue;
          for (int id : it->second)
            if (!f(id)) return false;
        }
    return true;
  }
  double cell() const { return cell_; }

 private:
  struct cell_t {
    int64_t x, y, z;
  };
  cell_t cell_of(const vec3& p) const;
  static uint64_t key(const cell_t& c);
  double cell_;
  std::unordered_map<uint64_t, std::vector<int>> cells_;
};
