// An OpenGL context without a window: a GLX pbuffer on the X display named
// by $DISPLAY, for benchmarks and for pictures made by programs.
#pragma once

// Opens the display, creates a width × height pbuffer (RGBA, 8 bits a
// colour, 24-bit depth) with a context, makes it current for the rest of the
// process and sets the scene's and the view's GL state. False when any step
// fails (no display, no GLX pbuffer).
bool open_offscreen_context(int width, int height);
