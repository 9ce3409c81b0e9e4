// The orbital list of the "orbitals" page: one row per orbital grid with
// its type, symmetry, index, energy and occupancy; choosing a row shows
// that orbital; the type column is editable; the filter narrows the list.
// Its operations are in ui/widgets.h.
#pragma once

#include "ui/widgets.h"

// Builds the view, its type-choice model, the store and the sort functions.
GtkWidget* mivor_gtk_make_treeview();
// "activate" handler of the filter entry.
void orbital_filter_callback(GtkWidget* entry, gpointer data);
