#include "ui/move_commands.h"

#include <cstdio>
#include <optional>

#include "edit/edit_keys.h"
#include "edit/moves.h"
#include "molecule/settings.h"
#include "render/gl/projection_gl.h"
#include "render/gl/view_gl.h"

namespace {

// Moves the molecule by a window distance d along x (horizontal) or y,
// measured under the matrices in force now.
void move_molecule_on_screen(double d, bool horizontal) {
  const std::optional<vec3> v = window_step_in_model(current_gl_projection(), d, horizontal);
  if (!v) {
    std::fputs("ERROR in GluUnProject\n", stderr);
    return;
  }
  translate(*v);
}

void key_move(int dir, int big, bool horizontal) {
  const double step = dir == 1 ? 5.0 : -5.0;
  if (move_camera == 1) {
    pan_camera(step * (big ? 0.2 : 0.02), horizontal);
  } else {
    move_molecule_on_screen(big ? step * 5.0 : step, horizontal);
  }
}

}  // namespace

void Do_center() {
  if (move_camera == 0) {
    set_origin_molecule();
    return;
  }
  double x, y, z;
  get_center(x, y, z);
  center_camera(x, y);
}

void Do_key_lr(int dir, int big) { key_move(dir, big, true); }
void Do_key_ud(int dir, int big) { key_move(dir, big, false); }

void do_key_page(int dir, int big) {
  switch (page_command(dir, big != 0)) {
    case PageViewStep::depth:
      page_depth_step(dir);
      break;
    case PageViewStep::geometry:
      step_geometry(dir == 1 ? 1 : -1);
      break;
    case PageViewStep::none:
      break;
  }
}
