#include "render/gl/projection_gl.h"

#include <GL/gl.h>
#include <GL/glu.h>

bool gl_projection_t::project(const vec3& p, vec3& window) const {
  return gluProject(p[0], p[1], p[2], model.data(), projection.data(), viewport.data(), &window[0], &window[1],
                    &window[2]) == GL_TRUE;
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
