// The scene list in OpenGL: realisation state, compile-or-replay on expose,
// the vibration tick and the rubber-band rectangle.
#include "render/gl/scene_gl.h"

#include <GL/gl.h>

#include "molecule/mol_data.h"
#include "molecule/notify.h"
#include "molecule/settings.h"
#include "render/colors.h"
#include "render/gl/gl_scene_output.h"
#include "render/gl/shape_lists.h"
#include "render/scene.h"
#include "render/scene_geometry.h"
#include "render/view.h"

namespace {

// The scene list, the lists of the unit shapes it calls, and the view it
// was compiled for: pixels per unit of length then, and the radius in
// pixels of the largest shape given fewer facets (0 when none).
struct scene_gl_state_t {
  GLuint list = 0;
  shape_lists_t shapes;
  double pixels_per_unit = 0, largest_reduced = 0;
  bool crowded = false;
};
scene_gl_state_t gl_state;

// Light 0 and the initial material.
void set_lighting() {
  const GLfloat position[] = {-0.5f, -0.5f, 1.0f, 0.0f};
  const GLfloat ambient[] = {0.1f, 0.1f, 0.1f, 1.0f};
  const GLfloat diffuse[] = {0.7f, 0.7f, 0.7f, 1.0f};
  const GLfloat specular[] = {0.2f, 0.2f, 0.2f, 1.0f};
  const GLfloat material_specular[] = {1.0f, 1.0f, 1.0f, 1.0f};
  // The light direction is given in eye space.
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glLightfv(GL_LIGHT0, GL_POSITION, position);
  glPopMatrix();
  glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
  glLightfv(GL_LIGHT0, GL_SPECULAR, specular);
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  glEnable(GL_COLOR_MATERIAL);
  glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, material_specular);
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 64.0f);
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
}

}  // namespace

void clear_scene_background() {
  const color_t& bg = Input_Data.background_color;
  if (Input_Data.grayscale) {
    const float g = grayscale(bg.red, bg.green, bg.blue);
    glClearColor(g, g, g, 0.0f);
  } else {
    glClearColor(bg.red, bg.green, bg.blue, bg.alpha);
  }
  glClearDepth(1.0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void scene_gl_state() {
  set_lighting();
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_CULL_FACE);
  glEnable(GL_NORMALIZE);
  glShadeModel(GL_SMOOTH);
}

void scene_realize() {
  scene_gl_state();
  // Lists of an earlier context are not this one's.
  gl_state.shapes.forget();
  gl_state.list = glGenLists(1);
  scene_state.rebuild = 1;
}

unsigned int get_list_3d() { return gl_state.list; }

void mivor_draw_3d() {
  if (!m) return;
  if (!gl_state.list) {
    GlSceneOutput out;
    draw_scene(out);
    return;
  }
  if (GLUquadric* quadric = gluNewQuadric()) {
    gl_state.shapes.prepare(quadric, scene_state.slices, scene_state.stacks);
    gluDeleteQuadric(quadric);
  }
  const bool crowded = m->natom() >= crowded_scene_atoms;
  GlSceneOutput out(&gl_state.shapes, crowded);
  // Compiled, then called: compiling and executing at once costs a software
  // renderer a quarter more, and the traversal reads back no state that the
  // list would change (its transforms are undone shape by shape).
  glNewList(gl_state.list, GL_COMPILE);
  draw_scene(out);
  out.end_scene();
  glEndList();
  glCallList(gl_state.list);
  gl_state.pixels_per_unit = out.pixels_per_unit();
  gl_state.largest_reduced = out.largest_reduced_pixels();
  gl_state.crowded = crowded;
}

namespace {

// Whether the view has been zoomed in so far that shapes given fewer facets
// now show them: the list is then compiled anew (zooming in on a large
// molecule).
bool zoomed_past_reduced_shapes() {
  if (!(gl_state.largest_reduced > 0) || !(gl_state.pixels_per_unit > 0)) return false;
  const double zoom = current_pixels_per_unit() / gl_state.pixels_per_unit;
  return gl_state.crowded ? zoom >= zoom_for_more_facets : gl_state.largest_reduced * zoom >= small_shape_pixels;
}

}  // namespace

void scene_expose(int W, int H, void (*draw_2d)(int, int)) {
  glMatrixMode(GL_MODELVIEW);
  clear_scene_background();
  // Light-moving mode: the mouse turns the current matrix, which places the
  // light; the scene itself stays in the orientation frozen in saved_matrix.
  const bool moving_light = Input_Data.move_light != 0;
  if (moving_light) {
    const GLfloat position[] = {0.0f, 0.0f, 1.0f, 0.0f};
    glPushMatrix();
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glLoadMatrixd(view.saved_matrix.data());
  }
  if (scene_state.rebuild || zoomed_past_reduced_shapes()) {
    mivor_draw_3d();
    scene_state.rebuild = 0;
  } else if (gl_state.list && glIsList(gl_state.list)) {
    glCallList(gl_state.list);
  }
  if (draw_2d) draw_2d(W, H);
  if (moving_light) glPopMatrix();
  glFlush();
}

void scene_delete_list() {
  if (gl_state.list) glDeleteLists(gl_state.list, 1);
  gl_state.list = 0;
  gl_state.shapes.release();
}

bool vibration_tick() {
  scene_state.rebuild = 1;
  redraw();
  return m && m->nvibr() > 0;
}

void draw_rectangle(int W, int H) {
  if (W <= 0 || H <= 0) return;
  const double w = view.half_width, h = view.half_height;
  // Window pixels (y down) to the view plane at z = 0.
  auto to_x = [&](int px) { return px * 2.0 * w / W - w - view.camera_x; };
  auto to_y = [&](int py) { return (1.0 - py * 2.0 / H) * h - view.camera_y; };
  const double x0 = to_x(view.x0), y0 = to_y(view.y0), x1 = to_x(view.x1), y1 = to_y(view.y1);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  const color_t c = scene_color({0, 1, 1, 1});
  glColor4f(c.red, c.green, c.blue, c.alpha);
  glBegin(GL_LINES);
  const double corners[5][2] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}, {x0, y0}};
  for (int k = 0; k < 4; ++k) {
    glVertex3d(corners[k][0], corners[k][1], 0);
    glVertex3d(corners[k + 1][0], corners[k + 1][1], 0);
  }
  glEnd();
  glPopMatrix();
}
