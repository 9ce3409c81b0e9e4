// The side panel at the width the window gives it: the fragment palette
// lays its buttons out in as many columns as fit, in the library's order,
// each shown whole and inserting its fragment when clicked, and follows the
// panel's width; no page of the panel is cut off at its right edge.
#include <gtest/gtest.h>
// After the test framework: the X headers define macros such as None.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <gdk/gdkx.h>

#include <sstream>
#include <string>
#include <vector>

#include "edit/fragment_library.h"
#include "gui/viewer.h"
#include "gui/widget_events.h"
#include "molecule/mol_data.h"
#include "ui/main_window.h"
#include "ui/widgets.h"

namespace {

struct box_t {
  int x = 0, y = 0, width = 0, height = 0;
  int right() const { return x + width; }
  int bottom() const { return y + height; }
  bool holds(const box_t& b) const { return b.x >= x && b.y >= y && b.right() <= right() && b.bottom() <= bottom(); }
};

// Where a widget's allocation is on the screen.
box_t on_screen(GtkWidget* widget) {
  int x = 0, y = 0;
  gdk_window_get_origin(widget->window, &x, &y);
  if (GTK_WIDGET_NO_WINDOW(widget)) x += widget->allocation.x, y += widget->allocation.y;
  return {x, y, widget->allocation.width, widget->allocation.height};
}

GtkWidget* panel() { return gtk_widget_get_parent(notebook); }

void show_page(GtkWidget* page) {
  gtk_notebook_set_current_page(GTK_NOTEBOOK(notebook), gtk_notebook_page_num(GTK_NOTEBOOK(notebook), page));
  Viewer::get().settle(200);
}

// A fragment of the library as the repository lists it: the name its
// button's tooltip shows and the atoms it brings when inserted on its own
// (all but the first line of atoms of its file).
struct library_fragment_t {
  std::string name;
  std::vector<std::string> atoms;
};

std::vector<library_fragment_t> repository_library() {
  std::vector<library_fragment_t> library;
  std::istringstream list(read_file(MIVOR_SOURCE_DIR "/mivorrc/fragments.rc"));
  std::string file, image;
  while (list >> file >> image) {
    std::istringstream text(read_file(MIVOR_SOURCE_DIR "/mivorrc/" + file));
    int n = 0;
    std::string line, symbol;
    text >> n;
    std::getline(text, line);
    std::getline(text, line);
    library_fragment_t fragment{file.substr(0, file.rfind('.')), {}};
    for (int i = 0; i < n && std::getline(text, line); ++i) {
      std::istringstream(line) >> symbol;
      if (i > 0) fragment.atoms.push_back(symbol);
    }
    library.push_back(fragment);
  }
  return library;
}

// The palette's button whose tooltip is `name`, or null.
GtkWidget* palette_button(const std::string& name) {
  for (GtkWidget* button : find_all(table_fragments, GTK_TYPE_BUTTON)) {
    gchar* tip = gtk_widget_get_tooltip_text(button);
    const bool found = tip && name == tip;
    g_free(tip);
    if (found) return button;
  }
  return nullptr;
}

class Palette : public ::testing::Test {
 protected:
  void SetUp() override {
    library = repository_library();
    ASSERT_GE(library.size(), 20u);
    for (const library_fragment_t& fragment : library) buttons.push_back(palette_button(fragment.name));
    for (GtkWidget* button : buttons) ASSERT_TRUE(button);
    viewport = gtk_widget_get_ancestor(table_fragments, GTK_TYPE_VIEWPORT);
    page = gtk_widget_get_ancestor(table_fragments, GTK_TYPE_SCROLLED_WINDOW);
    gtk_widget_get_size_request(panel(), &panel_width, nullptr);
    gtk_window_get_size(GTK_WINDOW(window), &window_width, &window_height);
  }
  void TearDown() override {
    gtk_widget_set_size_request(panel(), panel_width, -1);
    gtk_window_resize(GTK_WINDOW(window), window_width, window_height);
    viewer.settle(300);
  }
  // The part of the palette the page shows.
  box_t visible() {
    box_t view;
    gdk_window_get_origin(GTK_VIEWPORT(viewport)->view_window, &view.x, &view.y);
    gdk_drawable_get_size(GTK_VIEWPORT(viewport)->view_window, &view.width, &view.height);
    return view;
  }
  // Turns the mouse wheel over the page until the button is in view.
  bool scroll_to(GtkWidget* button) {
    Display* dpy = GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
    for (int turn = 0; turn < 60; ++turn) {
      const box_t view = visible(), b = on_screen(button);
      if (view.holds(b)) return true;
      XTestFakeMotionEvent(dpy, -1, view.x + view.width / 2, view.y + view.height / 2, CurrentTime);
      const unsigned wheel = b.y < view.y ? 4 : 5;
      XTestFakeButtonEvent(dpy, wheel, True, CurrentTime);
      XTestFakeButtonEvent(dpy, wheel, False, CurrentTime);
      viewer.settle(20);
    }
    return false;
  }
  // The palette's columns, after checking that the buttons run row by row
  // in the library's order and that the panel shows the page whole.
  int columns() {
    EXPECT_TRUE(on_screen(panel()).holds(on_screen(page)));
    int n = 1;
    while (n < int(buttons.size()) && buttons[size_t(n)]->allocation.y == buttons[0]->allocation.y) ++n;
    for (size_t k = 1; k < buttons.size(); ++k) {
      const GtkAllocation &a = buttons[k]->allocation, &before = buttons[k - 1]->allocation;
      if (k % size_t(n) == 0) {
        EXPECT_EQ(a.x, buttons[0]->allocation.x) << library[k].name;
        EXPECT_GT(a.y, before.y) << library[k].name;
      } else {
        EXPECT_EQ(a.y, before.y) << library[k].name;
        EXPECT_GT(a.x, before.x) << library[k].name;
      }
    }
    return n;
  }
  // Every button whole in view, reached by scrolling up and down alone.
  void expect_every_button_shown_whole() {
    GtkAdjustment* across = gtk_viewport_get_hadjustment(GTK_VIEWPORT(viewport));
    EXPECT_LE(gtk_adjustment_get_upper(across), gtk_adjustment_get_page_size(across));
    for (size_t k = 0; k < buttons.size(); ++k) {
      EXPECT_TRUE(scroll_to(buttons[k])) << library[k].name;
      EXPECT_EQ(gtk_adjustment_get_value(across), 0) << library[k].name;
    }
  }
  // The widest the palette is with its columns leaves no room for one more.
  void expect_no_room_for_another_column(int n) {
    const int column = table_fragments->requisition.width / n;
    EXPECT_LE(column * n, visible().width);
    if (n < int(buttons.size())) {
      EXPECT_GT(column * (n + 1), visible().width);
    }
  }
  Viewer& viewer = Viewer::get();
  std::vector<library_fragment_t> library;
  std::vector<GtkWidget*> buttons;
  GtkWidget* viewport = nullptr;
  GtkWidget* page = nullptr;
  int panel_width = 0, window_width = 0, window_height = 0;
};

TEST_F(Palette, EveryButtonShowsWholeInsertsItsFragmentAndFollowsThePanelsWidth) {
  open_editable_example("water.mvr");
  show_page(page);

  // At the panel's own width, in a window too short for every row.
  const int n = columns();
  EXPECT_GE(n, 2);
  EXPECT_LT(n, int(buttons.size()));
  expect_no_room_for_another_column(n);
  for (size_t k = 0; k < buttons.size(); ++k) {
    SCOPED_TRACE(library[k].name);
    ASSERT_TRUE(scroll_to(buttons[k]));
    EXPECT_TRUE(GTK_IS_IMAGE(gtk_bin_get_child(GTK_BIN(buttons[k]))));
    const int before = m->natom();
    click_widget(buttons[k]);
    ASSERT_EQ(m->natom(), before + int(library[k].atoms.size()));
    for (size_t i = 0; i < library[k].atoms.size(); ++i)
      EXPECT_STRCASEEQ(atom_element(*m, before + int(i)).name.c_str(), library[k].atoms[i].c_str());
    EXPECT_EQ(get_last_fragment(), int(k));
  }
  expect_every_button_shown_whole();

  // A wider panel in a taller window: more columns, laid out again.
  gtk_widget_set_size_request(panel(), panel_width + 200, -1);
  gtk_window_resize(GTK_WINDOW(window), window_width + 200, 900);
  viewer.settle(300);
  const int wide = columns();
  EXPECT_GT(wide, n);
  expect_no_room_for_another_column(wide);
  expect_every_button_shown_whole();

  // Narrower than a button: still one column.
  gtk_widget_set_size_request(panel(), 40, -1);
  viewer.settle(300);
  EXPECT_EQ(columns(), 1);

  // Back at its width the palette settles: no allocation follows another.
  gtk_widget_set_size_request(panel(), panel_width, -1);
  viewer.settle(300);
  EXPECT_EQ(columns(), n);
  int allocations = 0;
  const gulong counter = g_signal_connect_swapped(table_fragments, "size-allocate",
                                                  G_CALLBACK(+[](int* count) { ++*count; }), &allocations);
  viewer.settle(300);
  g_signal_handler_disconnect(table_fragments, counter);
  EXPECT_EQ(allocations, 0);
  EXPECT_FALSE(gtk_events_pending());
  expect_every_button_shown_whole();
}

// Widgets that ask for more width than they have, or stand beyond the
// panel's edges: "page: type 'text' at left..right, wants width". The
// content of a scrolled window that scrolls sideways is left out: it is
// meant to be wider.
void find_cut(GtkWidget* widget, const box_t& panel_box, const std::string& page, std::vector<std::string>& cut) {
  if (!GTK_WIDGET_MAPPED(widget)) return;
  GtkRequisition wanted;
  gtk_widget_get_child_requisition(widget, &wanted);
  const box_t box = on_screen(widget);
  if (wanted.width > widget->allocation.width || box.x < panel_box.x || box.right() > panel_box.right()) {
    std::string text;
    if (GTK_IS_LABEL(widget)) text = gtk_label_get_text(GTK_LABEL(widget));
    cut.push_back(page + ": " + G_OBJECT_TYPE_NAME(widget) + " '" + text + "' at " + std::to_string(box.x) + ".." +
                  std::to_string(box.right()) + ", wants " + std::to_string(wanted.width));
  }
  if (GTK_IS_SCROLLED_WINDOW(widget)) {
    GtkPolicyType across = GTK_POLICY_NEVER;
    gtk_scrolled_window_get_policy(GTK_SCROLLED_WINDOW(widget), &across, nullptr);
    if (across != GTK_POLICY_NEVER) return;
  }
  if (!GTK_IS_CONTAINER(widget)) return;
  GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
  for (GList* c = children; c; c = c->next) find_cut(GTK_WIDGET(c->data), panel_box, page, cut);
  g_list_free(children);
}

TEST(SidePanel, NoPageIsCutAtThePanelsWidth) {
  Viewer& viewer = Viewer::get();
  std::vector<GtkWidget*> expanders = find_all(panel(), GTK_TYPE_EXPANDER);
  std::vector<gboolean> open;
  for (GtkWidget* expander : expanders) open.push_back(gtk_expander_get_expanded(GTK_EXPANDER(expander)));
  // Each file shows other pages and expanders: modes, orbitals and grids,
  // geometries.
  for (const char* file : {"vibrations.mvr", "formaldehyde_orbitals.mvr", "trajectory.mvr"}) {
    open_editable_example(file);
    for (GtkWidget* expander : expanders) gtk_expander_set_expanded(GTK_EXPANDER(expander), TRUE);
    // The window grows to take them.
    viewer.settle(500);
    std::vector<std::string> cut;
    for (int k = 0; k < gtk_notebook_get_n_pages(GTK_NOTEBOOK(notebook)); ++k) {
      GtkWidget* page = gtk_notebook_get_nth_page(GTK_NOTEBOOK(notebook), k);
      if (!GTK_WIDGET_VISIBLE(page)) continue;
      show_page(page);
      find_cut(panel(), on_screen(panel()), gtk_notebook_get_tab_label_text(GTK_NOTEBOOK(notebook), page), cut);
    }
    EXPECT_EQ(cut, std::vector<std::string>{}) << file;
  }
  // Titles cut short by the panel are whole in their tooltips: those of
  // the calculation page, the only expanders on a page.
  const std::vector<GtkWidget*> titled = find_all(notebook, GTK_TYPE_EXPANDER);
  EXPECT_FALSE(titled.empty());
  for (GtkWidget* expander : titled) {
    GtkWidget* title = gtk_expander_get_label_widget(GTK_EXPANDER(expander));
    gchar* tip = gtk_widget_get_tooltip_text(title);
    EXPECT_EQ(std::string(tip ? tip : ""), gtk_label_get_text(GTK_LABEL(title)));
    g_free(tip);
  }
  for (size_t i = 0; i < expanders.size(); ++i) gtk_expander_set_expanded(GTK_EXPANDER(expanders[i]), open[i]);
  viewer.settle();
}

}  // namespace
