// Atom labels and text boxes as they appear over the scene.
#include <gtest/gtest.h>

#include "edit/textbox_editing.h"
#include "gui/viewer.h"
#include "molecule/decorations.h"
#include "molecule/mol_data.h"
#include "molecule/settings.h"
#include "render/gl/label_images.h"
#include "ui/main_window.h"
#include "ui/menus.h"

namespace {

bool green(const rgb_t& p) { return p.g > 150 && p.r < 120 && p.b < 120; }

// Columns [x0, x1) holding a green pixel in the 30 rows above row y, where
// a label whose lower-left corner is at y stands.
int green_columns(Viewer& viewer, int x0, int x1, int y) {
  int n = 0;
  for (int x = x0; x < x1; ++x) {
    bool any = false;
    for (int dy = -30; dy <= 0 && !any; ++dy) any = green(viewer.pixel(x, y + dy));
    n += any;
  }
  return n;
}

class Labels : public ::testing::Test {
 protected:
  void SetUp() override {
    Input_Data.label_color = {0, 1, 0, 0};
    Input_Data.label_flags = 0;
  }
  void TearDown() override {
    for (const char* item : {"Show indices", "Show atom symbols"}) {
      gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(find_menu_item("_Labels", item)), FALSE);
    }
    Input_Data.label_color = {0, 0, 0, 0};
  }
  Viewer& viewer = Viewer::get();
};

TEST_F(Labels, IndexAndSymbolStandSideBySideRightOfTheAtom) {
  viewer.open(viewer.dir().write("work/pair.mvr", "2\np\nC -2 0 0\nC 2 0 0\n <END>\n"));
  viewer.activate("_Labels", "Show indices");
  viewer.activate("_Labels", "Show atom symbols");
  const auto c = viewer.project(-2, 0, 0);
  const int x = int(c[0]), y = int(c[1]);
  const int w_index = m->atom_labels[0][LABEL_INDEX].width, w_symbol = m->atom_labels[0][LABEL_SYMBOL].width;
  EXPECT_GT(green_columns(viewer, x, x + w_index, y), 2) << "\"1\" starts at the atom's centre";
  EXPECT_GT(green_columns(viewer, x + w_index, x + w_index + w_symbol, y), 4) << "\"C\" follows it";
  EXPECT_EQ(green_columns(viewer, x + w_index + w_symbol + 2, x + w_index + w_symbol + 30, y), 0);
  EXPECT_EQ(green_columns(viewer, x - 30, x - 1, y), 0);

  viewer.activate("_Labels", "Show atom symbols");
  EXPECT_EQ(green_columns(viewer, x + w_index + 1, x + w_index + w_symbol, y), 0);
}

TEST_F(Labels, LabelOfAnAtomHiddenBehindAnotherIsNotDrawn) {
  // Atom 1 lies 0.3 Å to the right of atom 2 and behind it.
  viewer.open(viewer.dir().write("work/hidden.mvr", "2\nh\nHe 0.3 0 -1\nHe 0 0 1\n <END>\n"));
  viewer.activate("_Labels", "Show indices");
  const auto front = viewer.project(0, 0, 1), back = viewer.project(0.3, 0, -1);
  const int w = m->atom_labels[1][LABEL_INDEX].width;
  ASSERT_GT(int(back[0]), int(front[0]) + w + 2);
  EXPECT_GT(green_columns(viewer, int(front[0]), int(front[0]) + w, int(front[1])), 2);
  EXPECT_EQ(green_columns(viewer, int(back[0]), int(back[0]) + w, int(back[1])), 0);
}

TEST_F(Labels, LabelImagesAreMadeOncePerChangeNotPerFrame) {
  viewer.open(viewer.dir().write("work/pair.mvr", "2\np\nC -2 0 0\nC 2 0 0\n <END>\n"));
  viewer.activate("_Labels", "Show indices");
  reset_label_image_renders();
  for (int i = 0; i < 100; ++i) {
    invalidate_drawing_area();
    gdk_window_process_all_updates();
  }
  EXPECT_EQ(label_image_renders(), 0);
}

TEST_F(Labels, NewTextBoxIsPlacedByAClickAndTyped) {
  viewer.open(viewer.dir().write("work/pair.mvr", "2\np\nC -2 0 0\nC 2 0 0\n <END>\n"));
  textbox_add_command();
  m->deco.edit().textbox.back().color = {0, 1, 0, 0};
  viewer.click(1, 40, 250);
  EXPECT_EQ(textbox_state, 2);
  EXPECT_EQ(m->n_selected, 0) << "the placing click picks nothing here";
  for (const char* k : {"H", "i", "Return"}) viewer.key(k, k[0] == 'H');
  EXPECT_EQ(textbox_state, 0);
  ASSERT_EQ(m->ntextbox(), 1);
  EXPECT_EQ(m->deco.edit().textbox[0].text.value_or(""), "Hi");
  EXPECT_EQ(m->deco.edit().textbox[0].x, 40);
  EXPECT_EQ(m->deco.edit().textbox[0].y, 250);
  EXPECT_GT(green_columns(viewer, 40, 40 + m->deco.edit().textbox[0].image.width, 262), 4);
}

}  // namespace
