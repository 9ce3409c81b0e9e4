// The draw page and the 3D-object editor: a sphere drawn from two selected
// atoms gets a button; its dialog changes radius and colour on screen,
// deletes it, or cancels with a snapshot; a dialog whose object goes away
// closes without touching anything.
#include <gtest/gtest.h>

#include <cmath>

#include "document/undo.h"
#include "gui/viewer.h"
#include "gui/widget_events.h"
#include "molecule/decorations.h"
#include "molecule/mol_data.h"
#include "molecule/settings.h"
#include "ui/side_panel.h"
#include "ui/widgets.h"

namespace {

class ObjectEditor : public ::testing::Test {
 protected:
  void SetUp() override {
    open_editable_example("water.mvr");
    for (int k = 0; k < gtk_notebook_get_n_pages(GTK_NOTEBOOK(notebook)); ++k) {
      GtkWidget* page = gtk_notebook_get_nth_page(GTK_NOTEBOOK(notebook), k);
      if (std::string(gtk_notebook_get_tab_label_text(GTK_NOTEBOOK(notebook), page)) == "draw")
        gtk_notebook_set_current_page(GTK_NOTEBOOK(notebook), k);
    }
    viewer.settle();
  }
  std::array<int, 2> on_screen(const vec3& p) {
    const auto w = viewer.project(p[0], p[1], p[2]);
    return {static_cast<int>(std::lround(w[0])), static_cast<int>(std::lround(w[1]))};
  }
  void click_atom(int i) {
    const auto p = on_screen(m->xyz[static_cast<size_t>(i)]);
    viewer.click(1, p[0], p[1]);
  }
  // A sphere around atom 0 through atom 1, from the draw page's button.
  void draw_sphere() {
    viewer.click(2, 5, 5);
    click_atom(0);
    click_atom(1);
    ASSERT_EQ(m->n_selected, 2);
    GtkWidget* b = find_button(vbox_draw, "draw sphere");
    ASSERT_NE(b, nullptr);
    ASSERT_TRUE(GTK_WIDGET_SENSITIVE(b));
    click_widget(b);
  }
  GtkWidget* open_dialog(const char* title) {
    GtkWidget* b = find_button(vbox_3Dobject, title);
    if (!b) return nullptr;
    click_widget(b);
    GtkWidget* dialog = find_window(title);
    if (dialog) {
      gtk_window_move(GTK_WINDOW(dialog), 700, 0);
      viewer.settle();
    }
    return dialog;
  }
  Viewer& viewer = Viewer::get();
};

TEST_F(ObjectEditor, SphereDialogChangesRadiusAndColourOnScreenAndDeletes) {
  draw_sphere();
  ASSERT_EQ(m->nsphere(), 1);
  const double d = std::sqrt(std::pow(m->xyz[1][1] - m->xyz[0][1], 2) + std::pow(m->xyz[1][2] - m->xyz[0][2], 2));
  EXPECT_NEAR(m->deco->sphere_radius[0], d, 1e-9);
  vec3 probe = m->xyz[0];
  probe[0] += 1.15;  // beside the oxygen, outside the sphere as drawn
  const auto p = on_screen(probe);
  const rgb_t before = viewer.pixel(p[0], p[1]);

  GtkWidget* dialog = open_dialog("sphere #1");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(go_selected.kind, 1);
  const std::vector<GtkWidget*> entries = find_all(dialog, GTK_TYPE_ENTRY);
  // The transparency spin button is an entry too: centre x, y, z, radius follow it.
  ASSERT_EQ(entries.size(), 5u);
  gtk_entry_set_text(GTK_ENTRY(entries[4]), "1.4");
  GdkColor blue = {0, 0, 0, 65535};
  gtk_color_button_set_color(GTK_COLOR_BUTTON(find_all(dialog, GTK_TYPE_COLOR_BUTTON).front()), &blue);
  gtk_spin_button_set_value(GTK_SPIN_BUTTON(entries[0]), 1.0);
  click_widget(find_button(dialog, "OK"));
  EXPECT_EQ(find_window("sphere #1"), nullptr);
  EXPECT_EQ(m->deco->sphere_radius[0], 1.4);
  EXPECT_EQ(m->deco->sphere_color[0].blue, 1.0f);
  EXPECT_EQ(m->deco->sphere_color[0].red, 0.0f);
  EXPECT_EQ(go_selected.kind, 0);
  const rgb_t after = viewer.pixel(p[0], p[1]);
  EXPECT_TRUE(after.b > after.r + 40 && after.b > after.g + 40) << after.r << " " << after.g << " " << after.b;
  EXPECT_FALSE(near_color(before, after.r, after.g, after.b));

  dialog = open_dialog("sphere #1");
  ASSERT_NE(dialog, nullptr);
  click_widget(find_button(dialog, "Delete"));
  EXPECT_EQ(m->nsphere(), 0);
  EXPECT_EQ(find_button(vbox_3Dobject, "sphere #1"), nullptr);
  EXPECT_TRUE(near_color(viewer.pixel(p[0], p[1]), before.r, before.g, before.b));
}

TEST_F(ObjectEditor, CancelKeepsTheObjectAndTakesASnapshotAndAGoneObjectClosesItsDialog) {
  draw_sphere();
  ASSERT_EQ(m->nsphere(), 1);
  GtkWidget* dialog = open_dialog("sphere #1");
  ASSERT_NE(dialog, nullptr);
  click_widget(find_button(dialog, "Cancel"));
  EXPECT_EQ(m->nsphere(), 1);
  // The cancel's snapshot is the newest: one undo keeps the sphere, two don't.
  viewer.key("BackSpace");
  EXPECT_EQ(m->nsphere(), 1);
  viewer.key("BackSpace");
  EXPECT_EQ(m->nsphere(), 0);

  // An undo removes the object while its dialog is open.
  draw_sphere();
  dialog = open_dialog("sphere #1");
  ASSERT_NE(dialog, nullptr);
  get_backup();
  viewer.settle();
  EXPECT_EQ(find_window("sphere #1"), nullptr);
  EXPECT_EQ(go_selected.kind, 0);

  // The object is deleted elsewhere; closing by the window manager then.
  draw_sphere();
  dialog = open_dialog("sphere #1");
  ASSERT_NE(dialog, nullptr);
  GdkEvent* event = gdk_event_new(GDK_DELETE);
  event->any.window = GDK_WINDOW(g_object_ref(dialog->window));
  gtk_main_do_event(event);
  gdk_event_free(event);
  viewer.settle();
  EXPECT_EQ(find_window("sphere #1"), nullptr);
  EXPECT_EQ(m->nsphere(), 1);
}

}  // namespace
