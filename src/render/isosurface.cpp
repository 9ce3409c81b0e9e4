// Isosurfaces of the current grid by marching cubes (Lorensen and Cline,
// "Marching cubes: a high resolution 3D surface construction algorithm", 1987).
//
// mcubes() makes one pass at level v = +L and, when two-sided, a second at
// v = -L; the triangles of the first pass come first, and within a pass
// they follow the cubes with z outermost, then y, then x (x innermost):
//  1. The cube index has bit k set when corner k lies on the inner side of
//     the level: f_k >= v for v < 0, f_k <= v otherwise. Indices 0 and 255
//     (no crossing) are skipped before anything else is computed.
//  2. Corner positions, and gradients by differences along each axis:
//     central (f(i+1) - f(i-1))/2 inside, one-sided f(1) - f(0) and
//     f(n-1) - f(n-2) on the borders, divided by the spacing, so a linear
//     field has the same gradient everywhere.
//  3. Each triangle of the table row is interpolated edge by edge in row
//     order, from the edge's first corner a to its second b with
//     t = (v - fa)/(fb - fa): position, normal (made unit when not zero, and
//     negated for v > 0 so that the normals of both lobes point outwards) and
//     the optional second field.
//  4. A triangle whose first two vertices coincide while its third differs is
//     dropped; every other one, degenerate ones included, is added with lobe
//     0 in the first pass and 1 in the second.
//
// The values lie x slowest and z fastest, across the visiting order, so the
// work is done in memory order and only the triangles follow the visiting
// order:
//  a. A sweep over the x-planes, each read once. A z-row whose smallest and
//     largest value lie on the same side of both levels is on that side
//     throughout (most rows of an orbital are): it is settled by its two
//     extremes. The others are classified value by value (two or four
//     values per comparison): one byte per point holds its side
//     of both levels (bit 0 and bit 4). Each z-row notes its first and last
//     flip; a row of cubes between two planes is scanned only from the first
//     flip of its four corner rows to the last (beyond them every corner row
//     is constant, so the cubes there cross only where the rows disagree).
//     Crossing cubes are listed per pass in (x, y, z) order, and the
//     triangles their table rows give are counted as they are found: the
//     count is what the memory budget is checked against, during the sweep.
//  b. Edge points, one slab behind the sweep while its values are still
//     cached: the crossing on an edge is computed once, for the first cube
//     that needs it, and numbered. Every cube sharing the edge runs it from
//     the same corner, so its own arithmetic would give the same point: the
//     others refer to that number. The triangles of the cube are kept there
//     as triples of numbers (degenerate ones dropped), and each row of cubes
//     z·(ny-1) + y counts the triangles it keeps.
//  c. Order: a stable counting sort of the kept triangles on their row of
//     cubes gives the visiting order (z, y, x); nothing else decides the
//     triangles' order.
//  d. Triangles: made of the numbered points in that order, into storage
//     sized once for all passes.
//
// The memory of the sweep is kept from one extraction to the next (until
// the store is freed), so that only the new surface's triangles cost pages.

#include "render/isosurface.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <tuple>
#include <utility>

#include "molecule/memory_budget.h"
#include "molecule/mol_data.h"
#include "molecule/notify.h"
#include "molecule/settings.h"

std::vector<srf_t*> surf;
bool mcubes_wide_rows = true;

namespace {

// What the last rebuild of the current grid's surfaces did, and the grid
// whose refusal was last told in a dialog: further refusals for that grid
// (the panel rebuilds as it shows a level, the user drags the level) go to
// the status bar, so that no dialog follows another.
surface_outcome_t surface_outcome;
struct told_refusal_t {
  const double* values = nullptr;
  int grid = -1;
  bool operator==(const told_refusal_t& o) const { return values == o.values && grid == o.grid; }
};
told_refusal_t told_refusal;

// Offsets of the cube corners from the base point (x, y, z).
constexpr int corner_offset[8][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                                     {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
// The corners each edge joins, interpolation running from the first.
constexpr int edge_corner[12][2] = {{0, 1}, {1, 2}, {3, 2}, {0, 3}, {4, 5}, {5, 6},
                                    {7, 6}, {4, 7}, {0, 4}, {1, 5}, {3, 7}, {2, 6}};
// The axis along which each edge runs.
constexpr int edge_axis[12] = {0, 1, 0, 1, 0, 1, 0, 1, 2, 2, 2, 2};

// The values of one extraction on their lattice: values, optional second
// field, sizes, strides of the x-slowest layout and spacing.
struct field_t {
  const double* values;
  const double* second;
  int n[3];
  size_t stride[3];
  vec3 origin;
  double step[3];

  field_t(int nx, int ny, int nz, const double* v, const double* s, const vec3& o, const vec3& extents)
      : values(v), second(s), n{nx, ny, nz}, origin(o) {
    stride[2] = 1;
    stride[1] = static_cast<size_t>(nz);
    stride[0] = static_cast<size_t>(ny) * stride[1];
    for (int a = 0; a < 3; ++a) step[a] = extents[a] / (n[a] - 1);
  }

  // Derivative along axis a at point p whose index along a is i.
  double derivative(size_t p, int a, int i) const {
    const size_t s = stride[a];
    double d;
    if (i == 0)
      d = values[p + s] - values[p];
    else if (i == n[a] - 1)
      d = values[p] - values[p - s];
    else
      d = (values[p + s] - values[p - s]) / 2;
    return d / step[a];
  }
};

// ---- The data of a pass ----

// A cube that crosses the level: base point and cube index.
struct crossing_cube_t {
  int x, y, z;
  int index;
};

// Computed in double precision, kept in single precision as the surface
// keeps it.
using edge_point_t = surface_vertex_t;

// A triangle kept for the surface: its three edge points and the row of
// cubes (z·(ny - 1) + y) whose visiting order places it.
struct triangle_ref_t {
  uint32_t point[3];
  uint32_t row;
};

// One pass: its level, lobe flag, crossing cubes (in memory order) and the
// crossing points on their edges, each with its key (first lattice point · 3
// + axis); the triangles kept, in memory order, with the count of each row
// of cubes; then the triangles in visiting order.
struct pass_t {
  double level = 0;
  int lobe = 0;
  std::vector<crossing_cube_t> cubes;
  std::vector<edge_point_t> points;
  std::vector<uint64_t> keys;
  std::vector<triangle_ref_t> triangles;
  std::vector<uint32_t> row_count;
  std::vector<triangle_ref_t> ordered;
};

// ---- Classifying and scanning ----

// Side flags of a point: bit 0 for the first pass, bit 4 for the second.
// ORing the flags of four points shifted by 0 … 3 gives the face codes of
// both passes at once, one per nibble.
constexpr unsigned kSecondPassShift = 4;

// Side flags of one value. `below` says whether a pass's inner side is
// f <= v (v >= 0) or f >= v (v < 0); the choice is made once per
// extraction, not per point.
template <bool below0, bool below1>
uint8_t side_flags(double f, double v0, double v1) {
  const unsigned first = below0 ? f <= v0 : f >= v0;
  const unsigned second = below1 ? f <= v1 : f >= v1;
  return static_cast<uint8_t>(first | second << kSecondPassShift);
}

// Vectors of N values, of their N comparison masks and of those as bytes, in
// the compiler's vector extensions: the row code below is written once for
// any N, and compiled for two values to a register (SSE2 on x86-64) and, in
// functions made for processors with AVX2, for four.
template <int N>
struct lanes_t {
  typedef double values __attribute__((vector_size(8 * N)));
  typedef long long masks __attribute__((vector_size(8 * N)));
  typedef uint8_t lane_bytes __attribute__((vector_size(8 * N)));
};

// Loads a vector of values (by reference: a wide vector returned by value
// would need a calling convention of its own).
template <typename V>
__attribute__((always_inline)) inline void load(V& v, const double* f) {
  std::memcpy(&v, f, sizeof v);
}

// The smallest and largest value of a z-row; false when it holds a value
// that is not finite (its row is then classified value by value, which is
// right for any value). Most rows of an orbital lie on one side of both
// levels: the side of their two extremes is then the side of every value,
// so such a row takes one comparison of a pair of values rather than a flag
// per value.
template <int N>
__attribute__((always_inline)) inline bool row_extremes(const double* f, int nz, double& low, double& high) {
  using L = lanes_t<N>;
  int z = 0;
  bool finite = true;
  low = high = f[0];
  if (nz >= 2 * N) {
    typename L::values lo0, lo1;
    load(lo0, f), load(lo1, f + N);
    // v - v is 0 for a finite v and NaN for any other; the sum keeps a NaN.
    typename L::values hi0 = lo0, hi1 = lo1, probe = (lo0 - lo0) + (lo1 - lo1);
    for (z = 2 * N; z + 2 * N <= nz; z += 2 * N) {
      typename L::values a, b;
      load(a, f + z), load(b, f + z + N);
      lo0 = a < lo0 ? a : lo0, hi0 = a > hi0 ? a : hi0;
      lo1 = b < lo1 ? b : lo1, hi1 = b > hi1 ? b : hi1;
      probe += (a - a) + (b - b);
    }
    lo0 = lo1 < lo0 ? lo1 : lo0;
    hi0 = hi1 > hi0 ? hi1 : hi0;
    for (int k = 0; k < N; ++k) {
      low = std::min(low, lo0[k]);
      high = std::max(high, hi0[k]);
      finite &= probe[k] == 0;
    }
  }
  for (; z < nz; ++z) {
    finite &= std::isfinite(f[z]);
    low = std::min(low, f[z]);
    high = std::max(high, f[z]);
  }
  return finite;
}

// Side flags of a z-row of values; true when they are all the same.
template <int N, bool below0, bool below1>
__attribute__((always_inline)) inline bool classify_row_of(const double* f, int nz, double v0, double v1, uint8_t* s) {
  using L = lanes_t<N>;
  using values_t = typename L::values;
  double low, high;
  if (row_extremes<N>(f, nz, low, high)) {
    // Each side test is monotonic in the value.
    const uint8_t flags = side_flags<below0, below1>(low, v0, v1);
    if (flags == side_flags<below0, below1>(high, v0, v1)) {
      std::memset(s, flags, static_cast<size_t>(nz));
      return true;
    }
  }
  int z = 0;
  const values_t level0 = values_t{} + v0, level1 = values_t{} + v1;
  for (; z + N <= nz; z += N) {
    values_t values;
    load(values, f + z);
    const typename L::masks first = below0 ? values <= level0 : values >= level0;
    const typename L::masks second = below1 ? values <= level1 : values >= level1;
    // The low byte of each lane's flags.
    const typename L::lane_bytes flags = (typename L::lane_bytes)((first & 1) | (second & (1 << kSecondPassShift)));
    if constexpr (N == 4) {
      const auto low = __builtin_shufflevector(flags, flags, 0, 8, 16, 24);
      std::memcpy(s + z, &low, N);
    } else {
      const auto low = __builtin_shufflevector(flags, flags, 0, 8);
      std::memcpy(s + z, &low, N);
    }
  }
  for (; z < nz; ++z) s[z] = side_flags<below0, below1>(f[z], v0, v1);
  return false;
}

template <bool below0, bool below1>
bool classify_row(const double* f, int nz, double v0, double v1, uint8_t* s) {
  return classify_row_of<2, below0, below1>(f, nz, v0, v1, s);
}

#if defined(__x86_64__) && defined(__GNUC__)
#define MIVOR_AVX2_ROWS 1
// The read of the grid is most of the classifying: four values to an
// instruction where the processor has AVX2. The same flags, bit for bit.
template <bool below0, bool below1>
__attribute__((target("avx2"))) bool classify_row_avx2(const double* f, int nz, double v0, double v1, uint8_t* s) {
  return classify_row_of<4, below0, below1>(f, nz, v0, v1, s);
}
#endif

// The side test of the levels of both passes (the second one's flags are
// made even when only the first pass is).
struct classifier_t {
  bool (*row)(const double*, int, double, double, uint8_t*);
  double v[2];

  explicit classifier_t(const pass_t (&passes)[2]) : v{passes[0].level, passes[1].level} {
#if defined(MIVOR_AVX2_ROWS)
    if (mcubes_wide_rows && __builtin_cpu_supports("avx2")) {
      if (v[0] < 0)
        row = v[1] < 0 ? classify_row_avx2<false, false> : classify_row_avx2<false, true>;
      else
        row = v[1] < 0 ? classify_row_avx2<true, false> : classify_row_avx2<true, true>;
      return;
    }
#endif
    if (v[0] < 0)
      row = v[1] < 0 ? classify_row<false, false> : classify_row<false, true>;
    else
      row = v[1] < 0 ? classify_row<true, false> : classify_row<true, true>;
  }
};

// The side flags of one x-plane (ny × nz, z fastest) and, per z-row, the
// first and last z-edge whose ends differ (lo = nz - 1, hi = -1 when none).
struct plane_t {
  std::vector<uint8_t> side;
  std::vector<int> lo, hi;
};

// Whether s[0 … 7] equals s[1 … 8]: eight z-edges without a flip.
bool no_flip_in_eight(const uint8_t* s) {
  uint64_t a, b;
  std::memcpy(&a, s, 8);
  std::memcpy(&b, s + 1, 8);
  return a == b;
}

void find_flips(const uint8_t* s, int nz, int& lo, int& hi) {
  lo = 0;
  while (lo + 9 <= nz && no_flip_in_eight(s + lo)) lo += 8;
  while (lo < nz - 1 && s[lo] == s[lo + 1]) ++lo;
  if (lo == nz - 1) {
    hi = -1;
    return;
  }
  hi = nz - 2;
  while (hi - 8 >= lo && no_flip_in_eight(s + hi - 7)) hi -= 8;
  while (s[hi] == s[hi + 1]) --hi;
}

void classify_plane(const field_t& L, const classifier_t& test, int x, plane_t& plane) {
  const int ny = L.n[1], nz = L.n[2];
  const double* f = L.values + x * L.stride[0];
  for (int y = 0; y < ny; ++y, f += nz) {
    uint8_t* s = &plane.side[static_cast<size_t>(y) * nz];
    if (test.row(f, nz, test.v[0], test.v[1], s)) {
      plane.lo[y] = nz - 1;
      plane.hi[y] = -1;
    } else {
      find_flips(s, nz, plane.lo[y], plane.hi[y]);
    }
  }
}

// The edges each row of the table crosses, each once, in the order the row
// first names them: a cube looks up each of its edge points once however
// many of its triangles share it.
struct case_edges_t {
  uint8_t count = 0;
  uint8_t edge[12] = {};
};

const std::array<case_edges_t, 256>& edges_of_case() {
  static const std::array<case_edges_t, 256> table = [] {
    std::array<case_edges_t, 256> t{};
    for (size_t c = 0; c < t.size(); ++c) {
      unsigned seen = 0;
      for (int i = 0; cases[c][i] != -1; ++i)
        if (!(seen >> cases[c][i] & 1)) {
          seen |= 1u << cases[c][i];
          t[c].edge[t[c].count++] = static_cast<uint8_t>(cases[c][i]);
        }
    }
    return t;
  }();
  return table;
}

// Triangles of each row of the table.
const std::array<uint8_t, 256>& triangles_of_case() {
  static const std::array<uint8_t, 256> table = [] {
    std::array<uint8_t, 256> t{};
    for (size_t c = 0; c < t.size(); ++c)
      for (int i = 0; cases[c][i] != -1; i += 3) ++t[c];
    return t;
  }();
  return table;
}

// Lists the crossing cubes of the row of cubes at (x, y), and returns the
// triangles they make (at most: the few that are dropped as degenerate are
// counted too). Its corners lie on the z-rows a = (x, y), b = (x + 1, y),
// c = (x + 1, y + 1), d = (x, y + 1) of the planes p0 (at x) and p1 (at
// x + 1).
size_t scan_cube_row(const plane_t& p0, const plane_t& p1, int x, int y, int nz, unsigned face_mask,
                     pass_t (&passes)[2]) {
  const int first_flip = std::min({p0.lo[y], p1.lo[y], p1.lo[y + 1], p0.lo[y + 1]});
  const int last_flip = std::max({p0.hi[y], p1.hi[y], p1.hi[y + 1], p0.hi[y + 1]});
  const uint8_t* a = &p0.side[static_cast<size_t>(y) * nz];
  const uint8_t* b = &p1.side[static_cast<size_t>(y) * nz];
  const uint8_t* c = &p1.side[static_cast<size_t>(y + 1) * nz];
  const uint8_t* d = &p0.side[static_cast<size_t>(y + 1) * nz];
  const auto face = [&](int z) { return (unsigned{a[z]} | b[z] << 1 | c[z] << 2 | d[z] << 3) & face_mask; };
  const auto agree = [&](int z) { return a[z] == b[z] && a[z] == c[z] && a[z] == d[z]; };
  const int begin = agree(0) ? first_flip : 0;
  const int end = agree(nz - 1) ? last_flip : nz - 2;
  if (begin > end) return 0;
  const std::array<uint8_t, 256>& per_case = triangles_of_case();
  size_t triangles = 0;
  unsigned low = face(begin);
  for (int z = begin; z <= end; ++z) {
    const unsigned high = face(z + 1);
    const int first = static_cast<int>((low & 15) | (high & 15) << 4);
    const int second = static_cast<int>(low >> 4 | (high & 0xF0));
    if (first != 0 && first != 255) {
      passes[0].cubes.push_back({x, y, z, first});
      triangles += per_case[static_cast<size_t>(first)];
    }
    if (second != 0 && second != 255) {
      passes[1].cubes.push_back({x, y, z, second});
      triangles += per_case[static_cast<size_t>(second)];
    }
    low = high;
  }
  return triangles;
}

// ---- Edge points ----

// Position, gradient and second-field value of one lattice point.
struct corner_t {
  vec3 p, g;
  double s;
};

corner_t corner_at(const field_t& L, const int (&i)[3], size_t p) {
  corner_t c;
  for (int a = 0; a < 3; ++a) {
    c.p[a] = L.origin[a] + i[a] * L.step[a];
    c.g[a] = L.derivative(p, a, i[a]);
  }
  c.s = L.second ? L.second[p] : 0.0;
  return c;
}

// The crossing of level v on the edge from point i (index p) one step along
// `axis`: every cube sharing the edge runs it the same way, so one
// computation serves them all. Its normal is left in `gradient`, the
// gradient interpolated there, for `finish_normals`. The point is written
// field by field where it is kept: a copy assembled on the stack would be
// read back wider than it was written, which stalls.
void make_edge_point(const field_t& L, const int (&i)[3], size_t p, int axis, double v, edge_point_t& out,
                     vec3& gradient) {
  int j[3] = {i[0], i[1], i[2]};
  ++j[axis];
  const size_t q = p + L.stride[axis];
  const corner_t a = corner_at(L, i, p), b = corner_at(L, j, q);
  const double t = (v - L.values[p]) / (L.values[q] - L.values[p]);
  vec3 position;
  for (int k = 0; k < 3; ++k) {
    position[k] = a.p[k] + t * (b.p[k] - a.p[k]);
    gradient[k] = a.g[k] + t * (b.g[k] - a.g[k]);
  }
  out.p = position;
  // Without a second field the value is 0, even where t is not finite.
  out.s = L.second ? clamp_to_float(a.s + t * (b.s - a.s)) : 0.0f;
}

// The normals of `points` from their gradients: made unit when not zero,
// and negated for v > 0 so that the normals of both lobes point outwards.
// Done for a batch of points at once, whose square roots and divisions
// then overlap instead of each waiting for the one before.
void finish_normals(const std::vector<vec3>& gradients, edge_point_t* points, bool negate) {
  for (size_t k = 0; k < gradients.size(); ++k) {
    vec3 normal = gradients[k];
    const double length = norm(normal);
    if (length > 0) normal = normal / length;
    if (negate) normal = -normal;
    points[k].n = normal;
  }
}

// Where the first corner of each edge lies from a cube's base point: its
// offset among the values, and its slot (see `edge_point_number`) from the
// base's slot for either x parity of the base.
struct edge_offsets_t {
  size_t value[12];
  size_t slot[2][12];

  explicit edge_offsets_t(const field_t& L) {
    for (int e = 0; e < 12; ++e) {
      const int* o = corner_offset[edge_corner[e][0]];
      const size_t in_plane = o[1] * L.stride[1] + o[2];
      value[e] = o[0] * L.stride[0] + in_plane;
      for (int parity = 0; parity < 2; ++parity)
        slot[parity][e] = (((parity + o[0]) & 1) * L.stride[0] + in_plane) * 3 + edge_axis[e];
    }
  }
};

// What numbering the edge points of an extraction uses: the lattice, the
// offsets of the edges, the slots (see `edge_point_number`) and the
// gradients of the points made but not yet given their normals.
struct edge_numbering_t {
  const field_t& L;
  const edge_offsets_t offsets;
  std::vector<uint32_t>& slots;
  std::vector<vec3>& gradients;
};

// The number in `pass.points` of the crossing on `edge` of `cube`, made on
// first use. `slots` maps an edge (x parity of its first point, y, z, axis)
// to a number, valid when that point's key names the same edge: walking the
// cubes plane by plane, an edge is still mapped when its last cube comes.
// `base` is the value index of the cube's base point, `slot_base` its slot
// with x parity 0.
uint32_t edge_point_number(edge_numbering_t& e, const crossing_cube_t& cube, int edge, size_t base, size_t slot_base,
                           pass_t& pass) {
  const int axis = edge_axis[edge];
  const size_t p = base + e.offsets.value[edge];
  const uint64_t key = uint64_t{p} * 3 + axis;
  uint32_t& slot = e.slots[slot_base + e.offsets.slot[cube.x & 1][edge]];
  if (slot < pass.keys.size() && pass.keys[slot] == key) return slot;
  const int* o = corner_offset[edge_corner[edge][0]];
  const int i[3] = {cube.x + o[0], cube.y + o[1], cube.z + o[2]};
  slot = static_cast<uint32_t>(pass.points.size());
  make_edge_point(e.L, i, p, axis, pass.level, pass.points.emplace_back(), e.gradients.emplace_back());
  pass.keys.push_back(key);
  return slot;
}

// Numbers the crossings on the edges of cubes [begin, end) of `pass` and
// keeps their triangles: a triangle whose first two vertices coincide while
// its third differs is dropped here, so that each row of cubes counts the
// triangles it gives.
void find_edge_points(edge_numbering_t& e, pass_t& pass, size_t begin, size_t end) {
  const field_t& L = e.L;
  const uint32_t rows = static_cast<uint32_t>(L.n[1] - 1);
  const std::array<case_edges_t, 256>& edges_of = edges_of_case();
  const size_t first_new = pass.points.size();
  e.gradients.clear();
  for (size_t c = begin; c < end; ++c) {
    const crossing_cube_t cube = pass.cubes[c];
    const int32_t* row = cases[cube.index];
    const case_edges_t& edges = edges_of[static_cast<size_t>(cube.index)];
    const size_t in_plane = cube.y * L.stride[1] + static_cast<size_t>(cube.z);
    const size_t base = cube.x * L.stride[0] + in_plane, slot_base = in_plane * 3;
    uint32_t point[12];
    for (int k = 0; k < edges.count; ++k)
      point[edges.edge[k]] = edge_point_number(e, cube, edges.edge[k], base, slot_base, pass);
    const uint32_t cube_row = static_cast<uint32_t>(cube.z) * rows + static_cast<uint32_t>(cube.y);
    for (int i = 0; row[i] != -1; i += 3) {
      const triangle_ref_t t{{point[row[i]], point[row[i + 1]], point[row[i + 2]]}, cube_row};
      const fvec3 &v0 = pass.points[t.point[0]].p, &v1 = pass.points[t.point[1]].p, &v2 = pass.points[t.point[2]].p;
      if (v0 == v1 && v2 != v0) continue;
      pass.triangles.push_back(t);
      ++pass.row_count[cube_row];
    }
  }
  finish_normals(e.gradients, pass.points.data() + first_new, pass.level > 0);
}

// ---- The sweep over the planes ----

// The memory of an extraction, kept from one extraction to the next so
// that a new surface costs no fresh pages but those of its triangles.
struct workspace_t {
  pass_t passes[2];
  plane_t planes[2];
  std::vector<uint32_t> slots;
  std::vector<vec3> gradients;
};
workspace_t workspace;

template <typename T>
void release(std::vector<T>& v) {
  std::vector<T>().swap(v);
}

void release_passes() {
  for (pass_t& pass : workspace.passes) {
    release(pass.cubes);
    release(pass.points);
    release(pass.keys);
    release(pass.triangles);
    release(pass.row_count);
    release(pass.ordered);
  }
}

void release_workspace() {
  release_passes();
  for (plane_t& plane : workspace.planes) {
    release(plane.side);
    release(plane.lo);
    release(plane.hi);
  }
  release(workspace.slots);
  release(workspace.gradients);
}

// Empties the passes for levels +level and -level on lattice L, keeping
// their memory.
void start_passes(const field_t& L, double level) {
  const size_t rows = static_cast<size_t>(L.n[1] - 1) * static_cast<size_t>(L.n[2] - 1);
  for (int i = 0; i < 2; ++i) {
    pass_t& pass = workspace.passes[i];
    pass.level = i == 0 ? level : -level;
    pass.lobe = i;
    pass.cubes.clear();
    pass.points.clear();
    pass.keys.clear();
    pass.triangles.clear();
    pass.ordered.clear();
    pass.row_count.assign(rows, 0);
  }
}

// Lists the crossing cubes of the passes, and the crossing points on their
// edges, in memory order. Each x-plane is classified once; after the slab
// between planes x and x + 1 is scanned, the edge points of the slab before
// it are found, whose gradients read planes x - 2 … x + 1, all just read.
// Returns the triangles the cubes make (degenerate ones included). Once they
// exceed `max_triangles` nothing more is kept: the sweep only counts, and
// the passes are left empty.
size_t find_crossings(const field_t& L, pass_t (&passes)[2], int n_passes, size_t max_triangles) {
  const classifier_t test(passes);
  const unsigned face_mask = n_passes == 2 ? 0xFF : 0x0F;
  const int ny = L.n[1], nz = L.n[2];
  plane_t(&planes)[2] = workspace.planes;
  for (plane_t& p : planes) {
    p.side.resize(static_cast<size_t>(ny) * nz);
    p.lo.resize(ny);
    p.hi.resize(ny);
  }
  // Stale entries are told by their keys, so the slots need no clearing.
  workspace.slots.resize(2 * L.stride[0] * 3);
  edge_numbering_t numbering{L, edge_offsets_t(L), workspace.slots, workspace.gradients};
  size_t numbered[2] = {0, 0};  // cubes whose edge points are found
  size_t triangles = 0;
  bool over = false;
  classify_plane(L, test, 0, planes[0]);
  for (int x = 0; x + 1 < L.n[0]; ++x) {
    const plane_t& lower = planes[x & 1];
    plane_t& upper = planes[(x + 1) & 1];
    classify_plane(L, test, x + 1, upper);
    const size_t slab[2] = {passes[0].cubes.size(), passes[1].cubes.size()};
    for (int y = 0; y + 1 < ny; ++y) triangles += scan_cube_row(lower, upper, x, y, nz, face_mask, passes);
    if (!over && triangles > max_triangles) {
      over = true;
      release_passes();
    }
    if (over) {
      for (pass_t& pass : passes) pass.cubes.clear();
      continue;
    }
    for (int i = 0; i < n_passes; ++i) {
      find_edge_points(numbering, passes[i], numbered[i], slab[i]);
      numbered[i] = slab[i];
    }
  }
  if (over) {
    release_workspace();
    return triangles;
  }
  for (int i = 0; i < n_passes; ++i) find_edge_points(numbering, passes[i], numbered[i], passes[i].cubes.size());
  return triangles;
}

// ---- Triangles in visiting order ----

// The visiting order (z, y, x) of triangles kept in memory order (x, y, z):
// a stable counting sort on their row of cubes, z·(ny - 1) + y.
void sort_into_visiting_order(pass_t& pass) {
  uint32_t at = 0;
  for (uint32_t& count : pass.row_count) at += std::exchange(count, at);
  pass.ordered.resize(pass.triangles.size());
  for (const triangle_ref_t& t : pass.triangles) pass.ordered[pass.row_count[t.row]++] = t;
}

// Adds the kept triangles in visiting order.
void emit_triangles(srf_t& surface, const pass_t& pass) {
  const edge_point_t* points = pass.points.data();
  const uint8_t lobe = static_cast<uint8_t>(pass.lobe);
  for (const triangle_ref_t& r : pass.ordered)
    surface.triangles.emplace_back(points[r.point[0]], points[r.point[1]], points[r.point[2]], lobe);
  if (surface.owner) surface.owner->index_valid = 0;
}

// Deletes the surfaces of grids 0 … ngrid-1 of `rec` and leaves them null.
void remove_surfaces(const mol_data_t& rec) {
  const size_t n = std::min(static_cast<size_t>(rec.ngrid()), surf.size());
  for (size_t i = 0; i < n; ++i) {
    if (!surf[i]) continue;
    msrf_Delete_Surface(surf[i]);
    surf[i] = nullptr;
  }
}

}  // namespace

namespace {

// The range of levels offered for values from a to b.
std::pair<double, double> level_range(double a, double b) {
  if (a < 0 && b < 0) return {-b, -a};
  if (a < 0 && b > 0) return {0, b};
  return {a, b};
}

}  // namespace

void set_isolevel_range(double a, double b, bool choose_level) {
  input_data_t& d = Input_Data;
  std::tie(d.level_min, d.level_max) = level_range(a, b);
  if (d.level_steps != 0) d.level_step = (d.level_max - d.level_min) / d.level_steps;
  if (d.auto_select_level && choose_level) d.isolevel = automatic_isolevel(a, b);
}

double automatic_isolevel(double a, double b) {
  const auto [low, high] = level_range(a, b);
  return 0.75 * low + 0.25 * high;
}

void allocate_msrf(int n) {
  told_refusal = {};
  surf.assign(static_cast<size_t>(std::max(n, 0)), nullptr);
  if (All_Surfaces) msrf_Clean(*All_Surfaces);
  msrf_Init(All_Surfaces, n);
}

void deallocate_msrf() {
  told_refusal = {};
  release_workspace();
  if (All_Surfaces) msrf_Clean(*All_Surfaces);
  All_Surfaces.reset();
  // The entries pointed into the store: keep none dangling.
  surf.clear();
}

void make_surfaces(bool choose_level) {
  surface_outcome = {};
  if (!m) return;
  const mol_data_t& rec = *m;
  remove_surfaces(rec);
  if (iorb < 0 || iorb >= rec.ngrid()) return;
  set_isolevel_range(rec.grid->grid_min, rec.grid->grid_max, choose_level);
  // A grid without a slot in the store, or with fewer values than its lattice
  // has points, gets no surface.
  if (!All_Surfaces || static_cast<size_t>(iorb) >= surf.size()) return;
  const auto& net = rec.grid->net;
  if (net[0] < 1 || net[1] < 1 || net[2] < 1) return;
  const size_t points = static_cast<size_t>(net[0]) * net[1] * net[2];
  if (rec.grid->grid_values.size() < points) return;
  srf_t* surface = msrf_New_Surface(*All_Surfaces);
  surf[static_cast<size_t>(iorb)] = surface;
  const double* second = rec.grid->epot_values.size() >= points ? rec.grid->epot_values.data() : nullptr;
  const bool made = run_within_memory(
      [&] {
        surface_outcome = mcubes_on_lattice(surface, rec.grid->lattice(), rec.grid->grid_values.data(), second,
                                            Input_Data.isolevel, true, memory_budget() / surface_bytes_per_triangle);
      },
      "ERROR: Not enough memory for the surface; raise the isovalue");
  if (!made) {
    remove_surfaces(rec);
    surface_outcome.refused = true;
    return;
  }
  if (!surface_outcome.refused) return;
  const told_refusal_t refusal{rec.grid->grid_values.data(), iorb};
  const std::string message = surface_too_large_message(surface_outcome.triangles);
  if (refusal == told_refusal) {
    notifier().status(StatusBar::lower, message);
  } else {
    make_warning(message);
    told_refusal = refusal;
  }
}

std::string surface_too_large_message(size_t triangles) {
  return "surface too large: " + std::to_string(triangles) + " triangles; raise the isovalue";
}

const surface_outcome_t& last_surface_outcome() { return surface_outcome; }

void do_remove_grid() {
  if (m) remove_surfaces(*m);
}

int mcubes(srf_t* surface, int nx, int ny, int nz, const double* values, const double* second, double level,
           const vec3& origin, const vec3& extents, bool two_sided) {
  mcubes_within(surface, nx, ny, nz, values, second, level, origin, extents, two_sided, SIZE_MAX);
  return 0;
}

surface_outcome_t mcubes_on_lattice(srf_t* surface, const lattice_t& lattice, const double* values,
                                    const double* second, double level, bool two_sided, size_t max_triangles) {
  const vec3 extents{lattice.axis[0][0], lattice.axis[1][1], lattice.axis[2][2]};
  return mcubes_within(surface, lattice.net[0], lattice.net[1], lattice.net[2], values, second, level, lattice.origin,
                       extents, two_sided, max_triangles);
}

surface_outcome_t mcubes_within(srf_t* surface, int nx, int ny, int nz, const double* values, const double* second,
                                double level, const vec3& origin, const vec3& extents, bool two_sided,
                                size_t max_triangles) {
  if (!surface || !values || nx < 2 || ny < 2 || nz < 2) return {};
  const field_t lattice(nx, ny, nz, values, second, origin, extents);
  start_passes(lattice, level);
  pass_t(&passes)[2] = workspace.passes;
  const int n_passes = two_sided ? 2 : 1;
  const size_t triangles = find_crossings(lattice, passes, n_passes, max_triangles);
  if (triangles > max_triangles) {
    if (surface->owner) msrf_Take_Spare_Triangles(*surface->owner, 0);  // memory is short: let it go
    return {true, triangles};
  }
  size_t kept = surface->triangles.size();
  for (int i = 0; i < n_passes; ++i) {
    sort_into_visiting_order(passes[i]);
    kept += passes[i].ordered.size();
  }
  if (surface->owner && surface->triangles.capacity() == 0)
    surface->triangles = msrf_Take_Spare_Triangles(*surface->owner, kept);
  surface->triangles.reserve(kept);
  for (int i = 0; i < n_passes; ++i) emit_triangles(*surface, passes[i]);
  return {false, triangles};
}
