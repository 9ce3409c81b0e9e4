// Window positions of model points under the current OpenGL matrices.
#pragma once

#include <array>

#include "edit/selection.h"

// The model-view, projection and viewport in force when it was taken.
struct gl_projection_t {
  std::array<double, 16> model{}, projection{};
  std::array<int, 4> viewport{};
  // Window position of `p` (pixels, y from the bottom, and depth); false
  // when it can't be projected.
  bool project(const vec3& p, vec3& window) const;
};
// The matrices and viewport current now. Needs a current GL context.
gl_projection_t current_gl_projection();

// A projector bound to the model-view, projection and viewport current now
// (window pixels, y from the bottom). Needs a current GL context.
window_projector current_window_projector();
