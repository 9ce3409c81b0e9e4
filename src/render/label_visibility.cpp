#include "render/label_visibility.h"

#include <cmath>

#include "render/view.h"

namespace {

bool inside_field(const vec3& a) {
  const double x = a[0] + view.camera_x, y = a[1] + view.camera_y;
  return x >= -view.half_width && x <= view.half_width && y >= -view.half_height && y <= view.half_height;
}

// Compared with every atom, so the test is quadratic in the atom count.
bool hidden(const std::vector<vec3>& anchors, size_t i) {
  const double reach = 0.5 / view.view_scale;
  const vec3& a = anchors[i];
  for (size_t k = 0; k < anchors.size(); ++k) {
    const vec3& b = anchors[k];
    if (k != i && std::fabs(b[0] - a[0]) < reach && std::fabs(b[1] - a[1]) < reach && b[2] < a[2]) return true;
  }
  return false;
}

}  // namespace

std::vector<vec3> label_anchors(const std::vector<vec3>& window_xyz, int W, int H) {
  std::vector<vec3> anchors;
  if (W <= 0 || H <= 0) return anchors;
  anchors.reserve(window_xyz.size());
  for (const vec3& w : window_xyz)
    anchors.push_back({w[0] * 2 * view.half_width / W - view.half_width - view.camera_x,
                       w[1] * 2 * view.half_height / H - view.half_height - view.camera_y, w[2]});
  return anchors;
}

std::vector<bool> visible_labels(const std::vector<vec3>& anchors) {
  std::vector<bool> visible(anchors.size());
  for (size_t i = 0; i < anchors.size(); ++i) visible[i] = inside_field(anchors[i]) && !hidden(anchors, i);
  return visible;
}
