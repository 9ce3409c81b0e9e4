#include "render/gl/projection_gl.h"

#include <GL/gl.h>
#include <GL/glu.h>

bool gl_projection_t::project(const vec3& p, vec3& window) const {
  return gluProject(p[0], p[1], p[2], model.data(), projection.data(), viewport.data(), &window[0], &window[1],
                    &window[2]) == GL_TRUE;
}

bool gl_projection_t::unproject(const vec3& window, vec3& p) const {
  return gluUnProject(window[0], window[1], window[2], model.data(), projection.data(), viewport.data(), &p[0], &p[1],
                      &p[2]) == GL_TRUE;
}

gl_projection_t current_gl_projection() {
  gl_projection_t g;
  glGetDoublev(GL_MODELVIEW_MATRIX, g.model.data());
  glGetDoublev(GL_PROJECTION_MATRIX, g.projection.data());
  glGetIntegerv(GL_VIEWPORT, g.viewport.data());
  return g;
}

window_projector current_window_projector() {
  return [g = current_gl_projection()](const vec3& p, double& x, double& y) {
    vec3 w;
    const bool ok = g.project(p, w);
    x = w[0], y = w[1];
    return ok;
  };
}

std::optional<vec3> window_step_in_model(const gl_projection_t& g, double d, bool horizontal) {
  vec3 from{};
  if (!horizontal) from = {g.viewport[0] + g.viewport[2] / 2.0, g.viewport[1] + g.viewport[3] / 2.0, 0.0};
  vec3 to = from;
  to[horizontal ? 0 : 1] += d;
  vec3 a, b;
  if (!g.unproject(from, a) || !g.unproject(to, b)) return std::nullopt;
  return b - a;
}
