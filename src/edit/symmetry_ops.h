// Symmetry operations on the current geometry: the selected atoms define
// an inversion (one atom), a translation or an n-fold rotation (two), or a
// reflection (three), and every marked atom (every atom when none is
// marked) gets its image unless that would overlap an atom already there.
// With no atom selected the same command finds the point group instead and
// draws its mirror planes and two-fold axes.
#pragma once

#include "molecule/types.h"

// The order of the rotation the panel's "apply Cn symmetry" button applies.
extern int rot_axis_order;
void reset_symmetry_state();

// X turned by 2πk/n about the axis through A in the direction B − A.
vec3 transform_n_fold(int n, int k, const vec3& A, const vec3& B, const vec3& X);
// `out` = the mirror image of X in the plane through A, B and C.
void transform_mirror(const vec3& A, const vec3& B, const vec3& C, const vec3& X, vec3& out);

// The operations on `m`; each returns the number of atoms added, or -1 when
// the selection defines no operation (the lower status bar says why).
int do_inversion();
int do_translation();
int do_rotation();
int do_mirroring();
// The command: by the number of selected atoms, the analysis or one of the
// operations (two atoms: a rotation of order `get_vec_rot()` when that is
// not 0, else a translation), then an undo snapshot.
void do_symmetry();

// The panel's buttons and the keys.
void mivor_gtk_alpply_symmetry();      // translation kind, then do_symmetry
void mivor_gtk_apply_translation();    // the same
void mivor_gtk_alpply_rot_symmetry();  // rotation of order rot_axis_order
void mivor_gtk_force_symmetry();       // the loose tolerance for the analysis
void change_rotation_axis_order(int n);
void change_translation_magnitude(double length);
// F8: a two-fold rotation with Shift, a translation without.
void symmetry_key(bool shift);
// v with two atoms: switches between translation and rotation and says so.
void toggle_symmetry_operation();
