// Numbering the atoms of a geometry anew: keeping some of its atoms in a
// new order with everything that refers to them, putting the marked atoms
// first, and what follows every change of the current geometry's atoms.
#pragma once

#include <vector>

#include "molecule/mol_data.h"

// Keeps the atoms `order` names, in that order (atom k becomes atom
// order[k]; invalid and repeated entries are skipped), with all their data.
// Bonds, marks and, for the current geometry, watched values follow their
// atoms; whatever names a dropped atom goes. The selection is cleared.
// Returns every old atom's new index, or −1 for a dropped atom. Linear in
// the atoms and bonds.
std::vector<int> keep_atoms(mol_data_t& rec, const std::vector<int>& order);

// The marked atoms in the order of marking, then every other atom in
// increasing index.
std::vector<int> marked_first_order(const mol_data_t& rec);
// Numbers the atoms of `rec` so that the marked atoms come first, and clears
// the selection and the marks (no snapshot, no notification).
void renumber_atoms_marked_first(mol_data_t& rec);
// The same on the current geometry, with an undo snapshot and the refresh
// of everything that shows atoms.
void renumber_marked();

// What follows a change of the current geometry's atoms: the atom list, the
// label images, the panel, the scene, and an undo snapshot.
void after_atoms_changed();
