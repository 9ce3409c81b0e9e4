// The "draw" page: buttons that draw an arrow, a sphere, a plane, a triangle
// or a cell through the selected atoms, place a text box or clear the drawn
// objects, and below them one button per object of the geometry, in its
// colour, that opens the object's editor. The drawing buttons follow the
// number of selected atoms; the object buttons are made anew on every change
// of the objects.
#include <string>
#include <vector>

#include "app/guarded.h"
#include "edit/atom_edit.h"
#include "edit/edit_keys.h"
#include "edit/object_edit.h"
#include "edit/textbox_editing.h"
#include "molecule/mol_data.h"
#include "molecule/notify.h"
#include "ui/widgets.h"

GtkWidget* vbox_draw = nullptr;
GtkWidget* vbox_3Dobject = nullptr;

namespace {

struct draw_page_state_t {
  GtkWidget* button_arrow = nullptr;
  GtkWidget* button_sphere = nullptr;
  GtkWidget* button_plain = nullptr;
  GtkWidget* button_triangle = nullptr;
  GtkWidget* button_cell = nullptr;
  GtkWidget* button_clear_drawed = nullptr;
  GtkWidget* objects_window = nullptr;  // the scrolled window around vbox_3Dobject
  // The object each button opens; a button's data point into this vector,
  // which is replaced only together with the buttons.
  std::vector<object_ref_t> objects;
  std::vector<GtkWidget*> object_buttons;
} state;

void pack(GtkWidget* box, GtkWidget* child, bool expand = false) {
  gtk_box_pack_start(GTK_BOX(box), child, expand, expand, 0);
}

GtkWidget* button(const char* label, GCallback action) {
  GtkWidget* b = gtk_button_new_with_label(label);
  g_signal_connect_swapped(b, "clicked", action, nullptr);
  return b;
}

void on_text() {
  textbox_add_command();
  invalidate_drawing_area();
}

bool any_drawn_object() { return m && m->nvector() + m->nsphere() + m->nsurf() + m->ntriangle() + m->ncell() > 0; }

void set_state(GtkWidget* w, bool sensitive, const char* tooltip) {
  gtk_widget_set_sensitive(w, sensitive);
  gtk_widget_set_tooltip_text(w, tooltip);
}

// Background of every state of a button in colour c.
void paint(GtkWidget* w, const color_t& c) {
  GdkColor colour;
  colour.pixel = 0;
  colour.red = static_cast<guint16>(c.red * 65535);
  colour.green = static_cast<guint16>(c.green * 65535);
  colour.blue = static_cast<guint16>(c.blue * 65535);
  for (GtkStateType s : {GTK_STATE_NORMAL, GTK_STATE_PRELIGHT, GTK_STATE_ACTIVE}) gtk_widget_modify_bg(w, s, &colour);
}

}  // namespace

GtkWidget* make_draw_page() {
  vbox_draw = gtk_vbox_new(FALSE, 2);
  state.button_arrow = button("draw arrow", G_CALLBACK(guarded<add_vector_selected>));
  state.button_sphere = button("draw sphere", G_CALLBACK(guarded<add_sphere_selected>));
  state.button_plain = button("draw plain", G_CALLBACK(guarded<add_surface_selected>));
  state.button_triangle = button("draw triangle", G_CALLBACK(guarded<add_triangle_selected>));
  state.button_cell = button("draw cell", G_CALLBACK(guarded<add_cell_selected>));
  // Two buttons a row: the page must not make the side panel taller than
  // the drawing area.
  GtkWidget* grid = gtk_table_new(3, 2, TRUE);
  GtkWidget* buttons[] = {state.button_arrow, state.button_sphere,
                          state.button_plain, state.button_triangle,
                          state.button_cell,  button("insert text", G_CALLBACK(guarded<on_text>))};
  for (int k = 0; k < 6; ++k) {
    if (k < 5) gtk_widget_set_sensitive(buttons[k], FALSE);
    const guint x = static_cast<guint>(k % 2), y = static_cast<guint>(k / 2);
    gtk_table_attach_defaults(GTK_TABLE(grid), buttons[k], x, x + 1, y, y + 1);
  }
  pack(vbox_draw, grid);
  pack(vbox_draw, gtk_hseparator_new());
  state.button_clear_drawed = gtk_button_new_from_stock(GTK_STOCK_CLEAR);
  g_signal_connect_swapped(state.button_clear_drawed, "clicked", G_CALLBACK(guarded<clear_drawn_objects>), nullptr);
  set_state(state.button_clear_drawed, false, "Clear all vectors, spheres, triangles, plains and cells");
  pack(vbox_draw, state.button_clear_drawed);
  pack(vbox_draw, gtk_hseparator_new());

  vbox_3Dobject = gtk_vbox_new(FALSE, 1);
  state.objects_window = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(state.objects_window), GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC);
  gtk_scrolled_window_add_with_viewport(GTK_SCROLLED_WINDOW(state.objects_window), vbox_3Dobject);
  pack(vbox_draw, state.objects_window, true);
  // Shown once the geometry has objects.
  gtk_widget_show_all(state.objects_window);
  gtk_widget_hide(state.objects_window);
  gtk_widget_set_no_show_all(state.objects_window, TRUE);
  return vbox_draw;
}

void mivor_gtk_update_draw_page() {
  if (!vbox_draw) return;
  const int n = m ? m->n_selected : 0;
  set_state(state.button_arrow, n == 2,
            n <= 1 ? "select two atoms that define vector" : "draw vector between selecter atoms");
  set_state(state.button_sphere, n == 1 || n == 2,
            n == 0   ? "select one or two that defines center (and radius) of sphere"
            : n <= 2 ? "draw sphere around selected atom"
                     : "select atom that defines center of sphere");
  set_state(state.button_plain, n == 3,
            n <= 2 ? "select three atoms that define plain" : "draw plain through selected atoms");
  set_state(state.button_triangle, n == 3,
            n <= 2 ? "select three atoms that define triangle" : "draw triangle through selected atoms");
  set_state(state.button_cell, n == 4,
            n == 4 ? "draw cell through selected atoms" : "select four atoms that define a cell");
  gtk_widget_set_sensitive(state.button_clear_drawed, any_drawn_object());
}

void mivor_gtk_update_3Dobject_info() {
  if (!vbox_3Dobject) return;
  for (GtkWidget* b : state.object_buttons) gtk_widget_destroy(b);
  state.object_buttons.clear();
  state.objects = m ? list_objects(*m) : std::vector<object_ref_t>{};
  for (object_ref_t& o : state.objects) {
    GtkWidget* b = gtk_button_new_with_label(object_title(o).c_str());
    paint(b, object_color(*m, o));
    g_signal_connect(b, "clicked", G_CALLBACK(guarded<mivor_gtk_modify_3Dobject>), &o);
    pack(vbox_3Dobject, b);
    gtk_widget_show(b);
    state.object_buttons.push_back(b);
  }
  if (state.objects.empty()) {
    gtk_widget_hide(state.objects_window);
  } else {
    gtk_widget_show(state.objects_window);
  }
  mivor_gtk_update_draw_page();
}
