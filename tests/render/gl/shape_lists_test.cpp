// Spheres from the unit-shape lists: small ones take fewer facets, and a
// zoom that makes them larger compiles the scene again, so the picture is
// the one a fresh compilation at that zoom gives. Back faces are culled
// where they can never show.
#include "render/gl/shape_lists.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "molecule/elements.h"
#include "molecule/mol_data.h"
#include "molecule/settings.h"
#include "render/gl/gl_scene_output.h"
#include "render/gl/offscreen_context.h"
#include "render/gl/scene_gl.h"
#include "render/gl/shape_meshes.h"
#include "render/scene.h"
#include "support/recording_notifier.h"

namespace {

constexpr int size = 120;

// An orthographic view of ±half around the origin on the whole frame.
void look(double half) {
  glViewport(0, 0, size, size);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-half, half, -half, half, -50, 50);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

std::vector<unsigned char> frame_pixels() {
  std::vector<unsigned char> p(static_cast<size_t>(size) * size * 4);
  glReadPixels(0, 0, size, size, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
  return p;
}

// The lists of the default subdivision, for the current context.
shape_lists_t prepared_lists() {
  shape_lists_t lists;
  GLUquadric* quadric = gluNewQuadric();
  lists.prepare(quadric, 15, 15);
  gluDeleteQuadric(quadric);
  return lists;
}

TEST(ShapeLists, SmallSpheresTakeFewerFacetsUntilAZoomMakesThemLarger) {
  EXPECT_EQ(reduced_quality(10, 15, 15), std::make_pair(15, 15));
  EXPECT_EQ(reduced_quality(1.5, 15, 15), std::make_pair(10, 7));
  EXPECT_EQ(reduced_quality(0.5, 15, 15), std::make_pair(6, 4));
  EXPECT_EQ(reduced_quality(0.5, 5, 4), std::make_pair(5, 4));  // never more than asked for

  OffscreenContext context;
  OffscreenFramebuffer frame(size, size);
  if (!context || !frame) GTEST_SKIP() << "no offscreen OpenGL context";
  reset_core_state();
  use_builtin_element_table();
  new_mol(1);
  allocate_atoms(*m, 1);
  set_atom_symbol(*m, 0, "C");
  m->xyz[0] = {0, 0, 0};
  scene_realize();

  // 120 pixels on 200 Å: the atom (radius 0.28 Å) covers a fraction of a
  // pixel and is reduced; on 2 Å it covers 17 pixels and is not.
  look(100);
  {
    shape_lists_t lists = prepared_lists();
    GlSceneOutput small(&lists);
    EXPECT_NEAR(small.pixels_per_unit(), 0.6, 1e-6);
    small.sphere({0, 0, 0}, 0.28, 15, 15, true);
    EXPECT_NEAR(small.largest_reduced_pixels(), 0.168, 1e-6);
    look(1);
    GlSceneOutput large(&lists);
    large.sphere({0, 0, 0}, 0.28, 15, 15, true);
    EXPECT_EQ(large.largest_reduced_pixels(), 0);
    lists.release();
  }

  // Compiled far away, then zoomed in and only replayed: the replay is the
  // picture of a list compiled at the zoom.
  look(100);
  scene_state.rebuild = 1;
  scene_expose(size, size, nullptr);
  look(1);
  scene_expose(size, size, nullptr);
  const std::vector<unsigned char> replayed = frame_pixels();
  scene_state.rebuild = 1;
  scene_expose(size, size, nullptr);
  EXPECT_EQ(replayed, frame_pixels());
  // The scene leaves back faces drawn for what is drawn after it.
  EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
  scene_delete_list();
  reset_core_state();
}

// Back faces are culled for opaque filled spheres that write depth only:
// a sphere seen through, or drawn without depth, shows its inside, and the
// open ends of cylinders and any vertex batch draw both sides.
TEST(ShapeLists, OnlyOpaqueSpheresHaveTheirBackFacesCulled) {
  OffscreenContext context;
  OffscreenFramebuffer frame(size, size);
  if (!context || !frame) GTEST_SKIP() << "no offscreen OpenGL context";
  look(1);
  glDisable(GL_CULL_FACE);
  GlSceneOutput out;
  glEnable(GL_BLEND);
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
  // While back faces are culled, nothing is blended and only front faces
  // are lit; otherwise both are as the scene set them.
  const auto culled_after = [&](auto draw) {
    draw();
    GLint two_sided = 0;
    glGetIntegerv(GL_LIGHT_MODEL_TWO_SIDE, &two_sided);
    const bool culled = glIsEnabled(GL_CULL_FACE) == GL_TRUE;
    EXPECT_EQ(glIsEnabled(GL_BLEND) == GL_TRUE, !culled);
    EXPECT_EQ(two_sided == GL_TRUE, !culled);
    return culled;
  };
  const auto sphere = [&] { out.sphere({0, 0, 0}, 0.5, 15, 15, true); };
  EXPECT_TRUE(culled_after(sphere));
  EXPECT_FALSE(culled_after([&] { out.cylinder({0, 0, 0}, {0, 0, 1}, 0.1, 0.1, 1, 15, 1, true); }));
  EXPECT_TRUE(culled_after(sphere));
  EXPECT_FALSE(culled_after([&] { out.sphere({0, 0, 0}, 0.5, 15, 15, false); }));
  EXPECT_TRUE(culled_after(sphere));
  EXPECT_FALSE(culled_after([&] {
    out.begin(PrimitiveKind::triangles);
    out.end();
  }));
  out.color({1, 0, 0, 0.5f}, true);
  EXPECT_FALSE(culled_after(sphere));
  out.color({1, 0, 0, 0.5f}, false);  // the colour's alpha not used: opaque
  EXPECT_TRUE(culled_after(sphere));
  out.depth_mask(false);
  EXPECT_FALSE(culled_after(sphere));
  out.depth_mask(true);
  EXPECT_TRUE(culled_after(sphere));
  out.end_scene();
  EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
  EXPECT_TRUE(glIsEnabled(GL_BLEND));
}

// Colours are handed to OpenGL only when something is drawn with them, so
// that the placed shapes of a crowded list stay one run of vertices; each
// shape must still show the colour last set before it: placed spheres, a
// sphere from its list, and the vertices of a batch, which take the colours
// set between them. The list leaves the last colour current.
TEST(ShapeLists, EachShapeOfACompiledCrowdedSceneHasTheColourSetBeforeIt) {
  OffscreenContext context;
  OffscreenFramebuffer frame(size, size);
  if (!context || !frame) GTEST_SKIP() << "no offscreen OpenGL context";
  scene_gl_state();
  shape_lists_t lists = prepared_lists();
  look(6);
  const color_t red{1, 0, 0, 1}, green{0, 1, 0, 1}, blue{0, 0, 1, 1}, yellow{1, 1, 0, 1}, magenta{1, 0, 1, 1},
      cyan{0, 1, 1, 1};
  const GLuint list = glGenLists(1);
  glNewList(list, GL_COMPILE);
  {
    GlSceneOutput out(&lists, true);
    out.lighting(false);
    out.color(red, false);
    out.sphere({-4, 4, 0}, 0.45, 15, 15, true);  // placed
    out.color(green, false);
    out.color(blue, false);
    out.sphere({0, 0, 0}, 1.5, 15, 15, true);  // from its list
    out.begin(PrimitiveKind::lines);
    out.color(yellow, false);
    out.vertex({-5, -3.95, 0});
    out.vertex({-1, -3.95, 0});
    out.color(magenta, true);
    out.vertex({1, -3.95, 0});
    out.vertex({5, -3.95, 0});
    out.end();
    out.color(cyan, false);
    out.sphere({4, 4, 0}, 0.45, 15, 15, true);
    EXPECT_GT(out.largest_reduced_pixels(), 4);
  }
  glEndList();
  glColor4f(0.5f, 0.5f, 0.5f, 1);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glCallList(list);
  const std::vector<unsigned char> p = frame_pixels();
  const auto pixel = [&](double x, double y) {
    const size_t k = (static_cast<size_t>((y + 6) * size / 12) * size + static_cast<size_t>((x + 6) * size / 12)) * 4;
    return color_t{p[k] / 255.0f, p[k + 1] / 255.0f, p[k + 2] / 255.0f, 1};
  };
  const auto same = [](const color_t& a, const color_t& b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
  };
  EXPECT_TRUE(same(pixel(-4, 4), red));
  EXPECT_TRUE(same(pixel(0, 0), blue));
  EXPECT_TRUE(same(pixel(-3, -4), yellow));
  EXPECT_TRUE(same(pixel(3, -4), magenta));
  EXPECT_TRUE(same(pixel(4, 4), cyan));
  GLfloat current[4];
  glGetFloatv(GL_CURRENT_COLOR, current);
  EXPECT_TRUE(same({current[0], current[1], current[2], 1}, cyan));
  glDeleteLists(list, 1);
  lists.release();
}

// A lit sphere, bond and cone of `slices`, drawn by the GLU quadrics or
// from the unit meshes placed on the processor.
std::vector<unsigned char> shapes_drawn(bool placed, int slices) {
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glRotated(30, 1, 0.5, 0);
  GLUquadric* quadric = gluNewQuadric();
  const int stacks = std::max(3, (slices + 1) / 2);
  const double none[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  const color_t blue{0.2f, 0.6f, 0.9f, 1}, red{0.9f, 0.3f, 0.2f, 1};
  glEnable(GL_CULL_FACE);
  glColor4f(blue.red, blue.green, blue.blue, 1);
  if (placed) {
    draw_placed_mesh(unit_sphere_mesh(slices, stacks), 0.45, 0.45, none, {-0.4, 0.2, 0}, blue);
  } else {
    glPushMatrix();
    glTranslated(-0.4, 0.2, 0);
    gluSphere(quadric, 0.45, slices, stacks);
    glPopMatrix();
  }
  glDisable(GL_CULL_FACE);
  glColor4f(red.red, red.green, red.blue, 1);
  // A bond along a turned axis, and a cone.
  for (const bool cone : {false, true}) {
    const double angle = cone ? 75 : 130, ax = cone ? 0.3 : -0.6, ay = cone ? -1 : 0.5;
    const double radius = cone ? 0.3 : 0.2, length = cone ? 0.5 : 1.1;
    if (placed) {
      double turn[9];
      rotation_of(angle, ax, ay, turn);
      draw_placed_mesh(unit_cylinder_mesh(cone, slices, 1), radius, length, turn, {-0.4, 0.2, 0}, red);
    } else {
      glPushMatrix();
      glTranslated(-0.4, 0.2, 0);
      glRotated(angle, ax, ay, 0);
      gluCylinder(quadric, radius, cone ? 0 : radius, length, slices, 1);
      glPopMatrix();
    }
  }
  gluDeleteQuadric(quadric);
  glLoadIdentity();
  return frame_pixels();
}

// The small shapes of a crowded scene take fewer facets and are drawn from
// unit meshes placed on the processor: those draw the quadrics' picture to
// the pixel (same vertices, normals, winding and cut of each quad), at every
// subdivision; and such a scene is drawn from them.
TEST(ShapeLists, ACrowdedSceneDrawsItsSmallShapesAsTheQuadricsWouldFromPlacedVertices) {
  EXPECT_EQ(reduced_quality(20, 15, 15, true), std::make_pair(15, 15));
  EXPECT_EQ(reduced_quality(8, 15, 15, true), std::make_pair(15, 15));  // would need 13: its list
  EXPECT_EQ(reduced_quality(4.5, 15, 15, true), std::make_pair(10, 5));
  EXPECT_EQ(reduced_quality(0.2, 15, 15, true), std::make_pair(4, 3));
  EXPECT_EQ(reduced_quality(4.5, 8, 4, true), std::make_pair(8, 4));

  OffscreenContext context;
  OffscreenFramebuffer frame(size, size);
  if (!context || !frame) GTEST_SKIP() << "no offscreen OpenGL context";
  scene_gl_state();
  look(1);
  for (int slices : {4, 10, 15}) EXPECT_EQ(shapes_drawn(true, slices), shapes_drawn(false, slices)) << slices;

  // Far away, the atom of a crowded scene is reduced and drawn.
  shape_lists_t lists = prepared_lists();
  look(6);
  GlSceneOutput far(&lists, true);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  far.color({0.2f, 0.6f, 0.9f, 1}, false);
  far.sphere({0, 0, 0}, 0.45, 15, 15, true);
  far.end_scene();
  EXPECT_GT(far.largest_reduced_pixels(), 4);
  const std::vector<unsigned char> small = frame_pixels();
  int lit = 0;
  for (size_t k = 0; k < small.size(); k += 4) lit += small[k] || small[k + 1] || small[k + 2];
  EXPECT_GT(lit, 40);
  lists.release();
}

}  // namespace
