// The window's key handler: text entry into a new text box, the Control
// commands, and the command keys of the view.
#pragma once

#include <gtk/gtk.h>

gboolean mivor_gtk_key_press(GtkWidget* widget, GdkEventKey* event, gpointer data);
gboolean mivor_gtk_key_release(GtkWidget* widget, GdkEventKey* event, gpointer data);
