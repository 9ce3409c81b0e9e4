// Spheres, cylinders and cones as immediate-mode vertices already placed
// and sized, for the scene list: consecutive shapes then become one draw in
// the compiled list, where a list of a unit shape called with a transform
// costs a draw call and a change of transform each (several microseconds on
// a software renderer: most of a frame of thousands of atoms). The meshes
// are those of the GLU quadrics: the same vertices, normals, fans and strips.
#pragma once

#include <GL/gl.h>

#include <cstdint>
#include <map>
#include <tuple>
#include <vector>

#include "molecule/types.h"

// A unit sphere (radius 1), cylinder (radius 1, length 1 along +z) or cone
// (radius 1 to 0): vertices, and one triangle strip through them whose
// triangles are those OpenGL cuts the quadric's fans and quad strips into
// (each quad along the same diagonal), outer faces counter-clockwise, quad
// after quad in the quadric's order, so that the shading is the quadric's.
// A strip sends half as many vertices as separate triangles would (the
// list's compile costs about that much per vertex sent), and the strips of
// a list join into one draw.
struct unit_mesh_t {
  std::vector<float> points, normals;  // three per vertex
  std::vector<std::uint32_t> strip;
};

unit_mesh_t unit_sphere_mesh(int slices, int stacks);
// Top radius 1 (cylinder) or 0 (cone), `stacks` rings along the length.
unit_mesh_t unit_cylinder_mesh(bool cone, int slices, int stacks);

// Draws `mesh` scaled by (sxy, sxy, sz), turned by `rotation` (row-major),
// moved to `origin`, in colour `rgba` (set between begin and end, so that
// the shapes of a list stay one run of vertices). The scale must be proper.
void draw_placed_mesh(const unit_mesh_t& mesh, double sxy, double sz, const double rotation[9], const vec3& origin,
                      const color_t& rgba);

// The matrix of glRotated(degrees, ax, ay, 0), row-major.
void rotation_of(double degrees, double ax, double ay, double rotation[9]);

// The unit meshes by shape and subdivision, made when first asked for.
class unit_meshes_t {
 public:
  const unit_mesh_t& sphere(int slices, int stacks);
  const unit_mesh_t& cylinder(bool cone, int slices, int stacks);

 private:
  std::map<std::tuple<int, int, int>, unit_mesh_t> meshes_;
};
