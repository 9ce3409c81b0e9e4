// The angle clamps its cosine, so that rounding in (nearly) collinear atoms
// gives 0 or 180 degrees rather than "nan".
#include "edit/measures.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double degrees = 57.29577951308232;

}  // namespace

double angle_between(const vec3& p, const vec3& q, const vec3& r) {
  const vec3 a = p - q, b = r - q;
  const double c = dot(a, b) / (norm(a) * norm(b));
  return std::isnan(c) ? 0.0 : std::acos(std::clamp(c, -1.0, 1.0)) * degrees;
}

double dihedral_between(const vec3& p0, const vec3& p1, const vec3& p2, const vec3& p3) {
  const vec3 b1 = p1 - p0, b2 = p2 - p1, b3 = p3 - p2;
  const vec3 n2 = cross(b2, b3);
  return -std::atan2(norm(b2) * dot(b1, n2), dot(cross(b1, b2), n2)) * degrees;
}

bool selection_is_valid(const mol_data_t& rec, int n) {
  if (rec.n_selected < n || n > 4) return false;
  for (int k = 0; k < n; ++k)
    if (!valid_atom(rec, rec.selected[static_cast<size_t>(k)])) return false;
  return true;
}

const vec3& selected_position(const mol_data_t& rec, int k) {
  return rec.xyz[static_cast<size_t>(rec.selected[static_cast<size_t>(k)])];
}

namespace {

bool atoms_exist(std::initializer_list<int> atoms) {
  if (!m) return false;
  for (int i : atoms)
    if (!valid_atom(*m, i)) return false;
  return true;
}

const vec3& at(int i) { return m->xyz[static_cast<size_t>(i)]; }

}  // namespace

double get_bond_length(int i, int j) { return atoms_exist({i, j}) ? distance(at(i), at(j)) : 0.0; }

double get_angle_value(int i, int j, int k) {
  return atoms_exist({i, j, k}) ? angle_between(at(i), at(j), at(k)) : 0.0;
}

double get_dihedral_value(int i, int j, int k, int l) {
  return atoms_exist({i, j, k, l}) ? dihedral_between(at(i), at(j), at(k), at(l)) : 0.0;
}

double get_selected_bond_length() {
  if (!m || m->n_selected < 2) return 0.0;
  return get_bond_length(m->selected[0], m->selected[1]);
}

double get_selected_angle_value() {
  if (!m || m->n_selected < 3) return 0.0;
  return get_angle_value(m->selected[0], m->selected[1], m->selected[2]);
}

double get_selected_dihedral_value() {
  if (!m || m->n_selected < 4) return 0.0;
  return get_dihedral_value(m->selected[0], m->selected[1], m->selected[2], m->selected[3]);
}

std::vector<int> bonded_atoms(const mol_data_t& rec, int atom, size_t limit) {
  std::vector<int> atoms;
  for (const bond_t& b : rec.bond) {
    if (atoms.size() >= limit) break;
    const int other = b.a1 == atom ? b.a2 : b.a2 == atom ? b.a1 : -1;
    if (valid_atom(rec, other)) atoms.push_back(other);
  }
  return atoms;
}

vec3 rotated_about(const vec3& p, const vec3& centre, const vec3& k, double angle) {
  // Rodrigues' formula.
  const vec3 v = p - centre;
  const double c = std::cos(angle), s = std::sin(angle);
  return centre + v * c + cross(k, v) * s + k * (dot(k, v) * (1 - c));
}

vec3 mean_position(const std::vector<vec3>& points) {
  vec3 sum{};
  for (const vec3& p : points) sum += p;
  return points.empty() ? sum : sum / static_cast<double>(points.size());
}

int find_bond(const mol_data_t& rec, int a, int b) {
  for (int k = 0; k < rec.nbond(); ++k) {
    const bond_t& bd = rec.bond[static_cast<size_t>(k)];
    if ((bd.a1 == a && bd.a2 == b) || (bd.a1 == b && bd.a2 == a)) return k;
  }
  return -1;
}
