// The view applied to OpenGL: projection, trackball and zoom on the
// model-view matrix, keyboard and page moves, the light-moving mode,
// ".ViewPoint" save and restore, the idle animation. Every function expects
// the drawing area's GL context to be current.
#pragma once

// View variables at GL realisation (scale 1, camera 0, mvm = identity).
void view_realize();
// Stores a new drawing-area size and sets the projection.
void view_configure(int width, int height);
void set_scale();
void change_scale(int k);
void Do_center();

// Mouse: a press of button 1 or 3 at pixel (ex, ey) remembers the point;
// motion with a button held rotates, zooms, scales or drags the rubber band.
void view_button_press(int ex, int ey);
// `button` 1, 2 or 3 held; `control` for the Control key. Returns true when
// the drawing area must be redrawn; with button 3, when the rubber band
// (view.x0, y0)–(x1, y1) has both corners and the atoms inside it are to be
// marked.
bool view_motion(int button, bool control, int ex, int ey);
void view_button_release();

void Do_key_lr(int dir, int big);
void Do_key_ud(int dir, int big);
void do_key_page(int dir, int big);
void mivor_gtk_move_light_state();
// mode 1 restores from ".ViewPoint", any other mode saves.
void ViewPoint(int mode);
// One idle-animation step (the timer itself belongs to the window); a step
// on the last geometry switches Input_Data.animate off.
void animate(void* ignored);
