// A triangle of an isosurface mesh, as marching cubes makes it, the surface
// store sorts it and the mesh writers write it. Single precision: enough to
// draw and to write meshes, and half the memory of a surface in doubles.
#pragma once

#include <array>
#include <cfloat>
#include <cstdint>
#include <vector>

#include "molecule/large_blocks.h"
#include "molecule/types.h"

// A double as a float; values beyond the float range become its largest
// value (the plain conversion is undefined there), NaN stays NaN.
inline float clamp_to_float(double v) {
  if (v > FLT_MAX) return FLT_MAX;
  if (v < -FLT_MAX) return -FLT_MAX;
  return static_cast<float>(v);
}

// A point or vector in single precision; it reads as a `vec3`.
struct fvec3 : std::array<float, 3> {
  fvec3() : std::array<float, 3>{} {}
  fvec3(const vec3& p) : std::array<float, 3>{{clamp_to_float(p[0]), clamp_to_float(p[1]), clamp_to_float(p[2])}} {}
  operator vec3() const { return {(*this)[0], (*this)[1], (*this)[2]}; }
};

// One corner of a surface triangle: position, normal and the second field.
struct surface_vertex_t {
  fvec3 p, n;
  float s;
};

struct srf_triangle_t {
  std::array<fvec3, 3> v;      // vertices
  std::array<fvec3, 3> n;      // vertex normals
  std::array<float, 3> val{};  // second field (potential) at each vertex, 0 when none
  float depth = 0;             // sort key: larger is farther
  uint8_t lobe = 0;            // 0 positive level, 1 negative level

  srf_triangle_t() = default;
  // Made where it is kept (a vector's emplace_back): nothing is zeroed
  // first or copied after.
  srf_triangle_t(const surface_vertex_t& a, const surface_vertex_t& b, const surface_vertex_t& c, uint8_t of_lobe)
      : v{{a.p, b.p, c.p}}, n{{a.n, b.n, c.n}}, val{{a.s, b.s, c.s}}, lobe(of_lobe) {}
};

// The triangles of one surface: a block of their own, in huge pages when
// large, so that a new surface costs few page faults.
using surface_triangles_t = std::vector<srf_triangle_t, large_block_allocator<srf_triangle_t>>;
