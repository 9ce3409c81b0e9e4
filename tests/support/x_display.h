// A private X server (Xvfb with Mesa's software OpenGL) for tests that open
// windows, and the means to act on them as a user would.
#pragma once

#include <string>

// Starts Xvfb on a free display the first time it is called, points DISPLAY
// at it for this process and its children, and stops it at exit.
void use_private_x_display();

// Asks every top-level window of process `pid` to close, as a window
// manager's close button does (WM_DELETE_WINDOW); dialogs first. Returns
// the number of windows asked.
int close_windows_of(int pid);
