// What the user sees in the drawing area and gets from the menus.
#include <gtest/gtest.h>

#include <cmath>

#include "document/open_close.h"
#include "gui/viewer.h"
#include "molecule/mol_data.h"
#include "molecule/settings.h"
#include "render/view.h"
#include "ui/main_window.h"
#include "ui/menus.h"

namespace {

// An oxygen and a nitrogen 3 Å apart on the x axis: not bonded.
const char two_atoms[] = "2\ntwo\nO -1.5 0 0\nN 1.5 0 0\n <END>\n";

class Window : public ::testing::Test {
 protected:
  void SetUp() override {
    Input_Data.grayscale = 0;
    Input_Data.background_color = {1, 1, 1, 0};
    viewer.open(viewer.dir().write("work/two.mvr", two_atoms));
  }
  Viewer& viewer = Viewer::get();
};

TEST_F(Window, SizeFlagGivesASquareDrawingAreaWithAtomsWhereTheProjectionPutsThem) {
  EXPECT_EQ(viewer.width(), 300);
  EXPECT_EQ(viewer.height(), 300);

  // Centred on the pair: oxygen left, nitrogen right, mirror images.
  const auto o = viewer.project(-1.5, 0, 0), n = viewer.project(1.5, 0, 0);
  EXPECT_NEAR(o[0] + n[0], 300, 1);
  EXPECT_NEAR(o[1], 150, 1);
  const rgb_t oxygen = viewer.pixel(int(o[0]), int(o[1]));
  const rgb_t nitrogen = viewer.pixel(int(n[0]), int(n[1]));
  EXPECT_GT(oxygen.r, oxygen.g + 80) << "oxygen is red";
  EXPECT_GT(nitrogen.b, nitrogen.r + 40) << "nitrogen is blue";
  EXPECT_TRUE(near_color(viewer.pixel(150, 150), 255, 255, 255, 0)) << "background between them";
  EXPECT_TRUE(near_color(viewer.pixel(5, 5), 255, 255, 255, 0));
}

TEST_F(Window, GrayscaleAndBackgroundChangeThePixels) {
  const auto o = viewer.project(-1.5, 0, 0);
  viewer.activate("_View", "Grayscale");
  const rgb_t grey = viewer.pixel(int(o[0]), int(o[1]));
  EXPECT_NEAR(grey.r, grey.g, 2);
  EXPECT_NEAR(grey.g, grey.b, 2);
  viewer.activate("_View", "Grayscale");
  EXPECT_GT(viewer.pixel(int(o[0]), int(o[1])).r, viewer.pixel(int(o[0]), int(o[1])).g + 80);

  // A black background, and in grayscale the grey of a coloured one.
  Input_Data.background_color = {0, 0, 0, 0};
  invalidate_drawing_area();
  viewer.settle();
  EXPECT_TRUE(near_color(viewer.pixel(5, 5), 0, 0, 0, 0));
  Input_Data.background_color = {1, 0, 0, 0};
  viewer.activate("_View", "Grayscale");
  EXPECT_TRUE(near_color(viewer.pixel(5, 5), 76, 76, 76, 1));  // 0.299 × 255
  viewer.activate("_View", "Grayscale");
}

TEST_F(Window, HiddenAtomsLeaveTheBackground) {
  const auto o = viewer.project(-1.5, 0, 0);
  viewer.activate("_View", "Show atoms");
  EXPECT_TRUE(near_color(viewer.pixel(int(o[0]), int(o[1])), 255, 255, 255, 0));
  viewer.activate("_View", "Show atoms");
  EXPECT_FALSE(near_color(viewer.pixel(int(o[0]), int(o[1])), 255, 255, 255, 0));
}

TEST_F(Window, NativeFileMakesSaveInsensitiveAndCloseLeavesOneEmptyMolecule) {
  EXPECT_FALSE(gtk_widget_is_sensitive(find_menu_item("_File", "_Save")));
  viewer.activate("_File", "_Close");
  EXPECT_EQ(n_geometries(), 1);
  EXPECT_EQ(m->natom(), 0);
  EXPECT_EQ(input_file_name, "new_file.mvr");
  EXPECT_TRUE(near_color(viewer.pixel(75, 150), 255, 255, 255, 0));
}

TEST_F(Window, FileRewrittenOnDiskIsReloadedByTheWatch) {
  viewer.dir().write("work/two.mvr", "3\nthree\nO -1.5 0 0\nN 1.5 0 0\nC 0 2 0\n <END>\n");
  // The watch looks every 10 seconds.
  for (int i = 0; i < 60 && m->natom() != 3; ++i) viewer.settle(250);
  EXPECT_EQ(m->natom(), 3);
}

TEST_F(Window, AnimateTwiceShowsPlayAgainAndStopsTheTimer) {
  GtkWidget* item = find_menu_item("_View", "Animate");
  ASSERT_NE(item, nullptr);
  gtk_menu_item_activate(GTK_MENU_ITEM(item));
  EXPECT_EQ(std::string(gtk_menu_item_get_label(GTK_MENU_ITEM(item))), "Stop animation");
  gtk_menu_item_activate(GTK_MENU_ITEM(item));
  EXPECT_EQ(std::string(gtk_menu_item_get_label(GTK_MENU_ITEM(item))), "Animate");
  EXPECT_EQ(Input_Data.animate, 0);
  // A single geometry turns while animating; after stopping it stays still.
  const auto before = viewer.modelview();
  viewer.settle(int(Input_Data.snapshot_delay * 1000) + 300);
  EXPECT_EQ(viewer.modelview(), before);
}

}  // namespace
