// The ordered selection (up to four atoms) and the marked group of the
// current geometry, as the mouse builds them: picking the atom under the
// pointer, click selection, toggle marking, the middle button and the
// rubber-band rectangle.
#pragma once

#include "molecule/mol_data.h"
#include "render/view.h"

void unmark_all();
int is_atom_marked(int i);
void mark_atom(int i);
// Removes the entry at position k of `marked`.
void unmark_atom(int k);

// The atom under the click at pixel (x, y) (y from the top) of a window
// `height` pixels high, or −1.
int pick_atom(int x, int y, int height, const window_projector& project);

// Left button: appends atom b (at most four, never twice).
void click_select(int b);
// Right button: marks atom b, or unmarks it when it is marked.
void toggle_mark(int b);
// Middle button or Space: clears the selection, or else the marks.
void clear_selection_or_marks();
// Marks every atom strictly inside the rectangle of the two pixel corners
// (y from the top) that is not yet marked.
void mark_atoms_in_rectangle(int x0, int y0, int x1, int y1, int window_height, const window_projector& project);
