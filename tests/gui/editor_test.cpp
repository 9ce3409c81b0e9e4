// Building and adjusting a molecule in the window with real keys and clicks:
// bonds and elements, internal-coordinate moves, undo, renumbering,
// deleting, fragments from the palette, and the keys that must not act.
#include <gtest/gtest.h>
// After the test framework: the X headers define macros such as None.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <gdk/gdkx.h>

#include <cmath>

#include "document/undo.h"
#include "edit/bond_edit.h"
#include "edit/fragment_library.h"
#include "edit/measures.h"
#include "edit/watched.h"
#include "gui/viewer.h"
#include "molecule/elements.h"
#include "molecule/mol_data.h"
#include "molecule/settings.h"
#include "render/scene.h"
#include "ui/main_window.h"
#include "ui/widgets.h"

namespace {

class Editor : public ::testing::Test {
 protected:
  void open(const std::string& text) {
    path = viewer.dir().write("work/edit.mvr", text);
    viewer.open(path);
  }
  std::array<int, 2> atom(int i) {
    const vec3& p = m->xyz[size_t(i)];
    const auto w = viewer.project(p[0], p[1], p[2]);
    return {int(std::lround(w[0])), int(std::lround(w[1]))};
  }
  std::array<double, 2> atom_window(int i) {
    const vec3& p = m->xyz[size_t(i)];
    return viewer.project(p[0], p[1], p[2]);
  }
  void click_atom(int button, int i) { viewer.click(button, atom(i)[0], atom(i)[1]); }
  void select(std::initializer_list<int> atoms) {
    viewer.click(2, 5, 5);  // clears a selection
    for (int i : atoms) click_atom(1, i);
    ASSERT_EQ(m->n_selected, int(atoms.size()));
  }
  void keys(const char* keysym, int times, bool shift = false) {
    for (int k = 0; k < times; ++k) viewer.key(keysym, shift);
  }
  // Presses or releases the left Control key.
  void control(bool down) {
    Display* dpy = GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
    XTestFakeKeyEvent(dpy, XKeysymToKeycode(dpy, XStringToKeysym("Control_L")), down, CurrentTime);
    viewer.settle(50);
  }
  // Clicks the middle of a widget of the side panel.
  void click_widget(GtkWidget* widget) {
    int ox = 0, oy = 0;
    gdk_window_get_origin(widget->window, &ox, &oy);
    Display* dpy = GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
    XTestFakeMotionEvent(dpy, -1, ox + widget->allocation.x + widget->allocation.width / 2,
                         oy + widget->allocation.y + widget->allocation.height / 2, CurrentTime);
    viewer.settle(50);
    viewer.press(1);
    viewer.release(1);
    viewer.settle();
  }
  void show_page(const char* title) {
    for (int k = 0; k < gtk_notebook_get_n_pages(GTK_NOTEBOOK(notebook)); ++k) {
      GtkWidget* page = gtk_notebook_get_nth_page(GTK_NOTEBOOK(notebook), k);
      if (std::string(gtk_notebook_get_tab_label_text(GTK_NOTEBOOK(notebook), page)) == title)
        gtk_notebook_set_current_page(GTK_NOTEBOOK(notebook), k);
    }
    viewer.settle();
  }
  // Types `text` into a panel entry that has the focus and confirms it.
  void type_into(GtkWidget* entry, const std::string& text) {
    gtk_widget_grab_focus(entry);
    viewer.settle();
    gtk_editable_select_region(GTK_EDITABLE(entry), 0, -1);
    for (char c : text) {
      const std::string name = c == '-' ? "minus" : c == '.' ? "period" : std::string(1, c);
      viewer.key(name.c_str());
    }
    viewer.key("Return");
  }
  void drop_focus() {
    gtk_window_set_focus(GTK_WINDOW(window), nullptr);
    viewer.settle();
  }
  Viewer& viewer = Viewer::get();
  std::string path;
};

TEST_F(Editor, InsertPageAndDeleteStepThroughTheBondTypes) {
  open("2\ntwo\nO -1.5 0 0\nN 1.5 0 0\n <END>\n");
  show_page("edit");
  select({0, 1});
  std::vector<int> types;
  for (int k = 0; k < 8; ++k) viewer.key("Insert"), types.push_back(get_bond_type(0, 1));
  EXPECT_EQ(types, (std::vector<int>{1, 2, 3, 4, 5, 6, 0, 1}));
  EXPECT_EQ(gtk_combo_box_get_active(GTK_COMBO_BOX(button_change_bond)), 1);
  EXPECT_EQ(statusbar_text(statusbar2), "bond: O 1-N 2  3.000000");

  testing::internal::CaptureStdout();
  viewer.key("Delete");
  viewer.key("Delete");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "I = 0\nI = 0\n");
  EXPECT_EQ(get_bond_type(0, 1), 0);
  viewer.key("Page_Down");
  EXPECT_EQ(get_bond_type(0, 1), 6);
  viewer.key("Page_Up");
  EXPECT_EQ(get_bond_type(0, 1), 0);
  EXPECT_EQ(m->nbond(), 1);

  // Shift+Insert puts a dummy atom between them.
  viewer.key("Insert", true);
  ASSERT_EQ(m->natom(), 3);
  EXPECT_EQ(atom_element(*m, 2).name, "Q");
}

TEST_F(Editor, PageKeysStepTheElementOfOneAtomThroughTheCycle) {
  open("3\nthree\nH -2 0 0\nBr 0 0 0\nC 2 0 0\n <END>\n");
  select({0});
  std::vector<std::string> up;
  for (int k = 0; k < 7; ++k) viewer.key("Page_Up"), up.push_back(atom_element(*m, 0).name);
  EXPECT_EQ(up, (std::vector<std::string>{"C", "N", "O", "F", "S", "CL", "H"}));
  viewer.key("Page_Down");
  EXPECT_EQ(atom_element(*m, 0).name, "CL");
  EXPECT_EQ(statusbar_text(statusbar2), "CL 1 (-2.000000 0.000000 0.000000)");
  viewer.key("Page_Down");
  EXPECT_EQ(atom_element(*m, 0).name, "S");

  // Bromine is outside the cycle: up it becomes carbon, down chlorine.
  select({1});
  viewer.key("Page_Up");
  EXPECT_EQ(atom_element(*m, 1).name, "C");
  set_atom_symbol(*m, 1, "Br");
  viewer.key("Page_Down");
  EXPECT_EQ(atom_element(*m, 1).name, "CL");

  // Not editable: the keys change nothing.
  m->editable = 0;
  viewer.key("Page_Up");
  EXPECT_EQ(atom_element(*m, 1).name, "CL");
  m->editable = 1;
}

TEST_F(Editor, PlusMinusAndTypedValuesMoveBondAngleAndDihedral) {
  // The dihedral H-C-C-H is -60 degrees; no two atoms overlap on the screen.
  open("4\nchain\nH -0.5 1 0\nC 0 0 0\nC 1.5 0 0\nH 2 0.5 0.8660254037844386\n <END>\n");
  show_page("edit");
  select({0, 1});
  const double bond = get_selected_bond_length();
  viewer.key("plus", true);
  EXPECT_NEAR(get_selected_bond_length(), bond + 0.2, 1e-9);
  EXPECT_NEAR(gtk_spin_button_get_value(GTK_SPIN_BUTTON(spin_bond)), bond + 0.2, 1e-9);
  viewer.key("minus");
  viewer.key("minus");
  EXPECT_NEAR(get_selected_bond_length(), bond - 0.2, 1e-9);

  select({0, 1, 2});
  const double angle = get_selected_angle_value();
  viewer.key("plus", true);
  EXPECT_NEAR(get_selected_angle_value(), angle + 2, 1e-9);
  viewer.key("minus");
  EXPECT_NEAR(get_selected_angle_value(), angle, 1e-9);

  select({0, 1, 2, 3});
  EXPECT_NEAR(get_selected_dihedral_value(), -60.0, 1e-9);
  viewer.key("plus", true);
  EXPECT_NEAR(get_selected_dihedral_value(), -58.0, 1e-9);
  EXPECT_EQ(statusbar_text(statusbar2), "dihedral:H 1-C 2-C 3-H 4  -58.000000");

  // Typed into the dihedral's spin button, a value reads back as typed.
  for (const char* v : {"-60", "35.25", "-179.5", "120"}) {
    type_into(spin_tors, v);
    EXPECT_NEAR(get_selected_dihedral_value(), std::stod(v), 0.005) << v;
  }
  drop_focus();
  EXPECT_EQ(accept_keys, 1);
}

TEST_F(Editor, SmallMovesAccumulateAndBackSpaceUndoesEdits) {
  open("2\nethane core\nC 0 0 0\nC 1.5 0 0\n <END>\n");
  ASSERT_EQ(m->nbond(), 1);
  Input_Data.translation_step = 0.03;
  select({1, 0});
  keys("plus", 3, true);
  EXPECT_EQ(backup_count, 1);
  viewer.key("plus", true);
  EXPECT_EQ(backup_count, 2);
  EXPECT_NEAR(get_bond_length(0, 1), 1.62, 1e-9);
  Input_Data.translation_step = 0.2;

  select({1});
  viewer.key("Delete");
  EXPECT_EQ(m->natom(), 1);
  EXPECT_EQ(m->nbond(), 0);
  viewer.key("BackSpace");
  ASSERT_EQ(m->natom(), 2);
  EXPECT_EQ(m->nbond(), 1);
  EXPECT_NEAR(get_bond_length(0, 1), 1.62, 1e-9);
  viewer.key("BackSpace");
  EXPECT_NEAR(get_bond_length(0, 1), 1.5, 1e-9);
  viewer.key("BackSpace");
  EXPECT_EQ(statusbar_text(statusbar2), "Allready the oldest change!");
}

TEST_F(Editor, RenumberingPutsMarkedAtomsFirstInTheSavedFile) {
  open(
      "6\nsix\nC -5 0 0\nN -3 0 0\nO -1 0 0\nF 1 0 0\nS 3 0 0\nP 5 0 0\n"
      " <BOND>\n AUTOMATIC = 0\n 3  4  1\n </BOND>\n <END>\n");
  click_atom(3, 5);
  click_atom(3, 2);
  ASSERT_EQ(m->marked, (std::vector<int>{5, 2}));
  viewer.key("numbersign", true);
  callback_save_file();
  EXPECT_EQ(read_file(path),
            "  6\n"
            "File generated by mivor version 0.8.6 beta\n"
            " P      5.000000000      0.000000000      0.000000000\n"
            " O     -1.000000000      0.000000000      0.000000000\n"
            " C     -5.000000000      0.000000000      0.000000000\n"
            " N     -3.000000000      0.000000000      0.000000000\n"
            " F      1.000000000      0.000000000      0.000000000\n"
            " S      3.000000000      0.000000000      0.000000000\n"
            " <BOND>\n"
            " AUTOMATIC = 0\n"
            " 2  5  1\n"
            " </BOND>\n"
            " <END>\n");
}

TEST_F(Editor, DeletingMarkedAtomsKeepsBondsSelectionAndWatchedValuesValid) {
  open("6\nhexane carbons\nC -5 0 0\nC -3.5 0.8 0\nC -2 0 0\nC -0.5 0.8 0\nC 1 0 0\nC 2.5 0.8 0\n <END>\n");
  ASSERT_EQ(m->nbond(), 5);
  select({4, 5});
  viewer.key("F6");
  select({0, 1, 2});
  viewer.key("F6");
  ASSERT_EQ(n_watched(), 2);
  // Both labels in the watched values, with the current values.
  GList* labels = gtk_container_get_children(GTK_CONTAINER(vbox_watched));
  EXPECT_EQ(g_list_length(labels), 2u);
  g_list_free(labels);

  viewer.click(2, 5, 5);
  for (int i : {5, 3, 1}) click_atom(3, i);
  viewer.key("Delete");
  ASSERT_EQ(m->natom(), 3);
  EXPECT_EQ(m->nbond(), 0);
  EXPECT_TRUE(m->marked.empty());
  EXPECT_EQ(n_watched(), 0);
  for (const bond_t& b : m->bond) EXPECT_TRUE(valid_atom(*m, b.a1) && valid_atom(*m, b.a2));
  // The scene is drawn from what is left.
  viewer.settle();
  EXPECT_FALSE(near_color(viewer.pixel(atom(2)[0], atom(2)[1]), 255, 255, 255, 10));
}

TEST_F(Editor, PaletteButtonsAndKeysInsertFragments) {
  const double a = 1.09 / std::sqrt(3.0);
  open("5\nmethane\nC 0 0 0\nH " + std::to_string(a) + " " + std::to_string(a) + " " + std::to_string(a) + "\nH " +
       std::to_string(-a) + " " + std::to_string(-a) + " " + std::to_string(a) + "\nH " + std::to_string(-a) + " " +
       std::to_string(a) + " " + std::to_string(-a) + "\nH " + std::to_string(a) + " " + std::to_string(-a) + " " +
       std::to_string(-a) + "\n <END>\n");
  ASSERT_GE(n_fragments(), 20);
  show_page("fragments");
  int phenyl = -1;
  for (int k = 0; k < n_fragments(); ++k)
    if (frag[size_t(k)].file == "phenyl.frg") phenyl = k;
  ASSERT_GE(phenyl, 0);
  GList* buttons = gtk_container_get_children(GTK_CONTAINER(table_fragments));
  ASSERT_EQ(int(g_list_length(buttons)), n_fragments());
  GtkWidget* button = nullptr;
  for (GList* b = buttons; b; b = b->next) {
    gchar* tip = gtk_widget_get_tooltip_text(GTK_WIDGET(b->data));
    if (tip && std::string(tip) == "phenyl") button = GTK_WIDGET(b->data);
    g_free(tip);
  }
  g_list_free(buttons);
  ASSERT_TRUE(button);
  // The palette shows the image, not the name.
  EXPECT_TRUE(GTK_IS_IMAGE(gtk_bin_get_child(GTK_BIN(button))));

  select({0, 1});
  click_widget(button);
  ASSERT_EQ(m->natom(), 4 + 11);
  EXPECT_EQ(atom_element(*m, 4).name, "C");
  EXPECT_NEAR(get_bond_length(0, 4), 1.51, 1e-6);
  EXPECT_EQ(get_last_fragment(), phenyl);
  // The new ring shows on the screen.
  viewer.settle();
  EXPECT_FALSE(near_color(viewer.pixel(atom(4)[0], atom(4)[1]), 255, 255, 255, 10));

  // "I" inserts the last fragment beside the molecule; "w" the first one
  // (methyl) on the selected atom.
  viewer.key("i", true);
  EXPECT_EQ(m->natom(), 15 + 12);
  m->n_selected = 1;
  m->selected = {2, -1, -1, -1};
  viewer.key("w");
  EXPECT_EQ(m->natom(), 27 + 4);
  EXPECT_EQ(get_last_fragment(), 0);
}

TEST_F(Editor, KeysThatMustNotActAndTheSettingsKeys) {
  open("2\ntwo\nO -1.5 0 0\nN 1.5 0 0\n <END>\n");
  show_page("edit");
  select({0, 1});
  const int grey = Input_Data.grayscale;
  gtk_widget_grab_focus(spin_bond);
  viewer.settle();
  EXPECT_EQ(accept_keys, 0);
  viewer.key("w");
  viewer.key("Delete");
  // Control pressed and let go while the entry has the focus is not held
  // afterwards.
  control(true);
  control(false);
  EXPECT_EQ(control_pressed, 0);
  EXPECT_EQ(Input_Data.grayscale, grey);
  EXPECT_NE(std::string(gtk_entry_get_text(GTK_ENTRY(spin_bond))).find('w'), std::string::npos);
  drop_focus();
  EXPECT_EQ(accept_keys, 1);
  EXPECT_NEAR(get_selected_bond_length(), 3.0, 1e-9);

  // Control+s neither saves nor edits.
  const std::string before = read_file(path);
  m->xyz[0][0] = -1.0;
  viewer.move(5, 5);
  control(true);
  viewer.key("s");
  control(false);
  EXPECT_EQ(read_file(path), before);
  EXPECT_EQ(control_pressed, 0);

  for (color_t* c : {&Input_Data.plus_color, &Input_Data.minus_color, &Input_Data.epot_plus_color,
                     &Input_Data.epot_minus_color, &Input_Data.object_color})
    c->alpha = 0.7f;
  for (float expected : {0.8f, 0.9f, 1.0f}) {
    viewer.key("t");
    for (const color_t& c : {Input_Data.plus_color, Input_Data.minus_color, Input_Data.epot_plus_color,
                             Input_Data.epot_minus_color, Input_Data.object_color})
      EXPECT_NEAR(c.alpha, expected, 1e-6);
  }

  set_number_of_slices(28);
  set_number_of_stacks(28);
  keys("q", 3, true);
  EXPECT_EQ(get_number_of_slices(), 30);
  EXPECT_EQ(get_number_of_stacks(), 30);
  set_number_of_slices(6);
  set_number_of_stacks(6);
  keys("q", 3);
  EXPECT_EQ(get_number_of_slices(), 4);
  EXPECT_EQ(get_number_of_stacks(), 4);
}

TEST_F(Editor, ArrowKeysMoveTheMoleculeOrItsSelectedAtomByAWindowDistance) {
  open("3\nthree\nH -2 0 0\nC 0 0 0\nO 2 1 0\n <END>\n");
  move_camera = 0;
  auto windows = [&] {
    std::vector<std::array<double, 2>> w;
    for (int i = 0; i < 3; ++i) w.push_back(atom_window(i));
    return w;
  };
  // Every atom (or only `moved`) shifted on the screen by (dx, dy), y down.
  auto expect_shift = [&](const std::vector<std::array<double, 2>>& before, double dx, double dy, int moved = -1) {
    const auto after = windows();
    for (size_t i = 0; i < 3; ++i) {
      const bool moves = moved < 0 || int(i) == moved;
      EXPECT_NEAR(after[i][0] - before[i][0], moves ? dx : 0, 1e-6) << i;
      EXPECT_NEAR(after[i][1] - before[i][1], moves ? dy : 0, 1e-6) << i;
    }
  };
  auto before = windows();
  viewer.key("Right");
  expect_shift(before, 5, 0);
  before = windows();
  viewer.key("Up", true);
  expect_shift(before, 0, -25);

  select({0});
  before = windows();
  viewer.key("Left");
  expect_shift(before, -5, 0, 0);
  before = windows();
  viewer.key("Down", true);
  expect_shift(before, 0, 25, 0);

  // Shift+Page Up pushes the view 0.1 along its z axis; Shift+Page Down
  // leaves it (a step of 0.1 × 0). OpenGL keeps the matrix in floats.
  const std::array<double, 16> mv = viewer.modelview();
  viewer.key("Page_Up", true);
  const std::array<double, 16> pushed = viewer.modelview();
  for (size_t k = 0; k < 3; ++k) EXPECT_NEAR(pushed[12 + k], mv[12 + k] + 0.1 * mv[8 + k], 1e-6) << k;
  viewer.key("Page_Down", true);
  EXPECT_EQ(viewer.modelview(), pushed);
  EXPECT_EQ(atom_element(*m, 0).name, "H");
  move_camera = 1;
}

TEST_F(Editor, ControlDragToTheRightExpandsAnEditableMolecule) {
  open("2\ntwo\nO -1.5 0 0\nN 1.5 0 0\n <END>\n");
  const std::array<double, 16> view_before = viewer.modelview();
  viewer.move(100, 150);
  control(true);
  viewer.drag(1, {{100, 150}, {110, 150}, {120, 151}, {130, 150}});
  control(false);
  // Three steps of 10 pixels: factors of (20 / 300) / 10 each.
  const double f = 20.0 / 300.0 / 10.0;
  EXPECT_NEAR(get_bond_length(0, 1), 3.0 * std::pow(1 + f, 3), 1e-9);
  EXPECT_EQ(viewer.modelview(), view_before);  // no turn

  m->editable = 0;
  control(true);
  viewer.drag(1, {{100, 150}, {140, 150}});
  control(false);
  EXPECT_NEAR(get_bond_length(0, 1), 3.0 * std::pow(1 + f, 3), 1e-9);
  m->editable = 1;
}

}  // namespace
