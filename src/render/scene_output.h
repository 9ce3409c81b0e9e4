// What the scene traversal hands on: a small immediate-mode vocabulary
// (colours, lighting, spheres, cylinders, vertex batches) in drawing order,
// and the whole objects (atoms, bonds, decorations, surface triangles) that
// the file writers describe. The OpenGL output replays the vocabulary into
// a display list and ignores the objects; the POV-Ray and PostScript
// writers take the objects and ignore the vocabulary; tests record both.
#pragma once

#include <array>
#include <vector>

#include "molecule/mesh.h"
#include "molecule/types.h"

enum class PrimitiveKind { lines, line_strip, line_loop, polygon, quads, triangles };

class SceneOutput {
 public:
  virtual ~SceneOutput() = default;
  // Applies material preset `style` (1 to 5) to both faces.
  virtual void material_preset(int style) = 0;
  // glColor3f / glColor4f: `with_alpha` says whether the fourth component is drawn.
  virtual void color(const color_t& c, bool with_alpha) = 0;
  virtual void lighting(bool on) = 0;
  virtual void depth_mask(bool on) = 0;
  // A sphere of `radius` around `centre`, filled or drawn as lines.
  virtual void sphere(const vec3& centre, double radius, int slices, int stacks, bool filled) = 0;
  // A cylinder (a cone when the radii differ) from `start` along the direction
  // start→`toward`, of `length`; the rotation is that of CalcCyllinder.
  virtual void cylinder(const vec3& start, const vec3& toward, double base_radius, double top_radius, double length,
                        int slices, int stacks, bool filled) = 0;
  // Whether the cylinders that follow are closed tubes: their ends lie inside
  // opaque spheres of the same scene, so that their insides never show.
  virtual void closed_cylinders(bool) {}
  // One batch of vertices; `normal` is set once before the first vertex when
  // given. Per-vertex colours change with color() between vertex() calls.
  virtual void begin(PrimitiveKind kind) = 0;
  virtual void normal(const vec3& n) = 0;
  virtual void vertex(const vec3& p) = 0;
  virtual void end() = 0;
  // The model-view matrix in force (column-major), for depth sorting.
  virtual std::array<double, 16> modelview() const = 0;

  // Whole objects, each handed once after its drawing, with the object's own
  // colour (grayscale mode does not apply). Only file writers act on them.
  //
  // An atom of the static scene: centre, half the element's atom size.
  virtual void atom_object(const vec3&, double, const color_t&) {}
  // A bond of non-zero type as two halves: from each atom to the midpoint.
  virtual void bond_object(const vec3&, const color_t&, const vec3&, const color_t&) {}
  // Coordinate axis k (0 x, 1 y, 2 z): shaft radius c and length f.
  virtual void axis_object(int, double, double) {}
  // The dipole arrow from the origin to `dipole`, shaft radius a.
  virtual void dipole_object(const vec3&, double, const color_t&) {}
  // An arrow from tail to head: radius and sharpness (share of the cone).
  virtual void arrow_object(const vec3&, const vec3&, double, double, const color_t&) {}
  // A triangle A, B, C with its normal (B − A) × (C − A).
  virtual void triangle_object(const std::array<vec3, 3>&, const vec3&, const color_t&) {}
  virtual void sphere_object(const vec3&, double, const color_t&) {}
  // A quadrilateral with its normal: the square of a plane (`cell_face`
  // false) or one of the six faces of a cell.
  virtual void quad_object(const std::array<vec3, 4>&, const vec3&, const color_t&, bool) {}
  // Before the isosurface triangles: the lobe colours, and whether the
  // surfaces are coloured by potential (then drawn without transparency).
  virtual void surface_colors(const std::array<color_t, 2>&, bool) {}
  // One isosurface triangle and the colour of its lobe.
  virtual void surface_triangle(const srf_triangle_t&, const color_t&) {}
};

// A writer of whole objects: the drawing vocabulary does nothing, and the
// depth sort of the surfaces uses the view matrix it was given.
class ObjectOutput : public SceneOutput {
 public:
  explicit ObjectOutput(const std::array<double, 16>& mv) : mv_(mv) {}
  void material_preset(int) override {}
  void color(const color_t&, bool) override {}
  void lighting(bool) override {}
  void depth_mask(bool) override {}
  void sphere(const vec3&, double, int, int, bool) override {}
  void cylinder(const vec3&, const vec3&, double, double, double, int, int, bool) override {}
  void begin(PrimitiveKind) override {}
  void normal(const vec3&) override {}
  void vertex(const vec3&) override {}
  void end() override {}
  std::array<double, 16> modelview() const override { return mv_; }

 private:
  std::array<double, 16> mv_;
};
