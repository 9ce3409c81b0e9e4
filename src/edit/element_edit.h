// The element chooser and the atom-properties dialog without their widgets:
// where each element sits in the periodic table, giving one atom another
// element or data of its own, and changing an element of the table for every
// atom that has it.
#pragma once

#include <vector>

#include "molecule/types.h"

// Buttons of the periodic table: elements 1 and up at their (column, row).
struct periodic_cell_t {
  int element;
  int column, row;
};
struct periodic_layout_t {
  int columns = 0, rows = 0;  // one more than the largest column and row used
  std::vector<periodic_cell_t> cells;
};
// Positions beyond this many columns or rows (a damaged "atoms.rc") get no
// button, so the table stays a table.
constexpr int periodic_table_max_side = 40;
periodic_layout_t periodic_table_layout(const std::vector<element_t>& table);

// The one selected atom of the current geometry, or −1.
int only_selected_atom();

// Atom `atom` becomes element j of the table: symbol, red, green, blue,
// sizes and valency from the table, its fourth colour component kept. Its
// row follows and a snapshot is taken. False when atom or element doesn't
// exist.
bool change_atom_element(int atom, int j);

// Data of one atom alone (the chooser's "custom data"); each does nothing
// when the atom doesn't exist. The colour keeps the atom's fourth component
// and marks the geometry as carrying its own atom colours.
void set_atom_custom_color(int atom, float red, float green, float blue);
void set_atom_custom_size(int atom, float size);
void set_atom_custom_bond_size(int atom, float bond_size);
void set_atom_custom_valency(int atom, int valency);

// Element j of the table takes `edited`'s colour (all four components),
// sizes and valency; then every atom of that element, in every geometry,
// takes them too. Other elements and their atoms stay as they are.
bool apply_element_properties(int j, const element_t& edited);
