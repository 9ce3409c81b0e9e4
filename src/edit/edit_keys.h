// The editing commands of the keyboard that choose among several operations
// by the selection: Insert, Delete, the page keys on a selected atom or
// bond, and Escape.
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
// The page command on an editable geometry with one selected atom (its
// element steps) or two (their bond type steps); dir 1 up, 0 down. False
// when it does not apply, so that the command goes on to its other cases.
bool page_edit(int dir);
// Escape: the watched values go; on an editable geometry the arrows,
// triangles, spheres, planes and cells too (text boxes stay).
void key_escape(bool editable);
// Deletes every arrow, triangle, sphere, plane and cell (text boxes stay),
// with a snapshot when there were any.
void clear_drawn_objects();
