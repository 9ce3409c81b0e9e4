// Adding, copying, deleting and changing atoms of the current geometry:
// hydrogens next to a selected atom, dummy atoms, deleting the selected or
// marked atoms, stepping an atom's element, and turning selected atoms into
// triangles, planes and cells. The commands end with an undo snapshot.
#pragma once

#include <string>

#include "molecule/mol_data.h"

// Appends an atom with this symbol (its element data from the table) at p;
// returns its index. Data the other atoms carry one entry each of (own
// colours, charges, names, …) get a neutral entry: the element's colour,
// 0, none.
int append_atom(mol_data_t& rec, const std::string& symbol, const vec3& p);
// Appends a copy of atom `src` with all its data at p; returns its index, or
// −1 when there is no atom src.
int copy_atom(mol_data_t& rec, int src, const vec3& p);
// Atom dst becomes a copy of atom src: element, colour, position, name,
// charges, number and symmetry label. Nothing unless both exist.
void copy_atom_data(mol_data_t& rec, int src, int dst);

// 0: a hydrogen near the selected atom or outside the molecule; 1: dummy
// atoms ("Q") at the midpoint of two selected atoms, at the centre of the
// marked atoms, or on the axes and at the origin.
void add_atoms(int dummy);
// Deletes atom i of the current geometry and clears the selection (no snapshot).
void delete_atom(int i);
// Deletes the marked atoms of `rec` and clears the marks (no snapshot).
void delete_marked_atoms(mol_data_t& rec);
// Deletes the first selected atom, or else all marked atoms.
void delete_coord();
// Deletes every atom whose symbol is "Q".
void delete_dummy_atoms();
// s = +1 or −1, one atom selected: its element becomes the next or previous
// of the default elements (an element outside them goes to the second or
// the last).
void change_element_by_one(int s);

// Two selected atoms make an arrow from the first to the second; one a
// sphere of radius 2 around it, two a sphere around the first through the
// second; three a triangle or a plane, four a cell; all in the settings'
// object colour, each with a snapshot.
void add_vector_selected();
void add_sphere_selected();
void add_triangle_selected();
void add_surface_selected();
void add_cell_selected();
