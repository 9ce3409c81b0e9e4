// Bond lengths, angles and dihedrals: of points, of atoms of the current
// geometry and of the selected atoms; and the bond between two atoms.
#pragma once

#include <cstdint>
#include <vector>

#include "molecule/mol_data.h"

// Angle p–q–r at q in degrees, 0 to 180.
double angle_between(const vec3& p, const vec3& q, const vec3& r);
// Dihedral p0–p1–p2–p3 in degrees, −180 to 180, with the opposite sign of
// the IUPAC convention: for p0 = (1,0,0), p1 = 0, p2 = (0,0,1),
// p3 = (cos 60°, sin 60°, 1) it is −60.
double dihedral_between(const vec3& p0, const vec3& p1, const vec3& p2, const vec3& p3);

// Measures of atoms of `m` (indices from 0); 0 when an atom does not exist.
double get_bond_length(int i, int j);
double get_angle_value(int i, int j, int k);
double get_dihedral_value(int i, int j, int k, int l);
// The same for the first two, three or four selected atoms, in selection
// order (the angle's vertex is the second).
double get_selected_bond_length();
double get_selected_angle_value();
double get_selected_dihedral_value();

// Whether the first n selected atoms of `rec` exist (and n atoms are selected).
bool selection_is_valid(const mol_data_t& rec, int n);
// Position of the k-th selected atom of `rec` (the caller checked it exists).
const vec3& selected_position(const mol_data_t& rec, int k);

// Index of the bond joining a and b (either order), or −1.
int find_bond(const mol_data_t& rec, int a, int b);
// The atoms bonded to `atom` (bond records of any type), in the order of
// the bond list, at most `limit` of them.
std::vector<int> bonded_atoms(const mol_data_t& rec, int atom, size_t limit = SIZE_MAX);

// p turned by `angle` radians about the axis through `centre` along the unit
// vector k (right-handed).
vec3 rotated_about(const vec3& p, const vec3& centre, const vec3& k, double angle);
// The mean of the points; (0, 0, 0) for none.
vec3 mean_position(const std::vector<vec3>& points);
