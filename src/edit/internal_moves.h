// Internal-coordinate moves: the first selected atom (or the marked group)
// moved to a typed bond length, angle or dihedral, or by one step; moves of
// single coordinates; expanding and retracting; and the undo granularity of
// such moves (a snapshot after 0.1 of accumulated motion).
#pragma once

#include <array>

// Motion accumulated since the last snapshot a move took.
extern double cumulative_move;
// The standard angles of the angle list, in degrees.
extern const std::array<double, 5> angle_values;

// The ranges of the edit page's spin buttons, which a step never leaves.
constexpr double bond_value_max = 1000, angle_value_max = 180, dihedral_value_limit = 360;

// Two to four atoms selected: the distance P0–P1 becomes d.
void mivor_gtk_move_bond(double d);
// Exactly three selected: the angle P0–P1–P2 becomes a degrees.
void mivor_gtk_move_angle(double a);
// Exactly four selected: the dihedral P0–P1–P2–P3 becomes t degrees.
void mivor_gtk_move_torsion(double t);
// The coordinate the selection defines (bond, angle or dihedral) becomes v.
void mivor_gtk_move_coord(double v);
// s = +1 or −1: the selected coordinate one step (translation_step,
// angle_step or torsion_step of the settings) up or down.
void mivor_gtk_move_coord_step(int s);

// Adds |d| to the accumulated motion and runs the steps that follow every
// move: rebonding when automatic, a snapshot past 0.1, the values on show.
void accumulate_motion(double d);
// Every atom P becomes P + f·(P − C), C the mean of all atoms.
void do_expand_or_retract(double f);
// One to four atoms selected: coordinate `axis` (0 x, 1 y, 2 z) of the first
// selected atom becomes `value`.
void change_xyz_coordinate(int axis, double value);
// Discards the bonds of the current geometry and finds them anew.
void rebond();
