// The view applied to OpenGL: projection, trackball and zoom on the
// model-view matrix, camera pans and the page command's depth and geometry
// steps, the light-moving mode, ".ViewPoint" save and restore, the idle
// animation. Every function expects the drawing area's GL context to be
// current. Nothing here edits the molecule: what a drag or key does to it
// is the caller's.
#pragma once

#include <optional>

// View variables at GL realisation (scale 1, camera 0, mvm = identity).
void view_realize();
// Stores a new drawing-area size and sets the projection.
void view_configure(int width, int height);
void set_scale();
void change_scale(int k);
// The camera over model point (x, y): camera_x = −x, camera_y = −y.
void center_camera(double x, double y);
// Moves camera_x (`horizontal`) or camera_y by d.
void pan_camera(double d, bool horizontal);

// Mouse: a press of button 1 or 3 at pixel (ex, ey) remembers the point;
// motion with a button held rotates, zooms, scales or drags the rubber band.
void view_button_press(int ex, int ey);
// What a motion event asks of the caller.
struct view_motion_t {
  // The drawing area must be redrawn; with button 3, the rubber band
  // (view.x0, y0)–(x1, y1) has both corners and the atoms inside it are to
  // be marked.
  bool redraw = false;
  // Control-drag, a mainly horizontal step: the factor of the
  // expand/retract edit (also kept in view.expand_factor).
  std::optional<double> expand;
};
// `button` 1, 2 or 3 held; `control` for the Control key.
view_motion_t view_motion(int button, bool control, int ex, int ey);
void view_button_release();

// The page command with Shift: the model-view matrix moves by 0.1 × dir
// along z (dir 1 up, 0 down).
void page_depth_step(int dir);
// Makes geometry igeo + step current, within the geometries loaded, and
// lets the projection and the panels follow.
void step_geometry(int step);
void mivor_gtk_move_light_state();
// mode 1 restores from ".ViewPoint", any other mode saves.
void ViewPoint(int mode);
// One idle-animation step (the timer itself belongs to the window); a step
// on the last geometry switches Input_Data.animate off.
void animate(void* ignored);
