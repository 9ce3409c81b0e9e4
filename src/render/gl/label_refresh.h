// The atom label images after an edit of the atoms: indices and symbols are
// taken from images of the same text made before, so that an edit of a
// large molecule renders only the texts it has not shown yet.
#pragma once

// After atoms of the current geometry were added, deleted, reordered or
// changed their element. Numbers, names and charges move with their atoms
// (new atoms have none yet). Without label images in step with the atoms,
// all of them are made as draw_all_pixdata does.
void refresh_atom_labels();
