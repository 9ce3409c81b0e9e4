// The geometry of a grid: a regular lattice of points given by its origin,
// its three edges and the number of points along each. Grid sections, the
// surface code, the converters and cube files all describe their points
// with it.
#pragma once

#include <algorithm>
#include <array>

#include "molecule/types.h"

// 1 bohr in ångström: grid geometry is stored in bohr in files and in
// ångström in the records.
constexpr double bohr_to_angstrom = 0.52917721067;

// Point (i, j, k) lies at origin + axis[0]·i/(net[0]-1) + axis[1]·j/(net[1]-1)
// + axis[2]·k/(net[2]-1): the axes are the whole edges, and an axis of one
// point has no spacing (its points lie at the origin). In every list of
// values k runs fastest: point (i, j, k) is value (i·net[1] + j)·net[2] + k.
// The unit is the holder's (ångström in the records, bohr in files).
struct lattice_t {
  std::array<int, 3> net{};
  vec3 origin{};
  std::array<vec3, 3> axis{};

  long long points() const { return 1LL * net[0] * net[1] * net[2]; }
  // Points between the ends of axis a: net[a] - 1, at least 1.
  double intervals(int a) const { return static_cast<double>(std::max(net[static_cast<size_t>(a)] - 1, 1)); }
  // The spacing of neighbouring points along axis a: the edge over its
  // intervals (for an axis of one point, the edge itself, which places no
  // further point).
  vec3 step(int a) const { return axis[static_cast<size_t>(a)] / intervals(a); }
  // Coordinate c of point ijk. Each term is computed as axis·index/intervals,
  // so that along every index the result grows (or falls) monotonically,
  // rounding included.
  double at(int c, const std::array<int, 3>& ijk) const {
    const size_t k = static_cast<size_t>(c);
    return origin[k] + axis[0][k] * ijk[0] / intervals(0) + axis[1][k] * ijk[1] / intervals(1) +
           axis[2][k] * ijk[2] / intervals(2);
  }
  vec3 at(const std::array<int, 3>& ijk) const { return {at(0, ijk), at(1, ijk), at(2, ijk)}; }
  // The same points in another unit: every length times f.
  lattice_t scaled(double f) const { return {net, origin * f, {axis[0] * f, axis[1] * f, axis[2] * f}}; }
  // The lattice whose neighbouring points along axis a lie steps[a] apart.
  static lattice_t from_steps(const std::array<int, 3>& net, const vec3& origin, const std::array<vec3, 3>& steps) {
    lattice_t l{net, origin, {}};
    for (size_t a = 0; a < 3; ++a) l.axis[a] = steps[a] * std::max(net[a] - 1, 0);
    return l;
  }
};
