// Which atom labels are drawn: atoms projected to window coordinates are
// placed on the view plane, and a label is shown only for an atom inside the
// field that no nearer atom covers.
#pragma once

#include <vector>

#include "molecule/types.h"

// View-plane position (X, Y) of each window point (wx, wy, wz) in a W × H
// target, with the window depth wz kept as the third coordinate. Empty when
// the target has no area.
std::vector<vec3> label_anchors(const std::vector<vec3>& window_xyz, int W, int H);

// For each anchor: true when X + camera_x and Y + camera_y lie within the
// half field sizes and no other anchor within 0.5/view_scale in both X and Y
// has a smaller depth.
std::vector<bool> visible_labels(const std::vector<vec3>& anchors);
