// What the scene traversal hands on: a small immediate-mode vocabulary
// (colours, lighting, spheres, cylinders, vertex batches) in drawing order.
// The OpenGL output replays it into a display list; tests record it; the
// POV-Ray and PostScript writers will listen to the same calls.
#pragma once

#include <array>
#include <vector>

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
  // One batch of vertices; `normal` is set once before the first vertex when
  // given. Per-vertex colours change with color() between vertex() calls.
  virtual void begin(PrimitiveKind kind) = 0;
  virtual void normal(const vec3& n) = 0;
  virtual void vertex(const vec3& p) = 0;
  virtual void end() = 0;
  // The model-view matrix in force (column-major), for depth sorting.
  virtual std::array<double, 16> modelview() const = 0;
};
