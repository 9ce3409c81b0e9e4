// The "Symmetry" page of the side panel: the point-group analysis and the
// operations that build symmetric structures from the selected atoms, with
// the translation length and the rotation order they use. Which button
// acts depends on how many atoms are selected; the others are insensitive.
#include <string>

#include "app/guarded.h"
#include "edit/symmetry_ops.h"
#include "molecule/bonding.h"
#include "molecule/mol_data.h"
#include "molecule/settings.h"
#include "ui/widgets.h"

GtkWidget* vbox_symmetry = nullptr;
GtkWidget* button_symmetry = nullptr;
GtkWidget* button_average_symm = nullptr;
GtkWidget* button_inversion_symm = nullptr;
GtkWidget* button_trans_symm = nullptr;
GtkWidget* spin_transl_vect = nullptr;
GtkAdjustment* translation_magnitude = nullptr;
GtkWidget* button_c2 = nullptr;
GtkWidget* spin_axis = nullptr;
GtkWidget* button_mirror_symm = nullptr;

namespace {

GtkWidget* command_button(const char* label, GCallback command) {
  GtkWidget* button = gtk_button_new_with_label(label);
  g_signal_connect_swapped(button, "clicked", command, nullptr);
  return button;
}

void on_translation_magnitude(GtkAdjustment* adj) { change_translation_magnitude(gtk_adjustment_get_value(adj)); }

void on_axis_order(GtkSpinButton* spin) { change_rotation_axis_order(gtk_spin_button_get_value_as_int(spin)); }

// A button with its spin button beside it: " r=" or " n=". The spin button
// is `chars` characters wide, so that the row fits the side panel with the
// button's label whole; where it still would not (another font), the label
// ends in an ellipsis rather than being cut.
GtkWidget* button_with_spin(GtkWidget* button, const char* label, GtkWidget* spin, gint chars) {
  gtk_label_set_ellipsize(GTK_LABEL(gtk_bin_get_child(GTK_BIN(button))), PANGO_ELLIPSIZE_END);
  gtk_entry_set_width_chars(GTK_ENTRY(spin), chars);
  GtkWidget* row = gtk_hbox_new(FALSE, 2);
  gtk_box_pack_start(GTK_BOX(row), button, TRUE, TRUE, 0);
  gtk_box_pack_start(GTK_BOX(row), gtk_label_new(label), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(row), spin, FALSE, FALSE, 0);
  guard_keys(spin);
  return row;
}

void set_state(GtkWidget* widget, bool sensitive, const char* tooltip = nullptr) {
  gtk_widget_set_sensitive(widget, sensitive);
  if (tooltip) gtk_widget_set_tooltip_text(widget, tooltip);
}

}  // namespace

GtkWidget* make_symmetry_page() {
  vbox_symmetry = gtk_vbox_new(FALSE, 2);
  const auto pack = [](GtkWidget* child) { gtk_box_pack_start(GTK_BOX(vbox_symmetry), child, FALSE, FALSE, 0); };

  button_symmetry = command_button("Symmetry", G_CALLBACK(guarded<mivor_gtk_alpply_symmetry>));
  gtk_widget_set_tooltip_text(button_symmetry, "analyze the symmetry of the molecule and display symmetry elements");
  pack(button_symmetry);
  button_average_symm = command_button("Average symmetry", G_CALLBACK(guarded<mivor_gtk_force_symmetry>));
  pack(button_average_symm);
  button_inversion_symm = command_button("apply inversion symmetry", G_CALLBACK(guarded<mivor_gtk_alpply_symmetry>));
  pack(button_inversion_symm);

  button_trans_symm = command_button("apply translation", G_CALLBACK(guarded<mivor_gtk_apply_translation>));
  translation_magnitude = GTK_ADJUSTMENT(gtk_adjustment_new(Input_Data.translation_length, 0, 100, 1, 1, 0));
  g_signal_connect(translation_magnitude, "value-changed", G_CALLBACK(guarded<on_translation_magnitude>), nullptr);
  spin_transl_vect = gtk_spin_button_new(translation_magnitude, 1, 2);
  pack(button_with_spin(button_trans_symm, " r=", spin_transl_vect, 5));

  button_c2 = command_button("apply Cn symmetry", G_CALLBACK(guarded<mivor_gtk_alpply_rot_symmetry>));
  spin_axis = gtk_spin_button_new(GTK_ADJUSTMENT(gtk_adjustment_new(rot_axis_order, 2, 100, 1, 1, 0)), 1, 0);
  g_signal_connect(spin_axis, "value-changed", G_CALLBACK(guarded<on_axis_order>), nullptr);
  pack(button_with_spin(button_c2, " n=", spin_axis, 3));

  button_mirror_symm = command_button("apply mirror symmetry", G_CALLBACK(guarded<mivor_gtk_alpply_symmetry>));
  pack(button_mirror_symm);
  return vbox_symmetry;
}

void mivor_gtk_update_symmetry_page() {
  if (!vbox_symmetry) return;
  const int n = m ? m->n_selected : 0;
  if (n == 0) gtk_button_set_label(GTK_BUTTON(button_symmetry), "apply symmetry");
  set_state(button_symmetry, n == 0);
  set_state(button_average_symm, n == 0);
  set_state(button_inversion_symm, n == 1,
            n == 1 ? "apply inversion symmetry" : "select an atom that defines the center of inversion");
  set_state(button_trans_symm, n == 2,
            n == 2 ? "Translate molecule in the direction of selected atoms"
                   : "select two atoms that define the translation vector");
  set_state(spin_transl_vect, n == 2);
  set_state(button_c2, n == 2,
            n == 2 ? "apply Cn symmetry operation around axis defined by selected atoms"
                   : "select two atoms that define the rotation vector");
  set_state(spin_axis, n == 2);
  set_state(button_mirror_symm, n == 3,
            n == 3 ? "apply mirror symmetry" : "select three atoms that define mirror plane");
  // The translation length starts as the bond length of the two atoms.
  if (n == 2) gtk_adjustment_set_value(translation_magnitude, atom_distance(*m, m->selected[0], m->selected[1]));
}
