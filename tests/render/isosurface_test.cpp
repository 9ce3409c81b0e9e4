// Marching cubes and the surfaces of the current grid: the triangle table,
// the triangles of single cubes, normals, area, level range and slots.
#include "render/isosurface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <random>
#include <set>
#include <utility>

#include "document/open_close.h"
#include "molecule/mol_data.h"
#include "molecule/settings.h"
#include "support/recording_notifier.h"
#include "support/temp_dir.h"

namespace {

// The corners each cube edge joins, written from the edge numbering.
const int edge_ends[12][2] = {{0, 1}, {1, 2}, {3, 2}, {0, 3}, {4, 5}, {5, 6},
                              {7, 6}, {4, 7}, {0, 4}, {1, 5}, {3, 7}, {2, 6}};

// Surfaces are kept in single precision.
void expect_vec(const vec3& got, const vec3& want, double tol = 1e-6) {
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(got[k], want[k], tol) << "component " << k;
}

TEST(TriangleTable, RowsListExactlyTheCrossingEdgesInConsistentWinding) {
  for (int i = 0; i < 256; ++i) {
    std::set<int> crossing;
    for (int e = 0; e < 12; ++e)
      if (((i >> edge_ends[e][0]) & 1) != ((i >> edge_ends[e][1]) & 1)) crossing.insert(e);
    std::set<int> used;
    std::set<std::pair<int, int>> sides;
    int j = 0;
    for (; j < 16 && cases[i][j] != -1; j += 3) {
      for (int k = 0; k < 3; ++k) {
        used.insert(cases[i][j + k]);
        // A side shared by two triangles runs once each way; twice the same
        // way would mean a flipped triangle.
        EXPECT_TRUE(sides.insert({cases[i][j + k], cases[i][j + (k + 1) % 3]}).second) << "case " << i;
      }
    }
    ASSERT_LT(j, 16) << "case " << i;
    for (int k = j + 1; k < 16; ++k) EXPECT_EQ(cases[i][k], 0) << "case " << i;
    EXPECT_EQ(used, crossing) << "case " << i;
  }
  EXPECT_EQ(cases[0][0], -1);
  EXPECT_EQ(cases[255][0], -1);
  const int row1[] = {0, 8, 3, -1}, row4[] = {1, 2, 11, -1}, row8[] = {3, 10, 2, -1};
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(cases[1][k], row1[k]);
    EXPECT_EQ(cases[4][k], row4[k]);
    EXPECT_EQ(cases[8][k], row8[k]);
  }
}

class Isosurface : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_core_state();
    allocate_msrf(1);
    surface = msrf_New_Surface(*All_Surfaces);
  }
  void TearDown() override { reset_core_state(); }
  const surface_triangles_t& triangles() const { return surface->triangles; }

  // Values f(x, y, z) at the lattice points of an n³ grid from `lo` with spacing h.
  static std::vector<double> sample(int n, double lo, double h,
                                    const std::function<double(double, double, double)>& f) {
    std::vector<double> v;
    for (int x = 0; x < n; ++x)
      for (int y = 0; y < n; ++y)
        for (int z = 0; z < n; ++z) v.push_back(f(lo + x * h, lo + y * h, lo + z * h));
    return v;
  }
  srf_t* surface = nullptr;
};

// 2×2×2 values, index x·4 + y·2 + z.
TEST_F(Isosurface, OneCubeGivesOneTrianglePerLobe) {
  std::vector<double> f(8, 0.0);
  f[0] = 1;   // corner 0 above +L
  f[7] = -1;  // corner 6 below −L
  std::vector<double> second(8);
  for (int p = 0; p < 8; ++p) second[p] = p;
  mcubes(surface, 2, 2, 2, f.data(), second.data(), 0.5, {1, 2, 3}, {2, 2, 2}, true);
  ASSERT_EQ(triangles().size(), 2u);

  // Positive pass: cube index 254, edges 0, 3, 8 at their midpoints.
  const srf_triangle_t& plus = triangles()[0];
  EXPECT_EQ(plus.lobe, 0);
  expect_vec(plus.v[0], {2, 2, 3});
  expect_vec(plus.v[1], {1, 3, 3});
  expect_vec(plus.v[2], {1, 2, 4});
  // One-sided gradients (-1/2, -1/2, -1/2) at corner 0 and (-1/2, 0, 0) at corner 1;
  // negated, the normal points out of the positive lobe.
  expect_vec(plus.n[0], {2 / std::sqrt(6.0), 1 / std::sqrt(6.0), 1 / std::sqrt(6.0)});
  EXPECT_DOUBLE_EQ(plus.val[0], 2);  // halfway from point 0 to point 4
  EXPECT_DOUBLE_EQ(plus.val[1], 1);
  EXPECT_DOUBLE_EQ(plus.val[2], 0.5);

  // Negative pass: cube index 191, edges 11 (2–6), 5, 6; normals not negated.
  const srf_triangle_t& minus = triangles()[1];
  EXPECT_EQ(minus.lobe, 1);
  expect_vec(minus.v[0], {3, 4, 4});
  expect_vec(minus.v[1], {3, 3, 5});
  expect_vec(minus.v[2], {2, 4, 5});
  expect_vec(minus.n[0], {-1 / std::sqrt(6.0), -1 / std::sqrt(6.0), -2 / std::sqrt(6.0)});
}

TEST_F(Isosurface, CollapsedFirstSideIsDroppedFullyDegenerateKept) {
  // Corners 0, 1 below L, corner 2 exactly at L: cube index 7, whose second
  // triangle (edges 2, 11, 8) has its first two vertices both at corner 2.
  std::vector<double> f(8, 1.0);
  f[0] = f[4] = 0;
  f[6] = 0.5;
  mcubes(surface, 2, 2, 2, f.data(), nullptr, 0.5, {0, 0, 0}, {1, 1, 1}, false);
  ASSERT_EQ(triangles().size(), 2u);
  expect_vec(triangles()[0].v[0], {1, 1, 0});  // edge 2 of the first triangle
  expect_vec(triangles()[1].v[0], {1, 1, 0});  // edge 11 of the third

  // Only corner 0, exactly at L: all three vertices coincide, and it stays.
  surface->triangles.clear();
  std::vector<double> g(8, 1.0);
  g[0] = 0.5;
  mcubes(surface, 2, 2, 2, g.data(), nullptr, 0.5, {0, 0, 0}, {1, 1, 1}, false);
  ASSERT_EQ(triangles().size(), 1u);
  for (const fvec3& v : triangles()[0].v) expect_vec(v, {0, 0, 0});
}

TEST_F(Isosurface, LinearFieldHasOneNormalAlsoOnTheBorders) {
  const auto f = sample(4, 0, 0.5, [](double x, double y, double z) { return 2 * x + 3 * y - z; });
  mcubes(surface, 4, 4, 4, f.data(), nullptr, 0.7, {0, 0, 0}, {1.5, 1.5, 1.5}, true);
  const double s = std::sqrt(14.0);
  int lobes[2] = {0, 0};
  for (const srf_triangle_t& t : triangles()) {
    ++lobes[t.lobe];
    const double sign = t.lobe == 0 ? -1 : 1;
    for (const fvec3& n : t.n) expect_vec(n, {sign * 2 / s, sign * 3 / s, sign * -1 / s});
  }
  EXPECT_GT(lobes[0], 0);
  EXPECT_GT(lobes[1], 0);
}

TEST_F(Isosurface, SphereAreaAndOutwardNormals) {
  const int n = 51;
  const auto f = sample(n, -1.25, 0.05, [](double x, double y, double z) { return 2 - (x * x + y * y + z * z); });
  mcubes(surface, n, n, n, f.data(), nullptr, 1.0, {-1.25, -1.25, -1.25}, {2.5, 2.5, 2.5}, false);
  double area = 0;
  for (const srf_triangle_t& t : triangles()) {
    vec3 a, b;
    for (int k = 0; k < 3; ++k) a[k] = t.v[1][k] - t.v[0][k], b[k] = t.v[2][k] - t.v[0][k];
    const vec3 c{a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
    area += std::sqrt(c[0] * c[0] + c[1] * c[1] + c[2] * c[2]) / 2;
    for (int k = 0; k < 3; ++k) EXPECT_GT(t.n[k][0] * t.v[k][0] + t.n[k][1] * t.v[k][1] + t.n[k][2] * t.v[k][2], 0.99);
  }
  EXPECT_NEAR(area, 4 * M_PI, 0.01 * 4 * M_PI);
}

// Marching cubes written plainly from its definition: every cube in visiting
// order, every corner value, position and gradient read afresh.
std::vector<srf_triangle_t> plain_mcubes(const int (&n)[3], const std::vector<double>& f, const double* second,
                                         double level, const vec3& origin, const vec3& extents, bool two_sided) {
  const auto at = [&](const double* v, const int(&p)[3]) { return v[(size_t(p[0]) * n[1] + p[1]) * n[2] + p[2]]; };
  const auto gradient = [&](const int(&p)[3], int a) {
    int lo[3] = {p[0], p[1], p[2]}, hi[3] = {p[0], p[1], p[2]};
    ++hi[a], --lo[a];
    double d;
    if (p[a] == 0)
      d = at(f.data(), hi) - at(f.data(), p);
    else if (p[a] == n[a] - 1)
      d = at(f.data(), p) - at(f.data(), lo);
    else
      d = (at(f.data(), hi) - at(f.data(), lo)) / 2;
    return d / (extents[a] / (n[a] - 1));
  };
  const int offset[8][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
  std::vector<srf_triangle_t> out;
  for (int lobe = 0; lobe < (two_sided ? 2 : 1); ++lobe) {
    const double v = lobe == 0 ? level : -level;
    for (int z = 0; z < n[2] - 1; ++z)
      for (int y = 0; y < n[1] - 1; ++y)
        for (int x = 0; x < n[0] - 1; ++x) {
          double fk[8], sk[8];
          vec3 pk[8], gk[8];
          int index = 0;
          for (int k = 0; k < 8; ++k) {
            const int p[3] = {x + offset[k][0], y + offset[k][1], z + offset[k][2]};
            fk[k] = at(f.data(), p);
            if (v < 0 ? fk[k] >= v : fk[k] <= v) index |= 1 << k;
            for (int a = 0; a < 3; ++a) pk[k][a] = origin[a] + p[a] * (extents[a] / (n[a] - 1));
            for (int a = 0; a < 3; ++a) gk[k][a] = gradient(p, a);
            sk[k] = second ? at(second, p) : 0;
          }
          for (int i = 0; cases[index][i] != -1; i += 3) {
            // Computed in double precision, kept in single precision.
            srf_triangle_t t;
            t.lobe = static_cast<uint8_t>(lobe);
            for (int j = 0; j < 3; ++j) {
              const int a = edge_ends[cases[index][i + j]][0], b = edge_ends[cases[index][i + j]][1];
              const double s = (v - fk[a]) / (fk[b] - fk[a]);
              vec3 position, normal;
              for (int c = 0; c < 3; ++c) position[c] = pk[a][c] + s * (pk[b][c] - pk[a][c]);
              for (int c = 0; c < 3; ++c) normal[c] = gk[a][c] + s * (gk[b][c] - gk[a][c]);
              const double length = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
              for (int c = 0; c < 3 && length > 0; ++c) normal[c] /= length;
              for (int c = 0; c < 3 && v > 0; ++c) normal[c] = -normal[c];
              t.v[j] = position;
              t.n[j] = normal;
              t.val[j] = static_cast<float>(second ? sk[a] + s * (sk[b] - sk[a]) : 0);
            }
            if (t.v[0] == t.v[1] && t.v[2] != t.v[0]) continue;
            out.push_back(t);
          }
        }
  }
  return out;
}

// Equal, or both NaN (a NaN value makes NaN normals next to it).
bool same(float a, float b) { return a == b || (std::isnan(a) && std::isnan(b)); }

TEST_F(Isosurface, SameTrianglesInTheSameOrderAsThePlainAlgorithm) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> uniform(-1, 1);
  const auto field = [&](const int(&n)[3], const std::function<double(int, int, int)>& fn) {
    std::vector<double> v;
    for (int x = 0; x < n[0]; ++x)
      for (int y = 0; y < n[1]; ++y)
        for (int z = 0; z < n[2]; ++z) v.push_back(fn(x, y, z));
    return v;
  };
  const auto noise = [&](int, int, int) { return uniform(random); };
  // Multiples of 0.5: many corners lie exactly on the level.
  const auto steps = [&](int, int, int) { return 0.5 * std::floor(uniform(random) * 1.5); };
  const auto orbital = [](int x, int y, int z) {
    const double a = (x - 20) * 0.3, b = (y - 20) * 0.3, c = (z - 20) * 0.3;
    return a * std::exp(-(a * a + b * b + c * c) / 2) - 0.15 * std::exp(-(a * a + (b - 2.5) * (b - 2.5) + c * c));
  };
  // Long rows mostly flat at 0, some on one side of a level throughout,
  // some holding a NaN, an infinity or a value exactly at the level.
  const auto sparse = [&](int x, int y, int z) {
    if (y == 2 && z == 17) return std::nan("");
    if (y == 4 && x == 1 && z == 14) return std::nan("");  // in rows otherwise on one side
    if (y == 4 && x == 2 && z == 31) return -HUGE_VAL;
    if (y == 4) return 0.7;
    if (x == 3 && y == 1 && z == 30) return 0.3;
    return (x + y + z) % 13 == 0 ? uniform(random) : 0.0;
  };
  struct grid_case_t {
    int n[3];
    std::function<double(int, int, int)> fn;
    double level;
    bool two_sided;
  };
  const grid_case_t grids[] = {
      {{9, 7, 11}, noise, 0.3, true},   {{9, 7, 11}, noise, -0.2, true}, {{41, 41, 41}, orbital, 0.04, true},
      {{8, 9, 10}, steps, 0.5, true},   {{8, 9, 10}, steps, 0, true},    {{2, 9, 8}, noise, 0.1, true},
      {{7, 2, 6}, noise, 0.1, false},   {{6, 5, 2}, noise, -0.1, true},  {{6, 7, 41}, sparse, 0.3, true},
      {{6, 7, 41}, sparse, 0.3, false},
  };
  // Values classified four and two at a time (where the processor can do
  // both); the default is put back however the test ends.
  struct restore_t {
    ~restore_t() { mcubes_wide_rows = true; }
  } restore;
  for (const bool wide : {true, false})
    for (const grid_case_t& g : grids) {
      mcubes_wide_rows = wide;
      const std::vector<double> f = field(g.n, g.fn), second = field(g.n, noise);
      const vec3 origin{-1, 0.5, 2}, extents{3, 2.5, 4.25};
      const double* s = g.two_sided ? second.data() : nullptr;  // the one-sided case goes without
      // Each grid on a new surface, which takes over the storage of the one before.
      msrf_Delete_Surface(surface);
      surface = msrf_New_Surface(*All_Surfaces);
      mcubes(surface, g.n[0], g.n[1], g.n[2], f.data(), s, g.level, origin, extents, g.two_sided);
      const auto want = plain_mcubes(g.n, f, s, g.level, origin, extents, g.two_sided);
      ASSERT_EQ(triangles().size(), want.size()) << g.n[0] << "×" << g.n[1] << "×" << g.n[2] << " at " << g.level;
      EXPECT_GT(want.size(), 0u);
      for (size_t i = 0; i < want.size(); ++i) {
        const srf_triangle_t& got = triangles()[i];
        ASSERT_EQ(got.lobe, want[i].lobe) << "triangle " << i;
        for (int j = 0; j < 3; ++j)
          for (int c = 0; c < 3; ++c) {
            ASSERT_TRUE(same(got.v[j][c], want[i].v[j][c])) << "triangle " << i;
            ASSERT_TRUE(same(got.n[j][c], want[i].n[j][c])) << "triangle " << i;
            ASSERT_TRUE(same(got.val[j], want[i].val[j])) << "triangle " << i;
          }
      }
    }
}

// The current geometry with `ngrid` grids on a 3×3×3 lattice, current grid
// `current` with values f(x, y, z) = fn(x + y + z) at integer indices.
void load_grids(int ngrid, int current, const std::function<double(int)>& fn) {
  new_mol(1);
  m->grid.edit().n_points = 27;
  m->grid.edit().net = {3, 3, 3};
  m->grid.edit().axis = {vec3{2, 0, 0}, vec3{0, 2, 0}, vec3{0, 0, 2}};
  allocate_grids(*m, ngrid);
  allocate_msrf(ngrid);
  iorb = current;
  m->grid.edit().grid_values.clear();
  for (int x = 0; x < 3; ++x)
    for (int y = 0; y < 3; ++y)
      for (int z = 0; z < 3; ++z) m->grid.edit().grid_values.push_back(fn(x + y + z));
  m->grid.edit().grid_min = std::min(fn(0), fn(6));
  m->grid.edit().grid_max = std::max(fn(0), fn(6));
}

int count_lobe(const srf_t& s, int lobe) {
  int n = 0;
  for (const srf_triangle_t& t : s.triangles) n += t.lobe == lobe;
  return n;
}

TEST_F(Isosurface, SignOfTheGridDecidesRangeLevelAndLobe) {
  load_grids(1, 0, [](int s) { return 1.0 + s; });  // 1 … 7: first pass only
  make_surfaces();
  EXPECT_DOUBLE_EQ(Input_Data.isolevel, 2.5);
  ASSERT_NE(surf[0], nullptr);
  EXPECT_GT(count_lobe(*surf[0], 0), 0);
  EXPECT_EQ(count_lobe(*surf[0], 1), 0);

  load_grids(1, 0, [](int s) { return -1.0 - s; });  // -7 … -1: range 1 … 7, second pass only
  make_surfaces();
  EXPECT_DOUBLE_EQ(Input_Data.level_min, 1);
  EXPECT_DOUBLE_EQ(Input_Data.level_max, 7);
  EXPECT_DOUBLE_EQ(Input_Data.isolevel, 2.5);
  ASSERT_NE(surf[0], nullptr);
  EXPECT_EQ(count_lobe(*surf[0], 0), 0);
  EXPECT_GT(count_lobe(*surf[0], 1), 0);
}

// A surface that would take more triangles than the budget allows is
// refused whole, with their number; within it, the same surface is made.
TEST_F(Isosurface, SurfacesAboveTheBudgetAreRefusedWithTheirSize) {
  const int n = 6;
  std::vector<double> f;
  for (int i = 0; i < n * n * n; ++i) f.push_back((i / 36 + i / 6 + i) % 2 ? 1.0 : -1.0);
  const surface_outcome_t all = mcubes_within(surface, n, n, n, f.data(), nullptr, 0.5, {}, {1, 1, 1}, true, SIZE_MAX);
  EXPECT_FALSE(all.refused);
  EXPECT_EQ(all.triangles, triangles().size());
  surface->triangles.clear();
  const surface_outcome_t refused =
      mcubes_within(surface, n, n, n, f.data(), nullptr, 0.5, {}, {1, 1, 1}, true, all.triangles - 1);
  EXPECT_TRUE(refused.refused);
  EXPECT_EQ(refused.triangles, all.triangles);
  EXPECT_TRUE(triangles().empty());

  // Through make_surfaces the budget is the memory the program may take.
  RecordingNotifier told;
  load_grids(1, 0, [](int s) { return s % 2 ? 1.0 : -1.0; });
  m->grid.edit().grid_max = 1;
  ScopedEnv tight("MIVOR_MEMORY_LIMIT", "1");
  make_surfaces();
  EXPECT_TRUE(last_surface_outcome().refused);
  ASSERT_EQ(told.warnings.size(), 1u);
  EXPECT_EQ(told.warnings[0], surface_too_large_message(last_surface_outcome().triangles));
  EXPECT_NE(told.warnings[0].find(" triangles; raise the isovalue"), std::string::npos);
  EXPECT_TRUE(surf[0] == nullptr || surf[0]->triangles.empty());
}

TEST_F(Isosurface, BuildingOneGridDeletesTheOthers) {
  load_grids(2, 0, [](int s) { return s - 2.5; });
  Input_Data.auto_select_level = 0;
  Input_Data.isolevel = 1;
  make_surfaces();
  ASSERT_NE(surf[0], nullptr);
  iorb = 1;
  make_surfaces();
  EXPECT_EQ(surf[0], nullptr);
  ASSERT_NE(surf[1], nullptr);
  EXPECT_EQ(surf[1]->slot, 0);  // the first free slot of the store
  EXPECT_EQ(All_Surfaces->slots[1], nullptr);

  // An invalid current grid only deletes; fewer values than points give no surface.
  iorb = 2;
  make_surfaces();
  EXPECT_EQ(surf[1], nullptr);
  iorb = 0;
  m->grid.edit().grid_values.resize(26);
  make_surfaces();
  EXPECT_EQ(surf[0], nullptr);

  // Freeing the store forgets the slots; closing the file frees both.
  make_surfaces();
  deallocate_msrf();
  EXPECT_EQ(All_Surfaces, nullptr);
  EXPECT_TRUE(surf.empty());
  allocate_msrf(2);
  close_file();
  EXPECT_EQ(All_Surfaces, nullptr);
  EXPECT_TRUE(surf.empty());
}

}  // namespace
