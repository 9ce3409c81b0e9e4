// Offscreen pictures: drawn into a framebuffer object of the picture's size
// with the drawing code of the screen, and read back bottom row first.
#include "export/picture_gl.h"

#include <GL/gl.h>

#include "molecule/mol_data.h"
#include "render/gl/gl_scene_output.h"
#include "render/gl/labels_gl.h"
#include "render/gl/scene_gl.h"
#include "render/scene.h"

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
  if (W < 1 || H < 1 || W > max_picture_size || H > max_picture_size) return;
  saved_state_ = true;
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  framebuffer_.emplace(W, H);
  if (!*framebuffer_) return;
  draw_picture_gl(W, H, mv);
  drawn_ = true;
}

OffscreenPicture::~OffscreenPicture() {
  if (!saved_state_) return;
  framebuffer_.reset();
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
