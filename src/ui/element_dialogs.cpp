// Two dialogs around a periodic table of buttons. "Choose element" gives the
// selected atom another element, or through "custom data" a colour, sizes
// and valency of its own. "Atom properties" edits one element of the table
// for this run (Apply) or for good (Save, which writes "atoms.rc").
#include <string>
#include <vector>

#include "app/config_files.h"
#include "app/guarded.h"
#include "edit/element_edit.h"
#include "molecule/elements.h"
#include "molecule/mol_data.h"
#include "molecule/notify.h"
#include "ui/widgets.h"

namespace {

// The chooser while it is open.
GtkWidget* element_dialog = nullptr;

// The properties dialog: the working copy of the table, the element shown
// and the widgets that show it.
struct atom_properties_t {
  GtkWidget* dialog = nullptr;
  std::vector<element_t> tmp_elem;
  GtkWidget* atom_prop_label = nullptr;
  GtkWidget* atom_prop_color_button = nullptr;
  GtkWidget* atom_prop_atom_size_spin = nullptr;
  GtkWidget* atom_prop_bond_size_spin = nullptr;
  GtkWidget* atom_prop_atom_valency_spin = nullptr;
  bool updating = false;  // the dialog sets its own widgets
} props;
// The element the properties dialog shows (kept from one opening to the next).
int elem_selected = 0;

// A homogeneous table with one button per element 1 and up at its place;
// `handler` takes the button and the element's number.
GtkWidget* periodic_table(GCallback handler) {
  const periodic_layout_t layout = periodic_table_layout(e);
  GtkWidget* table = gtk_table_new(static_cast<guint>(std::max(layout.rows, 1)),
                                   static_cast<guint>(std::max(layout.columns, 1)), TRUE);
  for (const periodic_cell_t& cell : layout.cells) {
    GtkWidget* button = gtk_button_new_with_label(e[static_cast<size_t>(cell.element)].name.c_str());
    g_signal_connect(button, "clicked", handler, GINT_TO_POINTER(cell.element));
    const guint x = static_cast<guint>(cell.column), y = static_cast<guint>(cell.row);
    gtk_table_attach(GTK_TABLE(table), button, x, x + 1, y, y + 1, GTK_FILL, GTK_FILL, 0, 0);
  }
  return table;
}

GdkColor gdk_colour(const color_t& c) {
  GdkColor colour;
  colour.pixel = 0;
  colour.red = static_cast<guint16>(c.red * 65535);
  colour.green = static_cast<guint16>(c.green * 65535);
  colour.blue = static_cast<guint16>(c.blue * 65535);
  return colour;
}

GtkWidget* spin(double value, double upper, double step, double page, double climb, guint digits) {
  GtkObject* adj = gtk_adjustment_new(value, 0, upper, step, page, 0);
  GtkWidget* s = gtk_spin_button_new(GTK_ADJUSTMENT(adj), climb, digits);
  gtk_spin_button_set_update_policy(GTK_SPIN_BUTTON(s), GTK_UPDATE_IF_VALID);
  return s;
}
GtkWidget* radius_spin(double value) { return spin(value, 3, 0.01, 0.1, 0.01, 2); }
GtkWidget* valency_spin(double value) { return spin(value, 30, 1, 1, 1, 0); }

void pack(GtkWidget* box, GtkWidget* child, bool expand = false) {
  gtk_box_pack_start(GTK_BOX(box), child, expand, expand, 2);
}

void repaint() {
  rerender_3d();
  invalidate_drawing_area();
}

// ---- The chooser ----

void close_chooser() {
  GtkWidget* dialog = element_dialog;
  element_dialog = nullptr;
  if (dialog) gtk_widget_destroy(dialog);
  repaint();
}

void mivor_gtk_select_element(GtkWidget*, gpointer j) {
  change_atom_element(only_selected_atom(), GPOINTER_TO_INT(j));
  close_chooser();
}

void custom_atom_color_changed_callback(GtkColorButton* button, gpointer) {
  GdkColor c;
  gtk_color_button_get_color(button, &c);
  set_atom_custom_color(only_selected_atom(), c.red / 65535.0f, c.green / 65535.0f, c.blue / 65535.0f);
}

void custom_atom_size_changed_callback(GtkSpinButton* s, gpointer) {
  set_atom_custom_size(only_selected_atom(), static_cast<float>(gtk_spin_button_get_value(s)));
}

void custom_bond_size_changed_callback(GtkSpinButton* s, gpointer) {
  set_atom_custom_bond_size(only_selected_atom(), static_cast<float>(gtk_spin_button_get_value(s)));
}

void custom_valency_changed_callback(GtkSpinButton* s, gpointer) {
  set_atom_custom_valency(only_selected_atom(), gtk_spin_button_get_value_as_int(s));
}

GtkWidget* custom_data_expander() {
  const int atom = only_selected_atom();
  const element_t element = atom >= 0 ? atom_element(*m, atom) : element_t{};
  GtkWidget* expander = gtk_expander_new("custom data");
  GtkWidget* r = gtk_hbox_new(FALSE, 4);
  gtk_container_add(GTK_CONTAINER(expander), r);
  const GdkColor colour = gdk_colour(atom >= 0 ? atom_color(*m, atom) : color_t{});
  GtkWidget* button = gtk_color_button_new_with_color(&colour);
  g_signal_connect(button, "color-set", G_CALLBACK(guarded<custom_atom_color_changed_callback>), nullptr);
  pack(r, button);
  struct {
    const char* label;
    GtkWidget* spin;
    GCallback changed;
  } rows[] = {
      {"Van der Waals radius:", radius_spin(element.size), G_CALLBACK(guarded<custom_atom_size_changed_callback>)},
      {"bond size:", radius_spin(element.bond_size), G_CALLBACK(guarded<custom_bond_size_changed_callback>)},
      {"valency:", valency_spin(element.valency), G_CALLBACK(guarded<custom_valency_changed_callback>)},
  };
  for (const auto& row : rows) {
    pack(r, gtk_label_new(row.label));
    g_signal_connect(row.spin, "value-changed", row.changed, nullptr);
    pack(r, row.spin);
  }
  return expander;
}

void on_chooser_response(GtkDialog*, gint, gpointer) { close_chooser(); }

// ---- The properties dialog ----

color_t chosen_property_colour() {
  GdkColor c;
  gtk_color_button_get_color(GTK_COLOR_BUTTON(props.atom_prop_color_button), &c);
  const guint16 alpha = gtk_color_button_get_alpha(GTK_COLOR_BUTTON(props.atom_prop_color_button));
  return {c.red / 65535.0f, c.green / 65535.0f, c.blue / 65535.0f, alpha / 65535.0f};
}

// The label, colour button and spin buttons show entry j of the working copy.
void show_property_element(int j) {
  if (j < 0 || static_cast<size_t>(j) >= props.tmp_elem.size()) return;
  const element_t& el = props.tmp_elem[static_cast<size_t>(j)];
  props.updating = true;
  gtk_label_set_text(GTK_LABEL(props.atom_prop_label), el.name.c_str());
  const GdkColor colour = gdk_colour(el.color);
  gtk_color_button_set_color(GTK_COLOR_BUTTON(props.atom_prop_color_button), &colour);
  gtk_color_button_set_alpha(GTK_COLOR_BUTTON(props.atom_prop_color_button),
                             static_cast<guint16>(el.color.alpha * 65535));
  gtk_spin_button_set_value(GTK_SPIN_BUTTON(props.atom_prop_atom_size_spin), el.size);
  gtk_spin_button_set_value(GTK_SPIN_BUTTON(props.atom_prop_bond_size_spin), el.bond_size);
  gtk_spin_button_set_value(GTK_SPIN_BUTTON(props.atom_prop_atom_valency_spin), el.valency);
  props.updating = false;
}

void mivor_gtk_atom_prop_select_element(GtkWidget*, gpointer j) {
  elem_selected = GPOINTER_TO_INT(j);
  show_property_element(elem_selected);
}

element_t* selected_tmp_element() {
  if (props.updating || elem_selected < 0 || static_cast<size_t>(elem_selected) >= props.tmp_elem.size())
    return nullptr;
  return &props.tmp_elem[static_cast<size_t>(elem_selected)];
}

void atom_prop_atom_size_spin_callback(GtkSpinButton* s, gpointer) {
  if (element_t* el = selected_tmp_element()) el->size = static_cast<float>(gtk_spin_button_get_value(s));
}

void atom_prop_bond_size_spin_callback(GtkSpinButton* s, gpointer) {
  if (element_t* el = selected_tmp_element()) el->bond_size = static_cast<float>(gtk_spin_button_get_value(s));
}

void atom_prop_atom_valency_spin_callback(GtkSpinButton* s, gpointer) {
  if (element_t* el = selected_tmp_element()) el->valency = gtk_spin_button_get_value_as_int(s);
}

void on_properties_response(GtkDialog*, gint response, gpointer) {
  if (!props.dialog) return;
  if ((response == GTK_RESPONSE_APPLY || response == GTK_RESPONSE_ACCEPT) &&
      static_cast<size_t>(elem_selected) < props.tmp_elem.size()) {
    element_t edited = props.tmp_elem[static_cast<size_t>(elem_selected)];
    edited.color = chosen_property_colour();
    apply_element_properties(elem_selected, edited);
    if (response == GTK_RESPONSE_ACCEPT && !save_atom_data())
      make_warning("ERROR: Can't write the element table to " + atoms_rc_path() +
                   "; the change holds for this run only");
  }
  GtkWidget* dialog = props.dialog;
  props = atom_properties_t{};
  gtk_widget_destroy(dialog);
  repaint();
}

GtkWidget* properties_row() {
  GtkWidget* r = gtk_hbox_new(FALSE, 4);
  props.atom_prop_label = gtk_label_new("");
  gtk_widget_set_size_request(props.atom_prop_label, 30, -1);
  pack(r, props.atom_prop_label);
  props.atom_prop_color_button = gtk_color_button_new();
  gtk_color_button_set_use_alpha(GTK_COLOR_BUTTON(props.atom_prop_color_button), TRUE);
  pack(r, props.atom_prop_color_button);
  props.atom_prop_atom_size_spin = radius_spin(0);
  props.atom_prop_bond_size_spin = radius_spin(0);
  props.atom_prop_atom_valency_spin = valency_spin(0);
  struct {
    const char* label;
    GtkWidget* spin;
    GCallback changed;
  } rows[] = {
      {"Van der Waals radius:", props.atom_prop_atom_size_spin, G_CALLBACK(guarded<atom_prop_atom_size_spin_callback>)},
      {"bonding radius:", props.atom_prop_bond_size_spin, G_CALLBACK(guarded<atom_prop_bond_size_spin_callback>)},
      {"valency:", props.atom_prop_atom_valency_spin, G_CALLBACK(guarded<atom_prop_atom_valency_spin_callback>)},
  };
  for (const auto& row : rows) {
    pack(r, gtk_label_new(row.label));
    g_signal_connect(row.spin, "value-changed", row.changed, nullptr);
    pack(r, row.spin);
  }
  return r;
}

GtkWindow* toplevel_of(GtkWidget* widget) {
  GtkWidget* top = widget ? gtk_widget_get_toplevel(widget) : nullptr;
  return top && GTK_WIDGET_TOPLEVEL(top) ? GTK_WINDOW(top) : GTK_WINDOW(window);
}

}  // namespace

void callback_change_atom(GtkWidget* button) {
  std::printf("CHANGE ATOM\n");
  std::fflush(stdout);
  if (element_dialog) return;
  element_dialog =
      gtk_dialog_new_with_buttons("Choose element", toplevel_of(button),
                                  static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
                                  GTK_STOCK_CLOSE, GTK_RESPONSE_CLOSE, nullptr);
  GtkWidget* box = GTK_DIALOG(element_dialog)->vbox;
  pack(box, periodic_table(G_CALLBACK(guarded<mivor_gtk_select_element>)), true);
  pack(box, custom_data_expander());
  g_signal_connect(element_dialog, "response", G_CALLBACK(guarded<on_chooser_response>), nullptr);
  gtk_widget_show_all(element_dialog);
}

void callback_adjust_atom_properties(GtkWidget* menu_item) {
  if (props.dialog) return;
  props.tmp_elem = e;
  if (static_cast<size_t>(elem_selected) >= props.tmp_elem.size()) elem_selected = 0;
  props.dialog = gtk_dialog_new_with_buttons(
      "Atom properties", toplevel_of(menu_item),
      static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT), GTK_STOCK_APPLY,
      GTK_RESPONSE_APPLY, GTK_STOCK_SAVE, GTK_RESPONSE_ACCEPT, GTK_STOCK_CANCEL, GTK_RESPONSE_REJECT, nullptr);
  GtkWidget* box = GTK_DIALOG(props.dialog)->vbox;
  pack(box, periodic_table(G_CALLBACK(guarded<mivor_gtk_atom_prop_select_element>)), true);
  pack(box, gtk_vseparator_new());
  pack(box, properties_row());
  pack(box, gtk_hseparator_new());
  show_property_element(elem_selected);
  g_signal_connect(props.dialog, "response", G_CALLBACK(guarded<on_properties_response>), nullptr);
  gtk_widget_show_all(props.dialog);
}
