// The main window: menu bar, two status bars, the OpenGL drawing area and
// the side panel, built once by Init_Gui, and the drawing-area handlers.
#pragma once

#include <gtk/gtk.h>

#include <string>

extern GtkWidget* window;
extern GtkWidget* statusbar1;
extern GtkWidget* statusbar2;
extern GtkWidget* drawingarea;

// Start-up up to the main loop: configuration, settings and command line,
// the window, the citation line, the file of the command line, the file watch.
void start_viewer(int argc, char** argv);
// Builds and shows the main window (keeps the C locale).
void Init_Gui(int argc, char** argv);
// Shows the start-up warning, runs the main loop, then frees the scene list.
void Start_Gui();
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
