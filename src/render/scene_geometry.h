// Pure geometry that drawing relies on: cylinder rotations, offsets of
// multiple bonds, the corners of planes and cells, the scene's diameter.
#pragma once

#include <array>

#include "molecule/mol_data.h"

// The rotation that turns +z onto A→B: `angle` in degrees about (ax, ay, 0),
// and the distance |B − A|.
void CalcCyllinder(const vec3& A, const vec3& B, double& angle, double& ax, double& ay, double& length);
// A + (B − A) × (C − A).
vec3 np3(const vec3& A, const vec3& B, const vec3& C);
// The other atom of the first bond of positive type joining exactly one of
// a, b to a third atom; −1 when there is none.
int find_first_bounded(const mol_data_t& rec, int a, int b);
// Offset of multiple bonds in animation frames (normal to A, M, R; length 1/15).
vec3 Calc2Cyllinder(const vec3& A, const vec3& M, const vec3& R);
// Corners of the square that shows the plane through A, B, C.
std::array<vec3, 4> pl3to4(const vec3& A, const vec3& B, const vec3& C);
// The four further corners of the parallelepiped on O with edges to P, Q, R.
std::array<vec3, 4> pl4to6(const vec3& O, const vec3& P, const vec3& Q, const vec3& R);
// 1.5 × the scene's largest extent (atoms about their mean, grid axes,
// decorations about the origin), or 1.0 when that is below 0.1.
double Calc_Diameter(const mol_data_t& rec);
// Whether a point can be drawn: a number in each coordinate, within the
// largest field a view is sized for. An atom elsewhere is left out of the
// picture (it would leave none of it drawable).
bool drawable_point(const vec3& p);
