// The vector EPS renderer: collects atoms, bonds and triangles in view
// coordinates, then sorts them far to near, shortens bonds to start inside
// their atoms, fits the picture on the page and writes one Encapsulated
// PostScript file with shaded spheres, cylinders and triangles.
#pragma once

#include <array>
#include <cstdio>
#include <vector>

#include "molecule/types.h"

enum zeveps_kind_t { ZEVEPS_ATOM = 1, ZEVEPS_BOND = 2, ZEVEPS_TRIANGLE = 3 };

struct zeveps_prim_t {
  std::array<vec3, 3> p{};  // atoms use the first point, bonds two, triangles three
  std::array<vec3, 3> n{};  // unit corner normals (triangles)
  double radius = 0;        // atoms
  std::array<vec3, 2> c{};  // colours (red, green, blue); bonds keep the second end's too
  int kind = 0;
  int dash = 0;  // bonds: 1 dashed
};

struct zeveps_ctl_t {
  std::vector<zeveps_prim_t> prims;
  vec3 background{};
  // Bounding box of everything collected, in view coordinates.
  double max_x = -1e6, min_x = 1e6, max_y = -1e6, min_y = 1e6, max_z = -1e6, min_z = 1e6;
  std::array<vec3, 3> rot{};  // view rotation, row by row
  int fill_background = 0;
  int use_rot = 0;
  int size_class = 1;  // 1, 2 or 3: first room for 100, 10000 or 1000000 primitives
  int count() const { return static_cast<int>(prims.size()); }
};

// Resets `ctx`: background colour, no primitives, the box reset; mode bit 4
// paints the background, bits 0–1 choose the size class (0 counts as 1).
void zeveps_init(int mode, zeveps_ctl_t& ctx, double red, double green, double blue);
// Rotates every later primitive by `matrix` (rows).
void zeveps_view(const std::array<vec3, 3>& matrix, zeveps_ctl_t& ctx);
// Primitives with a coordinate, radius or normal that is not finite are
// left out (they have no place on a page).
void zeveps_atom(zeveps_ctl_t& ctx, double radius, const vec3& centre, const vec3& color);
// A bond between two atom centres; flags bit 1: dashed.
void zeveps_bond(zeveps_ctl_t& ctx, int flags, const vec3& p1, const vec3& color1, const vec3& p2, const vec3& color2);
void zeveps_triangle(zeveps_ctl_t& ctx, const std::array<vec3, 3>& corners, const std::array<vec3, 3>& normals,
                     const vec3& color);
// Makes room for more primitives: the size class's first room, then double.
void zeveps_allo(zeveps_ctl_t& ctx);
// Moves each bond's ends to just inside the atoms found at them.
void zeveps_trim(std::vector<zeveps_prim_t>& prims);
// The points per unit for a picture whose fitting scale is f.
double zeveps_page_scale(double f);
// Sorts, trims and writes the whole file; `force_level2` draws flat
// triangles even on level-3 interpreters.
void zeveps_paint(FILE* file, int force_level2, zeveps_ctl_t& ctx);
