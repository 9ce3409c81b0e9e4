// Pure geometry of the scene: cylinder rotations, offsets of multiple bonds,
// corners of planes and cells, the scene's diameter.
#include "render/scene_geometry.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double rad_to_deg = 180.0 / 3.14159265358979323846;

// Unit vector of `a`; a zero vector stays zero so degenerate input gives no NaN.
vec3 unit(const vec3& a) {
  const double l = norm(a);
  return l > 0 ? a * (1.0 / l) : vec3{0, 0, 0};
}

}  // namespace

void CalcCyllinder(const vec3& A, const vec3& B, double& angle, double& ax, double& ay, double& length) {
  const vec3 d = B - A;
  length = norm(d);
  ax = 0;
  ay = 1;
  // A zero-length cylinder keeps the +z axis rather than a NaN rotation.
  if (length == 0) {
    angle = 0;
    return;
  }
  const double c = d[2] / length;
  const double rho = std::sqrt(d[0] * d[0] + d[1] * d[1]);
  if (c == 1 || (rho == 0 && c > 0)) {
    angle = 0;
  } else if (c == -1 || rho == 0) {
    angle = 180;
  } else {
    angle = std::acos(c) * rad_to_deg;
    ax = -d[1] / rho;
    ay = d[0] / rho;
  }
}

vec3 np3(const vec3& A, const vec3& B, const vec3& C) { return A + cross(B - A, C - A); }

int find_first_bounded(const mol_data_t& rec, int a, int b) {
  for (const bond_t& bd : rec.bond) {
    if (bd.type <= 0) continue;
    const bool first_in = bd.a1 == a || bd.a1 == b;
    const bool second_in = bd.a2 == a || bd.a2 == b;
    if (first_in && !second_in) return bd.a2;
    if (second_in && !first_in) return bd.a1;
  }
  return -1;
}

vec3 Calc2Cyllinder(const vec3& A, const vec3& M, const vec3& R) {
  vec3 n = cross(A - M, R - M);
  if (n[0] + n[1] + n[2] < 0.0001) n[1] = 1;
  const double l = norm(n);
  return l < 0.001 ? n * (1.0 / 0.15) : n * (1.0 / (15 * l));
}

std::array<vec3, 4> pl3to4(const vec3& A, const vec3& B, const vec3& C) {
  const vec3 G = (A + B + C) * (1.0 / 3.0);
  const vec3 u = B - A;
  const vec3 uu = unit(u);
  const vec3 ac = C - A;
  const vec3 w = ac - (uu * dot(ac, uu));
  const vec3 ww = unit(w);
  const double h = (norm(u) + dot(w, w)) / 2;
  const vec3 hu = uu * h, hw = ww * h;
  return {G - hu - hw, G - hu + hw, G + hu + hw, G + hu - hw};
}

std::array<vec3, 4> pl4to6(const vec3& O, const vec3& P, const vec3& Q, const vec3& R) {
  return {P + Q - O, P + R - O, Q + R - O, P + Q + R - (O * 2)};
}

// Largest field the view is sized for, in ångström: points beyond it (and
// points that are not numbers) would leave no finite view.
constexpr double largest_diameter = 1e30;

bool drawable_point(const vec3& p) {
  return std::fabs(p[0]) <= largest_diameter && std::fabs(p[1]) <= largest_diameter &&
         std::fabs(p[2]) <= largest_diameter;
}

double Calc_Diameter(const mol_data_t& rec) {
  double largest = 0;
  auto consider = [&largest](double d) {
    if (d <= largest_diameter) largest = std::max(largest, d);
  };
  if (rec.ngrid() > 0)
    for (const vec3& a : rec.grid->axis) consider(norm(a));
  if (rec.natom() > 0) {
    // Of the points that can be drawn: others have no place in a view.
    vec3 mean{0, 0, 0};
    size_t counted = 0;
    for (const vec3& p : rec.xyz) {
      if (!drawable_point(p)) continue;
      mean = mean + p;
      ++counted;
    }
    if (counted > 0) mean = mean * (1.0 / static_cast<double>(counted));
    for (const vec3& p : rec.xyz)
      if (drawable_point(p)) consider(2.0 * norm(p - mean));
  }
  // Distances from a centre are radii: twice each is the extent that the
  // field must hold, as the grid box edges already are.
  for (int i = 0; i < rec.nsphere(); ++i)
    consider(2.0 * (norm(rec.deco->sphere_center[i]) + rec.deco->sphere_radius[i]));
  for (const auto* group :
       {&rec.deco->vector_start, &rec.deco->vector_end, &rec.deco->triangle1, &rec.deco->triangle2,
        &rec.deco->triangle3, &rec.deco->cell1, &rec.deco->cell2, &rec.deco->cell3, &rec.deco->cell4})
    for (const vec3& p : *group) consider(2.0 * norm(p));
  return largest < 0.1 ? 1.0 : 1.5 * largest;
}
