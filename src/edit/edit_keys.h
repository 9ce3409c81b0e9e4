// The editing commands of the keyboard that choose among several operations
// by the selection: Insert, Delete, the page command (keys and wheel), and
// Escape.
#pragma once

#include "edit/key_commands.h"

// Insert or F12 on an editable geometry: with none or one atom selected the
// last fragment used (Shift with one: dummy atoms); with two, Shift adds a
// dummy atom between them, else their bond type steps up (a missing bond
// becomes single).
void key_insert(const key_context_t& c);
// Delete on an editable geometry: one selected atom or the marked atoms are
// deleted; with two selected and none marked, their bond type steps down.
void key_delete(const key_context_t& c);
// The steps of the page command that only the OpenGL view can take.
enum class PageViewStep {
  none,
  depth,     // the model-view matrix moves along z by 0.1 × dir
  geometry,  // the geometry one back (dir 0) or forward (dir 1) is shown
};
// The page command: Page Up or the wheel up (dir 1), Page Down or the wheel
// down (dir 0), `big` with Shift. Its cases in order: with grids the orbital
// list steps; with `big` the view's depth step is left to the caller; on an
// editable geometry two selected atoms step their bond type and one its
// element; with vibrational modes the mode shown steps within them; else,
// with geometries loaded, the geometry step is left to the caller. Nothing
// without a molecule.
PageViewStep page_command(int dir, bool big);
// Escape: the watched values go; on an editable geometry the arrows,
// triangles, spheres, planes and cells too (text boxes stay).
void key_escape(bool editable);
// Deletes every arrow, triangle, sphere, plane and cell (text boxes stay),
// with a snapshot when there were any.
void clear_drawn_objects();
