// The coordinate editor: the atom list store, kept in step with the current
// geometry whether or not its window is open, and the "xyz editor" window
// whose table edits coordinates, custom numbers and names.
//
// The store follows the core's announcements (added, removed, changed,
// refilled). A refill rewrites the rows in place and only adds or removes
// the difference, so that a large table that is shown keeps its scroll
// position and is not rebuilt row by row.
#include <cstdio>
#include <string>

#include "app/guarded.h"
#include "edit/coordinate_edit.h"
#include "molecule/mol_data.h"
#include "molecule/notify.h"
#include "molecule/settings.h"
#include "render/gl/label_images.h"
#include "ui/widgets.h"

GtkListStore* atom_list = nullptr;
GtkWidget* atom_treeview = nullptr;

namespace {

enum atom_column_t { COL_NUMBER, COL_SYMBOL, COL_X, COL_Y, COL_Z, COL_NUMERATION, COL_NAME, N_ATOM_COLUMNS };

struct xyz_editor_state_t {
  GtkWidget* dialog = nullptr;
} state;

int row_count() { return atom_list ? gtk_tree_model_iter_n_children(GTK_TREE_MODEL(atom_list), nullptr) : 0; }

bool row_iter(int i, GtkTreeIter* iter) {
  return atom_list && i >= 0 && gtk_tree_model_iter_nth_child(GTK_TREE_MODEL(atom_list), iter, nullptr, i);
}

// All seven columns of row `iter` from atom i of the current geometry.
void set_row(GtkTreeIter* iter, int i) {
  const vec3& p = m->xyz[static_cast<size_t>(i)];
  const std::optional<std::string>& name = atom_name(*m, i);
  gtk_list_store_set(atom_list, iter, COL_NUMBER, static_cast<guint>(i + 1), COL_SYMBOL,
                     atom_element(*m, i).name.c_str(), COL_X, p[0], COL_Y, p[1], COL_Z, p[2], COL_NUMERATION,
                     atom_number(*m, i), COL_NAME, name ? name->c_str() : "", -1);
}

bool have_atom(int i) { return m && valid_atom(*m, i); }

// Row index of a tree path given as text ("12"), or −1.
int row_of_path(const gchar* path_text) {
  GtkTreePath* path = gtk_tree_path_new_from_string(path_text);
  if (!path) return -1;
  const int row = gtk_tree_path_get_depth(path) == 1 ? gtk_tree_path_get_indices(path)[0] : -1;
  gtk_tree_path_free(path);
  return row;
}

// Coordinates as the table shows them (and offers them for editing).
void show_coordinate(GtkTreeViewColumn*, GtkCellRenderer* cell, GtkTreeModel* model, GtkTreeIter* iter,
                     gpointer column) {
  double value = 0;
  gtk_tree_model_get(model, iter, GPOINTER_TO_INT(column), &value, -1);
  char text[G_ASCII_DTOSTR_BUF_SIZE];
  g_ascii_formatd(text, sizeof text, "%.6f", value);
  g_object_set(cell, "text", text, nullptr);
}

// A custom number or name changed: its label image follows, and the menus
// offer the label kind the geometry now has.
void after_label_data(int atom, CellEdit result, int label, const std::string& text) {
  if (result == CellEdit::refused) return;
  if (static_cast<size_t>(atom) < m->atom_labels.size())
    m->atom_labels[static_cast<size_t>(atom)][static_cast<size_t>(label)] =
        make_text_image(text, Input_Data.label_font);
  if (result == CellEdit::flag_raised) mivor_gtk_menubar_show_or_hide_widgets();
  invalidate_drawing_area();
}

void on_response(GtkDialog* dialog, gint, gpointer) { mivor_destroy_xyz_edit_dialog(GTK_WIDGET(dialog)); }

void on_destroy(GtkWidget*, gpointer) {
  state.dialog = nullptr;
  atom_treeview = nullptr;
}

void add_column(const char* title, int column, GCallback edited) {
  GtkCellRenderer* cell = gtk_cell_renderer_text_new();
  GtkTreeViewColumn* view_column = gtk_tree_view_column_new_with_attributes(title, cell, nullptr);
  if (column == COL_X || column == COL_Y || column == COL_Z) {
    gtk_tree_view_column_set_cell_data_func(view_column, cell, guarded<show_coordinate>, GINT_TO_POINTER(column),
                                            nullptr);
  } else {
    gtk_tree_view_column_add_attribute(view_column, cell, "text", column);
  }
  if (edited) {
    g_object_set(cell, "editable", TRUE, nullptr);
    g_signal_connect(cell, "edited", edited, nullptr);
  }
  // Fixed sizes let a table of many thousand atoms open at once.
  gtk_tree_view_column_set_sizing(view_column, GTK_TREE_VIEW_COLUMN_FIXED);
  gtk_tree_view_column_set_fixed_width(view_column, column == COL_NUMBER || column == COL_SYMBOL ? 50 : 90);
  gtk_tree_view_column_set_resizable(view_column, TRUE);
  gtk_tree_view_append_column(GTK_TREE_VIEW(atom_treeview), view_column);
}

void change_coordinate(const gchar* path, const gchar* text, int axis) {
  set_atom_coordinate(row_of_path(path), axis, text ? text : "");
}

}  // namespace

void init_atom_list() {
  GtkListStore* fresh = gtk_list_store_new(N_ATOM_COLUMNS, G_TYPE_UINT, G_TYPE_STRING, G_TYPE_DOUBLE, G_TYPE_DOUBLE,
                                           G_TYPE_DOUBLE, G_TYPE_INT, G_TYPE_STRING);
  if (atom_treeview) gtk_tree_view_set_model(GTK_TREE_VIEW(atom_treeview), GTK_TREE_MODEL(fresh));
  if (atom_list) g_object_unref(atom_list);
  atom_list = fresh;
}

void deallocate_atom_list() {
  if (atom_list) gtk_list_store_clear(atom_list);
}

void insert_atom_into_list(int i) {
  if (!atom_list || !have_atom(i)) return;
  // A row for every atom before it first, so that row i is atom i.
  if (row_count() != i) {
    insert_all_atoms_into_list();
    return;
  }
  GtkTreeIter iter;
  gtk_list_store_append(atom_list, &iter);
  set_row(&iter, i);
}

void insert_all_atoms_into_list() {
  if (!atom_list) return;
  const int n = m ? m->natom() : 0;
  GtkTreeIter iter;
  bool more = gtk_tree_model_get_iter_first(GTK_TREE_MODEL(atom_list), &iter);
  int i = 0;
  for (; more && i < n; ++i) {
    set_row(&iter, i);
    more = gtk_tree_model_iter_next(GTK_TREE_MODEL(atom_list), &iter);
  }
  while (more) more = gtk_list_store_remove(atom_list, &iter);
  for (; i < n; ++i) {
    gtk_list_store_append(atom_list, &iter);
    set_row(&iter, i);
  }
}

void remove_atom_from_list(int i) {
  GtkTreeIter iter;
  if (!row_iter(i, &iter)) return;
  bool more = gtk_list_store_remove(atom_list, &iter);
  // The rows after it are numbered by their new positions.
  for (int k = i; more; ++k) {
    gtk_list_store_set(atom_list, &iter, COL_NUMBER, static_cast<guint>(k + 1), -1);
    more = gtk_tree_model_iter_next(GTK_TREE_MODEL(atom_list), &iter);
  }
}

void change_atom_parameters_in_list(int i) {
  GtkTreeIter iter;
  if (have_atom(i) && row_iter(i, &iter)) set_row(&iter, i);
}

void follow_atom_list_change(AtomListChange change, int atom) {
  switch (change) {
    case AtomListChange::started:
      init_atom_list();
      break;
    case AtomListChange::cleared:
      deallocate_atom_list();
      break;
    case AtomListChange::refilled:
      insert_all_atoms_into_list();
      break;
    case AtomListChange::inserted:
      insert_atom_into_list(atom);
      break;
    case AtomListChange::removed:
      remove_atom_from_list(atom);
      break;
    case AtomListChange::changed:
      change_atom_parameters_in_list(atom);
      break;
  }
}

void callback_xyz_edit() {
  if (state.dialog) {
    gtk_window_present(GTK_WINDOW(state.dialog));
    return;
  }
  if (!atom_list) init_atom_list();
  if (row_count() != (m ? m->natom() : 0)) insert_all_atoms_into_list();
  state.dialog = gtk_dialog_new_with_buttons("xyz editor", GTK_WINDOW(window), GTK_DIALOG_DESTROY_WITH_PARENT,
                                             GTK_STOCK_OK, GTK_RESPONSE_OK, nullptr);
  gtk_window_set_default_size(GTK_WINDOW(state.dialog), 400, 400);
  g_signal_connect(state.dialog, "response", G_CALLBACK(guarded<on_response>), nullptr);
  g_signal_connect(state.dialog, "destroy", G_CALLBACK(guarded<on_destroy>), nullptr);

  GtkWidget* scrolled = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled), GTK_POLICY_AUTOMATIC, GTK_POLICY_ALWAYS);
  gtk_box_pack_start(GTK_BOX(GTK_DIALOG(state.dialog)->vbox), scrolled, TRUE, TRUE, 0);
  atom_treeview = gtk_tree_view_new_with_model(GTK_TREE_MODEL(atom_list));
  gtk_tree_view_set_fixed_height_mode(GTK_TREE_VIEW(atom_treeview), TRUE);
  g_signal_connect(atom_treeview, "row-activated", G_CALLBACK(guarded<mivor_select_atom>), nullptr);
  add_column("#", COL_NUMBER, nullptr);
  add_column("Symbol", COL_SYMBOL, nullptr);
  add_column("X", COL_X, G_CALLBACK(guarded<mivor_change_x_coordinate>));
  add_column("Y", COL_Y, G_CALLBACK(guarded<mivor_change_y_coordinate>));
  add_column("Z", COL_Z, G_CALLBACK(guarded<mivor_change_z_coordinate>));
  add_column("numeration", COL_NUMERATION, G_CALLBACK(guarded<mivor_change_atom_numbering>));
  add_column("Name", COL_NAME, G_CALLBACK(guarded<mivor_change_atom_name>));
  gtk_container_add(GTK_CONTAINER(scrolled), atom_treeview);
  gtk_widget_show_all(state.dialog);
  if (m && m->n_selected >= 1) mivor_xyz_editor_select_row(m->selected[0]);
}

void mivor_destroy_xyz_edit_dialog(GtkWidget* dialog) {
  if (dialog) gtk_widget_destroy(dialog);
}

void mivor_select_atom(GtkTreeView*, GtkTreePath* path, GtkTreeViewColumn*, gpointer) {
  if (!path || gtk_tree_path_get_depth(path) != 1) return;
  if (select_only_atom(gtk_tree_path_get_indices(path)[0])) invalidate_drawing_area();
}

void mivor_change_x_coordinate(GtkCellRendererText*, gchar* path, gchar* text, gpointer) {
  change_coordinate(path, text, 0);
}
void mivor_change_y_coordinate(GtkCellRendererText*, gchar* path, gchar* text, gpointer) {
  change_coordinate(path, text, 1);
}
void mivor_change_z_coordinate(GtkCellRendererText*, gchar* path, gchar* text, gpointer) {
  change_coordinate(path, text, 2);
}

void mivor_change_atom_numbering(GtkCellRendererText*, gchar* path, gchar* text, gpointer) {
  const int atom = row_of_path(path);
  const CellEdit result = set_atom_numbering(atom, text ? text : "");
  if (result != CellEdit::refused) after_label_data(atom, result, LABEL_NUMBER, std::to_string(atom_number(*m, atom)));
}

void mivor_change_atom_name(GtkCellRendererText*, gchar* path, gchar* text, gpointer) {
  const int atom = row_of_path(path);
  after_label_data(atom, set_atom_name_text(atom, text ? text : ""), LABEL_NAME, text ? text : "");
}

void mivor_xyz_editor_select_row(int i) {
  if (!atom_treeview || !have_atom(i)) return;
  GtkTreePath* path = gtk_tree_path_new_from_indices(i, -1);
  gtk_tree_selection_select_path(gtk_tree_view_get_selection(GTK_TREE_VIEW(atom_treeview)), path);
  gtk_tree_view_scroll_to_cell(GTK_TREE_VIEW(atom_treeview), path, nullptr, FALSE, 0, 0);
  gtk_tree_path_free(path);
}
