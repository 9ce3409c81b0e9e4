// The orbital list of the "orbitals" page: one row per orbital grid with
// its type, symmetry, index, energy and occupancy; choosing a row shows
// that orbital; the type column is editable; the filter narrows the list.
#pragma once

#include <gtk/gtk.h>

extern GtkWidget* treeview;
extern GtkListStore* store;
extern GtkTreeSelection* selection;

// Builds the view, its type-choice model, the store and the sort functions.
GtkWidget* mivor_gtk_make_treeview();
void load_grid_data();
void delete_all_orbitals_from_list();
void undelete_all_orbitals_from_list();
void delete_orbital_from_list();
void mivor_gtk_search_orbital_in_list(int symmetry, int index);
// Next row (wrapping to the first) and previous row (wrapping to the last).
void mivor_gtk_select_orbital_up();
void mivor_gtk_select_orbital_down();
void change_orbital_type(int code);
void mivor_gtk_change_orbital_type(int symmetry, int index);
void mivor_show_substaces();
// "activate" handler of the filter entry.
void orbital_filter_callback(GtkWidget* entry, gpointer data);
