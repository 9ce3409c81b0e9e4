// What the coordinate editor's cells do to the current geometry: a typed
// coordinate, custom number or name is checked and applied to one atom, and
// a row activated in the table selects its atom.
#pragma once

#include <optional>
#include <string>

// The whole text as a finite number with a decimal point whatever the
// locale (spaces around it allowed); none for anything else.
std::optional<double> parse_cell_number(const std::string& text);
// The whole text as an integer (spaces around it allowed); none otherwise.
std::optional<int> parse_cell_integer(const std::string& text);

// How a typed cell ended.
enum class CellEdit {
  refused,      // not a value of the cell's kind, or no such atom: nothing changed
  done,         // the atom took the value
  flag_raised,  // done, and the geometry now has data it lacked (numbers, names)
};

// Coordinate `axis` (0 x, 1 y, 2 z) of atom `atom` becomes the typed number:
// the atom's row, the bonds (when found automatically), the values on show
// and the scene follow, and one snapshot makes the edit one undo step. A
// refused text tells the lower status bar why.
CellEdit set_atom_coordinate(int atom, int axis, const std::string& text);
// The atom's custom number becomes the typed integer (a snapshot follows).
CellEdit set_atom_numbering(int atom, const std::string& text);
// The atom's name becomes the text (a snapshot follows).
CellEdit set_atom_name_text(int atom, const std::string& text);

// Atom `atom` becomes the only selected atom; false when there is no such atom.
bool select_only_atom(int atom);
