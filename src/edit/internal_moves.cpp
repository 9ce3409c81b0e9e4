// Which atoms move: the first selected atom is the moving end of the
// coordinate, the other selected atoms stay. With marked atoms, bond and
// angle moves move exactly the marked atoms (the first selected atom only if
// it is marked); a dihedral move always moves the first selected atom and
// every marked atom but the other three selected ones.
//
// Angles turn about the normal of the three atoms' plane through the
// vertex; dihedrals about the axis P1 → P2. A positive turn of the first
// atom about that axis raises the dihedral, in this program's sign
// convention, by the same angle.
#include "edit/internal_moves.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "document/undo.h"
#include "edit/measures.h"
#include "molecule/bonding.h"
#include "molecule/mol_data.h"
#include "molecule/notify.h"
#include "molecule/settings.h"

double cumulative_move = 0;
const std::array<double, 5> angle_values = {60.0, 90.0, 109.47, 120.0, 180.0};

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr double radians = pi / 180.0;
constexpr double snapshot_threshold = 0.1;
constexpr char dihedral_undefined[] = "ERROR: dihedral undefined";

vec3& position(int i) { return m->xyz[static_cast<size_t>(i)]; }
int selected(int k) { return m->selected[static_cast<size_t>(k)]; }

// The atoms a bond or angle move carries: the marked ones, or the first
// selected atom alone.
std::vector<int> moving_group() {
  std::vector<int> atoms;
  for (int i : m->marked)
    if (valid_atom(*m, i)) atoms.push_back(i);
  if (atoms.empty()) atoms.push_back(selected(0));
  return atoms;
}

// The steps after every move, and the coordinate editor's rows.
void after_move(const std::vector<int>& moved) {
  for (int i : moved) notifier().atom_list(AtomListChange::changed, i);
  // The bonds are found before the snapshot, so that it holds them.
  if (Input_Data.auto_rebond) rebond();
  if (cumulative_move > snapshot_threshold) {
    append_backup();
    cumulative_move = 0;
  }
  notifier().values_changed();
  rerender_3d();
  redraw();
}

// The normal of the plane of the angle P0–P1–P2, or none for (nearly)
// collinear atoms.
bool angle_normal(vec3& n) {
  const vec3 a = position(selected(2)) - position(selected(1));
  const vec3 b = position(selected(0)) - position(selected(1));
  n = cross(a, b);
  const double length = norm(n);
  if (!(length > 1e-7 * norm(a) * norm(b))) return false;
  n = n / length;
  return true;
}

double wrapped(double angle) { return std::remainder(angle, 2 * pi); }

// The dihedral turn of atom x is defined when x is off the axis P1–P2 and
// P1, P2, P3 are not collinear.
bool dihedral_defined(const vec3& x, const vec3& p1, const vec3& p2, const vec3& p3) {
  constexpr double shortest = 0.01;
  const vec3 n1 = cross(x - p1, p2 - p1);
  const vec3 n2 = cross(p2 - p1, p3 - p2);
  const vec3 n3 = cross(p1 - p2, n1);
  return norm(n1) >= shortest && norm(n2) >= shortest && norm(n3) >= shortest;
}

void report_undefined_dihedral() {
  notifier().status(StatusBar::lower, dihedral_undefined);
  std::printf("%s\n", dihedral_undefined);
}

}  // namespace

void mivor_gtk_move_bond(double d) {
  if (!m || m->n_selected < 2 || !selection_is_valid(*m, 2)) return;
  const vec3 p0 = position(selected(0)), p1 = position(selected(1));
  const double old = distance(p0, p1);
  // Two atoms at one place give the bond no direction.
  if (!(old > 0)) return;
  const vec3 shift = p1 + (p0 - p1) * (d / old) - p0;
  const std::vector<int> moved = moving_group();
  for (int i : moved) position(i) += shift;
  cumulative_move += std::fabs(d - old);
  after_move(moved);
}

void mivor_gtk_move_angle(double a) {
  if (!m || m->n_selected != 3 || !selection_is_valid(*m, 3)) return;
  vec3 n;
  if (!angle_normal(n)) {
    // Collinear atoms: a small random nudge of the first atom gives a plane.
    for (double& c : position(selected(0))) c += std::rand() / static_cast<double>(RAND_MAX) * 0.001;
    if (!angle_normal(n)) {
      after_move({selected(0)});
      return;
    }
  }
  const double theta = get_selected_angle_value();
  const vec3 vertex = position(selected(1));
  const std::vector<int> moved = moving_group();
  for (int i : moved) position(i) = rotated_about(position(i), vertex, n, (a - theta) * radians);
  cumulative_move += std::fabs(theta - a) * pi / 90.0;
  after_move(moved);
}

void mivor_gtk_move_torsion(double t) {
  if (!m || m->n_selected != 4 || !selection_is_valid(*m, 4)) return;
  const vec3 p1 = position(selected(1)), p2 = position(selected(2)), p3 = position(selected(3));
  const double delta = wrapped((t - get_selected_dihedral_value()) * radians);
  if (!dihedral_defined(position(selected(0)), p1, p2, p3)) {
    report_undefined_dihedral();
    return;
  }
  std::vector<int> atoms{selected(0)};
  for (int i : m->marked)
    if (valid_atom(*m, i) && i != selected(0) && i != selected(1) && i != selected(2) && i != selected(3))
      atoms.push_back(i);
  const vec3 axis = (p2 - p1) / norm(p2 - p1);
  std::vector<int> moved;
  for (int i : atoms) {
    if (!dihedral_defined(position(i), p1, p2, p3)) {
      report_undefined_dihedral();
      continue;
    }
    position(i) = rotated_about(position(i), p1, axis, delta);
    cumulative_move += 3 * std::fabs(delta);
    moved.push_back(i);
  }
  after_move(moved);
}

void mivor_gtk_move_coord(double v) {
  if (!m) return;
  switch (m->n_selected) {
    case 2:
      mivor_gtk_move_bond(v);
      break;
    case 3:
      mivor_gtk_move_angle(v);
      break;
    case 4:
      mivor_gtk_move_torsion(v);
      break;
    default:
      break;
  }
}

void mivor_gtk_move_coord_step(int s) {
  if (!m || (s != 1 && s != -1)) return;
  switch (m->n_selected) {
    case 2:
      mivor_gtk_move_bond(
          std::clamp(get_selected_bond_length() + s * Input_Data.translation_step, 0.0, bond_value_max));
      break;
    case 3:
      mivor_gtk_move_angle(std::clamp(get_selected_angle_value() + s * Input_Data.angle_step, 0.0, angle_value_max));
      break;
    case 4:
      mivor_gtk_move_torsion(std::clamp(get_selected_dihedral_value() + s * Input_Data.torsion_step,
                                        -dihedral_value_limit, dihedral_value_limit));
      break;
    default:
      break;
  }
}

void accumulate_motion(double d) {
  cumulative_move += std::fabs(d);
  after_move({});
}

void do_expand_or_retract(double f) {
  if (m && m->natom() > 0) {
    const vec3 centre = mean_position(m->xyz);
    for (vec3& p : m->xyz) p += (p - centre) * f;
    notifier().atom_list(AtomListChange::refilled, -1);
  }
  accumulate_motion(f);
}

void change_xyz_coordinate(int axis, double value) {
  if (!m || m->n_selected < 1 || axis < 0 || axis > 2 || !selection_is_valid(*m, 1)) return;
  double& c = position(selected(0))[static_cast<size_t>(axis)];
  const double old = c;
  // The coordinate is set before the motion counts, so that a snapshot it
  // triggers holds the new position.
  c = value;
  cumulative_move += std::fabs(old - value);
  after_move({selected(0)});
}

void rebond() {
  if (!m) return;
  deallocate_bonds(*m);
  determine_bonding(*m);
}
