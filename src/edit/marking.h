// The marking commands: marking hydrogens, atoms of the selected atom's
// element, neighbours and whole fragments behind a bond, the atoms on one
// side of a plane, and reversing the marks. Each appends to the marked
// atoms of the current geometry (never twice) and tells the interface once.
#pragma once

void mark_H();
void mark_element_as_selected();
// One atom selected: its bonded neighbours; two: the fragment on the first
// atom's side of the bond to the second.
void mark_neighbor();
// Marks, depth first in bond-list order, every atom reachable from atom i
// through unmarked atoms.
void mark_nei(int i);
// Two atoms selected: the side of the second atom of the plane that bisects
// their bond; three: the side the normal (P1 − P0) × (P2 − P1) points to.
// The selected atoms are marked too.
void mark_one_side();
// Exactly the atoms that were not marked become marked, in increasing order.
void reverse_marked();
