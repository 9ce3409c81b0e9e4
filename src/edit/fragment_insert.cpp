// Attaching: the fragment is moved so that its atom 0 lies on the receiving
// atom c and turned so that the direction from its atom 2 to atom 0 lies
// along A, the sum of the vectors from c to its neighbours (or, replacing a
// selected neighbour, from that neighbour to c); atom 2 then points away
// from c's neighbours. Where the neighbours cancel (a symmetric centre) A
// would be no direction: the new bond then points as far from every
// neighbour as the candidate directions allow. The fragment is finally
// turned about the new bond to the orientation that keeps its atoms farthest
// from the atoms already there.
#include "edit/fragment_insert.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "edit/atom_edit.h"
#include "edit/atom_order.h"
#include "edit/fragment_library.h"
#include "edit/internal_moves.h"
#include "edit/measures.h"
#include "edit/moves.h"
#include "molecule/mol_data.h"
#include "molecule/notify.h"
#include "molecule/settings.h"

namespace {

constexpr double pi = 3.14159265358979323846;
// Neighbour vectors whose sum is shorter than this cancel.
constexpr double cancelled = 0.1;
// Turns about the new bond tried, and how far from c old atoms count.
constexpr int torsion_steps = 36;
constexpr double contact_margin = 4.0;
// Distances the torsion search may measure; a larger fragment among more
// atoms keeps the orientation the rotation gave it.
constexpr double torsion_budget = 4e6;
constexpr size_t max_neighbours = 16;

size_t at(int i) { return static_cast<size_t>(i); }

vec3 times(const matrix3& r, const vec3& v) {
  return {dot({r[0][0], r[0][1], r[0][2]}, v), dot({r[1][0], r[1][1], r[1][2]}, v),
          dot({r[2][0], r[2][1], r[2][2]}, v)};
}

matrix3 identity() { return {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}}; }

// The vectors from atom c to its bonded atoms (at most 16, in bond-list order).
std::vector<vec3> neighbour_vectors(int c) {
  std::vector<vec3> vectors;
  for (int other : bonded_atoms(*m, c, max_neighbours)) vectors.push_back(m->xyz[at(other)] - m->xyz[at(c)]);
  return vectors;
}

// The direction that stays farthest (in angle) from every neighbour
// direction, among the axes, the opposites of the neighbours, and the
// bisectors and normals of pairs of them.
vec3 freest_direction(const std::vector<vec3>& units) {
  std::vector<vec3> candidates = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
  for (size_t i = 0; i < units.size(); ++i) {
    candidates.push_back(-units[i]);
    for (size_t j = i + 1; j < units.size(); ++j) {
      for (const vec3& v : {-(units[i] + units[j]), cross(units[i], units[j])}) {
        if (norm(v) < 1e-6) continue;
        candidates.push_back(v / norm(v));
        candidates.push_back(-v / norm(v));
      }
    }
  }
  vec3 best = candidates.front();
  double best_cos = 2;
  for (const vec3& d : candidates) {
    double closest = -1;
    for (const vec3& u : units) closest = std::max(closest, dot(d, u));
    if (closest < best_cos - 1e-9) best_cos = closest, best = d;
  }
  return best;
}

// A for attaching to atom c: the sum of the vectors to its neighbours; with
// none (1, 0, 0); where they cancel, the opposite of the freest direction.
vec3 attachment_axis(int c) {
  const std::vector<vec3> vectors = neighbour_vectors(c);
  if (vectors.empty()) return {1, 0, 0};
  vec3 sum{};
  std::vector<vec3> units;
  for (const vec3& v : vectors) {
    sum += v;
    if (norm(v) > 0) units.push_back(v / norm(v));
  }
  if (norm(sum) >= cancelled || units.empty()) return sum;
  return -freest_direction(units);
}

// The closest approach of the new positions (from index `first`) to the
// atoms `near`.
double closest_approach(const std::vector<vec3>& points, size_t first, const std::vector<int>& near) {
  double closest = INFINITY;
  for (size_t j = first; j < points.size(); ++j)
    for (int i : near) closest = std::min(closest, distance(points[j], m->xyz[at(i)]));
  return closest;
}

// Turns the fragment's atoms about the new bond c → atom 2 to the
// orientation that keeps them farthest from the molecule's atoms.
void choose_torsion(std::vector<vec3>& points, int c) {
  const vec3& pc = m->xyz[at(c)];
  const vec3 bond = points[2] - pc;
  if (!(norm(bond) > 0)) return;
  const vec3 axis = bond / norm(bond);
  double reach = 0;
  for (size_t j = 2; j < points.size(); ++j) reach = std::max(reach, distance(points[j], pc));
  std::vector<int> near;
  for (int i = 0; i < m->natom(); ++i)
    if (i != c && distance(m->xyz[at(i)], pc) < reach + contact_margin) near.push_back(i);
  if (near.empty() ||
      static_cast<double>(points.size()) * static_cast<double>(near.size()) * torsion_steps > torsion_budget)
    return;
  std::vector<vec3> best = points;
  double best_gap = closest_approach(points, 2, near);
  for (int step = 1; step < torsion_steps; ++step) {
    std::vector<vec3> trial = points;
    for (size_t j = 3; j < trial.size(); ++j)
      trial[j] = rotated_about(points[j], pc, axis, 2 * pi * step / torsion_steps);
    const double gap = closest_approach(trial, 2, near);
    if (gap > best_gap + 1e-9) best_gap = gap, best = trial;
  }
  points = best;
}

// Appends fragment atoms [first, N) at `points` and the bonds among them
// that name no atom before `first`; returns the index atom `first` got.
int append_fragment_atoms(const fragment_t& f, const std::vector<vec3>& points, int first) {
  const int base = m->natom() - first;
  for (int j = first; j < f.natom(); ++j)
    notifier().atom_list(AtomListChange::inserted, append_atom(*m, f.symbol[at(j)], points[at(j)]));
  for (const bond_t& b : f.bond)
    if (b.a1 >= first && b.a2 >= first) m->bond.push_back({b.a1 + base, b.a2 + base, b.type});
  return base + first;
}

// A random unit direction from rand(), as three numbers in −1 … 1.
vec3 random_direction() {
  for (;;) {
    vec3 r;
    for (double& x : r) x = std::rand() / static_cast<double>(RAND_MAX) * 2 - 1;
    if (norm(r) > 1e-3) return r / norm(r);
  }
}

// No atom selected: the fragment with its cap, at its own coordinates in an
// empty molecule, else beside the molecule in a random direction.
void insert_alone(const fragment_t& f) {
  std::vector<vec3> points = f.xyz;
  if (m->natom() > 0) {
    const vec3 r = random_direction();
    double cx, cy, cz;
    get_center(cx, cy, cz);
    const vec3 centre{cx, cy, cz};
    double u = -INFINITY, v = -INFINITY;
    for (const vec3& p : m->xyz) u = std::max(u, dot(r, p - centre));
    const vec3 qc = mean_position(f.xyz);
    for (const vec3& q : f.xyz) v = std::max(v, -dot(r, q - qc));
    // The fragment's centre goes to s, so that its nearest face stands the
    // clearance beyond the molecule's farthest face along r.
    const vec3 s = centre + r * (u + v + fragment_clearance);
    for (vec3& p : points) p = p - qc + s;
  }
  append_fragment_atoms(f, points, 1);
}

// Attached to atom c along A.
void insert_attached(const fragment_t& f, int c, const vec3& axis) {
  const vec3 pc = m->xyz[at(c)];
  const matrix3 r = build_rotation_matrix(axis, f.xyz[0] - f.xyz[2]);
  std::vector<vec3> points;
  for (const vec3& q : f.xyz) points.push_back(pc + times(r, q - f.xyz[0]));
  choose_torsion(points, c);
  const int joined = append_fragment_atoms(f, points, 2);
  m->bond.push_back({c, joined, f.attachment_type});
}

}  // namespace

matrix3 build_rotation_matrix(const vec3& a_in, const vec3& b_in) {
  const double la = norm(a_in), lb = norm(b_in);
  if (!(la > 0) || !(lb > 0)) return identity();
  const vec3 a = a_in / la, b = b_in / lb;
  constexpr double tolerance = 1e-4;
  if (std::fabs(a[0] - b[0]) + std::fabs(a[1] - b[1]) + std::fabs(a[2] - b[2]) < tolerance) return identity();
  for (int k = 0; k < 3; ++k) {
    const int k1 = (k + 1) % 3, k2 = (k + 2) % 3;
    if (std::fabs(a[at(k1)] - b[at(k1)]) < tolerance && std::fabs(a[at(k2)] - b[at(k2)]) < tolerance &&
        std::fabs(a[at(k)] + b[at(k)]) < tolerance) {
      matrix3 r = identity();
      r[at(k)][at(k)] = -1;
      return r;
    }
  }
  const double theta = std::acos(std::clamp(dot(a, b), -1.0, 1.0));
  const vec3 axis = cross(a, b);
  if (std::isnan(theta) || !(norm(axis) > 0)) return identity();
  const vec3 k = axis / norm(axis);
  // The rotation by −θ about k turns b onto a.
  const double c = std::cos(-theta), s = std::sin(-theta), t = 1 - c;
  return {{{t * k[0] * k[0] + c, t * k[0] * k[1] - s * k[2], t * k[0] * k[2] + s * k[1]},
           {t * k[0] * k[1] + s * k[2], t * k[1] * k[1] + c, t * k[1] * k[2] - s * k[0]},
           {t * k[0] * k[2] - s * k[1], t * k[1] * k[2] + s * k[0], t * k[2] * k[2] + c}}};
}

void add_fragment(int k) {
  if (!m) return;
  // The keys may name a fragment the library does not hold.
  if (k < 0 || k >= n_fragments()) {
    notifier().status(StatusBar::lower, n_fragments() == 0
                                            ? "The fragment library is empty"
                                            : "No fragment " + std::to_string(k + 1) + " in the library");
    return;
  }
  last_fragment = k;
  fragment_t f;
  std::string error;
  if (!load_fragment(k, f, error)) {
    make_warning(error);
    return;
  }
  const int n = m->n_selected;
  if (n >= 1 && !selection_is_valid(*m, n == 2 ? 2 : 1)) return;
  if (n == 0) {
    insert_alone(f);
  } else if (n == 2) {
    // The second selected atom makes room for the fragment, which bonds
    // where it was.
    const int first = m->selected[0], second = m->selected[1];
    vec3 axis = m->xyz[at(first)] - m->xyz[at(second)];
    delete_atom(second);
    const int c = second < first ? first - 1 : first;
    if (norm(axis) < cancelled) axis = attachment_axis(c);
    insert_attached(f, c, axis);
  } else {
    const int c = m->selected[0];
    unselect_all();
    insert_attached(f, c, attachment_axis(c));
  }
  m->n_selected = 0;
  m->selected.fill(-1);
  if (Input_Data.auto_rebond) rebond();
  after_atoms_changed();
}

void do_key_insert() {
  if (!m || m->n_selected > 1) return;
  if (last_fragment != 0) {
    add_fragment(last_fragment);
  } else {
    add_atoms(0);
  }
}
