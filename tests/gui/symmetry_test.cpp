// The "Symmetry" page and the symmetry keys in the real window.
#include <gtest/gtest.h>

#include <cmath>

#include "document/undo.h"
#include "gui/viewer.h"
#include "molecule/mol_data.h"
#include "molecule/settings.h"
#include "render/view.h"
#include "ui/widgets.h"

namespace {

// Water in the xz plane, two-fold axis along z.
const char water[] = "3\nwater\nO 0 0 0.1173\nH 0.7572 0 -0.4692\nH -0.7572 0 -0.4692\n <END>\n";

class Symmetry : public ::testing::Test {
 protected:
  void SetUp() override {
    Input_Data.background_color = {1, 1, 1, 0};
    Input_Data.auto_rebond = 0;
    viewer.open(viewer.dir().write("work/water.mvr", water));
  }
  void click_atom(int i) {
    const vec3& p = m->xyz[static_cast<size_t>(i)];
    const auto w = viewer.project(p[0], p[1], p[2]);
    viewer.click(1, int(std::lround(w[0])), int(std::lround(w[1])));
  }
  std::string status() { return statusbar_text(statusbar2); }
  Viewer& viewer = Viewer::get();
};

TEST_F(Symmetry, TheSymmetryButtonDrawsThePlanesAndTheAxisOfWater) {
  ASSERT_NE(vbox_symmetry, nullptr);
  EXPECT_TRUE(gtk_widget_is_sensitive(button_symmetry));
  EXPECT_FALSE(gtk_widget_is_sensitive(button_trans_symm));
  // Tilt the view so that planes through the z axis show as areas (the
  // drag starts away from the atoms, so it selects none).
  viewer.drag(1, {{40, 260}, {60, 240}, {80, 220}});
  ASSERT_EQ(m->n_selected, 0);
  const int corners[][2] = {{30, 150}, {270, 150}, {150, 30}, {150, 270}, {40, 40}, {260, 260}};
  int background = 0;
  for (const auto& c : corners) background += near_color(viewer.pixel(c[0], c[1]), 255, 255, 255, 0);
  ASSERT_GT(background, 0);
  const int snapshots = backup_count;

  gtk_notebook_set_current_page(GTK_NOTEBOOK(notebook), gtk_notebook_page_num(GTK_NOTEBOOK(notebook), vbox_symmetry));
  gtk_button_clicked(GTK_BUTTON(button_symmetry));
  viewer.settle();
  EXPECT_EQ(status(), "xy y ");
  EXPECT_EQ(backup_count, snapshots + 1);
  ASSERT_EQ(m->nsurf(), 2);
  EXPECT_EQ(m->deco->surf1[0], (vec3{1, 0, 1}));  // y = 0
  EXPECT_EQ(m->deco->surf1[1], (vec3{0, 1, 1}));  // x = 0
  ASSERT_EQ(m->nvector(), 1);
  EXPECT_EQ(m->deco->vector_start[0], (vec3{0, 0, -3}));
  EXPECT_EQ(m->deco->vector_end[0], (vec3{0, 0, 3}));
  // The planes now cover some of what was background.
  int still = 0;
  for (const auto& c : corners) still += near_color(viewer.pixel(c[0], c[1]), 255, 255, 255, 0);
  EXPECT_LT(still, background);
  EXPECT_EQ(gtk_button_get_label(GTK_BUTTON(button_symmetry)), std::string("apply symmetry"));
}

TEST_F(Symmetry, F8TranslatesShiftF8RotatesAndVSaysWhich) {
  click_atom(0);
  click_atom(1);
  ASSERT_EQ(m->n_selected, 2);
  // Two atoms: the translation and rotation buttons act, r is the bond length.
  EXPECT_TRUE(gtk_widget_is_sensitive(button_trans_symm));
  EXPECT_TRUE(gtk_widget_is_sensitive(button_c2));
  EXPECT_FALSE(gtk_widget_is_sensitive(button_symmetry));
  EXPECT_NEAR(gtk_adjustment_get_value(translation_magnitude), std::sqrt(0.7572 * 0.7572 + 0.5865 * 0.5865), 1e-9);
  EXPECT_EQ(Input_Data.translation_length, gtk_adjustment_get_value(translation_magnitude));

  viewer.key("v");
  EXPECT_EQ(status(), "symmetry operation: rotation");
  EXPECT_EQ(get_vec_rot(), 2);
  viewer.key("v");
  EXPECT_EQ(status(), "symmetry operation: translation");

  // F8: each atom moved by the O→H bond; the oxygen's image would sit on
  // the hydrogen and is dropped.
  viewer.key("F8");
  EXPECT_EQ(get_vec_rot(), 0);
  EXPECT_EQ(m->natom(), 5);
  EXPECT_EQ(status(), "Translation added 2 atoms");
  // Shift+F8: a half turn about the O–H axis; the new hydrogen on that
  // axis is its own image, the two others are new.
  viewer.key("F8", true);
  EXPECT_EQ(get_vec_rot(), 2);
  EXPECT_EQ(m->natom(), 7);
  EXPECT_EQ(status(), "Rotation added 2 atoms");
  EXPECT_EQ(m->n_selected, 2);
}

}  // namespace
