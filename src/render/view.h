// How the scene is looked at: the orthographic field and its zoom, the
// camera offset, the trackball rotation, the rubber band, the mapping of
// model points to window pixels, and the ".ViewPoint" text of saved viewing
// conditions. Pure state and arithmetic; the OpenGL side
// (render/gl/view_gl.h) applies it to the matrices.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>

#include "molecule/types.h"

using matrix16 = std::array<double, 16>;  // column-major, as OpenGL returns it

struct view_state_t {
  int screen_width = 0, screen_height = 0;
  double half_width = 0, half_height = 0;
  double view_scale = 1.0;
  double camera_x = 0, camera_y = 0;
  double z_half = 5.0;
  matrix16 saved_matrix{};
  double last_x = 0, last_y = 0;
  double rotation_sum = 0;
  // Rubber band: active flag and its two pixel corners (y down).
  bool rubber_band = false;
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  double expand_factor = 1.0;
  int vec_rot = 0;  // kind of symmetry operation: 0 translation, else axis order
};
extern view_state_t view;
// Copy of the model-view matrix (realisation, each rotation step, restore).
extern matrix16 mvm;
matrix16 identity_matrix();
void reset_view_state();

// half_width / half_height from the screen size, scale and z_half.
void compute_field_sizes();
// The zoom step of change_scale: k = −1 divides view_scale by 1.1, 0 resets
// it to 1, 1 multiplies it by 1.1; false (nothing changed) for other k.
bool step_view_scale(int k);
// Maps a model point to window pixels (x, y from the bottom); false when the
// point can't be projected.
using window_projector = std::function<bool(const vec3&, double&, double&)>;
// Normalised pointer coordinates of pixel (ex, ey) in a W × H area, y up.
void normalised_pointer(int ex, int ey, int W, int H, double& x, double& y);

// One trackball step from (x0, y0) to (x1, y1): rotation angle in degrees
// about `axis`.
struct trackball_step_t {
  double angle;
  std::array<double, 3> axis;
};
trackball_step_t trackball_rotation(double x0, double y0, double x1, double y1);
// Adds |angle| to rotation_sum; true when the 45° threshold was passed (and
// the sum restarted), i.e. transparent surfaces must be re-sorted.
bool accumulate_rotation(double angle);
// New view_scale for a button-2 drag step, or none when the move is not
// mainly horizontal.
std::optional<double> drag_zoom_scale(double x0, double y0, double x1, double y1, double scale);
// The factor a Control-drag step from (x0, y0) to (x1, y1) hands to the
// expand/retract edit: a tenth of the horizontal move (positive to the
// right), or none when the move is not mainly horizontal.
std::optional<double> drag_expand_factor(double x0, double y0, double x1, double y1);

double* get_main_mvm();
void get_sizes_data(double* hw, double* hh, double* scale, double* cx, double* cy, double* zh);
void mivor_gtk_set_vec_rot(int v);
int get_vec_rot();

// z_half = Calc_Diameter() of the current geometry.
void set_sizes();

// The saved viewing conditions.
struct viewpoint_t {
  int screen_width = 0, screen_height = 0;
  double half_width = 0, half_height = 0;
  double view_scale = 1;
  double z_depth = 0;
  double camera_x = 0, camera_y = 0;
  matrix16 matrix{};
};
// The ".ViewPoint" text of `vp`.
std::string viewpoint_text(const viewpoint_t& vp);
// Parses a ".ViewPoint" file's text; none when the first line can't be read.
// Each unreadable later line prints "Error during reading ViewPoint file\n".
// Values the text doesn't provide keep those of `start`.
std::optional<viewpoint_t> parse_viewpoint(const std::string& text, const viewpoint_t& start = viewpoint_t{});
// Largest window side a restored view may ask for.
constexpr int max_screen_size = 32767;
// True when the view can be applied: screen sizes 1 … max_screen_size, field
// sizes, scale and depth finite and positive, camera and matrix finite.
bool viewpoint_is_usable(const viewpoint_t& vp);
