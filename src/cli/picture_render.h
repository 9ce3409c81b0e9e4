// The picture of an opened file without a window, as a
// raster image (offscreen OpenGL, the screen's drawing code), an EPS
// picture or a POV-Ray scene.
#pragma once

#include <optional>
#include <string>

struct render_request_t {
  std::string out;
  std::string format;  // tga, png, jpeg, eps, eps2 or pov
  std::optional<int> width, height;
  std::optional<std::string> viewpoint;  // a ".ViewPoint" file
};

// The format named by --format, or else by the extension of `out`; empty
// when neither names one.
std::string picture_format(const std::optional<std::string>& named, const std::string& out);
// "WxH" with both sides 1 … 4000.
bool parse_picture_size(const std::string& text, int& width, int& height);

// Sets the view as the viewer shows a freshly opened file (or as the
// ".ViewPoint" file says) and writes the picture of the current geometry.
// Returns 0 when written, 1 otherwise (the reason is told as a warning or on
// standard error).
int render_picture_file(const render_request_t& request);
