#include "render/view.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "edit/moves.h"
#include "molecule/decorations.h"
#include "support/recording_notifier.h"

namespace {

class View : public ::testing::Test {
 protected:
  void SetUp() override { reset_view_state(); }
  void TearDown() override { reset_view_state(); }
};

TEST_F(View, FieldFollowsTheWindowAspectWithTheSmallerSideSpanningZHalf) {
  view.z_half = 5;
  view.screen_width = 400, view.screen_height = 600;
  compute_field_sizes();
  EXPECT_DOUBLE_EQ(2 * view.half_width, 5.0);
  EXPECT_DOUBLE_EQ(2 * view.half_height, 7.5);
  view.screen_width = 600, view.screen_height = 400;
  compute_field_sizes();
  EXPECT_DOUBLE_EQ(2 * view.half_width, 7.5);
  EXPECT_DOUBLE_EQ(2 * view.half_height, 5.0);
  view.view_scale = 2;
  compute_field_sizes();
  EXPECT_DOUBLE_EQ(2 * view.half_height, 2.5);
}

TEST_F(View, ZoomStepsMultiplyResetAndIgnoreOtherValues) {
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(step_view_scale(1));
  EXPECT_NEAR(view.view_scale, 1.331, 1e-12);
  EXPECT_FALSE(step_view_scale(2));
  EXPECT_NEAR(view.view_scale, 1.331, 1e-12);
  EXPECT_TRUE(step_view_scale(-1));
  EXPECT_NEAR(view.view_scale, 1.21, 1e-12);
  EXPECT_TRUE(step_view_scale(0));
  EXPECT_EQ(view.view_scale, 1.0);
}

TEST_F(View, PointerIsNormalisedWithYUp) {
  double x, y;
  normalised_pointer(0, 0, 400, 600, x, y);
  EXPECT_DOUBLE_EQ(x, -1.0);
  EXPECT_DOUBLE_EQ(y, 1.0);
  normalised_pointer(300, 450, 400, 600, x, y);
  EXPECT_DOUBLE_EQ(x, 0.5);
  EXPECT_DOUBLE_EQ(y, -0.5);
}

TEST_F(View, TrackballAxisIsTheCrossProductAndAngleScalesWithTheLengths) {
  // p0 = (0.5, 0, 1), p1 = (0.5, 0.5, 1): axis (−0.5, 0, 0.25),
  // |a|² = 0.3125, |p0|² = 1.25, |p1|² = 1.5.
  const trackball_step_t s = trackball_rotation(0.5, 0, 0.5, 0.5);
  EXPECT_DOUBLE_EQ(s.axis[0], -0.5);
  EXPECT_DOUBLE_EQ(s.axis[1], 0.0);
  EXPECT_DOUBLE_EQ(s.axis[2], 0.25);
  EXPECT_NEAR(s.angle, 57.29577951308232 * std::sqrt(0.3125 * 1.25 / 1.5), 1e-12);
  // A small move from the centre turns by about the angle it subtends.
  EXPECT_NEAR(trackball_rotation(0, 0, 0.01, 0).angle, 0.5729, 1e-3);
  EXPECT_EQ(trackball_rotation(0.3, 0.3, 0.3, 0.3).angle, 0.0);
}

TEST_F(View, RotationSumRestartsOnlyAfterPassing45Degrees) {
  EXPECT_FALSE(accumulate_rotation(20));
  EXPECT_FALSE(accumulate_rotation(-25));  // absolute values add: 45 is not past
  EXPECT_TRUE(accumulate_rotation(0.5));
  EXPECT_EQ(view.rotation_sum, 0.0);
  EXPECT_FALSE(accumulate_rotation(30));
}

TEST_F(View, DragZoomsAndExpandsOnlyForMainlyHorizontalMoves) {
  EXPECT_DOUBLE_EQ(*drag_zoom_scale(0, 0, 0.1, 0.02, 1.0), 1.02);
  EXPECT_DOUBLE_EQ(*drag_zoom_scale(0.1, 0, 0, 0.02, 1.02), 1.0);
  EXPECT_FALSE(drag_zoom_scale(0, 0, 0.1, 0.05, 1.0));  // |dx| = 2|dy|
  EXPECT_FALSE(drag_zoom_scale(0, 0, 0.01, -0.3, 1.0));

  // Control-drag: a tenth of the horizontal move, negative to the left.
  EXPECT_DOUBLE_EQ(*drag_expand_factor(-0.2, 0.5, -0.1, 0.52), 0.01);
  EXPECT_DOUBLE_EQ(*drag_expand_factor(0.3, 0, 0.1, 0), -0.02);
  EXPECT_FALSE(drag_expand_factor(0, 0, 0.1, 0.05));
  EXPECT_FALSE(drag_expand_factor(0, 0, 0, 0));
}

// Parses `text` and counts the "unreadable line" messages it printed.
std::optional<viewpoint_t> parse_counting(const std::string& text, int& errors, const viewpoint_t& start = {}) {
  testing::internal::CaptureStdout();
  auto vp = parse_viewpoint(text, start);
  const std::string out = testing::internal::GetCapturedStdout();
  const std::string message = "Error during reading ViewPoint file\n";
  errors = 0;
  for (size_t at = out.find(message); at != std::string::npos; at = out.find(message, at + 1)) ++errors;
  return vp;
}

viewpoint_t sample_viewpoint() {
  viewpoint_t vp;
  vp.screen_width = 400, vp.screen_height = 600;
  vp.half_width = 2.5, vp.half_height = 3.75;
  vp.view_scale = 1.331;
  vp.z_depth = 10;
  vp.camera_x = 0.5, vp.camera_y = -0.25;
  for (size_t i = 0; i < 16; ++i) vp.matrix[i] = 0.25 * static_cast<double>(i) - 1.0;
  return vp;
}

TEST_F(View, ViewPointTextHasLabelsIndentedValuesAndTheMatrixInOpenGLOrder) {
  const std::string expected =
      "screen sizes\n"
      " 400.000000 600.000000\n"
      "field sizes\n"
      " 2.500000 3.750000\n"
      "scale\n"
      " 1.331000\n"
      "z_depth\n"
      " 10.000000\n"
      "camera position\n"
      " 0.500000 -0.250000\n"
      "matrix \n"
      "-1.000000 -0.750000 -0.500000 -0.250000\n"
      "0.000000 0.250000 0.500000 0.750000\n"
      "1.000000 1.250000 1.500000 1.750000\n"
      "2.000000 2.250000 2.500000 2.750000\n";
  EXPECT_EQ(viewpoint_text(sample_viewpoint()), expected);
}

void expect_same(const viewpoint_t& a, const viewpoint_t& b) {
  EXPECT_EQ(a.screen_width, b.screen_width);
  EXPECT_EQ(a.screen_height, b.screen_height);
  EXPECT_DOUBLE_EQ(a.half_width, b.half_width);
  EXPECT_DOUBLE_EQ(a.half_height, b.half_height);
  EXPECT_DOUBLE_EQ(a.view_scale, b.view_scale);
  EXPECT_DOUBLE_EQ(a.z_depth, b.z_depth);
  EXPECT_DOUBLE_EQ(a.camera_x, b.camera_x);
  EXPECT_DOUBLE_EQ(a.camera_y, b.camera_y);
  EXPECT_EQ(a.matrix, b.matrix);
}

TEST_F(View, ViewPointTextReadsBackAndIsUsable) {
  const viewpoint_t vp = sample_viewpoint();
  int errors;
  const auto back = parse_counting(viewpoint_text(vp), errors);
  ASSERT_TRUE(back);
  EXPECT_EQ(errors, 0);
  expect_same(*back, vp);
  EXPECT_TRUE(viewpoint_is_usable(*back));
}

TEST_F(View, ShortOrBrokenViewPointKeepsTheStartingValues) {
  int errors;
  EXPECT_FALSE(parse_counting("", errors));
  EXPECT_EQ(errors, 1);
  const viewpoint_t start = sample_viewpoint();
  // Only the first label: each of the 14 further reads fails and says so.
  auto vp = parse_counting("screen sizes\n", errors, start);
  ASSERT_TRUE(vp);
  EXPECT_EQ(errors, 14);
  expect_same(*vp, start);
  // Words where numbers belong change nothing; what follows still reads.
  std::string text = viewpoint_text(start);
  text.replace(text.find(" 1.331000"), 9, " zoom");
  vp = parse_counting(text, errors);
  ASSERT_TRUE(vp);
  EXPECT_EQ(errors, 0);
  EXPECT_EQ(vp->view_scale, 1.0);
  EXPECT_DOUBLE_EQ(vp->camera_y, -0.25);
  EXPECT_EQ(vp->matrix, start.matrix);
}

TEST_F(View, LinesLongerThanTheReadBufferAreReadInPieces) {
  // The numbers sit beyond the 63 bytes one read takes, so the screen-size
  // read sees only blanks and the rest of the line is taken as the next label.
  const std::string text = "screen sizes\n" + std::string(70, ' ') + "800 900\nfield sizes\n 1 2\n";
  int errors;
  const auto vp = parse_counting(text, errors);
  ASSERT_TRUE(vp);
  EXPECT_EQ(errors, 10);
  EXPECT_EQ(vp->screen_width, 0);
  EXPECT_EQ(vp->half_width, 0.0);
  EXPECT_EQ(vp->view_scale, 1.0);  // the " 1 2" line is read as the scale label
}

TEST_F(View, GarbageNeverCrashesAndUnusableValuesAreRecognised) {
  std::string junk;
  for (int i = 0; i < 5000; ++i) junk += static_cast<char>((i * 37 + 11) % 256);
  int errors;
  EXPECT_TRUE(parse_counting(junk, errors));
  EXPECT_TRUE(parse_counting(std::string(100000, '9'), errors));
  const auto huge = parse_counting("s\n 1e999 -1e300\nf\n nan inf\ns\n -1\nz\n 0\n", errors);
  ASSERT_TRUE(huge);
  EXPECT_EQ(huge->screen_width, 0);
  EXPECT_EQ(huge->screen_height, 0);
  EXPECT_FALSE(viewpoint_is_usable(*huge));

  viewpoint_t vp = sample_viewpoint();
  vp.screen_width = max_screen_size + 1;
  EXPECT_FALSE(viewpoint_is_usable(vp));
  vp = sample_viewpoint();
  vp.z_depth = 0;
  EXPECT_FALSE(viewpoint_is_usable(vp));
  vp = sample_viewpoint();
  vp.matrix[7] = std::numeric_limits<double>::quiet_NaN();
  EXPECT_FALSE(viewpoint_is_usable(vp));
}

class Moves : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_core_state();
    new_mol(1);
  }
  void TearDown() override { reset_core_state(); }
  void atoms(std::initializer_list<vec3> points) {
    allocate_atoms(*m, static_cast<int>(points.size()));
    m->xyz.assign(points);
  }
  vec3 center() {
    vec3 c;
    get_center(c[0], c[1], c[2]);
    return c;
  }
  RecordingNotifier told;
};

TEST_F(Moves, CenterIsTheMarkedAtomsThenAllAtomsThenDecorations) {
  EXPECT_EQ(center(), (vec3{0, 0, 0}));
  add_sphere(*m, {1, 2, 3}, 1.0);
  EXPECT_EQ(center(), (vec3{1, 2, 3}));
  add_vector(*m, {0, 0, 0}, {2, 0, 0});
  add_surface(*m, {9, 9, 9}, {9, 9, 9}, {9, 9, 9});  // planes don't count
  add_triangle(*m, {3, 0, 0}, {0, 3, 0}, {0, 0, 3});
  const vec3 c = center();
  EXPECT_DOUBLE_EQ(c[0], (1 + 1 + 0.9999999) / 3);
  EXPECT_DOUBLE_EQ(c[2], (3 + 0 + 0.9999999) / 3);

  atoms({{0, 0, 0}, {2, 0, 0}, {4, 4, 0}});
  EXPECT_EQ(center(), (vec3{2, 4.0 / 3, 0}));
  m->marked = {1, 2};
  EXPECT_EQ(center(), (vec3{3, 2, 0}));
}

TEST_F(Moves, TranslateMovesTheFirstSelectedAtomTheMarksOrEverything) {
  atoms({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}});
  add_sphere(*m, {1, 1, 1}, 1.0);
  m->grid.edit().origin = {5, 5, 5};
  m->n_selected = 2, m->selected = {2, 0, -1, -1};
  m->marked = {1};
  translate({0, 1, 0});
  EXPECT_EQ(m->xyz[2], (vec3{2, 1, 0}));
  EXPECT_EQ(m->xyz[0], (vec3{0, 0, 0}));
  EXPECT_EQ(m->xyz[1], (vec3{1, 0, 0}));

  m->n_selected = 0;
  translate({0, 0, 1});
  EXPECT_EQ(m->xyz[1], (vec3{1, 0, 1}));
  EXPECT_EQ(m->xyz[0], (vec3{0, 0, 0}));

  m->marked.clear();
  translate({1, 0, 0});
  EXPECT_EQ(m->xyz[0], (vec3{1, 0, 0}));
  EXPECT_EQ(m->deco.edit().sphere_center[0], (vec3{2, 1, 1}));
  EXPECT_EQ(m->grid.edit().origin, (vec3{6, 5, 5}));
  EXPECT_EQ(told.rebuilds, 3);
  EXPECT_EQ(told.redraws, 3);
}

TEST_F(Moves, OriginGoesToTheCentreTheSelectedAtomOrTheMidpointOfTwo) {
  atoms({{1, 1, 1}, {3, 1, 1}});
  add_cell(*m, {1, 1, 1}, {2, 1, 1}, {1, 2, 1}, {1, 1, 2});
  set_origin_molecule();
  EXPECT_EQ(m->xyz[0], (vec3{-1, 0, 0}));
  EXPECT_EQ(m->deco.edit().cell1[0], (vec3{-1, 0, 0}));
  m->n_selected = 1, m->selected = {1, -1, -1, -1};
  set_origin_molecule();
  EXPECT_EQ(m->xyz[1], (vec3{0, 0, 0}));
  m->xyz[1] = {0, 4, 0};
  m->n_selected = 2, m->selected = {0, 1, -1, -1};
  set_origin_molecule();
  EXPECT_EQ(m->xyz[0], (vec3{-1.0, -2.0, 0}));
}

}  // namespace
