// Offscreen pictures. The framebuffer object has a colour and a depth
// renderbuffer of the picture's size; the picture is drawn there with the
// drawing code of the screen and read back bottom row first.
#define GL_GLEXT_PROTOTYPES
#include "export/picture_gl.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "molecule/mol_data.h"
#include "render/gl/gl_scene_output.h"
#include "render/gl/labels_gl.h"
#include "render/gl/scene_gl.h"
#include "render/scene.h"

namespace {

// Framebuffer objects are core from OpenGL 3.0 and an extension before.
bool has_framebuffer_objects() {
  const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  if (!version) return false;
  if (std::atoi(version) >= 3) return true;
  const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  return extensions && std::strstr(extensions, "GL_ARB_framebuffer_object");
}

bool size_fits(int W, int H) {
  if (W < 1 || H < 1 || W > max_picture_size || H > max_picture_size) return false;
  GLint renderbuffer = 0, viewport[2] = {0, 0};
  glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
  glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
  return W <= std::min(renderbuffer, viewport[0]) && H <= std::min(renderbuffer, viewport[1]);
}

}  // namespace

void draw_picture_gl(int W, int H, const matrix16& mv) {
  // The field the screen would show in a W × H area: the smaller side spans
  // the same depth, so the molecule keeps its proportions at any size.
  const view_state_t screen = view;
  view.screen_width = W, view.screen_height = H;
  compute_field_sizes();
  scene_gl_state();
  glViewport(0, 0, W, H);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-view.half_width - view.camera_x, view.half_width - view.camera_x, -view.half_height - view.camera_y,
          view.half_height - view.camera_y, -2 * view.z_half, 2 * view.z_half);
  glMatrixMode(GL_MODELVIEW);
  glLoadMatrixd(mv.data());
  clear_scene_background();
  {
    GlSceneOutput out;
    draw_picture(out);
  }
  // Text boxes stay where they are in the window, scaled to the picture.
  if (m && m->ntextbox() > 0 && screen.screen_width > 0 && screen.screen_height > 0)
    draw_textboxes(W, H, screen.screen_width, screen.screen_height);
  glFlush();
  view = screen;
}

OffscreenPicture::OffscreenPicture(int W, int H, const matrix16& mv) {
  if (!has_framebuffer_objects() || !size_fits(W, H)) return;
  saved_state_ = true;
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previous_framebuffer_);
  glGenFramebuffers(1, &framebuffer_);
  glGenRenderbuffers(2, renderbuffers_);
  glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers_[0]);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, W, H);
  glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers_[1]);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, W, H);
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, renderbuffers_[0]);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, renderbuffers_[1]);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) return;
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  draw_picture_gl(W, H, mv);
  drawn_ = true;
}

OffscreenPicture::~OffscreenPicture() {
  if (!saved_state_) return;
  glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previous_framebuffer_));
  glDeleteRenderbuffers(2, renderbuffers_);
  glDeleteFramebuffers(1, &framebuffer_);
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glPopAttrib();
}

bool render_picture(int W, int H, const matrix16& mv, picture_t& out) {
  OffscreenPicture picture(W, H, mv);
  if (!picture) return false;
  out = read_gl_pixels(W, H);
  return true;
}
