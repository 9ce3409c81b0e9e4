// A private X server (Xvfb with Mesa's software OpenGL) for tests that open
// windows, and the means to act on them as a user would.
#pragma once

#include <string>
#include <vector>

// Starts Xvfb on a free display the first time it is called, points DISPLAY
// at it for this process and its children, and stops it at exit.
// With `fresh`, another server replaces the one in use.
void use_private_x_display(bool fresh = false);

// Starts another Xvfb with extra `options` and returns its display name; it
// stops at exit.
std::string start_x_server(const std::vector<std::string>& options);

// Asks every top-level window of process `pid` on `display` (default: this
// process's) to close, as a window manager's close button does
// (WM_DELETE_WINDOW); dialogs first. Returns the number of windows asked.
int close_windows_of(int pid, const std::string& display = "");
