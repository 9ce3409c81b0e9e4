// Bonds between the two selected atoms of the current geometry: their type,
// making and changing them, and the type steps of the keys.
#pragma once

// The type of the bond a–b of the current geometry (either order), 0 when
// there is none.
int get_bond_type(int a, int b);
// Two or more atoms selected: the bond between the first two gets type t
// (0, "No bond", keeps the record); without a bond one of type t is added
// unless t is 0. A snapshot only when something changed.
void change_bond_type(int t);
// The next (dir 1) or previous (dir −1) of the seven bond types for the
// selected pair, wrapping from 6 to 0 and from 0 to 6.
void step_bond_type(int dir);
// Delete with two selected atoms: prints "I = %d\n" with the bond's index
// (or −1) and lowers a type above 0 by one.
void lower_bond_type();
