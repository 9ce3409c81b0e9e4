// Cylinder rotations, bond offsets, plane and cell corners, scene diameter.
#include "render/scene_geometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void expect_vec(const vec3& got, const vec3& want, double tol = 1e-9) {
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(got[k], want[k], tol) << "component " << k;
}

struct rotation_t {
  double angle, ax, ay, length;
};
rotation_t rotation(const vec3& A, const vec3& B) {
  rotation_t r{};
  CalcCyllinder(A, B, r.angle, r.ax, r.ay, r.length);
  return r;
}

TEST(CalcCyllinder, TurnsZOntoTheDirection) {
  // Along x: 90° about +y; along y: 90° about −x (the axes' rotations).
  rotation_t r = rotation({1, 1, 1}, {3, 1, 1});
  EXPECT_DOUBLE_EQ(r.angle, 90);
  EXPECT_DOUBLE_EQ(r.ax, 0);
  EXPECT_DOUBLE_EQ(r.ay, 1);
  EXPECT_DOUBLE_EQ(r.length, 2);
  r = rotation({0, 0, 0}, {0, 4, 0});
  EXPECT_DOUBLE_EQ(r.angle, 90);
  EXPECT_DOUBLE_EQ(r.ax, -1);
  EXPECT_DOUBLE_EQ(r.ay, 0);
  r = rotation({0, 0, 0}, {0, 0, 2});
  EXPECT_EQ(r.angle, 0);
  EXPECT_EQ(r.ay, 1);
  r = rotation({0, 0, 0}, {0, 0, -2});
  EXPECT_EQ(r.angle, 180);
  EXPECT_EQ(r.ay, 1);
  r = rotation({0, 0, 0}, {1, 0, 1});
  EXPECT_NEAR(r.angle, 45, 1e-12);
  // Coincident points give no NaN.
  r = rotation({1, 2, 3}, {1, 2, 3});
  EXPECT_EQ(r.angle, 0);
  EXPECT_EQ(r.length, 0);
}

TEST(BondHelpers, Np3FirstBoundedNeighbourAndAnimatedOffset) {
  expect_vec(np3({1, 0, 0}, {2, 0, 0}, {1, 1, 0}), {1, 0, 1});

  mol_data_t rec;
  rec.bond = {{0, 1, 1}, {2, 0, 0}, {3, 1, 2}, {1, 4, 1}};
  // The a–b bond itself and type-0 bonds do not count; either order of atoms does.
  EXPECT_EQ(find_first_bounded(rec, 0, 1), 3);
  EXPECT_EQ(find_first_bounded(rec, 1, 0), 3);
  EXPECT_EQ(find_first_bounded(rec, 2, 5), -1);
  EXPECT_EQ(find_first_bounded(rec, 4, 0), 1);
  EXPECT_EQ(find_first_bounded(rec, 5, 6), -1);

  const vec3 n = Calc2Cyllinder({0, 0, 0}, {1, 0, 0}, {1, 1, 0});  // (A−M)×(R−M) = (0, 0, −1)
  // The component sum is below the threshold, so y becomes 1 before scaling.
  const double l = std::sqrt(2.0);
  expect_vec(n, {0, 1 / (15 * l), -1 / (15 * l)});
  expect_vec(Calc2Cyllinder({0, 0, 0}, {1, 0, 0}, {1, 0, 1}), {0, 1.0 / 15, 0});
}

TEST(PlaneCorners, SquareAroundTheCentroid) {
  // G = (2/3, 2/3, 0), |u| = 2, |w| = 2, h = (2 + 4) / 2 = 3.
  const auto c = pl3to4({0, 0, 0}, {2, 0, 0}, {0, 2, 0});
  const double g = 2.0 / 3;
  expect_vec(c[0], {g - 3, g - 3, 0});
  expect_vec(c[1], {g - 3, g + 3, 0});
  expect_vec(c[2], {g + 3, g + 3, 0});
  expect_vec(c[3], {g + 3, g - 3, 0});
  // Collinear points give a collapsed square, not NaN.
  for (const vec3& p : pl3to4({0, 0, 0}, {1, 0, 0}, {2, 0, 0})) EXPECT_FALSE(std::isnan(p[0] + p[1] + p[2]));

  const auto cell = pl4to6({1, 1, 1}, {2, 1, 1}, {1, 3, 1}, {1, 1, 4});
  expect_vec(cell[0], {2, 3, 1});
  expect_vec(cell[1], {2, 1, 4});
  expect_vec(cell[2], {1, 3, 4});
  expect_vec(cell[3], {2, 3, 4});
}

TEST(CalcDiameter, LargestExtentOfAtomsGridsAndDecorations) {
  // Radial distances count twice (an extent across the centre); grid edges once.
  mol_data_t rec;
  EXPECT_EQ(Calc_Diameter(rec), 1.0);
  allocate_atoms(rec, 2);
  rec.xyz = {{10, 0, 0}, {14, 0, 0}};  // 2 from their mean
  EXPECT_DOUBLE_EQ(Calc_Diameter(rec), 6.0);
  rec.xyz = {{1, 0, 0}, {1.04, 0, 0}};  // extent 0.04: below 0.1
  EXPECT_EQ(Calc_Diameter(rec), 1.0);
  // Grid axes count only when there are grids.
  rec.grid.edit().axis = {{{0, 0, 5}, {0, 1, 0}, {0, 0, 0}}};
  EXPECT_EQ(Calc_Diameter(rec), 1.0);
  allocate_grids(rec, 1);
  EXPECT_DOUBLE_EQ(Calc_Diameter(rec), 7.5);
  // Spheres count from the origin with their radius; arrows with both ends.
  rec.deco.edit().sphere_center = {{0, 6, 0}};
  rec.deco.edit().sphere_radius = {1};
  rec.deco.edit().sphere_color.resize(1);
  EXPECT_DOUBLE_EQ(Calc_Diameter(rec), 21.0);
  allocate_vectors(rec, 1);
  rec.deco.edit().vector_start[0] = {0, 0, -8};
  EXPECT_DOUBLE_EQ(Calc_Diameter(rec), 24.0);
}

}  // namespace
