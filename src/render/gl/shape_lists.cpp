#include "render/gl/shape_lists.h"

#include <algorithm>
#include <cmath>
#include <utility>

std::pair<int, int> reduced_quality(double pixels, int slices, int stacks, bool crowded) {
  if (!crowded) {
    if (!(pixels < small_shape_pixels)) return {slices, stacks};
    if (pixels < 1) return {std::min(slices, 6), std::min(stacks, 4)};
    return {std::min(slices, 10), std::min(stacks, 7)};
  }
  // A chord of a circle of radius r over angle 2π/n strays r(1 − cos(π/n)).
  if (!(pixels > facet_error_pixels)) return {std::min(slices, 4), std::min(stacks, 3)};
  const double needed = std::ceil(M_PI / std::acos(1 - facet_error_pixels / pixels));
  if (!(needed < slices) || needed > placed_mesh_slices) return {slices, stacks};
  const int n = std::max(4, static_cast<int>(needed));
  return {std::min(slices, n), std::min(stacks, std::max(3, (n + 1) / 2))};
}

void shape_lists_t::make(GLUquadric* quadric, unit_shape shape, int slices, int stacks, bool filled) {
  const key_t key{static_cast<int>(shape), slices, stacks, filled};
  if (!quadric || lists_.count(key)) return;
  const GLuint list = glGenLists(1);
  if (!list) return;
  gluQuadricDrawStyle(quadric, filled ? GLU_FILL : GLU_LINE);
  glNewList(list, GL_COMPILE);
  if (shape == unit_shape::sphere)
    gluSphere(quadric, 1.0, slices, stacks);
  else
    gluCylinder(quadric, 1.0, shape == unit_shape::cone ? 0.0 : 1.0, 1.0, slices, stacks);
  glEndList();
  lists_[key] = list;
}

// What the traversal draws: filled spheres of the atoms (also at their
// reduced subdivisions) and line spheres of the selected atoms (20 × 20)
// and of a selected decoration sphere; decoration spheres at twice the
// counts; filled sticks and cones (one stack: along them the normals don't
// change) and line ones. A crowded scene draws its small filled shapes as
// vertices in place instead.
void shape_lists_t::prepare(GLUquadric* quadric, int slices, int stacks) {
  for (const auto& [sl, st] : {std::make_pair(slices, stacks), reduced_quality(1.5, slices, stacks),
                               reduced_quality(0.5, slices, stacks), std::make_pair(2 * slices, 2 * stacks)})
    make(quadric, unit_shape::sphere, sl, st, true);
  make(quadric, unit_shape::cylinder, slices, 1, true);
  make(quadric, unit_shape::cone, slices, 1, true);
  make(quadric, unit_shape::sphere, 20, 20, false);
  make(quadric, unit_shape::sphere, slices, stacks, false);
  make(quadric, unit_shape::cylinder, slices, stacks, false);
  make(quadric, unit_shape::cone, slices, stacks, false);
}

GLuint shape_lists_t::find(unit_shape shape, int slices, int stacks, bool filled) const {
  const auto it = lists_.find({static_cast<int>(shape), slices, stacks, filled});
  return it == lists_.end() ? 0 : it->second;
}

void shape_lists_t::release() {
  for (const auto& entry : lists_) glDeleteLists(entry.second, 1);
  lists_.clear();
}
