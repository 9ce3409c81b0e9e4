// A triangle of an isosurface mesh, as marching cubes makes it, the surface
// store sorts it and the mesh writers write it.
#pragma once

#include <array>

#include "molecule/types.h"

struct srf_triangle_t {
  std::array<vec3, 3> v;        // vertices
  std::array<vec3, 3> n;        // vertex normals
  std::array<double, 3> val{};  // second field (potential) at each vertex, 0 when none
  double depth = 0;             // sort key: larger is farther
  int lobe = 0;                 // 0 positive level, 1 negative level
};
