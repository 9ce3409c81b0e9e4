// The scene as an EPS picture: the traversal hands atoms, bonds, triangles,
// planes, cells and isosurface triangles to the vector renderer, which
// paints them far to near.
#pragma once

#include <string>

#include "export/zeveps.h"
#include "render/scene_output.h"
#include "render/view.h"

// Hands the objects of a traversal to the vector renderer `ctl`, which must
// have been given the view rotation of `mv`.
class PostscriptOutput final : public ObjectOutput {
 public:
  PostscriptOutput(zeveps_ctl_t& ctl, const matrix16& mv) : ObjectOutput(mv), ctl_(ctl) {}
  void atom_object(const vec3& centre, double radius, const color_t& c) override;
  void bond_object(const vec3& a, const color_t& ca, const vec3& b, const color_t& cb) override;
  void triangle_object(const std::array<vec3, 3>& corners, const vec3& normal, const color_t& c) override;
  void quad_object(const std::array<vec3, 4>& corners, const vec3& normal, const color_t& c, bool cell_face) override;
  void surface_triangle(const srf_triangle_t& t, const color_t& c) override;

 private:
  // A flat triangle lit on the side that faces the viewer, as the screen's
  // two-sided lighting shows it.
  void flat_triangle(const std::array<vec3, 3>& corners, const vec3& normal, const color_t& c);
  zeveps_ctl_t& ctl_;
};

// The rotation part of a model-view matrix (column-major) as rows.
std::array<vec3, 3> view_rotation(const matrix16& mv);

// Writes the current geometry seen through model-view matrix `mv` as an EPS
// picture to `path` (atomically): bonds, atoms, planes, triangles, cells and
// the isosurfaces; `level` 1 makes the triangles flat for level-2 printers.
// On failure a warning says why and any earlier file at `path` is kept.
// True when the file was written.
bool initPS(int level, const std::string& path, const matrix16& mv);
