// The view applied to the current OpenGL context. The projection is an
// orthographic field around the camera offset; mouse rotations are applied
// in eye space (before the existing model-view matrix), so a drag always
// turns the scene about axes fixed to the screen. Nothing here edits the
// molecule: a drag or key that does hands its numbers to the caller.
#include "render/gl/view_gl.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>

#include "formats/safe_file.h"
#include "molecule/mol_data.h"
#include "molecule/notify.h"
#include "molecule/settings.h"
#include "render/surface_store.h"
#include "render/view.h"

namespace {

const char* const viewpoint_file = ".ViewPoint";

matrix16 current_modelview() {
  matrix16 r;
  glGetDoublev(GL_MODELVIEW_MATRIX, r.data());
  return r;
}

void load_projection(double half_width, double half_height, double cx, double cy, double depth) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-half_width - cx, half_width - cx, -half_height - cy, half_height - cy, -depth, depth);
  glMatrixMode(GL_MODELVIEW);
}

bool has_grids() { return m && m->ngrid() > 0; }

// One trackball step from the last pointer position to (x, y).
void rotate_by_drag(double x, double y) {
  const trackball_step_t step = trackball_rotation(view.last_x, view.last_y, x, y);
  // Transparent surfaces are drawn back to front: after a large turn their
  // order is stale. The surface store's re-sort flag joins the scene rebuild
  // once the store exists.
  if (accumulate_rotation(step.angle) && has_grids()) mivor_gtk_resort_surfaces();
  glMatrixMode(GL_MODELVIEW);
  mvm = current_modelview();
  glLoadIdentity();
  glRotated(step.angle, step.axis[0], step.axis[1], step.axis[2]);
  glMultMatrixd(mvm.data());
}

void zoom_by_drag(double x, double y) {
  if (const auto s = drag_zoom_scale(view.last_x, view.last_y, x, y, view.view_scale)) {
    view.view_scale = *s;
    set_scale();
  }
}

// Control-drag: a mainly horizontal step gives the factor of the
// expand/retract edit, which the caller runs.
std::optional<double> expand_by_drag(double x, double y) {
  const std::optional<double> f = drag_expand_factor(view.last_x, view.last_y, x, y);
  if (f) view.expand_factor = *f;
  return f;
}

// Right-button drag: the first event anchors the rectangle; later ones move
// its other corner.
bool drag_rubber_band(int ex, int ey) {
  if (!view.rubber_band) {
    view.x0 = ex, view.y0 = ey;
    view.rubber_band = true;
    return false;
  }
  view.x1 = ex, view.y1 = ey;
  return true;
}

// Makes geometry `igeo` current and lets the view and the panels follow.
void show_geometry() {
  get_new_section();
  notifier().geometry_shown();
  set_scale();
  rerender_3d();
}

// The viewing conditions in force now.
viewpoint_t current_viewpoint() {
  viewpoint_t vp;
  vp.screen_width = view.screen_width;
  vp.screen_height = view.screen_height;
  vp.half_width = view.half_width;
  vp.half_height = view.half_height;
  vp.view_scale = view.view_scale;
  vp.z_depth = 2.0 * view.z_half;
  vp.camera_x = view.camera_x;
  vp.camera_y = view.camera_y;
  vp.matrix = current_modelview();
  return vp;
}

void save_viewpoint() {
  const viewpoint_t vp = current_viewpoint();
  if (!write_file_atomically(viewpoint_file, viewpoint_text(vp))) {
    make_warning(std::string("ERROR: Can't write file: ") + viewpoint_file);
    return;
  }
  view.saved_matrix = vp.matrix;
  std::fputs("current ViewPoint saved in .ViewPoint file\n", stdout);
}

// A valid file is at most 15 reads of 63 bytes; nothing after that is read.
constexpr size_t viewpoint_read_limit = 15 * 63;

void restore_viewpoint() {
  file_ptr file = open_file_ptr(viewpoint_file, "rb");
  if (!file) {
    make_warning("no saved ViewPoint\n");
    return;
  }
  std::string text(viewpoint_read_limit, '\0');
  text.resize(std::fread(&text[0], 1, text.size(), file.get()));
  // Values the file lacks keep those in force.
  const std::optional<viewpoint_t> vp = parse_viewpoint(text, current_viewpoint());
  if (!vp) return;
  if (!viewpoint_is_usable(*vp)) {
    make_warning("ERROR: .ViewPoint file holds invalid sizes, scale or matrix; view not changed\n");
    return;
  }
  view.z_half = vp->z_depth * 0.5;
  view.saved_matrix = mvm = vp->matrix;
  notifier().drawing_area_size(vp->screen_width, vp->screen_height);
  load_projection(vp->half_width, vp->half_height, vp->camera_x, vp->camera_y, vp->z_depth);
  glLoadMatrixd(view.saved_matrix.data());
  view.screen_width = vp->screen_width;
  view.screen_height = vp->screen_height;
  view.half_width = vp->half_width;
  view.half_height = vp->half_height;
  view.view_scale = vp->view_scale;
  view.camera_x = vp->camera_x;
  view.camera_y = vp->camera_y;
  if (has_grids()) mivor_gtk_resort_surfaces();
  redraw();
}

}  // namespace

void view_realize() {
  view.view_scale = 1.0;
  view.expand_factor = 1.0;
  view.camera_x = view.camera_y = 0;
  glMatrixMode(GL_MODELVIEW);
  mvm = current_modelview();
}

void view_configure(int width, int height) {
  view.screen_width = width;
  view.screen_height = height;
  set_scale();
}

void set_scale() {
  compute_field_sizes();
  load_projection(view.half_width, view.half_height, view.camera_x, view.camera_y, 2.0 * view.z_half);
  glViewport(0, 0, view.screen_width, view.screen_height);
}

void change_scale(int k) {
  if (step_view_scale(k)) set_scale();
}

void center_camera(double x, double y) {
  view.camera_x = -x;
  view.camera_y = -y;
  set_scale();
  redraw();
}

void pan_camera(double d, bool horizontal) {
  (horizontal ? view.camera_x : view.camera_y) += d;
  set_scale();
  redraw();
}

void view_button_press(int ex, int ey) {
  normalised_pointer(ex, ey, view.screen_width, view.screen_height, view.last_x, view.last_y);
}

view_motion_t view_motion(int button, bool control, int ex, int ey) {
  view_motion_t r;
  if (button == 3 && !drag_rubber_band(ex, ey)) return r;
  double x, y;
  normalised_pointer(ex, ey, view.screen_width, view.screen_height, x, y);
  if (button == 1 && !control) {
    rotate_by_drag(x, y);
  } else if (button == 1) {
    r.expand = expand_by_drag(x, y);
  } else if (button == 2) {
    zoom_by_drag(x, y);
  }
  view.last_x = x;
  view.last_y = y;
  r.redraw = true;
  return r;
}

void view_button_release() {
  view.rubber_band = false;
  redraw();
}

void page_depth_step(int dir) {
  glMatrixMode(GL_MODELVIEW);
  glTranslated(0.0, 0.0, 0.1 * dir);
  redraw();
}

void step_geometry(int step) {
  if (n_geometries() == 0) return;
  igeo = std::clamp(igeo + step, 0, n_geometries() - 1);
  show_geometry();
  redraw();
}

void mivor_gtk_move_light_state() {
  Input_Data.move_light = !Input_Data.move_light;
  glMatrixMode(GL_MODELVIEW);
  if (Input_Data.move_light) {
    view.saved_matrix = current_modelview();
  } else {
    glLoadMatrixd(view.saved_matrix.data());
  }
  redraw();
}

void ViewPoint(int mode) {
  if (mode == 1) {
    restore_viewpoint();
  } else {
    save_viewpoint();
  }
}

void animate(void* /*ignored*/) {
  if (n_geometries() < 2) {
    glMatrixMode(GL_MODELVIEW);
    glRotated(0.5, 0.5, 0.5, 1.0);
  } else {
    // The last geometry ends the play: the timer stops after this step.
    if (igeo >= n_geometries() - 1) Input_Data.animate = 0;
    igeo = std::min(igeo + 1, n_geometries() - 1);
    show_geometry();
  }
  redraw();
}
