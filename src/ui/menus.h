// The menu bar, its callbacks, and the sensitivity of the items that depend
// on the current file and molecule.
#pragma once

#include <gtk/gtk.h>

extern GtkWidget* menu_item_save;
extern GtkWidget* menu_undo;
extern GtkWidget* menu_item_xyz_edit;
extern GtkWidget* menu_editable;
extern GtkWidget* menu_automatic_bonding;
extern GtkWidget* menu_label_numeration;
extern GtkWidget* menu_label_names;
extern GtkWidget* menu_label_muliken;
extern GtkWidget* menu_label_loprop;

GtkWidget* make_menubar(GtkWidget* window);
void mivor_gtk_menubar_show_or_hide_widgets();
// The menu item whose label (or stock label) is `label` in menu `menu`
// ("_File", …); null when there is none. For tests and key commands.
GtkWidget* find_menu_item(const char* menu, const char* label);

void callback_open_file();
void callback_save_file();
void callback_save_as_file();
void callback_close_file();
// Starts or stops the idle animation and shows it on the Animate item.
void toggle_animation();
// The Animate item shows the play or stop state of `Input_Data.animate`.
void show_animation_state();
