// The plot window and the calculation page in the real window: a spectrum
// that follows the mode on show, and an xtb optimisation started from the
// page, followed live and plotted.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "app/calculation.h"
#include "document/current_file.h"
#include "gui/viewer.h"
#include "molecule/mol_data.h"
#include "render/graph_data.h"
#include "ui/widgets.h"

namespace {

const char water_modes[] =
    "  3\nwater modes\n"
    " O 0.0 0.0 0.1\n H 0.0 0.85 -0.5\n H 0.0 -0.7 -0.45\n"
    "<VIBRATION>\n FREQ = 1600.0  IR_INT = 60.0\n 0 0.05 -0.28\n 0 0.27 0.57\n 0 -0.47 0.55\n</VIBRATION>\n"
    "<VIBRATION>\n FREQ = 3650.0  IR_INT = 5.0\n 0 0.19 -0.10\n 0 -0.84 0.48\n 0 0.08 -0.08\n</VIBRATION>\n"
    "<VIBRATION>\n FREQ = 3750.0  IR_INT = 40.0\n 0 -0.19 -0.15\n 0 -0.01 0\n 0 0.77 0.60\n</VIBRATION>\n"
    " <END>\n";

const char distorted_water[] = "  3\ndistorted water\n O 0.0 0.0 0.1\n H 0.0 0.85 -0.5\n H 0.0 -0.7 -0.45\n <END>\n";

int open_dialogs() {
  int n = 0;
  GList* windows = gtk_window_list_toplevels();
  for (GList* w = windows; w; w = w->next) n += GTK_IS_DIALOG(w->data) && GTK_WIDGET_VISIBLE(w->data);
  g_list_free(windows);
  return n;
}

// The red of the marker: a ring of radius 3 around its centre.
bool marker_at(Viewer& viewer, const graph_point_t& centre) {
  GtkWidget* area = graph_drawing_area();
  for (auto [dx, dy] : {std::pair{3, 0}, std::pair{-3, 0}, std::pair{0, 3}, std::pair{0, -3}}) {
    const rgb_t p = viewer.pixel_of(area, int(std::lround(centre.x)) + dx, int(std::lround(centre.y)) + dy);
    if (p.r > 200 && p.g < 100 && p.b < 100) return true;
  }
  return false;
}

graph_picture_t picture() {
  GtkWidget* area = graph_drawing_area();
  return graph_picture(graph, area->allocation.width, area->allocation.height);
}

// The first button under `root` whose label reads `label`; any button
// for a null label.
GtkWidget* find_button(GtkWidget* root, const char* label) {
  if (GTK_IS_BUTTON(root)) {
    const gchar* text = gtk_button_get_label(GTK_BUTTON(root));
    if (!label || (text && std::string(text) == label)) return root;
  }
  if (!GTK_IS_CONTAINER(root)) return nullptr;
  GList* children = gtk_container_get_children(GTK_CONTAINER(root));
  GtkWidget* found = nullptr;
  for (GList* c = children; c && !found; c = c->next) found = find_button(GTK_WIDGET(c->data), label);
  g_list_free(children);
  return found;
}

GtkWidget* notebook_page(const char* title) {
  for (int i = 0; i < gtk_notebook_get_n_pages(GTK_NOTEBOOK(notebook)); ++i) {
    GtkWidget* page = gtk_notebook_get_nth_page(GTK_NOTEBOOK(notebook), i);
    const gchar* text = gtk_notebook_get_tab_label_text(GTK_NOTEBOOK(notebook), page);
    if (text && std::string(text) == title) return page;
  }
  return nullptr;
}

void close_plot(Viewer& viewer) {
  if (!graph_drawing_area()) return;
  GtkWidget* dialog = gtk_widget_get_toplevel(graph_drawing_area());
  viewer.click_widget(find_button(dialog, GTK_STOCK_OK));
}

TEST(PlotsAndCalculations, SpectrumMarkerFollowsTheModeAndOnePlotWindowAtMost) {
  Viewer& viewer = Viewer::get();
  viewer.open(viewer.dir().write("work/modes.mvr", water_modes));
  ASSERT_EQ(m->nvibr(), 3);
  gtk_notebook_set_current_page(GTK_NOTEBOOK(notebook), gtk_notebook_page_num(GTK_NOTEBOOK(notebook), vbox_vibration));
  viewer.settle();
  const int dialogs = open_dialogs();
  viewer.click_widget(vib_spectrum_button);
  ASSERT_NE(graph_drawing_area(), nullptr);
  viewer.settle(200);
  EXPECT_EQ(open_dialogs(), dialogs + 1);
  EXPECT_EQ(graph.graph_type, GRAPH_SPECTRUM);
  EXPECT_EQ(std::string(gtk_window_get_title(GTK_WINDOW(gtk_widget_get_toplevel(graph_drawing_area())))),
            "Vibrational spectrum");
  graph_picture_t pic = picture();
  ASSERT_EQ(pic.lines.size(), 3u);
  EXPECT_TRUE(marker_at(viewer, pic.marker)) << "the red marker at the first stick's foot";

  // The second mode's button shows that mode; the marker moves to its
  // stick. (The plot moves aside, off the side panel.)
  gtk_window_move(GTK_WINDOW(gtk_widget_get_toplevel(graph_drawing_area())), 900, 0);
  viewer.settle();
  GList* modes = gtk_container_get_children(GTK_CONTAINER(vbox_freqs));
  ASSERT_EQ(g_list_length(modes), 3u);
  GtkWidget* second = GTK_WIDGET(g_list_nth_data(modes, 1));
  g_list_free(modes);
  viewer.click_widget(find_button(second, nullptr));
  EXPECT_EQ(ivib, 1);
  viewer.settle(200);
  pic = picture();
  EXPECT_NEAR(pic.marker.x, pic.lines[1].from.x, 0.5);
  EXPECT_TRUE(marker_at(viewer, pic.marker));
  // A click on the third stick makes it the mode on show.
  viewer.click_widget(graph_drawing_area(), int(pic.lines[2].from.x) + 1, int(pic.lines[2].from.y) - 20);
  EXPECT_EQ(ivib, 2);
  EXPECT_EQ(graph.current_data, 2);

  close_plot(viewer);
  EXPECT_EQ(graph_drawing_area(), nullptr);
  EXPECT_EQ(graph.graph_type, GRAPH_NONE);
  EXPECT_EQ(open_dialogs(), dialogs);
}

TEST(PlotsAndCalculations, XtbOptimisationFromThePageIsFollowedAndPlotted) {
  if (std::system("command -v xtb >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "xtb is not installed (Debian package xtb; scripts/install-deps.sh installs it)";
  Viewer& viewer = Viewer::get();
  viewer.open(viewer.dir().write("work/water.mvr", distorted_water));
  GtkWidget* page = notebook_page("calculation");
  ASSERT_NE(page, nullptr) << "no calculation page";
  gtk_notebook_set_current_page(GTK_NOTEBOOK(notebook), gtk_notebook_page_num(GTK_NOTEBOOK(notebook), page));
  GList* expanders = gtk_container_get_children(GTK_CONTAINER(page));
  GtkWidget* first = GTK_WIDGET(expanders->data);
  g_list_free(expanders);
  ASSERT_TRUE(GTK_IS_EXPANDER(first));
  EXPECT_EQ(std::string(gtk_expander_get_label(GTK_EXPANDER(first))), "Geometry optimisation (xtb, GFN2-xTB)");
  gtk_expander_set_expanded(GTK_EXPANDER(first), TRUE);
  viewer.settle();
  GtkWidget* stop = find_button(page, GTK_STOCK_STOP);
  ASSERT_NE(stop, nullptr);
  EXPECT_FALSE(gtk_widget_is_sensitive(stop));

  GtkWidget* execute = find_button(first, GTK_STOCK_EXECUTE);
  viewer.click_widget(execute);
  EXPECT_TRUE(calculation_running()) << "execute at " << execute->allocation.x << "," << execute->allocation.y << " "
                                     << execute->allocation.width << "x" << execute->allocation.height << " mapped "
                                     << GTK_WIDGET_MAPPED(execute) << " window " << window->allocation.width << "x"
                                     << window->allocation.height;
  EXPECT_TRUE(gtk_widget_is_sensitive(stop));
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (calculation_running() && std::chrono::steady_clock::now() < end) viewer.settle(100);
  ASSERT_FALSE(calculation_running());
  EXPECT_EQ(statusbar_text(statusbar2), calc_completed_text);
  EXPECT_FALSE(gtk_widget_is_sensitive(stop));
  EXPECT_TRUE(viewer.take_warnings().empty());
  EXPECT_NE(input_file_name.find("/newfile_"), std::string::npos) << input_file_name;

  // One geometry per step, energies going down, the last one on show.
  const int n = n_geometries();
  ASSERT_GE(n, 3);
  EXPECT_EQ(igeo, n - 1);
  for (int k = 1; k < n; ++k) EXPECT_LE(mol[size_t(k)].energy, mol[size_t(k - 1)].energy + 1e-9);
  const vec3 o = m->xyz[0], h = m->xyz[1];
  EXPECT_NEAR(std::sqrt((o[0] - h[0]) * (o[0] - h[0]) + (o[1] - h[1]) * (o[1] - h[1]) + (o[2] - h[2]) * (o[2] - h[2])),
              0.96, 0.02);

  // The energy plot: one point per geometry, the red marker on the last.
  gtk_expander_set_expanded(GTK_EXPANDER(first), FALSE);
  gtk_expander_set_expanded(GTK_EXPANDER(geo_expander), TRUE);
  viewer.settle();
  viewer.click_widget(geo_button);
  ASSERT_NE(graph_drawing_area(), nullptr)
      << "graphical info at " << geo_button->allocation.x << "," << geo_button->allocation.y << " viewable "
      << GTK_WIDGET_VISIBLE(geo_button) << GTK_WIDGET_MAPPED(geo_button) << " window height "
      << window->allocation.height;
  viewer.settle(200);
  EXPECT_EQ(graph.graph_type, GRAPH_ENERGIES);
  EXPECT_EQ(graph.nlines(), n);
  graph_picture_t pic = picture();
  EXPECT_TRUE(marker_at(viewer, pic.marker)) << "marker on the current geometry";
  // A click at the first point makes the first geometry current.
  viewer.click_widget(graph_drawing_area(), int(pic.lines[0].from.x), int(pic.lines[0].from.y));
  EXPECT_EQ(igeo, 0);
  viewer.settle(200);
  pic = picture();
  EXPECT_NEAR(pic.marker.x, pic.lines[0].from.x, 0.5);
  EXPECT_TRUE(marker_at(viewer, pic.marker));
  close_plot(viewer);
}

}  // namespace
