// Turning, zooming, picking and marking with the mouse.
#include <gtest/gtest.h>

#include <cmath>

#include "gui/viewer.h"
#include "molecule/mol_data.h"
#include "render/view.h"
#include "ui/main_window.h"

namespace {

// Five helium atoms in a row, 1.5 Å apart.
const char row_of_five[] = "5\nrow\nHe -3 0 0\nHe -1.5 0 0\nHe 0 0 0\nHe 1.5 0 0\nHe 3 0 0\n <END>\n";

class Mouse : public ::testing::Test {
 protected:
  void SetUp() override { viewer.open(viewer.dir().write("work/row.mvr", row_of_five)); }
  std::array<int, 2> atom(int i) {
    const auto p = viewer.project(m->xyz[size_t(i)][0], m->xyz[size_t(i)][1], m->xyz[size_t(i)][2]);
    return {int(std::lround(p[0])), int(std::lround(p[1]))};
  }
  void click_atom(int button, int i) { viewer.click(button, atom(i)[0], atom(i)[1]); }
  Viewer& viewer = Viewer::get();
};

// glRotated(angle, axis) × m, column-major.
std::array<double, 16> rotated(double angle, std::array<double, 3> a, const std::array<double, 16>& m) {
  const double n = std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]);
  const double x = a[0] / n, y = a[1] / n, z = a[2] / n;
  const double c = std::cos(angle * M_PI / 180), s = std::sin(angle * M_PI / 180), t = 1 - c;
  const double r[3][3] = {{t * x * x + c, t * x * y - s * z, t * x * z + s * y},
                          {t * x * y + s * z, t * y * y + c, t * y * z - s * x},
                          {t * x * z - s * y, t * y * z + s * x, t * z * z + c}};
  std::array<double, 16> out = m;
  for (int col = 0; col < 4; ++col)
    for (int row = 0; row < 3; ++row)
      out[size_t(col * 4 + row)] =
          r[row][0] * m[size_t(col * 4)] + r[row][1] * m[size_t(col * 4 + 1)] + r[row][2] * m[size_t(col * 4 + 2)];
  return out;
}

TEST_F(Mouse, LeftDragTurnsTheSceneByTheTrackballRule) {
  const std::array<double, 16> before = viewer.modelview();
  const int w = viewer.width(), h = viewer.height();
  viewer.drag(1, {{150, 150}, {180, 130}});
  // Normalised points, y up: p0 = (0, 0, 1), p1 = (2·180/w − 1, 2·(h − 130)/h − 1, 1).
  const double x0 = 2.0 * 150 / w - 1, y0 = 2.0 * (h - 150) / h - 1;
  const double x1 = 2.0 * 180 / w - 1, y1 = 2.0 * (h - 130) / h - 1;
  const std::array<double, 3> axis = {y0 - y1, x1 - x0, x0 * y1 - y0 * x1};
  const double a2 = axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2];
  const double angle = 57.29577951308232 * std::sqrt(a2 * (x0 * x0 + y0 * y0 + 1) / (x1 * x1 + y1 * y1 + 1));
  const std::array<double, 16> expected = rotated(angle, axis, before);
  const std::array<double, 16> after = viewer.modelview();
  for (size_t k = 0; k < 16; ++k) EXPECT_NEAR(after[k], expected[k], 1e-6) << k;  // GL keeps floats
}

TEST_F(Mouse, MiddleDragZoomsOnlyWhenMainlyHorizontal) {
  viewer.move(100, 150);
  viewer.press(2);
  // A middle press does not take the pointer as the start: the first step
  // counts from where the last drag ended.
  viewer.move(105, 150);
  const double scale = view.view_scale;
  for (int x : {110, 120, 130}) viewer.move(x, 150 + x % 3);
  EXPECT_NEAR(view.view_scale, scale * 1.02 * 1.02 * 1.02, 1e-12);
  viewer.move(120, 150);
  EXPECT_NEAR(view.view_scale, scale * 1.02 * 1.02, 1e-12);
  viewer.move(125, 170);
  EXPECT_NEAR(view.view_scale, scale * 1.02 * 1.02, 1e-12);
  viewer.release(2);
}

TEST_F(Mouse, FieldFollowsTheShapeOfTheDrawingArea) {
  view.z_half = 5;
  view.view_scale = 1;
  gtk_widget_set_size_request(drawingarea, 400, 600);
  viewer.settle(300);
  EXPECT_EQ(viewer.width(), 400);
  EXPECT_DOUBLE_EQ(view.half_width * 2, 5);
  EXPECT_DOUBLE_EQ(view.half_height * 2, 7.5);
  gtk_widget_set_size_request(drawingarea, 600, 400);
  gtk_window_resize(GTK_WINDOW(window), 1, 1);
  viewer.settle(300);
  EXPECT_DOUBLE_EQ(view.half_width * 2, 7.5);
  EXPECT_DOUBLE_EQ(view.half_height * 2, 5);
  gtk_widget_set_size_request(drawingarea, 300, 300);
  gtk_window_resize(GTK_WINDOW(window), 1, 1);
  viewer.settle(300);
}

TEST_F(Mouse, LeftClicksSelectUpToFourAtomsOnce) {
  for (int i : {0, 0, 1, 2, 3, 4}) click_atom(1, i);
  EXPECT_EQ(m->n_selected, 4);
  EXPECT_EQ(m->selected, (std::array<int, 4>{0, 1, 2, 3}));
  // The first selected atom wears a blue ring, the others a magenta one.
  const auto p = atom(0);
  bool blue = false;
  for (int dx = -30; dx <= 30 && !blue; ++dx) blue = near_color(viewer.pixel(p[0] + dx, p[1]), 0, 0, 255, 30);
  EXPECT_TRUE(blue);
}

TEST_F(Mouse, RightClickTogglesMarksAndMiddleClearsSelectionThenMarks) {
  click_atom(3, 1);
  click_atom(3, 2);
  click_atom(3, 1);
  EXPECT_EQ(m->marked, (std::vector<int>{2}));
  click_atom(1, 4);
  viewer.click(2, 5, 5);
  EXPECT_EQ(m->n_selected, 0);
  EXPECT_EQ(m->n_marked(), 1);
  viewer.click(2, 5, 5);
  EXPECT_EQ(m->n_marked(), 0);
}

TEST_F(Mouse, RightDragMarksTheAtomsInsideTheRectangle) {
  const auto a = atom(1), b = atom(3);
  viewer.drag(3, {{a[0] - 10, a[1] - 20}, {a[0] - 8, a[1] - 18}, {b[0] + 10, b[1] + 20}});
  EXPECT_EQ(m->marked, (std::vector<int>{1, 2, 3}));
}

}  // namespace
