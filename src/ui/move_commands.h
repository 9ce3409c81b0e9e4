// The commands that move either the view or the molecule: the arrow keys
// and the side panel's move buttons (the camera or the molecule, as
// move_camera says), centring, and the page command of the keys and the
// scroll wheel. The view (render/gl/view_gl.h) moves the camera and
// measures the screen; the editor (src/edit) moves the atoms. Every
// function expects the drawing area's GL context to be current.
#pragma once

// Centres the molecule at the origin (move_camera 0) or the camera over
// the molecule's centre (1).
void Do_center();
// Keyboard moves, dir 1 towards +x (+y), 0 towards −x (−y), big with
// Shift: the camera pans by ±0.1 (±1.0 big), or the molecule moves by a
// window distance of ±5 (±25 big) pixels.
void Do_key_lr(int dir, int big);
void Do_key_ud(int dir, int big);
// Page Up or the wheel up (dir 1), Page Down or the wheel down (dir 0);
// big with Shift. The cases and their order are page_command's.
void do_key_page(int dir, int big);
