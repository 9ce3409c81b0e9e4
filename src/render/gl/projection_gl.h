// Window positions of model points under the current OpenGL matrices, and
// the model-space vector of a window distance.
#pragma once

#include <array>
#include <optional>

#include "render/view.h"

// The model-view, projection and viewport in force when it was taken.
struct gl_projection_t {
  std::array<double, 16> model{}, projection{};
  std::array<int, 4> viewport{};
  // Window position of `p` (pixels, y from the bottom, and depth); false
  // when it can't be projected.
  bool project(const vec3& p, vec3& window) const;
  // The model point at window position `window`; false when the matrices
  // can't be inverted.
  bool unproject(const vec3& window, vec3& p) const;
};
// The matrices and viewport current now. Needs a current GL context.
gl_projection_t current_gl_projection();

// A projector bound to the model-view, projection and viewport current now
// (window pixels, y from the bottom). Needs a current GL context.
window_projector current_window_projector();

// The model-space vector that carries a point d window pixels along x
// (`horizontal`) or y, at window depth 0: the difference of two unprojected
// window points, (0, 0) and (d, 0) across, or the viewport centre and the
// centre moved up by d. None when an unprojection fails. Pure: needs no
// GL context.
std::optional<vec3> window_step_in_model(const gl_projection_t& g, double d, bool horizontal);
