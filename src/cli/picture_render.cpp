// The view of a picture without a window: the viewer's view of a freshly
// opened file (identity rotation, scale 1, the camera on the molecule's
// centre, the depth of the geometry) unless a ".ViewPoint" file gives one.
#include "cli/picture_render.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "edit/moves.h"
#include "export/picture_gl.h"
#include "export/postscript_output.h"
#include "export/raster.h"
#include "molecule/settings.h"
#include "render/gl/label_images.h"
#include "render/gl/offscreen_context.h"
#include "render/povray_output.h"
#include "render/view.h"

namespace {

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool known_format(const std::string& f) {
  return f == "tga" || f == "png" || f == "jpeg" || f == "eps" || f == "eps2" || f == "pov";
}

// The view for a picture; false (with the reason on stderr) when the
// ".ViewPoint" file can't be used.
bool set_view(const render_request_t& r, int& width, int& height) {
  view.view_scale = 1;
  mvm = identity_matrix();
  double x = 0, y = 0, z = 0;
  get_center(x, y, z);
  view.camera_x = -x, view.camera_y = -y;
  width = height = Input_Data.initial_screen_size > 0 ? Input_Data.initial_screen_size : 600;
  if (r.viewpoint) {
    std::ifstream in(*r.viewpoint, std::ios::binary);
    std::ostringstream text;
    if (!in || !(text << in.rdbuf())) {
      std::fprintf(stderr, "cannot read %s\n", r.viewpoint->c_str());
      return false;
    }
    const std::optional<viewpoint_t> vp = parse_viewpoint(text.str());
    if (!vp || !viewpoint_is_usable(*vp)) {
      std::fprintf(stderr, "%s holds no usable view\n", r.viewpoint->c_str());
      return false;
    }
    view.view_scale = vp->view_scale;
    view.camera_x = vp->camera_x, view.camera_y = vp->camera_y;
    view.z_half = vp->z_depth * 0.5;
    mvm = vp->matrix;
    width = vp->screen_width, height = vp->screen_height;
  }
  width = r.width.value_or(width), height = r.height.value_or(height);
  width = std::clamp(width, 1, max_picture_size), height = std::clamp(height, 1, max_picture_size);
  view.screen_width = width, view.screen_height = height;
  compute_field_sizes();
  return true;
}

int raster(const render_request_t& r, int width, int height) {
  OffscreenContext context;
  if (!context) {
    std::fprintf(stderr, "%s\n", context.error().c_str());
    return 1;
  }
  draw_all_textbox_pixdata();
  OffscreenPicture picture(width, height, mvm);
  if (!picture) {
    std::fprintf(stderr, "the OpenGL context cannot draw a %dx%d picture offscreen\n", width, height);
    return 1;
  }
  const bool written =
      r.format == "tga" ? tgaSave(r.out, width, height) == 0 : pixbuf_save(r.out, r.format, width, height);
  return written ? 0 : 1;
}

}  // namespace

std::string picture_format(const std::optional<std::string>& named, const std::string& out) {
  if (named) return known_format(lower(*named)) ? lower(*named) : "";
  const size_t dot = out.find_last_of('.');
  if (dot == std::string::npos || out.find('/', dot) != std::string::npos) return "";
  const std::string ext = lower(out.substr(dot + 1));
  if (ext == "jpg") return "jpeg";
  return known_format(ext) && ext != "eps2" ? ext : "";
}

bool parse_picture_size(const std::string& text, int& width, int& height) {
  char* end = nullptr;
  const long w = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || (*end != 'x' && *end != 'X')) return false;
  const char* second = end + 1;
  const long h = std::strtol(second, &end, 10);
  if (end == second || *end) return false;
  if (w < 1 || h < 1 || w > max_picture_size || h > max_picture_size) return false;
  width = static_cast<int>(w), height = static_cast<int>(h);
  return true;
}

int render_picture_file(const render_request_t& r) {
  int width = 0, height = 0;
  if (!set_view(r, width, height)) return 1;
  if (r.format == "eps" || r.format == "eps2") return initPS(r.format == "eps2" ? 1 : 0, r.out, mvm) ? 0 : 1;
  if (r.format == "pov") return initPovray(r.out) ? 0 : 1;
  return raster(r, width, height);
}
