// The element chooser and the atom-properties dialog: the chooser changes
// the selected atom and keeps its fourth colour component; Apply changes
// the chosen element for this run; Save writes "atoms.rc" that the next
// start reads; a configuration that can't be written gives a message and
// loses nothing.
#include <gtest/gtest.h>

#include <cmath>

#include "app/config_dir.h"
#include "app/config_files.h"
#include "gui/viewer.h"
#include "gui/widget_events.h"
#include "molecule/elements.h"
#include "molecule/mol_data.h"
#include "ui/side_panel.h"
#include "ui/widgets.h"

namespace {

class ElementDialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    open_editable_example("water.mvr");
    // The edit page is the notebook's child that holds vbox_edit (it scrolls).
    GtkWidget* page = vbox_edit;
    while (page && gtk_widget_get_parent(page) != notebook) page = gtk_widget_get_parent(page);
    ASSERT_NE(page, nullptr);
    gtk_notebook_set_current_page(GTK_NOTEBOOK(notebook), gtk_notebook_page_num(GTK_NOTEBOOK(notebook), page));
    viewer.settle();
  }
  void select_atom(int i) {
    viewer.click(2, 5, 5);
    const vec3& p = m->xyz[static_cast<size_t>(i)];
    const auto w = viewer.project(p[0], p[1], p[2]);
    viewer.click(1, static_cast<int>(std::lround(w[0])), static_cast<int>(std::lround(w[1])));
  }
  GtkWidget* dialog(const char* title) {
    GtkWidget* d = find_window(title);
    if (d) {
      gtk_window_move(GTK_WINDOW(d), 0, 420);
      viewer.settle();
    }
    return d;
  }
  GtkWidget* open_properties() {
    viewer.activate("_Edit", "Atom properties");
    return dialog("Atom properties");
  }
  static GtkSpinButton* spin(GtkWidget* d, size_t k) {
    return GTK_SPIN_BUTTON(find_all(d, GTK_TYPE_SPIN_BUTTON).at(k));
  }
  static const element_t& element(const char* symbol) { return e[static_cast<size_t>(find_element(symbol))]; }
  Viewer& viewer = Viewer::get();
};

TEST_F(ElementDialogs, ChooserChangesTheOnlySelectedAtomAndKeepsItsFourthColourComponent) {
  set_atom_color(*m, 0, {1.0f, 0.0f, 0.0f, 0.35f});
  select_atom(0);
  ASSERT_EQ(m->n_selected, 1);
  click_widget(button_change_atom);
  GtkWidget* chooser = dialog("Choose element");
  ASSERT_NE(chooser, nullptr);
  click_widget(find_button(chooser, "N"));
  EXPECT_EQ(find_window("Choose element"), nullptr);
  EXPECT_EQ(atom_element(*m, 0).name, "N");
  EXPECT_EQ(atom_color(*m, 0).blue, element("N").color.blue);
  EXPECT_EQ(atom_color(*m, 0).alpha, 0.35f);
  EXPECT_EQ(atom_element(*m, 1).name, "H");
}

TEST_F(ElementDialogs, ApplyChangesOnlyTheShownElementAndSaveIsReadAtTheNextStart) {
  const std::string atoms_rc = rcdir + "/atoms.rc";
  const std::string stored = read_file(atoms_rc);
  const element_t carbon = element("C");
  const float oxygen_size = element("O").size;
  GtkWidget* props = open_properties();
  ASSERT_NE(props, nullptr);
  // C edited first, then O shown and edited: Apply takes only O.
  click_widget(find_button(props, "C"));
  gtk_spin_button_set_value(spin(props, 0), 1.9);
  click_widget(find_button(props, "O"));
  EXPECT_NEAR(gtk_spin_button_get_value(spin(props, 0)), oxygen_size, 0.006);
  gtk_spin_button_set_value(spin(props, 0), 0.9);
  click_widget(find_button(props, "Apply"));
  EXPECT_EQ(find_window("Atom properties"), nullptr);
  EXPECT_NEAR(element("O").size, 0.9, 1e-6);
  EXPECT_NEAR(atom_element(*m, 0).size, 0.9, 1e-6);
  EXPECT_EQ(element("C").size, carbon.size);
  EXPECT_EQ(read_file(atoms_rc), stored) << "Apply is for this run";

  props = open_properties();
  ASSERT_NE(props, nullptr);
  click_widget(find_button(props, "O"));
  gtk_spin_button_set_value(spin(props, 2), 3);
  click_widget(find_button(props, "Save"));
  EXPECT_TRUE(viewer.take_warnings().empty());
  EXPECT_NE(read_file(atoms_rc), stored);
  load_atom_data();  // as the next start does
  EXPECT_EQ(element("O").valency, 3);
  EXPECT_NEAR(element("O").size, 0.9, 1e-6);
  EXPECT_EQ(element("C").size, carbon.size);
}

TEST_F(ElementDialogs, AnUnwritableConfigurationGivesAMessageAndLosesNothing) {
  const std::string kept_dir = rcdir;
  const std::string stored = read_file(rcdir + "/atoms.rc");
  // A configuration "directory" that is a plain file can't take a file.
  rcdir = viewer.dir().write("not_a_directory", "x");
  GtkWidget* props = open_properties();
  ASSERT_NE(props, nullptr);
  click_widget(find_button(props, "H"));
  gtk_spin_button_set_value(spin(props, 1), 0.5);
  click_widget(find_button(props, "Save"));
  const std::vector<std::string> warnings = viewer.take_warnings();
  rcdir = kept_dir;
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0].find("atoms.rc"), std::string::npos) << warnings[0];
  EXPECT_NEAR(element("H").bond_size, 0.5, 1e-6) << "the change holds for this run";
  EXPECT_NEAR(atom_element(*m, 1).bond_size, 0.5, 1e-6);
  EXPECT_EQ(read_file(kept_dir + "/atoms.rc"), stored);
}

}  // namespace
