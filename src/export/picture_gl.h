// The picture of the scene at any size, drawn offscreen into a framebuffer
// object of the current OpenGL context and read back: the same drawing as
// the screen, without the window.
#pragma once

#include "export/raster.h"
#include "render/view.h"

// Largest picture side.
constexpr int max_picture_size = 4000;

// Draws the picture of the current geometry into the framebuffer bound now,
// W × H pixels: the scene's GL state, the view's field fitted to W × H
// around its camera, model-view `mv`, the background, the scene as pictures
// show it (drawn directly, not through the scene list) and the text boxes.
void draw_picture_gl(int W, int H, const matrix16& mv);

// Renders the picture offscreen in the current context and reads it back
// into `out`; the context's own framebuffer, matrices and state are left as
// they were. False when the context has no framebuffer objects or the size
// is beyond 1 … max_picture_size or what the context can hold.
bool render_picture(int W, int H, const matrix16& mv, picture_t& out);
