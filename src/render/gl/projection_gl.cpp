#include "render/gl/projection_gl.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <array>

window_projector current_window_projector() {
  std::array<GLdouble, 16> model{}, projection{};
  std::array<GLint, 4> viewport{};
  glGetDoublev(GL_MODELVIEW_MATRIX, model.data());
  glGetDoublev(GL_PROJECTION_MATRIX, projection.data());
  glGetIntegerv(GL_VIEWPORT, viewport.data());
  return [model, projection, viewport](const vec3& p, double& x, double& y) {
    GLdouble wz;
    return gluProject(p[0], p[1], p[2], model.data(), projection.data(), viewport.data(), &x, &y, &wz) == GL_TRUE;
  };
}
