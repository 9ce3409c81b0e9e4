// Isosurfaces of the current grid by marching cubes (Lorensen and Cline,
// "Marching cubes: a high resolution 3D surface construction algorithm", 1987).
//
// mcubes() makes one pass over the lattice at level v = +L and, when
// two-sided, a second at v = -L. Each pass visits the cubes with z outermost,
// then y, then x (x innermost), and the triangles are stored in that order:
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
// Each pass first lists its crossing cubes (corner tests slide along x from
// one cube to the next); the triangle storage is then sized once for all
// passes and the listed cubes are triangulated in order. Nothing is
// allocated per cube.

#include "render/isosurface.h"

#include <algorithm>
#include <cmath>

#include "app/settings.h"
#include "molecule/mol_data.h"

std::vector<srf_t*> surf;

namespace {

// Offsets of the cube corners from the base point (x, y, z).
constexpr int corner_offset[8][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                                     {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
// The corners each edge joins, interpolation running from the first.
constexpr int edge_corner[12][2] = {{0, 1}, {1, 2}, {3, 2}, {0, 3}, {4, 5}, {5, 6},
                                    {7, 6}, {4, 7}, {0, 4}, {1, 5}, {3, 7}, {2, 6}};

// The lattice of one extraction: values, optional second field, sizes,
// strides of the x-slowest layout and spacing.
struct lattice_t {
  const double* values;
  const double* second;
  int n[3];
  size_t stride[3];
  vec3 origin;
  double step[3];
  size_t corner_delta[8];  // index offset of each corner from the base point

  lattice_t(int nx, int ny, int nz, const double* v, const double* s, const vec3& o, const vec3& extents)
      : values(v), second(s), n{nx, ny, nz}, origin(o) {
    stride[2] = 1;
    stride[1] = static_cast<size_t>(nz);
    stride[0] = static_cast<size_t>(ny) * stride[1];
    for (int a = 0; a < 3; ++a) step[a] = extents[a] / (n[a] - 1);
    for (int k = 0; k < 8; ++k)
      corner_delta[k] =
          corner_offset[k][0] * stride[0] + corner_offset[k][1] * stride[1] + corner_offset[k][2] * stride[2];
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

// Everything known about the cube being triangulated.
struct cube_t {
  double f[8];
  double s[8];
  vec3 p[8];
  vec3 g[8];
};

struct edge_point_t {
  vec3 p, n;
  double s;
};

// Positions, gradients and second-field values of the corners of the cube
// with base point (x, y, z) at index `base`.
void complete_cube(const lattice_t& L, int x, int y, int z, size_t base, cube_t& c) {
  const int base_index[3] = {x, y, z};
  for (int k = 0; k < 8; ++k) {
    const size_t p = base + L.corner_delta[k];
    for (int a = 0; a < 3; ++a) {
      const int i = base_index[a] + corner_offset[k][a];
      c.p[k][a] = L.origin[a] + i * L.step[a];
      c.g[k][a] = L.derivative(p, a, i);
    }
    c.s[k] = L.second ? L.second[p] : 0.0;
  }
}

edge_point_t interpolate(const cube_t& c, int edge, double v, bool negate) {
  const int a = edge_corner[edge][0];
  const int b = edge_corner[edge][1];
  const double t = (v - c.f[a]) / (c.f[b] - c.f[a]);
  edge_point_t e;
  for (int k = 0; k < 3; ++k) {
    e.p[k] = c.p[a][k] + t * (c.p[b][k] - c.p[a][k]);
    e.n[k] = c.g[a][k] + t * (c.g[b][k] - c.g[a][k]);
  }
  const double length = std::sqrt(e.n[0] * e.n[0] + e.n[1] * e.n[1] + e.n[2] * e.n[2]);
  if (length > 0)
    for (double& x : e.n) x /= length;
  if (negate)
    for (double& x : e.n) x = -x;
  e.s = c.s[a] + t * (c.s[b] - c.s[a]);
  return e;
}

// Adds the triangles of table row `row` for the completed cube `c`.
void emit_triangles(srf_t& surface, const cube_t& c, const int32_t* row, double v, int lobe) {
  const bool negate = v > 0;
  edge_point_t point[12];
  unsigned done = 0;
  for (int i = 0; row[i] != -1; i += 3) {
    std::array<vec3, 3> positions, normals;
    std::array<double, 3> values;
    for (int j = 0; j < 3; ++j) {
      const int edge = row[i + j];
      if (!(done & (1u << edge))) {
        point[edge] = interpolate(c, edge, v, negate);
        done |= 1u << edge;
      }
      positions[j] = point[edge].p;
      normals[j] = point[edge].n;
      values[j] = point[edge].s;
    }
    if (positions[0] == positions[1] && positions[2] != positions[0]) continue;
    srf_Add_Triangle(surface, positions, normals, values, lobe);
  }
}

// A cube that crosses the level: base point and cube index.
struct crossing_cube_t {
  int x, y, z;
  int index;
};

// One pass: its level, lobe flag and crossing cubes in visiting order.
struct pass_t {
  double level;
  int lobe;
  std::vector<crossing_cube_t> cubes;
};

// Lists the cubes of `pass` whose index is neither 0 nor 255. Along x the
// four corners at x + 1 of one cube are the four at x of the next, so each
// step reads four new values.
template <bool kNegativeLevel>
void find_crossings(const lattice_t& L, pass_t& pass) {
  const double v = pass.level;
  const auto inside = [v](double f) { return kNegativeLevel ? f >= v : f <= v; };
  const size_t* d = L.corner_delta;
  for (int z = 0; z < L.n[2] - 1; ++z) {
    for (int y = 0; y < L.n[1] - 1; ++y) {
      size_t base = y * L.stride[1] + z;
      // Corners 0, 3, 4, 7: the low-x face of the first cube.
      int s0 = inside(L.values[base + d[0]]), s3 = inside(L.values[base + d[3]]);
      int s4 = inside(L.values[base + d[4]]), s7 = inside(L.values[base + d[7]]);
      for (int x = 0; x < L.n[0] - 1; ++x, base += L.stride[0]) {
        const int s1 = inside(L.values[base + d[1]]), s2 = inside(L.values[base + d[2]]);
        const int s5 = inside(L.values[base + d[5]]), s6 = inside(L.values[base + d[6]]);
        const int index = s0 | s1 << 1 | s2 << 2 | s3 << 3 | s4 << 4 | s5 << 5 | s6 << 6 | s7 << 7;
        if (index != 0 && index != 255) pass.cubes.push_back({x, y, z, index});
        s0 = s1, s3 = s2, s4 = s5, s7 = s6;
      }
    }
  }
}

size_t triangle_bound(const pass_t& pass) {
  size_t n = 0;
  for (const crossing_cube_t& c : pass.cubes)
    for (int i = 0; cases[c.index][i] != -1; i += 3) ++n;
  return n;
}

void triangulate(srf_t& surface, const lattice_t& L, const pass_t& pass) {
  cube_t c;
  for (const crossing_cube_t& cube : pass.cubes) {
    const size_t base = cube.x * L.stride[0] + cube.y * L.stride[1] + cube.z;
    for (int k = 0; k < 8; ++k) c.f[k] = L.values[base + L.corner_delta[k]];
    complete_cube(L, cube.x, cube.y, cube.z, base, c);
    emit_triangles(surface, c, cases[cube.index], pass.level, pass.lobe);
  }
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

void allocate_msrf(int n) {
  surf.assign(static_cast<size_t>(std::max(n, 0)), nullptr);
  if (All_Surfaces) msrf_Clean(*All_Surfaces);
  msrf_Init(All_Surfaces, n);
}

void deallocate_msrf() {
  if (All_Surfaces) msrf_Clean(*All_Surfaces);
  All_Surfaces.reset();
  // The entries pointed into the store: keep none dangling.
  surf.clear();
}

void make_surfaces(bool choose_level) {
  if (!m) return;
  const mol_data_t& rec = *m;
  remove_surfaces(rec);
  if (iorb < 0 || iorb >= rec.ngrid()) return;
  set_isolevel_range(rec.grid_min, rec.grid_max, choose_level);
  // A grid without a slot in the store, or with fewer values than its lattice
  // has points, gets no surface.
  if (!All_Surfaces || static_cast<size_t>(iorb) >= surf.size()) return;
  const auto& net = rec.net;
  if (net[0] < 1 || net[1] < 1 || net[2] < 1) return;
  const size_t points = static_cast<size_t>(net[0]) * net[1] * net[2];
  if (rec.grid_values.size() < points) return;
  srf_t* surface = msrf_New_Surface(*All_Surfaces);
  surf[static_cast<size_t>(iorb)] = surface;
  const double* second = rec.epot_values.size() >= points ? rec.epot_values.data() : nullptr;
  const vec3 extents{rec.axis[0][0], rec.axis[1][1], rec.axis[2][2]};
  mcubes(surface, net[0], net[1], net[2], rec.grid_values.data(), second, Input_Data.isolevel, rec.origin, extents,
         true);
}

void do_remove_grid() {
  if (m) remove_surfaces(*m);
}

int mcubes(srf_t* surface, int nx, int ny, int nz, const double* values, const double* second, double level,
           const vec3& origin, const vec3& extents, bool two_sided) {
  if (!surface || !values || nx < 2 || ny < 2 || nz < 2) return 0;
  const lattice_t lattice(nx, ny, nz, values, second, origin, extents);
  pass_t passes[2] = {{level, 0, {}}, {-level, 1, {}}};
  const int n_passes = two_sided ? 2 : 1;
  size_t bound = surface->triangles.size();
  for (int i = 0; i < n_passes; ++i) {
    if (passes[i].level < 0)
      find_crossings<true>(lattice, passes[i]);
    else
      find_crossings<false>(lattice, passes[i]);
    bound += triangle_bound(passes[i]);
  }
  surface->triangles.reserve(bound);
  for (int i = 0; i < n_passes; ++i) triangulate(*surface, lattice, passes[i]);
  return 0;
}
