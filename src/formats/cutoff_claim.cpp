// The fewest points a cut-off keeps.
//
// Around each atom a lattice point p near it is taken (the atom's place in
// lattice indices, rounded and kept inside the lattice). When p itself is
// kept, coordinate c may still fall by r + (p_c - atom_c) and rise by
// r - (p_c - atom_c) before the point leaves the atom's box. Every point
// p + Δ is kept as well whose steps Δ move no coordinate further than that,
// however the steps along the three axes add up: moving by Δ moves
// coordinate c by Σ_a Δ_a·step_a[c]. The largest box of indices found so
// (the whole kept box when the lattice's axes follow the coordinate axes)
// is counted within the wanted range of point indices. The boxes of different atoms overlap, so
// their sizes are not added up: a greedy choice of pairwise disjoint boxes,
// largest first, is, and so is never more than the union the mask keeps.
#include "formats/cutoff_claim.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Boxes taken into the greedy sum, and box comparisons it may make: enough
// for any molecule, bounded for a hostile file.
constexpr size_t max_boxes = 65536;
constexpr long long max_comparisons = 1LL << 22;

struct index_box_t {
  std::array<long long, 3> lo{}, hi{};
  long long count = 0;
};

bool disjoint(const index_box_t& a, const index_box_t& b) {
  for (size_t k = 0; k < 3; ++k)
    if (a.hi[k] < b.lo[k] || b.hi[k] < a.lo[k]) return true;
  return false;
}

double max_norm(const vec3& v) { return std::max({std::fabs(v[0]), std::fabs(v[1]), std::fabs(v[2])}); }

double det3(const vec3& a, const vec3& b, const vec3& c) {
  return a[0] * (b[1] * c[2] - b[2] * c[1]) - a[1] * (b[0] * c[2] - b[2] * c[0]) + a[2] * (b[0] * c[1] - b[1] * c[0]);
}

// The lattice point nearest to `x`: the atom's place in lattice indices,
// from the axes' equations where they are independent, else from those of
// as many axes as are (the others at index 0), rounded and kept inside.
std::array<int, 3> nearest_point(const lattice_t& l, const vec3& x) {
  const vec3 d = x - l.origin;
  const std::array<vec3, 3> s = {l.step(0), l.step(1), l.step(2)};
  const double det = det3(s[0], s[1], s[2]);
  const double scale = std::sqrt(dot(s[0], s[0]) * dot(s[1], s[1]) * dot(s[2], s[2]));
  std::array<double, 3> t{};
  if (scale > 0 && std::fabs(det) > 1e-9 * scale) {
    t = {det3(d, s[1], s[2]) / det, det3(s[0], d, s[2]) / det, det3(s[0], s[1], d) / det};
  } else {
    // Two independent axes: the point of their plane nearest to x.
    bool solved = false;
    for (size_t a = 0; a < 3 && !solved; ++a) {
      for (size_t b = a + 1; b < 3 && !solved; ++b) {
        const double aa = dot(s[a], s[a]), ab = dot(s[a], s[b]), bb = dot(s[b], s[b]);
        const double gram = aa * bb - ab * ab;
        if (!(gram > 1e-9 * aa * bb)) continue;
        const double da = dot(d, s[a]), db = dot(d, s[b]);
        t[a] = (da * bb - db * ab) / gram;
        t[b] = (db * aa - da * ab) / gram;
        solved = true;
      }
    }
    // Else one axis at most: along it.
    for (size_t a = 0; a < 3 && !solved; ++a) {
      if (dot(s[a], s[a]) > 0) {
        t[a] = dot(d, s[a]) / dot(s[a], s[a]);
        solved = true;
      }
    }
  }
  std::array<int, 3> p{};
  for (size_t a = 0; a < 3; ++a) {
    const double top = std::max(l.net[a] - 1, 0);
    p[a] = std::isfinite(t[a]) ? static_cast<int>(std::clamp(std::round(t[a]), 0.0, top)) : 0;
  }
  return p;
}

// Points of the box with index (i·n1 + j)·n2 + k at least `first`.
long long count_from(const index_box_t& b, const std::array<int, 3>& n, long long first) {
  const long long n12 = 1LL * n[1] * n[2];
  const long long I = first / n12, J = (first % n12) / n[2], K = first % n[2];
  const auto span = [](long long lo, long long hi) { return hi >= lo ? hi - lo + 1 : 0; };
  const long long plane = span(b.lo[1], b.hi[1]) * span(b.lo[2], b.hi[2]);
  long long count = span(std::max(b.lo[0], I + 1), b.hi[0]) * plane;
  if (b.lo[0] <= I && I <= b.hi[0]) {
    count += span(std::max(b.lo[1], J + 1), b.hi[1]) * span(b.lo[2], b.hi[2]);
    if (b.lo[1] <= J && J <= b.hi[1]) count += span(std::max(b.lo[2], K), b.hi[2]);
  }
  return count;
}

// The largest whole number below `v` (v > 0), at most `most`.
long long below(double v, long long most) {
  if (!(v > 0)) return -1;
  if (v > static_cast<double>(most) + 1) return most;
  return static_cast<long long>(std::ceil(v)) - 1;
}

// The box of points kept around `x`, or a box of no points. From p, index
// steps up and down along each axis move each coordinate by known amounts;
// the box may reach as far along each axis, in each direction, as the room
// left on that side of every coordinate allows, all reaches shrunk alike
// where several axes move one coordinate.
index_box_t kept_box(const lattice_t& l, const vec3& x, double r, long long first) {
  index_box_t box;
  const std::array<int, 3> p = nearest_point(l, x);
  const std::array<vec3, 3> s = {l.step(0), l.step(1), l.step(2)};
  // room[c][0]: how far coordinate c may still fall, room[c][1]: rise.
  std::array<std::array<double, 2>, 3> room{};
  for (int c = 0; c < 3; ++c) {
    const size_t k = static_cast<size_t>(c);
    // Far above the rounding of the lattice's own arithmetic.
    const double tolerance = 1e-9 * (std::fabs(x[k]) + std::fabs(l.origin[k]) + std::fabs(l.axis[0][k]) +
                                     std::fabs(l.axis[1][k]) + std::fabs(l.axis[2][k]) + r);
    const double d = l.at(c, p) - x[k];
    room[k] = {r + d - tolerance, r - d - tolerance};
    if (!(room[k][0] > 0) || !(room[k][1] > 0)) return box;
  }
  // reach[a][1]: index steps up along axis a, reach[a][0]: down. A step up
  // moves coordinate c by s[a][c]: up into its rising room when positive.
  std::array<std::array<double, 2>, 3> reach{};
  for (size_t a = 0; a < 3; ++a) {
    for (size_t dir = 0; dir < 2; ++dir) {
      reach[a][dir] = std::numeric_limits<double>::infinity();
      for (size_t c = 0; c < 3; ++c) {
        if (s[a][c] == 0) continue;
        const size_t side = (s[a][c] > 0) == (dir == 1) ? 1 : 0;
        reach[a][dir] = std::min(reach[a][dir], room[c][side] / std::fabs(s[a][c]));
      }
    }
  }
  double worst = 1;
  for (size_t c = 0; c < 3; ++c) {
    for (size_t side = 0; side < 2; ++side) {
      double used = 0;
      for (size_t a = 0; a < 3; ++a) {
        if (s[a][c] == 0) continue;
        const size_t dir = (s[a][c] > 0) == (side == 1) ? 1 : 0;
        used += reach[a][dir] * std::fabs(s[a][c]);
      }
      worst = std::max(worst, used / room[c][side]);
    }
  }
  for (size_t a = 0; a < 3; ++a) {
    const long long n = l.net[a];
    const long long down = below(reach[a][0] / worst, n), up = below(reach[a][1] / worst, n);
    if (down < 0 || up < 0) return box;
    box.lo[a] = std::max(0LL, p[a] - down);
    box.hi[a] = std::min(n - 1, p[a] + up);
  }
  box.count = count_from(box, l.net, first);
  return box;
}

}  // namespace

long long fewest_kept_points(const lattice_t& lattice, const std::vector<vec3>& atoms, double r, long long first) {
  if (!(r > 0) || !std::isfinite(r) || lattice.points() <= 0 || first >= lattice.points()) return 0;
  for (const vec3& a : lattice.axis)
    if (!std::isfinite(max_norm(a))) return 0;
  if (!std::isfinite(max_norm(lattice.origin))) return 0;
  std::vector<index_box_t> boxes;
  long long largest = 0;
  for (const vec3& x : atoms) {
    if (!std::isfinite(max_norm(x))) continue;
    const index_box_t box = kept_box(lattice, x, r, std::max(first, 0LL));
    if (box.count <= 0) continue;
    largest = std::max(largest, box.count);
    if (boxes.size() < max_boxes) boxes.push_back(box);
  }
  std::sort(boxes.begin(), boxes.end(), [](const index_box_t& a, const index_box_t& b) { return a.count > b.count; });
  std::vector<index_box_t> chosen;
  long long sum = 0, comparisons = 0;
  for (const index_box_t& box : boxes) {
    if (comparisons + static_cast<long long>(chosen.size()) > max_comparisons) break;
    comparisons += static_cast<long long>(chosen.size());
    if (std::all_of(chosen.begin(), chosen.end(), [&box](const index_box_t& c) { return disjoint(c, box); })) {
      chosen.push_back(box);
      sum += box.count;
    }
  }
  return std::max(largest, sum);
}
