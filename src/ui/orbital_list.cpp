// The orbital list's widgets: a list store of six columns shown by a tree
// view; the handlers read and write rows and leave the rules to the model.
#include "ui/orbital_list.h"

#include <cstdio>
#include <string>

#include "app/guarded.h"
#include "document/native_file.h"
#include "edit/orbital_list_model.h"
#include "molecule/mol_data.h"
#include "molecule/notify.h"
#include "ui/widgets.h"

GtkWidget* treeview = nullptr;
GtkListStore* store = nullptr;
GtkTreeSelection* selection = nullptr;

namespace {

enum column_t { COL_TYPE, COL_SYM, COL_INDEX, COL_ENERGY, COL_OCC, COL_MARK, N_COLUMNS };

struct orbital_list_state_t {
  // The row of the current grid found by the last filling.
  GtkTreeIter selected_orbital{};
  bool has_selected_orbital = false;
} state;

struct list_row_t {
  std::string type;
  std::string mark;
  orbital_row_t orbital;
};

list_row_t read_row(GtkTreeModel* model, GtkTreeIter* iter) {
  gchar* type = nullptr;
  gchar* mark = nullptr;
  list_row_t row;
  gtk_tree_model_get(model, iter, COL_TYPE, &type, COL_SYM, &row.orbital.symmetry, COL_INDEX, &row.orbital.index,
                     COL_ENERGY, &row.orbital.energy, COL_OCC, &row.orbital.occupancy, COL_MARK, &mark, -1);
  row.type = type ? type : "";
  row.mark = mark ? mark : "";
  row.orbital.type = orbital_type_from_description(row.type);
  g_free(type);
  g_free(mark);
  return row;
}

int grid_of(int symmetry, int index) { return m ? find_orbital_grid(*m, symmetry, index) : -1; }

// Makes grid g current, reads its values and shows it.
void make_grid_current(int g) {
  iorb = g;
  do_load_grid();
  rerender_3d();
  redraw();
}

// Sets the type code and the edited flag of the orbital grid, if it exists.
void set_grid_type(int symmetry, int index, int code) {
  const int g = grid_of(symmetry, index);
  if (g < 0) return;
  grid_data_t& grids = m->grid.edit();
  grids.orb_type[static_cast<size_t>(g)] = code;
  grids.orb_type_changed[static_cast<size_t>(g)] = 1;
  // The window of all orbitals shows the new type at once.
  mivor_gtk_multiview_redraw_list(g, code);
}

void mark_row(GtkTreeIter* iter, int code) {
  gtk_list_store_set(store, iter, COL_TYPE, orbital_type_description(code), COL_MARK, "*", -1);
}

bool find_row(int symmetry, int index, GtkTreeIter* iter) {
  if (!store) return false;
  GtkTreeModel* model = GTK_TREE_MODEL(store);
  for (bool ok = gtk_tree_model_get_iter_first(model, iter); ok; ok = gtk_tree_model_iter_next(model, iter)) {
    const list_row_t row = read_row(model, iter);
    if (row.orbital.symmetry == symmetry && row.orbital.index == index) return true;
  }
  return false;
}

bool get_selected_row(GtkTreeIter* iter) {
  return selection && gtk_tree_selection_get_selected(selection, nullptr, iter);
}

// Selects the row (the selection function then shows its orbital) and
// scrolls it into view.
void select_row(GtkTreeIter* iter) {
  gtk_tree_selection_select_iter(selection, iter);
  GtkTreePath* path = gtk_tree_model_get_path(GTK_TREE_MODEL(store), iter);
  gtk_tree_view_scroll_to_cell(GTK_TREE_VIEW(treeview), path, nullptr, FALSE, 0, 0);
  gtk_tree_path_free(path);
}

// Runs before a row becomes selected: shows its line on status bar 1 and
// makes its orbital the current grid.
gboolean on_select_row(GtkTreeSelection*, GtkTreeModel* model, GtkTreePath* path, gboolean currently_selected,
                       gpointer) {
  GtkTreeIter iter;
  if (currently_selected || !gtk_tree_model_get_iter(model, &iter, path)) return TRUE;
  const list_row_t row = read_row(model, &iter);
  mivor_gtk_pop_message_from_statusbar1();
  mivor_gtk_push_message_to_statusbar1(orbital_status_line(row.mark, row.orbital.symmetry, row.orbital.index,
                                                           row.orbital.energy, row.orbital.occupancy, row.type));
  const int g = grid_of(row.orbital.symmetry, row.orbital.index);
  if (g >= 0) make_grid_current(g);
  return TRUE;
}

// The type chosen in the combo cell: only this edit moves a count in
// `index_counts`.
void on_type_edited(GtkCellRendererText*, gchar* path, gchar* new_text, gpointer) {
  const int code = orbital_type_from_description(new_text ? new_text : "");
  GtkTreeIter iter;
  if (code < 0 || !gtk_tree_model_get_iter_from_string(GTK_TREE_MODEL(store), &iter, path)) return;
  const list_row_t row = read_row(GTK_TREE_MODEL(store), &iter);
  const int g = grid_of(row.orbital.symmetry, row.orbital.index);
  if (g >= 0) move_index_count(*m, m->grid->orb_type[static_cast<size_t>(g)], code);
  set_grid_type(row.orbital.symmetry, row.orbital.index, code);
  mark_row(&iter, code);
  mivor_show_substaces();
}

gint compare_rows(GtkTreeModel* model, GtkTreeIter* a, GtkTreeIter* b, gpointer column) {
  const orbital_row_t ra = read_row(model, a).orbital;
  const orbital_row_t rb = read_row(model, b).orbital;
  switch (GPOINTER_TO_INT(column)) {
    case COL_SYM:
      return compare_symmetry(ra.symmetry, rb.symmetry);
    case COL_INDEX:
      return compare_index(ra.index, rb.index);
    case COL_ENERGY:
      return compare_energy(ra.energy, rb.energy);
    default:
      return compare_occupancy(ra.occupancy, rb.occupancy);
  }
}

GtkListStore* make_type_choices() {
  GtkListStore* types = gtk_list_store_new(1, G_TYPE_STRING);
  for (int code = 0; code < n_orbital_types; ++code)
    gtk_list_store_insert_with_values(types, nullptr, -1, 0, orbital_description[code], -1);
  return types;
}

void add_type_column() {
  GtkListStore* types = make_type_choices();
  GtkCellRenderer* combo = gtk_cell_renderer_combo_new();
  g_object_set(combo, "model", types, "text-column", 0, "has-entry", FALSE, "editable", TRUE, nullptr);
  g_object_unref(types);
  g_signal_connect(combo, "edited", G_CALLBACK(guarded<on_type_edited>), nullptr);
  gtk_tree_view_insert_column_with_attributes(GTK_TREE_VIEW(treeview), -1, "orbital type", combo, "text", COL_TYPE,
                                              nullptr);
}

// A text column; a sortable one gets its comparator and a clickable header.
void add_text_column(const char* title, int column, bool sortable) {
  const int n = gtk_tree_view_insert_column_with_attributes(GTK_TREE_VIEW(treeview), -1, title,
                                                            gtk_cell_renderer_text_new(), "text", column, nullptr);
  if (!sortable) return;
  gtk_tree_sortable_set_sort_func(GTK_TREE_SORTABLE(store), column, guarded<compare_rows>, GINT_TO_POINTER(column),
                                  nullptr);
  gtk_tree_view_column_set_sort_column_id(gtk_tree_view_get_column(GTK_TREE_VIEW(treeview), n - 1), column);
}

// Empties the list and adds one row per orbital grid in grid order, "*" for
// edited ones; the row of the current grid becomes the selected orbital.
void fill_list() {
  if (!store) return;
  gtk_list_store_clear(store);
  state.has_selected_orbital = false;
  if (!m) return;
  for (int g = 0; g < m->ngrid(); ++g) {
    const size_t i = static_cast<size_t>(g);
    if (m->grid->grid_kind[i] != GRID_ORBITAL) continue;
    GtkTreeIter iter;
    gtk_list_store_insert_with_values(store, &iter, -1, COL_TYPE, orbital_type_description(m->grid->orb_type[i]),
                                      COL_SYM, m->grid->orb_sym[i], COL_INDEX, m->grid->orb_index[i], COL_ENERGY,
                                      m->grid->orb_energy[i], COL_OCC, m->grid->orb_occ[i], COL_MARK,
                                      m->grid->orb_type_changed[i] ? "*" : " ", -1);
    if (g == iorb) {
      state.selected_orbital = iter;
      state.has_selected_orbital = true;
    }
  }
  if (state.has_selected_orbital) select_row(&state.selected_orbital);
}

// The filter's jump: makes the orbital current and selects its row.
bool jump_to_orbital(int symmetry, int index) {
  const int g = grid_of(symmetry, index);
  if (g < 0) return false;
  GtkTreeIter iter;
  const bool listed = find_row(symmetry, index, &iter);
  if (listed && !gtk_tree_selection_iter_is_selected(selection, &iter)) {
    select_row(&iter);
    return true;
  }
  if (!listed && selection) gtk_tree_selection_unselect_all(selection);
  make_grid_current(g);
  return true;
}

void remove_failing_rows(const orbital_filter_t& filter) {
  GtkTreeModel* model = GTK_TREE_MODEL(store);
  GtkTreeIter iter;
  bool ok = gtk_tree_model_get_iter_first(model, &iter);
  while (ok) {
    if (orbital_row_passes(filter, read_row(model, &iter).orbital))
      ok = gtk_tree_model_iter_next(model, &iter);
    else
      ok = gtk_list_store_remove(store, &iter);
  }
}

}  // namespace

GtkWidget* mivor_gtk_make_treeview() {
  store =
      gtk_list_store_new(N_COLUMNS, G_TYPE_STRING, G_TYPE_INT, G_TYPE_INT, G_TYPE_DOUBLE, G_TYPE_DOUBLE, G_TYPE_STRING);
  treeview = gtk_tree_view_new_with_model(GTK_TREE_MODEL(store));
  add_type_column();
  add_text_column("symmetry", COL_SYM, true);
  add_text_column("index", COL_INDEX, true);
  add_text_column("energy", COL_ENERGY, true);
  add_text_column("occupancy", COL_OCC, true);
  add_text_column(" ", COL_MARK, false);
  selection = gtk_tree_view_get_selection(GTK_TREE_VIEW(treeview));
  gtk_tree_selection_set_mode(selection, GTK_SELECTION_SINGLE);
  gtk_tree_selection_set_select_function(selection, on_select_row, nullptr, nullptr);
  return treeview;
}

void load_grid_data() { fill_list(); }

void delete_all_orbitals_from_list() {
  if (store) gtk_list_store_clear(store);
  state.has_selected_orbital = false;
}

void undelete_all_orbitals_from_list() { fill_list(); }

void delete_orbital_from_list() {
  GtkTreeIter iter;
  if (get_selected_row(&iter)) gtk_list_store_remove(store, &iter);
}

void mivor_gtk_search_orbital_in_list(int symmetry, int index) {
  GtkTreeIter iter;
  if (find_row(symmetry, index, &iter)) select_row(&iter);
}

void mivor_gtk_select_orbital_up() {
  if (!store) return;
  GtkTreeModel* model = GTK_TREE_MODEL(store);
  GtkTreeIter iter;
  const bool next = get_selected_row(&iter) && gtk_tree_model_iter_next(model, &iter);
  if (next || gtk_tree_model_get_iter_first(model, &iter)) select_row(&iter);
}

void mivor_gtk_select_orbital_down() {
  if (!store) return;
  GtkTreeModel* model = GTK_TREE_MODEL(store);
  GtkTreeIter iter;
  if (get_selected_row(&iter)) {
    GtkTreePath* path = gtk_tree_model_get_path(model, &iter);
    const bool previous = gtk_tree_path_prev(path) && gtk_tree_model_get_iter(model, &iter, path);
    gtk_tree_path_free(path);
    if (previous) {
      select_row(&iter);
      return;
    }
  }
  const int n = gtk_tree_model_iter_n_children(model, nullptr);
  if (n > 0 && gtk_tree_model_iter_nth_child(model, &iter, nullptr, n - 1)) select_row(&iter);
}

void change_orbital_type(int code) {
  GtkTreeIter iter;
  if (!get_selected_row(&iter)) {
    std::printf("NO orbital selected!\n");
    std::fflush(stdout);
  } else if (code >= 0 && code < n_orbital_types) {
    const list_row_t row = read_row(GTK_TREE_MODEL(store), &iter);
    mark_row(&iter, code);
    set_grid_type(row.orbital.symmetry, row.orbital.index, code);
  }
  mivor_show_substaces();
}

void mivor_gtk_change_orbital_type(int symmetry, int index) {
  const int g = grid_of(symmetry, index);
  if (g < 0) return;
  const int code = next_orbital_type(m->grid->orb_type[static_cast<size_t>(g)]);
  set_grid_type(symmetry, index, code);
  GtkTreeIter iter;
  if (find_row(symmetry, index, &iter)) mark_row(&iter, code);
}

void mivor_show_substaces() {
  mivor_gtk_pop_message_from_statusbar2();
  mivor_gtk_push_message_to_statusbar2(m ? subspace_summary(*m) : subspace_summary(mol_data_t{}));
}

void orbital_filter_callback(GtkWidget* entry, gpointer) {
  const orbital_filter_t filter = parse_orbital_filter(gtk_entry_get_text(GTK_ENTRY(entry)));
  switch (filter.kind) {
    case orbital_filter_t::kind_t::error:
      gtk_entry_set_text(GTK_ENTRY(entry), filter.error.c_str());
      break;
    case orbital_filter_t::kind_t::jump:
      if (!jump_to_orbital(filter.symmetry, filter.index))
        gtk_entry_set_text(GTK_ENTRY(entry), filter_no_orbital_error);
      break;
    case orbital_filter_t::kind_t::conditions:
      if (store) remove_failing_rows(filter);
      break;
  }
}
