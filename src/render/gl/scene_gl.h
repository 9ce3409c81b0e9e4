// The scene list in OpenGL: the GL state set when the drawing area is
// realised, compiling and replaying the list on expose, the vibration tick
// and the rubber-band rectangle. Every function expects the drawing area's
// GL context to be current (vibration_tick excepted).
#pragma once

// Lighting, materials, depth test and blending, as every scene is drawn.
void scene_gl_state();
// The state above; creates the scene list and marks it stale.
void scene_realize();
// Clears colour and depth to the background (its grey, alpha 0, in
// grayscale mode).
void clear_scene_background();
// The scene list id (0 before realisation).
unsigned int get_list_3d();
// Compiles (and executes) the scene list from the current geometry; without
// a geometry the previous list stays.
void mivor_draw_3d();
// The body of the expose handler for a W × H area: clears, places the light
// in light-moving mode, compiles or replays the scene list, calls `draw_2d`
// (may be null) for the overlays and flushes. The caller swaps buffers.
void scene_expose(int W, int H, void (*draw_2d)(int, int));
// Frees the scene list (shutdown).
void scene_delete_list();
// One tick of the vibration timer: marks the list stale and asks for a
// redraw; true while the current geometry has modes (keep the timer).
bool vibration_tick();
// The rubber band between the view's two drag corners, for a W × H area.
void draw_rectangle(int W, int H);
