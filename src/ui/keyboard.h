// The window's key handler: text entry into a new text box, the Control
// commands, and the command keys of the view.
#pragma once

#include <gtk/gtk.h>

#include <vector>

gboolean mivor_gtk_key_press(GtkWidget* widget, GdkEventKey* event, gpointer data);
gboolean mivor_gtk_key_release(GtkWidget* widget, GdkEventKey* event, gpointer data);
// Every key the command table names, once each, in the table's order.
std::vector<unsigned> key_table_keys();
