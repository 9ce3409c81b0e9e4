// The window of all orbitals: F3 opens and closes it, one tile per orbital
// in list order on its type's colour, type keys and the middle button set
// types that the orbital list and the tiles show.
#include <gtest/gtest.h>

#include <cstdio>

#include "edit/orbital_tiles.h"
#include "gui/viewer.h"
#include "gui/widget_events.h"
#include "molecule/mol_data.h"
#include "ui/main_window.h"
#include "ui/widgets.h"

namespace {

class Multiview : public ::testing::Test {
 protected:
  void open_orbitals() {
    path = viewer.dir().write("work/orbitals.mvr", read_file(MIVOR_SOURCE_DIR "/examples/formaldehyde_orbitals.mvr"));
    viewer.open(path);
  }
  void TearDown() override {
    if (multi_view_win) mivor_gtk_show_multiorb_window();
    viewer.settle();
  }
  // Opens the window with F3 and lets the tiles be built.
  GtkWidget* open_window() {
    viewer.key("F3");
    GtkWidget* win = find_window("Mivor multiview");
    if (!win) return nullptr;
    // Without a window manager it would cover the main window.
    gtk_window_move(GTK_WINDOW(win), 700, 0);
    for (int i = 0; i < 100 && multiview_tiles_waiting() > 0; ++i) viewer.settle(20);
    viewer.settle();
    return win;
  }
  static std::vector<GtkWidget*> tiles(GtkWidget* win) { return find_all(win, GTK_TYPE_DRAWING_AREA); }
  static std::string label_text(GtkWidget* label) { return gtk_label_get_text(GTK_LABEL(label)); }
  // Scrolls the window so that the tile is in view.
  void show_tile(GtkWidget* win, GtkWidget* tile) {
    GtkWidget* scrolled = find_all(win, GTK_TYPE_SCROLLED_WINDOW).front();
    GtkAdjustment* v = gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(scrolled));
    GtkWidget* frame = gtk_widget_get_ancestor(tile, GTK_TYPE_FRAME);
    gtk_adjustment_set_value(v, std::min<double>(frame->allocation.y, v->upper - v->page_size));
    viewer.settle(60);
    viewer.settle(60);
  }
  static bool shows_type(GtkWidget* tile, int code) {
    const rgb_t p = widget_pixel(tile, 2, 2);
    const color_t c = mivor_gtk_get_cur_color(code);
    return std::abs(p.r - static_cast<int>(c.red * 255)) <= 3 && std::abs(p.g - static_cast<int>(c.green * 255)) <= 3 &&
           std::abs(p.b - static_cast<int>(c.blue * 255)) <= 3;
  }
  std::string path;
  Viewer& viewer = Viewer::get();
};

TEST_F(Multiview, F3ShowsEveryOrbitalInListOrderAndTypesFollowKeysAndTheMiddleButton) {
  open_orbitals();
  GtkWidget* win = open_window();
  ASSERT_NE(win, nullptr);
  const std::vector<orbital_tile_t> orbitals = orbital_tiles(*m);
  const std::vector<GtkWidget*> areas = tiles(win);
  ASSERT_EQ(areas.size(), orbitals.size());
  const std::vector<GtkWidget*> labels = find_all(win, GTK_TYPE_LABEL);
  for (size_t k = 0; k < areas.size(); ++k) {
    show_tile(win, areas[k]);
    EXPECT_TRUE(shows_type(areas[k], orbitals[k].type)) << k;
    char s[16], i[16];
    std::snprintf(s, sizeof s, "s: %d", orbitals[k].symmetry);
    std::snprintf(i, sizeof i, "i: %d", orbitals[k].index);
    ASSERT_GE(labels.size(), 3 * k + 3);
    EXPECT_EQ(label_text(labels[3 * k]), s);
    EXPECT_EQ(label_text(labels[3 * k + 1]), i);
  }
  // The molecule and the lobes cover part of a tile's background.
  show_tile(win, areas[0]);
  const rgb_t corner = widget_pixel(areas[0], 2, 2);
  int other = 0;
  for (int y = 10; y < areas[0]->allocation.height; y += 8) {
    for (int x = 10; x < areas[0]->allocation.width; x += 8) {
      const rgb_t p = widget_pixel(areas[0], x, y);
      other += p.r != corner.r || p.g != corner.g || p.b != corner.b;
    }
  }
  EXPECT_GT(other, 10);

  // A click chooses the tile's orbital; "s" makes it secondary.
  const size_t k = 2;
  const int grid = orbitals[k].grid;
  show_tile(win, areas[k]);
  click_widget(areas[k], 1);
  press_key("s");
  viewer.settle();
  EXPECT_EQ(m->grid->orb_type[static_cast<size_t>(grid)], 6);
  EXPECT_TRUE(shows_type(areas[k], 6));
  EXPECT_EQ(label_text(labels[3 * k + 2]), "t: S");
  // The middle button steps the type: S, D, then round to F.
  click_widget(areas[k], 2);
  EXPECT_EQ(m->grid->orb_type[static_cast<size_t>(grid)], 7);
  click_widget(areas[k], 2);
  EXPECT_EQ(m->grid->orb_type[static_cast<size_t>(grid)], 1);
  EXPECT_TRUE(shows_type(areas[k], 1));
  press_key("x");  // not a type key
  EXPECT_EQ(m->grid->orb_type[static_cast<size_t>(grid)], 1);

  viewer.key("F3");
  EXPECT_EQ(multi_view_win, nullptr);
  EXPECT_EQ(find_window("Mivor multiview"), nullptr);
}

TEST_F(Multiview, NoOrbitalsOrAnUnreadableFileGiveAMessageAndNoCrash) {
  viewer.open(viewer.dir().write("work/water.mvr", read_file(MIVOR_SOURCE_DIR "/examples/water.mvr")));
  viewer.key("F3");
  EXPECT_EQ(multi_view_win, nullptr) << "F3 needs grids";
  mivor_gtk_show_multiorb_window();
  viewer.settle();
  ASSERT_NE(multi_view_win, nullptr);
  EXPECT_TRUE(tiles(multi_view_win).empty());
  EXPECT_EQ(statusbar_text(statusbar1), "The molecule has no orbitals to show");
  mivor_gtk_show_multiorb_window();
  EXPECT_EQ(multi_view_win, nullptr);

  // The file goes away after it was read: the tiles can't get their grids.
  open_orbitals();
  std::remove(path.c_str());
  GtkWidget* win = open_window();
  ASSERT_NE(win, nullptr);
  EXPECT_EQ(tiles(win).size(), orbital_tiles(*m).size());
  EXPECT_NE(statusbar_text(statusbar1).find("ERROR"), std::string::npos) << statusbar_text(statusbar1);
  // Closing with the window manager while tiles are being built.
  GdkEvent* event = gdk_event_new(GDK_DELETE);
  event->any.window = GDK_WINDOW(g_object_ref(win->window));
  gtk_main_do_event(event);
  gdk_event_free(event);
  viewer.settle();
  EXPECT_EQ(multi_view_win, nullptr);
}

}  // namespace
