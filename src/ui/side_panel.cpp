// Placeholder panel until the pages are built.
#include "ui/side_panel.h"

GtkWidget* notebook = nullptr;

GtkWidget* make_notebook() {
  notebook = gtk_notebook_new();
  return notebook;
}
void mivor_gtk_show_or_hide_widgets() {}
void mivor_gtk_update_upon_select_or_mark() {}
void mivor_gtk_update_geo_info() {}
void geo_play_button_play(int) {}
void mivor_gtk_disable_keys() {}
void mivor_gtk_enable_keys() {}
void callback_geo_forw() {}
void callback_geo_back() {}
