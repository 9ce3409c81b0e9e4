// Point-group detection within D2h (`findsym`): which of the identity, the
// inversion, the three two-fold axes and the three mirror planes of a
// Cartesian frame a molecule has, within a distance tolerance, in its own
// orientation or in its principal-axes frame when that reveals more. Also
// the pieces the full point-group search shares: the working atom set with
// its spatial index, the deviation of an operation, rotation and reflection
// matrices and the diagonalisation of the inertia tensor.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "edit/point_grid.h"
#include "molecule/types.h"

// The tolerance in use (Å); each run stores its own there, clamped to
// 1e-6 … 1.
extern double THR_FINDSYM;
constexpr double default_thr_findsym = 0.01;
void reset_findsym_state();

// A 3×3 matrix by rows: (M·p)_i = M[i]·p.
using mat3 = std::array<vec3, 3>;
mat3 identity_matrix3();
vec3 operator*(const mat3& M, const vec3& p);
mat3 operator*(const mat3& A, const mat3& B);

// Element numbers of atom labels: the position of the label in the symbol
// table ("X" 0, "H" 1, … "Lr" 103) by exact match, else by a match that
// ignores case ("CL" is chlorine, 17). Labels that match neither ("Q", "XX",
// "??", "D") get 104, 105, … in order of first appearance, so that an atom
// pairs only with atoms of the same label.
std::vector<int> element_numbers_findsym(const std::vector<std::string>& labels);

// The working atom set: one entry per atom, with a spatial index of the
// coordinates built by `index_findsym` for tolerance `tol`.
struct sym_set_t {
  std::vector<int> element;
  std::vector<std::string> label;
  std::vector<vec3> xyz;
  std::vector<double> weight;  // the element number, used as the mass
  vec3 moments{};              // principal moments, in the order found
  double trace = 0;
  // How the coordinates were moved from the input: rotation·(p − origin).
  vec3 origin{};
  mat3 rotation = identity_matrix3();
  point_grid grid;
  double tol = 0;
  // Neighbour visits left before the search gives up on a set whose atoms
  // crowd within the tolerance (thousands at one point); `exhausted` tells.
  mutable long long work_left = 0;
  mutable bool exhausted = false;
  int natom() const { return static_cast<int>(xyz.size()); }
};
// (Re)builds the spatial index of `set` for tolerance `tol`.
void index_findsym(sym_set_t& set, double tol);

// The deviation of `set` under M: for every atom the distance to the
// nearest image M·P of an atom of the same element, and the largest of
// these. Exact when it is below the set's tolerance; otherwise a value of
// at least the tolerance (1000 when an atom has no image that close).
double match_findsym(const mat3& M, const sym_set_t& set);
// Whether operation M holds: deviation strictly below the tolerance.
bool holds_findsym(const mat3& M, const sym_set_t& set);
// Rotation by 2π/n about the unit vector `axis`.
mat3 Cn_axis_findsym(const vec3& axis, int n);
// Reflection in the plane through the origin with unit normal `normal`.
mat3 mirror_plane_findsym(const vec3& normal);
// The mean position of the atoms weighted by their element numbers (alike
// when every weight is 0).
vec3 weighted_centre_findsym(const sym_set_t& set);
// The eigenvectors (as columns) of the inertia tensor of `set` about the
// origin, with the principal moments in `moments`.
mat3 principal_axes_findsym(const sym_set_t& set, vec3& moments);
// Why the coordinates can't be examined (not finite, or beyond 1e6 Å), as
// a line of text; "" when they can.
std::string unusable_coordinates_findsym(const std::vector<vec3>& xyz);
// Cyclic Jacobi diagonalisation of the symmetric matrix stored packed as
// (xx, xy, yy, xz, yz, zz); returns the eigenvalues (unsorted) with the
// eigenvectors as the columns of `vectors`.
vec3 jacobi_findsym(const std::array<double, 6>& packed, mat3& vectors);

struct findsym_result_t {
  int status = 1;  // 0 done, 1 the detection failed
  // Generator names, each followed by a blank; "" when only the identity.
  std::string generators;
  // The coordinates were replaced by the principal-axes frame: each point
  // p became rotation·(p − origin), a proper rotation.
  bool transformed = false;
  vec3 origin{};
  mat3 rotation = identity_matrix3();
  // The principal-axes frame shows more symmetry than the input
  // orientation (and was adopted unless the caller forbade it).
  bool gainable = false;
  // Symmetry-unique atoms of the symmetrised copy.
  std::vector<std::string> unique_labels;
  std::vector<vec3> unique_xyz;
  // What the detection reports on standard error.
  std::string diagnostics;
};

// Detects the D2h subgroup of the atoms `labels` (at most three characters
// each) at `xyz`. On success `xyz` is either unchanged or replaced by its
// centred and rotated form. `tol` 0 uses THR_FINDSYM; the tolerance used is
// written back. On failure `xyz` is unchanged. Without `may_transform` the
// input orientation is kept (and reported) even when the principal-axes
// frame would show more.
findsym_result_t findsym(const std::vector<std::string>& labels, std::vector<vec3>& xyz, double& tol,
                         bool may_transform = true);
