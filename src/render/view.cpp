// View state and its arithmetic: field sizes, trackball steps, drag zoom,
// the Control-drag factor, and the text of the ".ViewPoint" file (written
// with "%lf", read back line by line through a 64-byte buffer).
#include "render/view.h"

#include <climits>
#include <cmath>
#include <cstdio>

#include "molecule/mol_data.h"
#include "molecule/settings.h"
#include "render/scene_geometry.h"

view_state_t view;
matrix16 mvm = identity_matrix();

matrix16 identity_matrix() {
  matrix16 r{};
  r[0] = r[5] = r[10] = r[15] = 1.0;
  return r;
}

void reset_view_state() {
  view = view_state_t{};
  move_camera = 1;
  mvm = identity_matrix();
}

void compute_field_sizes() {
  const double s = view.view_scale, z = view.z_half;
  const double w = view.screen_width, h = view.screen_height;
  if (w <= 0 || h <= 0) {
    // No allocation yet: a square field.
    view.half_width = view.half_height = z / (2 * s);
  } else if (w < h) {
    view.half_width = z / (2 * s);
    view.half_height = h * z / (2 * w * s);
  } else {
    view.half_height = z / (2 * s);
    view.half_width = w * z / (2 * h * s);
  }
}

bool step_view_scale(int k) {
  switch (k) {
    case -1:
      view.view_scale /= 1.1;
      return true;
    case 0:
      view.view_scale = 1.0;
      return true;
    case 1:
      view.view_scale *= 1.1;
      return true;
    default:
      return false;
  }
}

void normalised_pointer(int ex, int ey, int W, int H, double& x, double& y) {
  x = W > 0 ? 2.0 * ex / W - 1.0 : 0.0;
  y = H > 0 ? 2.0 * (H - ey) / H - 1.0 : 0.0;
}

trackball_step_t trackball_rotation(double x0, double y0, double x1, double y1) {
  trackball_step_t step;
  step.axis = {y0 - y1, x1 - x0, x0 * y1 - y0 * x1};
  const double a2 = step.axis[0] * step.axis[0] + step.axis[1] * step.axis[1] + step.axis[2] * step.axis[2];
  const double p0 = x0 * x0 + y0 * y0 + 1.0;
  const double p1 = x1 * x1 + y1 * y1 + 1.0;
  step.angle = 57.29577951308232 * std::sqrt(a2 * p0 / p1);
  return step;
}

bool accumulate_rotation(double angle) {
  view.rotation_sum += std::fabs(angle);
  if (view.rotation_sum <= 45.0) return false;
  view.rotation_sum = 0;
  return true;
}

std::optional<double> drag_zoom_scale(double x0, double y0, double x1, double y1, double scale) {
  if (!(std::fabs(x1 - x0) > 2.0 * std::fabs(y1 - y0))) return std::nullopt;
  return x1 > x0 ? scale * 1.02 : scale / 1.02;
}

std::optional<double> drag_expand_factor(double x0, double y0, double x1, double y1) {
  if (!(std::fabs(x1 - x0) > 2.0 * std::fabs(y1 - y0))) return std::nullopt;
  return (x1 - x0) / 10.0;
}

double* get_main_mvm() { return mvm.data(); }

void get_sizes_data(double* hw, double* hh, double* scale, double* cx, double* cy, double* zh) {
  *hw = view.half_width;
  *hh = view.half_height;
  *scale = view.view_scale;
  *cx = view.camera_x;
  *cy = view.camera_y;
  *zh = view.z_half;
}

void mivor_gtk_set_vec_rot(int v) { view.vec_rot = v; }
int get_vec_rot() { return view.vec_rot; }

void set_sizes() {
  if (m) view.z_half = Calc_Diameter(*m);
}

std::string viewpoint_text(const viewpoint_t& vp) {
  char buf[256];
  std::string out;
  auto add = [&](const char* label, int n, double a, double b = 0) {
    out += label;
    if (n == 1) {
      std::snprintf(buf, sizeof buf, " %lf\n", a);
    } else {
      std::snprintf(buf, sizeof buf, " %lf %lf\n", a, b);
    }
    out += buf;
  };
  add("screen sizes\n", 2, vp.screen_width, vp.screen_height);
  add("field sizes\n", 2, vp.half_width, vp.half_height);
  add("scale\n", 1, vp.view_scale);
  add("z_depth\n", 1, vp.z_depth);
  add("camera position\n", 2, vp.camera_x, vp.camera_y);
  out += "matrix \n";
  for (size_t row = 0; row < 4; ++row) {
    const double* v = vp.matrix.data() + 4 * row;
    std::snprintf(buf, sizeof buf, "%lf %lf %lf %lf\n", v[0], v[1], v[2], v[3]);
    out += buf;
  }
  return out;
}

namespace {

// Reads the text as a stream read with a 64-byte line buffer: each read
// takes at most 63 bytes, stopping after a line feed.
class chunk_reader {
 public:
  explicit chunk_reader(const std::string& text) : text_(text) {}
  bool next(std::string& chunk) {
    if (pos_ >= text_.size()) return false;
    size_t end = pos_;
    while (end < text_.size() && end - pos_ < 63) {
      if (text_[end++] == '\n') break;
    }
    chunk.assign(text_, pos_, end - pos_);
    pos_ = end;
    return true;
  }

 private:
  const std::string& text_;
  size_t pos_ = 0;
};

void report_unreadable() { std::fputs("Error during reading ViewPoint file\n", stdout); }

// The whole-pixel value of a screen size; 0 (unusable) for a value that is
// not a number in int range.
int screen_size_of(double v) {
  if (!(v >= static_cast<double>(INT_MIN) && v <= static_cast<double>(INT_MAX))) return 0;
  return static_cast<int>(v);
}

}  // namespace

std::optional<viewpoint_t> parse_viewpoint(const std::string& text, const viewpoint_t& start) {
  chunk_reader in(text);
  std::string chunk;
  if (!in.next(chunk)) {
    report_unreadable();
    return std::nullopt;
  }
  viewpoint_t vp = start;
  // Reads the next line into `a` (and `b`); a value the line doesn't hold
  // keeps its previous value.
  auto values = [&](double& a, double* b) {
    if (!in.next(chunk)) {
      report_unreadable();
      return;
    }
    if (b) {
      std::sscanf(chunk.c_str(), "%lf %lf", &a, b);
    } else {
      std::sscanf(chunk.c_str(), "%lf", &a);
    }
  };
  auto label = [&] {
    if (!in.next(chunk)) report_unreadable();
  };
  double sw = vp.screen_width, sh = vp.screen_height;
  values(sw, &sh);
  vp.screen_width = screen_size_of(sw);
  vp.screen_height = screen_size_of(sh);
  label();
  values(vp.half_width, &vp.half_height);
  label();
  values(vp.view_scale, nullptr);
  label();
  values(vp.z_depth, nullptr);
  label();
  values(vp.camera_x, &vp.camera_y);
  label();
  for (size_t row = 0; row < 4; ++row) {
    double* v = vp.matrix.data() + 4 * row;
    if (!in.next(chunk)) {
      report_unreadable();
      continue;
    }
    std::sscanf(chunk.c_str(), "%lf %lf %lf %lf", &v[0], &v[1], &v[2], &v[3]);
  }
  return vp;
}

bool viewpoint_is_usable(const viewpoint_t& vp) {
  auto positive = [](double v) { return std::isfinite(v) && v > 0; };
  if (vp.screen_width <= 0 || vp.screen_height <= 0 || vp.screen_width > max_screen_size ||
      vp.screen_height > max_screen_size)
    return false;
  if (!positive(vp.half_width) || !positive(vp.half_height) || !positive(vp.view_scale) || !positive(vp.z_depth))
    return false;
  if (!std::isfinite(vp.camera_x) || !std::isfinite(vp.camera_y)) return false;
  for (double v : vp.matrix)
    if (!std::isfinite(v)) return false;
  return true;
}
