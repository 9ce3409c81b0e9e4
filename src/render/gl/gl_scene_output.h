// Replays the scene traversal into OpenGL immediate mode (inside a display
// list or directly), with GLU quadrics for spheres and cylinders.
#pragma once

#include <GL/glu.h>

#include "render/scene_output.h"

class GlSceneOutput final : public SceneOutput {
 public:
  GlSceneOutput();
  ~GlSceneOutput() override;
  GlSceneOutput(const GlSceneOutput&) = delete;
  GlSceneOutput& operator=(const GlSceneOutput&) = delete;

  void material_preset(int style) override;
  void color(const color_t& c, bool with_alpha) override;
  void lighting(bool on) override;
  void depth_mask(bool on) override;
  void sphere(const vec3& centre, double radius, int slices, int stacks, bool filled) override;
  void cylinder(const vec3& start, const vec3& toward, double base_radius, double top_radius, double length, int slices,
                int stacks, bool filled) override;
  void begin(PrimitiveKind kind) override;
  void normal(const vec3& n) override;
  void vertex(const vec3& p) override;
  void end() override;
  std::array<double, 16> modelview() const override;

 private:
  // Null when GLU could not make one: spheres and cylinders are then skipped.
  GLUquadric* quadric_;
};
