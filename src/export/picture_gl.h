// The picture of the scene at any size, drawn offscreen into a framebuffer
// object of the current OpenGL context and read back: the same drawing as
// the screen, without the window.
#pragma once

#include <optional>

#include "export/raster.h"
#include "render/gl/offscreen_context.h"
#include "render/view.h"

// Largest picture side.
constexpr int max_picture_size = 4000;

// Draws the picture of the current geometry into the framebuffer bound now,
// W × H pixels: the scene's GL state, the view's field fitted to W × H
// around its camera, model-view `mv`, the background, the scene as pictures
// show it (drawn directly, not through the scene list) and the text boxes.
void draw_picture_gl(int W, int H, const matrix16& mv);

// The picture drawn offscreen in the current context, W × H pixels, in a
// framebuffer object that stays bound (the read buffer) while this object
// lives; afterwards the context's own framebuffer, matrices and state are as
// they were. False when the context has no framebuffer objects or the size
// is beyond 1 … max_picture_size or what the context can hold.
class OffscreenPicture {
 public:
  OffscreenPicture(int W, int H, const matrix16& mv);
  ~OffscreenPicture();
  OffscreenPicture(const OffscreenPicture&) = delete;
  OffscreenPicture& operator=(const OffscreenPicture&) = delete;
  explicit operator bool() const { return drawn_; }

 private:
  bool saved_state_ = false, drawn_ = false;
  std::optional<OffscreenFramebuffer> framebuffer_;
};

// Draws the picture offscreen and reads it back into `out`; false as above.
bool render_picture(int W, int H, const matrix16& mv, picture_t& out);
