#include "render/gl/labels_gl.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <array>
#include <vector>

#include "molecule/decorations.h"
#include "molecule/mol_data.h"
#include "molecule/settings.h"
#include "render/gl/projection_gl.h"
#include "render/label_visibility.h"
#include "render/view.h"

namespace {

// Window coordinates of every atom of the current geometry under the
// current matrices and viewport.
std::vector<vec3> project_atoms() {
  const gl_projection_t g = current_gl_projection();
  std::vector<vec3> window(m->xyz.size());
  for (size_t i = 0; i < m->xyz.size(); ++i) g.project(m->xyz[i], window[i]);
  return window;
}

// Every drawn pixel gets `c` as its colour; the alpha is the coverage byte.
void set_pixel_colour(const color_t& c) {
  glPixelTransferf(GL_RED_SCALE, 0);
  glPixelTransferf(GL_GREEN_SCALE, 0);
  glPixelTransferf(GL_BLUE_SCALE, 0);
  glPixelTransferf(GL_RED_BIAS, c.red);
  glPixelTransferf(GL_GREEN_BIAS, c.green);
  glPixelTransferf(GL_BLUE_BIAS, c.blue);
}

void reset_pixel_transfer() {
  glPixelTransferf(GL_RED_SCALE, 1);
  glPixelTransferf(GL_GREEN_SCALE, 1);
  glPixelTransferf(GL_BLUE_SCALE, 1);
  glPixelTransferf(GL_RED_BIAS, 0);
  glPixelTransferf(GL_GREEN_BIAS, 0);
  glPixelTransferf(GL_BLUE_BIAS, 0);
}

void begin_overlay() {
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
}

void draw_image(const stxt_t& image) {
  glDrawPixels(image.width, image.height, GL_ALPHA, GL_UNSIGNED_BYTE, image.pixels.data());
}

bool has_image(const stxt_t& image) { return !image.pixels.empty(); }

// The labels of one atom in their fixed order, each advancing the next one
// by its width.
void draw_atom_labels(const std::array<stxt_t, N_ATOM_LABELS>& labels, const vec3& anchor, double pixel_width) {
  const int shown = Input_Data.label_flags;
  const struct {
    int label;
    bool wanted;
  } order[] = {
      {LABEL_INDEX, (shown & LABEL_FLAG_INDICES) != 0},
      {LABEL_SYMBOL, (shown & LABEL_FLAG_SYMBOLS) != 0},
      {LABEL_NAME, (shown & LABEL_FLAG_NAMES) && (m->flags & FLAG_ATOM_NAMES)},
      {LABEL_NUMBER, (shown & LABEL_FLAG_NUMERATION) && (m->flags & FLAG_ATOM_NUMBERS)},
      {LABEL_MULLIKEN, (shown & LABEL_FLAG_MULLIKEN) && (m->flags & FLAG_MULLIKEN)},
      {LABEL_LOPROP, (shown & LABEL_FLAG_LOPROP) && (m->flags & FLAG_LOPROP)},
  };
  double advance = 0;
  for (const auto& kind : order) {
    const stxt_t& image = labels[static_cast<size_t>(kind.label)];
    if (!kind.wanted || !has_image(image)) continue;
    glRasterPos3d(anchor[0] + advance, anchor[1], view.z_half);
    draw_image(image);
    advance += image.width * pixel_width;
  }
}

// Pixel (px, py), y down, on the view plane of a W × H target.
void frame_vertex(double px, double py, int W, int H) {
  glVertex3d(px * 2 * view.half_width / W - view.half_width - view.camera_x,
             (1 - py * 2 / H) * view.half_height - view.camera_y, 0);
}

}  // namespace

void draw_labels(int W, int H) {
  if (!m || m->natom() == 0 || m->atom_labels.size() != m->xyz.size()) return;
  // With no kind of label shown there is nothing to place: the projection
  // and the visibility test (quadratic in the atoms) are skipped.
  constexpr int any_kind = LABEL_FLAG_INDICES | LABEL_FLAG_NUMERATION | LABEL_FLAG_SYMBOLS | LABEL_FLAG_NAMES |
                           LABEL_FLAG_MULLIKEN | LABEL_FLAG_LOPROP;
  if (!(Input_Data.label_flags & any_kind)) return;
  const std::vector<vec3> anchors = label_anchors(project_atoms(), W, H);
  if (anchors.empty()) return;
  const std::vector<bool> visible = visible_labels(anchors);
  begin_overlay();
  set_pixel_colour(Input_Data.label_color);
  const double pixel_width = 2 * view.half_width / W;
  for (size_t i = 0; i < anchors.size(); ++i)
    if (visible[i]) draw_atom_labels(m->atom_labels[i], anchors[i], pixel_width);
  reset_pixel_transfer();
  glPopMatrix();
}

void draw_textboxes(int W, int H, int Wa, int Ha) {
  if (!m || m->deco->textbox.empty() || Wa <= 0 || Ha <= 0) return;
  const double zoom = std::min(static_cast<double>(W) / Wa, static_cast<double>(H) / Ha);
  const bool zooming = Wa - W >= 6 && Ha - H < 5;
  begin_overlay();
  for (const textbox_t& box : m->deco->textbox) {
    if (!has_image(box.image)) continue;
    set_pixel_colour(box.color);
    // In doubles: a box may stand anywhere in the int range.
    const double x = (box.x * 2.0 / Wa - 1) * view.half_width - view.camera_x;
    const double y =
        (1 - (static_cast<double>(box.y) + box.image.height - 2) * 2.0 / Ha) * view.half_height - view.camera_y;
    glRasterPos3d(x, y, view.z_half);
    if (zooming) glPixelZoom(static_cast<GLfloat>(zoom), static_cast<GLfloat>(zoom));
    draw_image(box.image);
    reset_pixel_transfer();
  }
  if (zooming) glPixelZoom(1, 1);
  glPopMatrix();
}

void draw_textbox_rectangle(int W, int H) {
  if (textbox_state != 2 || !m || m->deco->textbox.empty() || W <= 0 || H <= 0) return;
  const textbox_t& box = m->deco->textbox.back();
  const double x = box.x, y = box.y;
  const double left = x - 1, right = x + box.image.width + 4;
  const double top = y - 1, bottom = y + (box.image.height ? box.image.height : 12) + 1;
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glColor4f(0, 1, 1, 1);
  glBegin(GL_LINES);
  frame_vertex(left, top, W, H);
  frame_vertex(right, top, W, H);
  frame_vertex(right, top, W, H);
  frame_vertex(right, bottom, W, H);
  frame_vertex(right, bottom, W, H);
  frame_vertex(left, bottom, W, H);
  frame_vertex(left, bottom, W, H);
  frame_vertex(left, top, W, H);
  glEnd();
  glPopMatrix();
}
