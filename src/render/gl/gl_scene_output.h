// Replays the scene traversal into OpenGL immediate mode (inside a display
// list or directly), with GLU quadrics for spheres and cylinders, or, given
// shape lists (when the scene list is compiled), with the list of a unit
// shape called with a transform; filled spheres that cover only a few pixels
// on the screen then take fewer facets. In a crowded scene filled spheres,
// cylinders and cones take as few facets as their size on the screen allows,
// and the small ones go as vertices already in place (runs of them become
// one draw): a list then holds a few kilobytes per atom at most, and a large
// molecule seen close up is compiled as quickly as it was before.
#pragma once

#include <GL/glu.h>

#include "render/gl/shape_lists.h"
#include "render/gl/shape_meshes.h"
#include "render/scene_output.h"

class GlSceneOutput final : public SceneOutput {
 public:
  // `lists` (may be null) must have been prepared for the subdivisions the
  // scene uses; shapes without a list are drawn with the quadric. A crowded
  // scene's shapes take fewer facets (see reduced_quality).
  explicit GlSceneOutput(const shape_lists_t* lists = nullptr, bool crowded = false);
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
  void closed_cylinders(bool closed) override { closed_cylinders_ = closed; }
  void begin(PrimitiveKind kind) override;
  void normal(const vec3& n) override;
  void vertex(const vec3& p) override;
  void end() override;
  std::array<double, 16> modelview() const override;

  // Pixels per unit of length at the view the output was made for (0 when
  // drawn without shape lists), and the radius in pixels of the largest
  // shape that was given fewer facets (0 when none).
  double pixels_per_unit() const { return pixels_per_unit_; }
  double largest_reduced_pixels() const { return largest_reduced_; }
  // Leaves the OpenGL state as the scene found it (back faces drawn, blending
  // and two-sided lighting on) and the last colour given: before
  // a display list of the scene is closed; also done when the output goes.
  void end_scene();

 private:
  // Calls the list of a unit shape scaled by (sxy, sxy, sz), when there is
  // one and the scale is a proper one.
  bool call_shape(unit_shape shape, int slices, int stacks, bool filled, double sxy, double sz);
  // Whether a shape of this style and subdivision goes as vertices in place.
  bool placed(bool filled, int slices, int stacks) const;
  // The subdivision of a filled shape of `radius` (its reduction noted).
  std::pair<int, int> quality(double radius, int slices, int stacks);

  void set_culling(bool on);
  // Gives OpenGL the colour last set, when it does not hold it yet.
  void give_color();

  const shape_lists_t* lists_;
  bool crowded_;
  unit_meshes_t meshes_;
  // The colour last set (alpha 1 when not given); whether OpenGL is still
  // to be given it; whether a batch of vertices is open.
  color_t color_{1, 1, 1, 1};
  bool color_pending_ = false, in_batch_ = false;

  double pixels_per_unit_ = 0, largest_reduced_ = 0;
  // Whether the current colour is opaque and depth is written: filled
  // spheres and closed cylinders then have their back faces culled; whether
  // the cylinders are closed; and whether culling is on.
  bool opaque_ = true, depth_written_ = true, closed_cylinders_ = false, culling_ = false;
  // Null when GLU could not make one: spheres and cylinders are then skipped.
  GLUquadric* quadric_;
};

// Pixels per unit of length under the current (orthographic) projection:
// half the viewport's width times the projection's x scale, times the
// model-view's scale.
double current_pixels_per_unit();
