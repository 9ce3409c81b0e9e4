// What the parts of the window share: the widgets built once and kept, and
// the functions that refresh them or run the window's commands. Each part
// (main window, menus, side panel, orbital list, timers, keyboard, notifier)
// includes this header rather than another part's, so the parts depend on it
// and never on each other in a circle.
#pragma once

#include <gtk/gtk.h>

#include <string>

#include "molecule/notify.h"

// ---- Main window (main_window.cpp, status_bars.cpp) ----
extern GtkWidget* window;
extern GtkWidget* statusbar1;
extern GtkWidget* statusbar2;
extern GtkWidget* drawingarea;

// Removes the undo file and ends the main loop.
void Kill_Gui();
void mivor_gtk_push_message_to_statusbar1(const std::string& text);
void mivor_gtk_pop_message_from_statusbar1();
void mivor_gtk_push_message_to_statusbar2(const std::string& text);
void mivor_gtk_pop_message_from_statusbar2();
// The text a status bar shows now ("" when none).
std::string statusbar_text(GtkWidget* bar);
// Pushes the citation line on the lower status bar.
void print_reference();
// The modal error dialog with one Close button.
void show_warning_dialog(const std::string& text);
// The drawing area's allocation.
void zev_gtk_get_screen_size(int* w, int* h);
// Full screen on the first call, back on the second.
void callback_maximize();
// Paints the drawing area now (used after commands that change the view).
void invalidate_drawing_area();

// ---- Menus (menus.cpp) ----
extern GtkWidget* menu_item_save;
extern GtkWidget* menu_undo;
extern GtkWidget* menu_item_xyz_edit;
extern GtkWidget* menu_editable;
extern GtkWidget* menu_automatic_bonding;
extern GtkWidget* menu_label_numeration;
extern GtkWidget* menu_label_names;
extern GtkWidget* menu_label_muliken;
extern GtkWidget* menu_label_loprop;

void mivor_gtk_menubar_show_or_hide_widgets();
// The menu item whose label (or stock label) is `label` in menu `menu`
// ("_File", …); null when there is none. For tests and key commands.
GtkWidget* find_menu_item(const char* menu, const char* label);
void callback_open_file();
void callback_save_file();
// Saves as File Save does; false when nothing was saved (refused, failed or
// the dialog cancelled).
bool save_current_file();
void callback_save_as_file();
void callback_close_file();
// Starts or stops the idle animation and shows it on the Animate item.
void toggle_animation();
// The Animate item shows the play or stop state of `Input_Data.animate`.
void show_animation_state();

// ---- Side panel (side_panel.cpp) ----
extern GtkWidget* notebook;
// Vibrations page: the page, the box of frequency buttons, the spectrum button.
extern GtkWidget* vbox_vibration;
extern GtkWidget* vbox_freqs;
extern GtkWidget* vib_spectrum_button;
// Orbitals page.
extern GtkWidget* vbox_orbitals;
// "zoom/translation": the "Move molecule" / "Move camera" combo.
extern GtkWidget* combo_button;
// "geometries".
extern GtkWidget* geo_expander;
extern GtkWidget* geo_button;
extern GtkWidget* geo_play_button;
extern GtkWidget* geo_slider;
extern GtkWidget* label_igeo;
extern GtkAdjustment* adj_geoms;
extern GtkAdjustment* adj_play_speed;
// "surface".
extern GtkWidget* grid_expander;
extern GtkWidget* grid_frame_transp;
extern GtkWidget* grid_frame_isosurf;
extern GtkAdjustment* tranparency_level;
extern GtkAdjustment* isosurface_level;
extern GtkWidget* all_orbitals_button;
extern GtkWidget* epot_button;
// "whatched values".
extern GtkWidget* vbox_watched;

// Shows the pages, expanders and buttons the current molecule has data for,
// and refills the orbital list. After a file is opened or closed and after undo.
void mivor_gtk_show_or_hide_widgets();
// The selection readout on the lower status bar. After every change of the
// selection or the marks.
void mivor_gtk_update_upon_select_or_mark();
// Geometry label, slider position, frequency buttons and menu sensitivity.
// Whenever another geometry becomes current.
void mivor_gtk_update_geo_info();
// The trajectory play button shows "play" (flag non-zero) or "pause".
void geo_play_button_play(int flag);
// The isosurface slider shows the level in force (without rebuilding).
void mivor_gtk_show_isolevel();
// Key commands are off while a text entry of the panel has the focus.
void mivor_gtk_disable_keys();
void mivor_gtk_enable_keys();
// Connects an entry's focus to the two above.
void guard_keys(GtkWidget* entry);
// Gives a top-level window the program's icon.
void set_mivor_icon(GtkWidget* toplevel);
// One geometry forward or back (nothing at the ends).
void callback_geo_forw();
void callback_geo_back();
// The editing pages (edit, fragments, symmetry, draw) are sensitive exactly
// when the current molecule is editable.
void mivor_gtk_set_editing_pages_sensitive();

// Makes geometry i current, as the geometry slider does.
void mivor_gtk_show_geometry(int i);

// ---- Plot window (graph_window.cpp) ----
// The side panel's "graphical info" and "vibrational spectrum" buttons.
void mivor_gtk_show_graphical_energies(GtkWidget* widget);
void mivor_gtk_show_vib_spectrum(GtkWidget* widget);
// Opens the plot window titled `title`; an open one only shows the new data.
void mivor_gtk_make_graph(GtkWidget* widget, const char* title);
// The marker follows the current geometry or mode.
void set_current_graph_data();
// An open plot takes the data of a file read again.
void mivor_gtk_refresh_graph();
// The plot's drawing area; null when no plot is open.
GtkWidget* graph_drawing_area();

// ---- Calculation page (calculation_page.cpp) ----
// The "calculation" page, or null when "calculation.rc" defines nothing.
GtkWidget* make_calculation_page();
// The stop button is sensitive exactly while a calculation runs.
void mivor_gtk_update_calculation_page();

// ---- Edit page (edit_page.cpp) ----
extern GtkWidget* vbox_edit;
// The button that opens the element chooser for the selected atom.
extern GtkWidget* button_change_atom;
extern GtkWidget* spin_bond;
extern GtkWidget* spin_angle;
extern GtkWidget* spin_tors;
extern GtkWidget* button_change_bond;
GtkWidget* make_edit_page();
// Sensitivities, values and the watched values' labels after a change of
// the selection, the marks, the watched values or the atoms' positions.
void mivor_gtk_update_edit_page();
// Rewrites the watched values' labels with the current values.
void change_watched_data();

// ---- Fragments page (fragments_page.cpp) ----
extern GtkWidget* table_fragments;
GtkWidget* make_fragments_page();

// ---- Symmetry page (symmetry_page.cpp) ----
extern GtkWidget* vbox_symmetry;
extern GtkWidget* button_symmetry;
extern GtkWidget* button_average_symm;
extern GtkWidget* button_inversion_symm;
extern GtkWidget* button_trans_symm;
extern GtkWidget* spin_transl_vect;
extern GtkAdjustment* translation_magnitude;
extern GtkWidget* button_c2;
extern GtkWidget* spin_axis;
extern GtkWidget* button_mirror_symm;

GtkWidget* make_symmetry_page();
// Sensitivities and tooltips follow the number of selected atoms; two
// selected atoms set the translation length to their distance.
void mivor_gtk_update_symmetry_page();

// ---- Orbital list (orbital_list.cpp) ----
extern GtkWidget* treeview;
extern GtkListStore* store;
extern GtkTreeSelection* selection;

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

// ---- Timers (timers.cpp) ----
// Every 10 seconds: reload the open file when it changed on disk.
void start_check_for_changes();
// Every `snapshot_delay` seconds while `Input_Data.animate` stays on.
void start_animation_timer();
// Every 30 ms while the current geometry has vibrational modes; one at a time.
void mivor_gtk_freq_timer();

// ---- Coordinate editor (coordinate_editor.cpp) ----
// One row per atom of the current geometry: number, symbol, x, y, z, custom
// number, name. Kept in step whether or not the editor is open.
extern GtkListStore* atom_list;
// The editor's table while it is open, else null.
extern GtkWidget* atom_treeview;
void init_atom_list();
void deallocate_atom_list();
void insert_atom_into_list(int i);
void insert_all_atoms_into_list();
void remove_atom_from_list(int i);
void change_atom_parameters_in_list(int i);
// The list after a change the core announced.
void follow_atom_list_change(AtomListChange change, int atom);
// Opens the "xyz editor" window (or brings it to the front).
void callback_xyz_edit();
void mivor_destroy_xyz_edit_dialog(GtkWidget* dialog);
void mivor_select_atom(GtkTreeView* view, GtkTreePath* path, GtkTreeViewColumn* column, gpointer data);
void mivor_change_x_coordinate(GtkCellRendererText* cell, gchar* path, gchar* text, gpointer data);
void mivor_change_y_coordinate(GtkCellRendererText* cell, gchar* path, gchar* text, gpointer data);
void mivor_change_z_coordinate(GtkCellRendererText* cell, gchar* path, gchar* text, gpointer data);
void mivor_change_atom_numbering(GtkCellRendererText* cell, gchar* path, gchar* text, gpointer data);
void mivor_change_atom_name(GtkCellRendererText* cell, gchar* path, gchar* text, gpointer data);
// Selects row i of the open editor (the atom picked in the view).
void mivor_xyz_editor_select_row(int i);

// ---- Draw page (draw_page.cpp) and 3D-object editor (object_editor.cpp) ----
extern GtkWidget* vbox_draw;
extern GtkWidget* vbox_3Dobject;
GtkWidget* make_draw_page();
// Sensitivities and tooltips of the drawing buttons for the selection.
void mivor_gtk_update_draw_page();
// One button per 3D object of the current geometry.
void mivor_gtk_update_3Dobject_info();
// Opens the editor of the object a button names (its object_ref_t).
void mivor_gtk_modify_3Dobject(GtkWidget* button, gpointer object);
// The open editor closes, changing nothing, when its object is gone.
void object_editor_follow_objects();
// The open editor closes, changing nothing (the geometries were replaced).
void object_editor_close();

// ---- Element chooser and atom properties (element_dialogs.cpp) ----
void callback_change_atom(GtkWidget* button);
void callback_adjust_atom_properties(GtkWidget* menu_item);

// ---- Window of all orbitals (multiview.cpp) ----
extern GtkWidget* multi_view_win;
// Opens the window, or closes it when it is open.
void mivor_gtk_show_multiorb_window();
// The tile of grid `grid` shows type `type`; 0 when the window is closed.
int mivor_gtk_multiview_redraw_list(int grid, int type);
// The tiles are made anew for the current geometry (after a read or undo).
void multiview_follow_file();
// Tiles of the open window still waiting for their surfaces.
int multiview_tiles_waiting();

// ---- Help viewer (help_viewer.cpp) ----
// The side panel's centring icon (side_panel.cpp), shown in the help too.
extern const char* center_xpm[];
// Opens a help window on page 1; every call opens another.
void mivor_gtk_callback_help();
