#include "render/gl/projection_gl.h"

#include <gtest/gtest.h>

namespace {

// A 400 × 300 viewport on the field ±2.5 × ±1.875 around camera (0.5, −0.25),
// depth ±10, with the model turned by 90° about z and pushed along x and z.
gl_projection_t turned_view() {
  gl_projection_t g;
  const double hw = 2.5, hh = 1.875, cx = 0.5, cy = -0.25, depth = 10;
  const double l = -hw - cx, r = hw - cx, b = -hh - cy, t = hh - cy;
  // glOrtho's matrix, column-major.
  g.projection[0] = 2 / (r - l);
  g.projection[5] = 2 / (t - b);
  g.projection[10] = -1 / depth;
  g.projection[12] = -(r + l) / (r - l);
  g.projection[13] = -(t + b) / (t - b);
  g.projection[15] = 1;
  // Column-major: model x goes to eye y, model y to eye −x.
  g.model = {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0.7, 0, 0.3, 1};
  g.viewport = {0, 0, 400, 300};
  return g;
}

// A window distance becomes the model vector that carries any point that
// far across the window: 5 pixels are 5 × 5 / 400 model units here.
TEST(ProjectionGl, WindowStepBecomesTheModelVectorThatMovesThatFarOnScreen) {
  const gl_projection_t g = turned_view();
  const std::optional<vec3> across = window_step_in_model(g, 5, true);
  const std::optional<vec3> up = window_step_in_model(g, -25, false);
  ASSERT_TRUE(across && up);
  const double unit = 5.0 / 400.0;
  EXPECT_NEAR((*across)[0], 0, 1e-12);
  EXPECT_NEAR((*across)[1], -5 * unit, 1e-12);
  EXPECT_NEAR((*across)[2], 0, 1e-12);
  EXPECT_NEAR((*up)[0], -25 * unit, 1e-12);
  EXPECT_NEAR((*up)[1], 0, 1e-12);
  EXPECT_NEAR((*up)[2], 0, 1e-12);

  // Checked through the projection: the moved point lands d pixels away.
  const vec3 p{1.0, -2.0, 0.5};
  vec3 w0, w1, w2;
  ASSERT_TRUE(g.project(p, w0) && g.project(p + *across, w1) && g.project(p + *up, w2));
  EXPECT_NEAR(w1[0] - w0[0], 5, 1e-9);
  EXPECT_NEAR(w1[1] - w0[1], 0, 1e-9);
  EXPECT_NEAR(w2[0] - w0[0], 0, 1e-9);
  EXPECT_NEAR(w2[1] - w0[1], -25, 1e-9);

  // Matrices that can't be inverted give no vector.
  gl_projection_t flat = g;
  flat.model = {};
  EXPECT_FALSE(window_step_in_model(flat, 5, true));
}

}  // namespace
