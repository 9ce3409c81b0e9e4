// The main window: menu bar, two status bars, the OpenGL drawing area and
// the side panel, built once by Init_Gui, and the drawing-area handlers. The
// widgets and functions the other parts use are in ui/widgets.h.
#pragma once

#include "ui/widgets.h"

// Start-up up to the main loop: configuration, settings and command line,
// the window, the citation line, the file of the command line, the file watch.
void start_viewer(int argc, char** argv);
// Builds and shows the main window (keeps the C locale).
void Init_Gui(int argc, char** argv);
// Shows the start-up warning, runs the main loop, then frees the scene list.
void Start_Gui();
