// The OpenGL side of the scene traversal: material presets, colours,
// spheres and cylinders, and vertex batches.
#include "render/gl/gl_scene_output.h"

#include <GL/gl.h>

#include <cmath>

#include "render/scene_geometry.h"

namespace {

struct material_t {
  GLfloat ambient[4], diffuse[4], specular[4];
  GLfloat shininess;
};

// Presets 1 to 5 of the atom material.
constexpr material_t material_presets[5] = {
    {{0.7f, 0.7f, 0.4f, 0.5f}, {0.8f, 0.7f, 0.4f, 0.5f}, {0.8f, 0.7f, 0.4f, 0.5f}, 40},
    {{0.2f, 0.1f, 0.1f, 0.5f}, {0.2f, 0.1f, 0.0f, 0.5f}, {0.5f, 0.5f, 0.5f, 0.5f}, 40},
    {{0.1f, 0.1f, 0.1f, 1}, {0.6f, 0.6f, 0.6f, 1}, {0.25f, 0.25f, 0.25f, 1}, 100},
    {{0.24f, 0.2f, 0.07f, 1}, {0.75f, 0.61f, 0.22f, 1}, {0.32f, 0.25f, 0.17f, 1}, 40},
    {{0.7f, 0.7f, 0.4f, 0.5f}, {0.8f, 0.7f, 0.4f, 0.5f}, {0.8f, 0.7f, 0.4f, 0.5f}, 100},
};

GLenum gl_mode(PrimitiveKind kind) {
  switch (kind) {
    case PrimitiveKind::lines:
      return GL_LINES;
    case PrimitiveKind::line_strip:
      return GL_LINE_STRIP;
    case PrimitiveKind::line_loop:
      return GL_LINE_LOOP;
    case PrimitiveKind::polygon:
      return GL_POLYGON;
    case PrimitiveKind::triangles:
      return GL_TRIANGLES;
    case PrimitiveKind::quads:
      break;
  }
  return GL_QUADS;
}

// A proper scale: one with an inverse to turn the normals with.
bool proper_scale(double sxy, double sz) { return sxy > 0 && sz > 0 && std::isfinite(sxy) && std::isfinite(sz); }

}  // namespace

double current_pixels_per_unit() {
  GLdouble mv[16], pr[16];
  GLint viewport[4];
  glGetDoublev(GL_MODELVIEW_MATRIX, mv);
  glGetDoublev(GL_PROJECTION_MATRIX, pr);
  glGetIntegerv(GL_VIEWPORT, viewport);
  const double scale = std::sqrt(mv[0] * mv[0] + mv[1] * mv[1] + mv[2] * mv[2]);
  const double s = viewport[2] / 2.0 * std::fabs(pr[0]) * scale;
  return std::isfinite(s) ? s : 0.0;
}

GlSceneOutput::GlSceneOutput(const shape_lists_t* lists, bool crowded)
    : lists_(lists),
      crowded_(crowded),
      pixels_per_unit_(lists ? current_pixels_per_unit() : 0.0),
      quadric_(gluNewQuadric()) {}

bool GlSceneOutput::call_shape(unit_shape shape, int slices, int stacks, bool filled, double sxy, double sz) {
  if (!lists_ || !proper_scale(sxy, sz)) return false;
  const GLuint list = lists_->find(shape, slices, stacks, filled);
  if (!list) return false;
  glScaled(sxy, sxy, sz);
  glCallList(list);
  return true;
}

bool GlSceneOutput::placed(bool filled, int slices, int stacks) const {
  return crowded_ && lists_ && filled && slices <= placed_mesh_slices && stacks <= placed_mesh_slices;
}

std::pair<int, int> GlSceneOutput::quality(double radius, int slices, int stacks) {
  const double pixels = radius * pixels_per_unit_;
  const std::pair<int, int> q = reduced_quality(pixels, slices, stacks, crowded_);
  if (q != std::make_pair(slices, stacks) && pixels > largest_reduced_) largest_reduced_ = pixels;
  return q;
}

GlSceneOutput::~GlSceneOutput() {
  end_scene();
  if (quadric_) gluDeleteQuadric(quadric_);
}

// Only front faces are drawn while culling, and only of opaque shapes: one
// colour per vertex is lit instead of both faces', and nothing is blended
// (an opaque colour would replace what is behind it anyway). Out of it the
// scene's own state, two-sided lighting and blending, comes back.
void GlSceneOutput::set_culling(bool on) {
  if (on == culling_) return;
  culling_ = on;
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, on ? GL_FALSE : GL_TRUE);
  if (on) {
    glEnable(GL_CULL_FACE);
    glDisable(GL_BLEND);
  } else {
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
  }
}

// The colour is given to OpenGL only when something is drawn with it: a
// colour set between two shapes in a compiled list would end the run of
// vertices before it, and every run is a draw of its own when the list is
// replayed (a placed mesh carries its colour in its vertices).
void GlSceneOutput::give_color() {
  if (!color_pending_) return;
  color_pending_ = false;
  glColor4f(color_.red, color_.green, color_.blue, color_.alpha);
}

void GlSceneOutput::end_scene() {
  give_color();
  set_culling(false);
}

void GlSceneOutput::material_preset(int style) {
  if (style < 1 || style > 5) return;
  // The colour set before the preset is overwritten by it, as it would be
  // if it had been given at once.
  give_color();
  const material_t& mat = material_presets[style - 1];
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, mat.ambient);
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, mat.diffuse);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, mat.specular);
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, mat.shininess);
}

void GlSceneOutput::color(const color_t& c, bool with_alpha) {
  opaque_ = !with_alpha || !(c.alpha < 1);
  color_ = with_alpha ? c : color_t{c.red, c.green, c.blue, 1};
  color_pending_ = true;
  // Within a batch it is the colour of the vertices that follow.
  if (in_batch_) give_color();
}

void GlSceneOutput::lighting(bool on) {
  if (on)
    glEnable(GL_LIGHTING);
  else
    glDisable(GL_LIGHTING);
}

void GlSceneOutput::depth_mask(bool on) {
  depth_written_ = on;
  glDepthMask(on ? GL_TRUE : GL_FALSE);
}

namespace {

constexpr double no_rotation[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};

}  // namespace

void GlSceneOutput::sphere(const vec3& centre, double radius, int slices, int stacks, bool filled) {
  if (!quadric_) return;
  const auto [sl, st] = lists_ && filled ? quality(radius, slices, stacks) : std::make_pair(slices, stacks);
  // The inside of a closed opaque sphere is always hidden behind its
  // outside: its back faces are dropped before they are rasterised (a
  // quarter of a large frame's time on a software renderer). Not when it is
  // seen through or doesn't write depth.
  // Culling stays on from one such sphere to the next.
  set_culling(filled && opaque_ && depth_written_);
  if (placed(filled, sl, st) && proper_scale(radius, radius)) {
    draw_placed_mesh(meshes_.sphere(sl, st), radius, radius, no_rotation, centre, color_);
    color_pending_ = false;
    return;
  }
  give_color();
  glPushMatrix();
  glTranslated(centre[0], centre[1], centre[2]);
  if (!call_shape(unit_shape::sphere, sl, st, filled, radius, radius)) {
    gluQuadricDrawStyle(quadric_, filled ? GLU_FILL : GLU_LINE);
    gluSphere(quadric_, radius, slices, stacks);
  }
  glPopMatrix();
}

void GlSceneOutput::cylinder(const vec3& start, const vec3& toward, double base_radius, double top_radius,
                             double length, int slices, int stacks, bool filled) {
  if (!quadric_) return;
  double angle, ax, ay, distance;
  CalcCyllinder(start, toward, angle, ax, ay, distance);
  // Along a filled cylinder or cone the normals do not change, so one stack
  // shades exactly as many do; in line style the stacks are visible rings.
  const int rings = filled ? 1 : stacks;
  // Only through its open ends could the inside of a tube be seen; a closed
  // one's back faces are always hidden behind its front faces, like a
  // sphere's.
  set_culling(closed_cylinders_ && filled && opaque_ && depth_written_);
  const bool unit = top_radius == base_radius || top_radius == 0;
  const bool cone = top_radius == 0;
  // A thin bond shades across its width: it keeps its slices unless the
  // scene is crowded.
  const int sl = crowded_ && lists_ && filled ? quality(base_radius, slices, rings).first : slices;
  if (unit && placed(filled, sl, rings) && proper_scale(base_radius, length)) {
    double rotation[9];
    rotation_of(angle, ax, ay, rotation);
    draw_placed_mesh(meshes_.cylinder(cone, sl, rings), base_radius, length, rotation, start, color_);
    color_pending_ = false;
    return;
  }
  give_color();
  glPushMatrix();
  glTranslated(start[0], start[1], start[2]);
  glRotated(angle, ax, ay, 0);
  if (!unit ||
      !call_shape(cone ? unit_shape::cone : unit_shape::cylinder, slices, rings, filled, base_radius, length)) {
    gluQuadricDrawStyle(quadric_, filled ? GLU_FILL : GLU_LINE);
    gluCylinder(quadric_, base_radius, top_radius, length, slices, rings);
  }
  glPopMatrix();
}

void GlSceneOutput::begin(PrimitiveKind kind) {
  set_culling(false);
  give_color();
  in_batch_ = true;
  glBegin(gl_mode(kind));
}

void GlSceneOutput::normal(const vec3& n) { glNormal3d(n[0], n[1], n[2]); }

void GlSceneOutput::vertex(const vec3& p) { glVertex3d(p[0], p[1], p[2]); }

void GlSceneOutput::end() {
  in_batch_ = false;
  glEnd();
}

std::array<double, 16> GlSceneOutput::modelview() const {
  std::array<double, 16> mv{};
  glGetDoublev(GL_MODELVIEW_MATRIX, mv.data());
  return mv;
}
