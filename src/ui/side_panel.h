// The side panel right of the drawing area: the notebook of pages and the
// four expanders below it, shown and hidden as the molecule's data ask.
#pragma once

#include <gtk/gtk.h>

extern GtkWidget* notebook;

// Builds the panel once and returns its outer box.
GtkWidget* make_notebook();
void mivor_gtk_show_or_hide_widgets();
void mivor_gtk_update_upon_select_or_mark();
void mivor_gtk_update_geo_info();
void geo_play_button_play(int flag);
void mivor_gtk_disable_keys();
void mivor_gtk_enable_keys();
// One geometry forward or back (nothing at the ends).
void callback_geo_forw();
void callback_geo_back();
