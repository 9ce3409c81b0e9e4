// The xyz editor: a typed coordinate moves the atom on screen and one undo
// takes it back; a text that is not a number is refused; the table follows
// atoms added and deleted in the main window.
#include <gtest/gtest.h>

#include <cmath>

#include "gui/viewer.h"
#include "gui/widget_events.h"
#include "molecule/mol_data.h"
#include "molecule/settings.h"
#include "ui/widgets.h"

namespace {

class CoordinateEditor : public ::testing::Test {
 protected:
  void SetUp() override {
    open_editable_example("water.mvr");
    viewer.activate("_Edit", "xyz editor");
    dialog = find_window("xyz editor");
    ASSERT_NE(dialog, nullptr);
    ASSERT_NE(atom_treeview, nullptr);
    // No window manager: keep it off the drawing area.
    gtk_window_move(GTK_WINDOW(dialog), 700, 0);
    viewer.settle();
  }
  void TearDown() override {
    if (find_window("xyz editor")) gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
    viewer.settle();
  }
  static int rows() { return gtk_tree_model_iter_n_children(GTK_TREE_MODEL(atom_list), nullptr); }
  static double cell(int row, int column) {
    GtkTreeIter iter;
    EXPECT_TRUE(gtk_tree_model_iter_nth_child(GTK_TREE_MODEL(atom_list), &iter, nullptr, row));
    double v = 0;
    gtk_tree_model_get(GTK_TREE_MODEL(atom_list), &iter, column, &v, -1);
    return v;
  }
  static unsigned number(int row) {
    GtkTreeIter iter;
    EXPECT_TRUE(gtk_tree_model_iter_nth_child(GTK_TREE_MODEL(atom_list), &iter, nullptr, row));
    guint v = 0;
    gtk_tree_model_get(GTK_TREE_MODEL(atom_list), &iter, 0, &v, -1);
    return v;
  }
  // Starts editing the cell, types into it as a user would and presses Return.
  void type_into_cell(int row, int column, const std::string& text) {
    GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
    gtk_tree_view_set_cursor(GTK_TREE_VIEW(atom_treeview), path,
                             gtk_tree_view_get_column(GTK_TREE_VIEW(atom_treeview), column), TRUE);
    gtk_tree_path_free(path);
    viewer.settle();
    move_to_widget(atom_treeview, 5, 5);
    type_text(text);
    press_key("Return");
    viewer.settle();
  }
  std::array<int, 2> on_screen(const vec3& p) {
    const auto w = viewer.project(p[0], p[1], p[2]);
    return {static_cast<int>(std::lround(w[0])), static_cast<int>(std::lround(w[1]))};
  }
  bool background_at(const std::array<int, 2>& p) {
    const color_t& bg = Input_Data.background_color;
    return near_color(viewer.pixel(p[0], p[1]), static_cast<int>(bg.red * 255), static_cast<int>(bg.green * 255),
                      static_cast<int>(bg.blue * 255), 8);
  }
  GtkWidget* dialog = nullptr;
  Viewer& viewer = Viewer::get();
};

TEST_F(CoordinateEditor, ATypedCoordinateMovesTheAtomAndOneUndoRestoresIt) {
  ASSERT_EQ(rows(), m->natom());
  EXPECT_EQ(cell(1, 3), m->xyz[1][1]);
  const vec3 before = m->xyz[1];
  vec3 after = before;
  after[0] = 0.8;  // sideways, in the plane of the screen
  const auto target = on_screen(after);
  ASSERT_TRUE(background_at(target)) << "nothing drawn where the atom goes";

  type_into_cell(1, 2, "0.8");
  EXPECT_EQ(m->xyz[1][0], 0.8);
  EXPECT_EQ(cell(1, 2), 0.8);
  EXPECT_FALSE(background_at(target)) << "the atom is drawn at its new place";

  // Not a number: refused, the atom and its cell keep their value.
  type_into_cell(1, 3, "1.2.3");
  EXPECT_EQ(m->xyz[1][1], before[1]);
  EXPECT_EQ(cell(1, 3), before[1]);

  viewer.key("BackSpace");
  EXPECT_EQ(m->xyz[1][0], before[0]);
  EXPECT_EQ(cell(1, 2), before[0]);
  EXPECT_TRUE(background_at(target));
}

TEST_F(CoordinateEditor, RowsFollowAtomsAddedAndDeletedInTheMainWindow) {
  const auto o = on_screen(m->xyz[0]);
  viewer.click(1, o[0], o[1]);
  ASSERT_EQ(m->n_selected, 1);
  viewer.key("I", true);  // a hydrogen on the oxygen
  ASSERT_EQ(m->natom(), 4);
  EXPECT_EQ(rows(), 4);
  EXPECT_EQ(cell(3, 4), m->xyz[3][2]);

  viewer.click(2, 5, 5);
  const auto first = on_screen(m->xyz[0]);
  viewer.click(1, first[0], first[1]);
  viewer.key("Delete");
  ASSERT_EQ(m->natom(), 3);
  ASSERT_EQ(rows(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(number(i), static_cast<unsigned>(i + 1));
    EXPECT_EQ(cell(i, 2), m->xyz[static_cast<size_t>(i)][0]);
  }
}

}  // namespace
