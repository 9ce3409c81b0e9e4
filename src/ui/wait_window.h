// While the window waits for a program (a converter), a small window says
// what runs and offers to stop it, and the main window keeps painting.
#pragma once

#include <string>

// Called repeatedly while the program runs; false once the user pressed
// "Stop".
bool wait_window_pulse(const std::string& what);
// The program ended: the small window goes.
void wait_window_close();
