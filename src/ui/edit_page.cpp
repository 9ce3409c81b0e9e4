// The "edit" page: add and delete buttons, the bond, angle and dihedral spin
// buttons, the coordinates of one selected atom, the bond-type and angle
// lists, and the frames for marking, watching values and dummy atoms. Its
// sensitivities and values follow the number of selected atoms; the watched values are listed in the panel's "whatched
// values" expander.
//
// The panel sets its own spin buttons and lists while `updating` is on, so
// that their handlers don't act on those changes; and a spin button that
// only re-reads the value it shows (rounded to its digits) moves nothing.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "app/guarded.h"
#include "edit/atom_edit.h"
#include "edit/atom_order.h"
#include "edit/bond_edit.h"
#include "edit/fragment_insert.h"
#include "edit/internal_moves.h"
#include "edit/marking.h"
#include "edit/measures.h"
#include "edit/selection.h"
#include "edit/selection_readout.h"
#include "edit/watched.h"
#include "molecule/mol_data.h"
#include "molecule/notify.h"
#include "ui/widgets.h"

GtkWidget* vbox_edit = nullptr;
GtkWidget* button_add_atom = nullptr;
GtkWidget* button_remove_atom = nullptr;
GtkWidget* button_change_atom = nullptr;
GtkWidget* button_undo = nullptr;
GtkAdjustment* adj_bond = nullptr;
GtkAdjustment* adj_angle = nullptr;
GtkAdjustment* adj_tors = nullptr;
GtkWidget* spin_bond = nullptr;
GtkWidget* spin_angle = nullptr;
GtkWidget* spin_tors = nullptr;
GtkWidget* hbox_xyz = nullptr;
GtkWidget* spin_x = nullptr;
GtkWidget* spin_y = nullptr;
GtkWidget* spin_z = nullptr;
GtkWidget* button_change_bond = nullptr;
GtkWidget* button_change_angle = nullptr;
GtkWidget* button_remove_selection = nullptr;
GtkWidget* button_unmark = nullptr;
GtkWidget* button_renumber = nullptr;
GtkWidget* button_mark_H = nullptr;
GtkWidget* button_mark_reverse = nullptr;
GtkWidget* button_mark_element = nullptr;
GtkWidget* button_neighbor = nullptr;
GtkWidget* button_watch = nullptr;
GtkWidget* button_unwatch = nullptr;
GtkWidget* button_add_dummy = nullptr;

namespace {

struct edit_page_state_t {
  GtkWidget* button_remove_dummy = nullptr;
  std::vector<GtkWidget*> labels_watched;
  bool updating = false;
} state;

// Digits the spin buttons show.
constexpr int measure_digits = 2, xyz_digits = 3;

// True when `value` reads as `shown` at `digits` decimals: the spin button
// only took back the value it displays.
bool same_when_shown(double value, double shown, int digits) {
  char a[64], b[64];
  std::snprintf(a, sizeof a, "%.*f", digits, value);
  std::snprintf(b, sizeof b, "%.*f", digits, shown);
  return std::string(a) == b;
}

void pack(GtkWidget* box, GtkWidget* child, bool expand = false) {
  gtk_box_pack_start(GTK_BOX(box), child, expand, expand, 0);
}

GtkWidget* stock_button(const char* stock_id, const char* tooltip, GCallback callback) {
  GtkWidget* button = gtk_button_new();
  gtk_container_add(GTK_CONTAINER(button), gtk_image_new_from_stock(stock_id, GTK_ICON_SIZE_BUTTON));
  gtk_widget_set_tooltip_text(button, tooltip);
  g_signal_connect_swapped(button, "clicked", callback, nullptr);
  return button;
}

GtkWidget* label_button(GtkWidget* label, const char* tooltip, GCallback callback) {
  GtkWidget* button = gtk_button_new();
  gtk_container_add(GTK_CONTAINER(button), label);
  if (tooltip) gtk_widget_set_tooltip_text(button, tooltip);
  if (callback) g_signal_connect_swapped(button, "clicked", callback, nullptr);
  return button;
}

GtkWidget* markup_label(const char* markup) {
  GtkWidget* label = gtk_label_new(nullptr);
  gtk_label_set_markup(GTK_LABEL(label), markup);
  return label;
}

GtkWidget* spin_button(GtkAdjustment* adj, double climb, int digits, GCallback changed, gpointer data = nullptr) {
  GtkWidget* spin = gtk_spin_button_new(adj, climb, static_cast<guint>(digits));
  // Text that is no number in range is not taken: the spin button shows its
  // value again (otherwise a typo would read as 0 and move the atoms there).
  gtk_spin_button_set_update_policy(GTK_SPIN_BUTTON(spin), GTK_UPDATE_IF_VALID);
  g_signal_connect(spin, "value-changed", changed, data);
  guard_keys(spin);
  return spin;
}

// "label spin unit" in a row.
GtkWidget* spin_row(const char* label, GtkWidget* spin, const char* unit) {
  GtkWidget* row = gtk_hbox_new(FALSE, 2);
  GtkWidget* text = gtk_label_new(label);
  gtk_misc_set_alignment(GTK_MISC(text), 0, 0.5);
  gtk_widget_set_size_request(text, 64, -1);
  pack(row, text);
  pack(row, spin, true);
  pack(row, gtk_label_new(unit));
  return row;
}

void repaint() {
  rerender_3d();
  invalidate_drawing_area();
}

bool selected_count(int n) { return m && m->n_selected == n; }

// ---- Handlers ----

void on_add_atom() {
  if (selected_count(2)) {
    change_bond_type(1);
  } else {
    do_key_insert();
  }
  std::printf("INSERTING FRAGMENT\n");
  std::fflush(stdout);
  repaint();
}

void on_remove_atom() {
  if (selected_count(2)) {
    change_bond_type(0);
  } else {
    delete_coord();
  }
  repaint();
}

void on_undo() { gtk_menu_item_activate(GTK_MENU_ITEM(menu_undo)); }

void on_bond(GtkSpinButton* spin) {
  if (state.updating || !m || m->n_selected < 2) return;
  const double value = gtk_spin_button_get_value(spin);
  if (same_when_shown(get_selected_bond_length(), value, measure_digits)) return;
  mivor_gtk_move_bond(value);
}

void on_angle(GtkSpinButton* spin) {
  if (state.updating || !selected_count(3)) return;
  const double value = gtk_spin_button_get_value(spin);
  if (same_when_shown(get_selected_angle_value(), value, measure_digits)) return;
  mivor_gtk_move_angle(value);
}

void on_torsion(GtkSpinButton* spin) {
  if (state.updating || !selected_count(4)) return;
  const double value = gtk_spin_button_get_value(spin);
  if (same_when_shown(get_selected_dihedral_value(), value, measure_digits)) return;
  mivor_gtk_move_torsion(value);
}

void on_xyz(GtkSpinButton* spin, gpointer axis) {
  if (state.updating || !m || m->n_selected < 1 || !selection_is_valid(*m, 1)) return;
  const int k = GPOINTER_TO_INT(axis);
  const double value = gtk_spin_button_get_value(spin);
  if (same_when_shown(selected_position(*m, 0)[static_cast<size_t>(k)], value, xyz_digits)) return;
  change_xyz_coordinate(k, value);
}

void on_bond_type(GtkComboBox* combo) {
  if (state.updating) return;
  const int type = gtk_combo_box_get_active(combo);
  if (type >= 0) change_bond_type(type);
}

void on_standard_angle(GtkComboBox* combo) {
  if (state.updating) return;
  const int k = gtk_combo_box_get_active(combo);
  if (k < 0 || k >= static_cast<int>(angle_values.size())) return;
  mivor_gtk_move_coord(angle_values[static_cast<size_t>(k)]);
  // The list offers its entries again, the one just chosen included.
  state.updating = true;
  gtk_combo_box_set_active(combo, -1);
  state.updating = false;
}

void on_unselect() {
  unselect_all();
  repaint();
}

void on_renumber() {
  if (m && m->editable) renumber_marked();
}

void on_watch() { add_watched_coord(); }
void on_unwatch() { remove_all_watched_coords(); }
void on_add_dummy() { add_atoms(1); }
void on_remove_dummy() { delete_dummy_atoms(); }

// ---- Building ----

GtkWidget* framed(const char* title, std::initializer_list<GtkWidget*> buttons) {
  GtkWidget* frame = gtk_frame_new(title);
  GtkWidget* row = gtk_hbox_new(TRUE, 2);
  for (GtkWidget* b : buttons) pack(row, b, true);
  gtk_container_add(GTK_CONTAINER(frame), row);
  return frame;
}

GtkWidget* make_spin_rows() {
  GtkWidget* box = gtk_vbox_new(FALSE, 2);
  adj_bond = GTK_ADJUSTMENT(gtk_adjustment_new(0, 0, bond_value_max, 0.1, 1, 0));
  spin_bond = spin_button(adj_bond, 0.1, measure_digits, G_CALLBACK(guarded<on_bond>));
  pack(box, spin_row("bond: ", spin_bond, "\u00c5"));
  adj_angle = GTK_ADJUSTMENT(gtk_adjustment_new(0, 0, angle_value_max, 1, 5, 0));
  spin_angle = spin_button(adj_angle, 1, measure_digits, G_CALLBACK(guarded<on_angle>));
  pack(box, spin_row("angle: ", spin_angle, "\u02da"));
  adj_tors = GTK_ADJUSTMENT(gtk_adjustment_new(0, -dihedral_value_limit, dihedral_value_limit, 1, 5, 0));
  spin_tors = spin_button(adj_tors, 1, measure_digits, G_CALLBACK(guarded<on_torsion>));
  pack(box, spin_row("dihedral: ", spin_tors, "\u02da"));

  hbox_xyz = gtk_hbox_new(FALSE, 1);
  GtkWidget** spins[] = {&spin_x, &spin_y, &spin_z};
  const char* names[] = {"x:", "y:", "z:"};
  for (int k = 0; k < 3; ++k) {
    GtkAdjustment* adj = GTK_ADJUSTMENT(gtk_adjustment_new(0, -999, 999, 0.01, 0.1, 0));
    *spins[k] = spin_button(adj, 0.01, xyz_digits, G_CALLBACK(guarded<on_xyz>), GINT_TO_POINTER(k));
    gtk_entry_set_width_chars(GTK_ENTRY(*spins[k]), 5);
    pack(hbox_xyz, gtk_label_new(names[k]));
    pack(hbox_xyz, *spins[k], true);
  }
  pack(box, hbox_xyz);

  button_change_bond = gtk_combo_box_new_text();
  for (const char* name : bond_description) gtk_combo_box_append_text(GTK_COMBO_BOX(button_change_bond), name);
  g_signal_connect(button_change_bond, "changed", G_CALLBACK(guarded<on_bond_type>), nullptr);
  pack(box, button_change_bond);
  button_change_angle = gtk_combo_box_new_text();
  for (const char* name : {"60\u00b0", "90\u00b0", "109.47\u00b0", "120\u00b0", "180\u00b0"})
    gtk_combo_box_append_text(GTK_COMBO_BOX(button_change_angle), name);
  g_signal_connect(button_change_angle, "changed", G_CALLBACK(guarded<on_standard_angle>), nullptr);
  pack(box, button_change_angle);
  return box;
}

void set_sensitive(std::initializer_list<GtkWidget*> widgets, bool on) {
  for (GtkWidget* w : widgets) gtk_widget_set_sensitive(w, on);
}

void show(GtkWidget* widget, bool on) {
  if (on) {
    gtk_widget_show(widget);
  } else {
    gtk_widget_hide(widget);
  }
}

void set_spin(GtkWidget* spin, double value) { gtk_spin_button_set_value(GTK_SPIN_BUTTON(spin), value); }

// The widgets that follow the number n of selected atoms.
void follow_selection(int n) {
  const bool two = n == 2, three = n == 3, four = n == 4;
  gtk_widget_set_sensitive(button_change_atom, n == 1);
  gtk_widget_set_sensitive(button_add_atom, n <= 2);
  gtk_widget_set_sensitive(button_remove_selection, n >= 1);
  set_sensitive({button_mark_H, button_mark_reverse}, n == 0);
  gtk_widget_set_sensitive(button_mark_element, n == 1);
  gtk_widget_set_sensitive(button_neighbor, n == 1 || two);
  gtk_widget_set_sensitive(button_watch, n >= 2);
  gtk_widget_set_sensitive(spin_bond, two);
  gtk_widget_set_sensitive(spin_angle, three);
  gtk_widget_set_sensitive(spin_tors, four);
  // With three atoms the dummy button keeps its state.
  if (!three) gtk_widget_set_sensitive(button_add_dummy, n == 0 || two);

  const bool valid = m && selection_is_valid(*m, n);
  show(hbox_xyz, n == 1 && valid);
  show(button_change_bond, two && valid);
  show(button_change_angle, three && valid);
  if (!valid) return;
  if (n == 1) {
    const vec3& p = selected_position(*m, 0);
    set_spin(spin_x, p[0]);
    set_spin(spin_y, p[1]);
    set_spin(spin_z, p[2]);
  } else if (two) {
    gtk_combo_box_set_active(GTK_COMBO_BOX(button_change_bond), get_bond_type(m->selected[0], m->selected[1]));
    set_spin(spin_bond, get_selected_bond_length());
  } else if (three) {
    gtk_combo_box_set_active(GTK_COMBO_BOX(button_change_angle), -1);
    set_spin(spin_angle, get_selected_angle_value());
  } else if (four) {
    set_spin(spin_tors, get_selected_dihedral_value());
  }
}

// One label per watched value, rebuilt when their number changed and
// rewritten otherwise.
void follow_watched_values() {
  if (n_watched() == 0) {
    gtk_widget_set_sensitive(button_unwatch, FALSE);
    for (GtkWidget* label : state.labels_watched) gtk_widget_destroy(label);
    state.labels_watched.clear();
    return;
  }
  gtk_widget_set_sensitive(button_unwatch, TRUE);
  gtk_widget_show(vbox_watched);
  if (state.labels_watched.size() != watch.size()) {
    for (GtkWidget* label : state.labels_watched) gtk_widget_destroy(label);
    state.labels_watched.clear();
    for (size_t k = 0; k < watch.size(); ++k) {
      GtkWidget* label = gtk_label_new("");
      gtk_misc_set_alignment(GTK_MISC(label), 0, 0.5);
      gtk_box_pack_start(GTK_BOX(vbox_watched), label, FALSE, FALSE, 0);
      gtk_widget_show(label);
      state.labels_watched.push_back(label);
    }
  }
  change_watched_data();
}

}  // namespace

GtkWidget* make_edit_page() {
  vbox_edit = gtk_vbox_new(FALSE, 2);
  pack(vbox_edit, gtk_label_new("edit molecule"));

  GtkWidget* row = gtk_hbox_new(FALSE, 2);
  button_add_atom = stock_button(GTK_STOCK_ADD, "Add an atom", G_CALLBACK(guarded<on_add_atom>));
  button_remove_atom = stock_button(GTK_STOCK_REMOVE, "delete atom", G_CALLBACK(guarded<on_remove_atom>));
  button_change_atom = gtk_button_new_with_label("Change");
  g_signal_connect(button_change_atom, "clicked", G_CALLBACK(guarded<callback_change_atom>), nullptr);
  button_undo = stock_button(GTK_STOCK_UNDO, "Undo last action", G_CALLBACK(guarded<on_undo>));
  for (GtkWidget* b : {button_add_atom, button_remove_atom, button_change_atom, button_undo}) pack(row, b, true);
  pack(vbox_edit, row);

  pack(vbox_edit, make_spin_rows());
  pack(vbox_edit, gtk_hseparator_new());
  button_remove_selection = gtk_button_new_with_label("unselect");
  g_signal_connect_swapped(button_remove_selection, "clicked", G_CALLBACK(guarded<on_unselect>), nullptr);
  pack(vbox_edit, button_remove_selection);

  button_unmark = stock_button(GTK_STOCK_CLEAR, "unmark all marked atoms", G_CALLBACK(guarded<unmark_all>));
  button_renumber = stock_button(GTK_STOCK_SORT_ASCENDING, "renumber atoms and put marked atoms first",
                                 G_CALLBACK(guarded<on_renumber>));
  button_mark_H = label_button(markup_label("<span size=\"xx-large\">H</span>"), "Mark hydrogen atoms in the molecule ",
                               G_CALLBACK(guarded<mark_H>));
  button_mark_reverse = stock_button(GTK_STOCK_CONVERT, "Reverse marked atoms", G_CALLBACK(guarded<reverse_marked>));
  button_mark_element = stock_button(GTK_STOCK_SELECT_ALL, "Mark all atoms which are the same element as selected atom",
                                     G_CALLBACK(guarded<mark_element_as_selected>));
  button_neighbor = label_button(gtk_label_new("\u22b6"), "Mark atoms bonded to the selected atom",
                                 G_CALLBACK(guarded<mark_neighbor>));
  pack(vbox_edit, framed("mark atoms", {button_unmark, button_renumber, button_mark_H, button_mark_reverse,
                                        button_mark_element, button_neighbor}));

  button_watch =
      stock_button(GTK_STOCK_ADD, "Watch the value of the bond/angle/torsion", G_CALLBACK(guarded<on_watch>));
  button_unwatch = stock_button(GTK_STOCK_REMOVE, "Remove all watched values", G_CALLBACK(guarded<on_unwatch>));
  pack(vbox_edit, framed("watch values", {button_watch, button_unwatch}));

  button_add_dummy = stock_button(GTK_STOCK_ADD, "add dummy atoms", G_CALLBACK(guarded<on_add_dummy>));
  state.button_remove_dummy =
      stock_button(GTK_STOCK_REMOVE, "remove dummy atoms", G_CALLBACK(guarded<on_remove_dummy>));
  pack(vbox_edit, framed("dummy atoms", {button_add_dummy, state.button_remove_dummy}));

  // Hidden until one atom, two or three are selected.
  for (GtkWidget* w : {hbox_xyz, button_change_bond, button_change_angle}) {
    gtk_widget_show_all(w);
    gtk_widget_hide(w);
    gtk_widget_set_no_show_all(w, TRUE);
  }
  // The page scrolls, so that its height does not decide the window's.
  GtkWidget* window = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(window), GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC);
  gtk_scrolled_window_add_with_viewport(GTK_SCROLLED_WINDOW(window), vbox_edit);
  gtk_viewport_set_shadow_type(GTK_VIEWPORT(gtk_bin_get_child(GTK_BIN(window))), GTK_SHADOW_NONE);
  return window;
}

void mivor_gtk_update_edit_page() {
  if (!vbox_edit) return;
  state.updating = true;
  const int n = m ? std::min(std::max(m->n_selected, 0), 4) : 0;
  follow_selection(n);
  if (!m) {
    set_sensitive({button_remove_atom, button_change_atom, button_add_dummy, button_remove_selection, button_mark_H,
                   button_mark_reverse, button_mark_element, button_neighbor},
                  false);
  }
  const bool marked = m && m->n_marked() > 0;
  set_sensitive({button_unmark, button_renumber}, marked);
  gtk_widget_set_sensitive(button_remove_atom, n == 1 || n == 2 || marked);
  follow_watched_values();
  mivor_gtk_update_draw_page();
  state.updating = false;
}

void change_watched_data() {
  if (!m || state.labels_watched.size() != watch.size()) return;
  for (size_t k = 0; k < watch.size(); ++k)
    gtk_label_set_text(GTK_LABEL(state.labels_watched[k]), watched_text(*m, watch[k]).c_str());
}
