// The side panel right of the drawing area: the notebook of pages and the
// four expanders below it, shown and hidden as the molecule's data ask.
#pragma once

#include <gtk/gtk.h>

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

// Builds the panel once and returns its outer box.
GtkWidget* make_notebook();
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
// One geometry forward or back (nothing at the ends).
void callback_geo_forw();
void callback_geo_back();
