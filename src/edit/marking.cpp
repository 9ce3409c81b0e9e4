// The commands keep a flag per atom for membership, so that each runs in
// time linear in the atoms and bonds; the fragment search walks an
// adjacency list with an explicit stack, in the order a recursion over the
// bond list would take.
#include "edit/marking.h"

#include <string>
#include <utility>
#include <vector>

#include "edit/measures.h"
#include "molecule/mol_data.h"
#include "molecule/notify.h"

namespace {

// The marks of `m` with a membership flag per atom.
class Marker {
 public:
  Marker() : flag_(static_cast<size_t>(m->natom()), 0) {
    for (int i : m->marked)
      if (valid_atom(*m, i)) flag_[static_cast<size_t>(i)] = 1;
  }
  ~Marker() {
    if (!changed_) return;
    notifier().selection_changed();
    rerender_3d();
    redraw();
  }
  Marker(const Marker&) = delete;
  Marker& operator=(const Marker&) = delete;

  bool marked(int i) const { return flag_[static_cast<size_t>(i)] != 0; }
  // Appends atom i unless it is marked already.
  void mark(int i) {
    if (!valid_atom(*m, i) || marked(i)) return;
    flag_[static_cast<size_t>(i)] = 1;
    m->marked.push_back(i);
    changed_ = true;
  }

 private:
  std::vector<char> flag_;
  bool changed_ = false;
};

// The bonds of every atom, as indices into the bond list in its order.
std::vector<std::vector<int>> bonds_of_atoms(const mol_data_t& rec) {
  std::vector<std::vector<int>> adj(static_cast<size_t>(rec.natom()));
  for (int k = 0; k < rec.nbond(); ++k) {
    const bond_t& b = rec.bond[static_cast<size_t>(k)];
    if (valid_atom(rec, b.a1)) adj[static_cast<size_t>(b.a1)].push_back(k);
    if (valid_atom(rec, b.a2) && b.a2 != b.a1) adj[static_cast<size_t>(b.a2)].push_back(k);
  }
  return adj;
}

int other_end(const bond_t& b, int i) { return b.a1 == i ? b.a2 : b.a1; }

// Depth first from atom `start`: for each bond in order, an unmarked atom
// at its other end is marked and searched from before the next bond.
void mark_reachable(Marker& marker, const std::vector<std::vector<int>>& adj, int start) {
  if (!valid_atom(*m, start)) return;
  std::vector<std::pair<int, size_t>> stack{{start, 0}};
  while (!stack.empty()) {
    auto& [atom, next] = stack.back();
    const std::vector<int>& bonds = adj[static_cast<size_t>(atom)];
    if (next == bonds.size()) {
      stack.pop_back();
      continue;
    }
    const int other = other_end(m->bond[static_cast<size_t>(bonds[next++])], atom);
    if (!valid_atom(*m, other) || marker.marked(other)) continue;
    marker.mark(other);
    stack.emplace_back(other, 0);
  }
}

bool have_atoms() { return m && m->natom() > 0; }

}  // namespace

void mark_H() {
  if (!have_atoms()) return;
  Marker marker;
  for (int i = 0; i < m->natom(); ++i)
    if (atom_element(*m, i).name == "H") marker.mark(i);
}

void mark_element_as_selected() {
  if (!have_atoms() || m->n_selected < 1 || !valid_atom(*m, m->selected[0])) return;
  const std::string symbol = atom_element(*m, m->selected[0]).name;
  Marker marker;
  for (int i = 0; i < m->natom(); ++i)
    if (atom_element(*m, i).name == symbol) marker.mark(i);
}

void mark_neighbor() {
  if (!have_atoms()) return;
  const int a = m->selected[0], b = m->selected[1];
  if (m->n_selected == 1 && valid_atom(*m, a)) {
    Marker marker;
    for (int other : bonded_atoms(*m, a)) marker.mark(other);
  } else if (m->n_selected == 2 && valid_atom(*m, a) && valid_atom(*m, b)) {
    // The search never passes through a, which is marked first; in a ring
    // it reaches b the other way round and goes on beyond it.
    Marker marker;
    const auto adj = bonds_of_atoms(*m);
    marker.mark(a);
    for (int c : bonded_atoms(*m, a)) {
      if (c == b) continue;
      marker.mark(c);
      mark_reachable(marker, adj, c);
    }
  }
}

void mark_nei(int i) {
  if (!m || !valid_atom(*m, i)) return;
  Marker marker;
  mark_reachable(marker, bonds_of_atoms(*m), i);
}

void mark_one_side() {
  if (!have_atoms() || (m->n_selected != 2 && m->n_selected != 3)) return;
  const int n = m->n_selected;
  for (int k = 0; k < n; ++k)
    if (!valid_atom(*m, m->selected[static_cast<size_t>(k)])) return;
  const auto p = [](int k) { return m->xyz[static_cast<size_t>(m->selected[static_cast<size_t>(k)])]; };
  vec3 normal, centre;
  if (n == 2) {
    normal = p(1) - p(0);
    centre = (p(0) + p(1)) * 0.5;
  } else {
    normal = cross(p(1) - p(0), p(2) - p(1));
    centre = (p(0) + p(1) + p(2)) / 3.0;
  }
  Marker marker;
  const double length = norm(normal);
  // Collinear atoms (no normal) and atoms in the plane pass no test.
  if (length > 0) {
    const vec3 unit = normal / length;
    for (int i = 0; i < m->natom(); ++i) {
      const vec3 d = m->xyz[static_cast<size_t>(i)] - centre;
      const double r = norm(d);
      if (r > 0 && dot(unit, d / r) > 0) marker.mark(i);
    }
  }
  for (int k = 0; k < n; ++k) marker.mark(m->selected[static_cast<size_t>(k)]);
}

void reverse_marked() {
  if (!m) return;
  std::vector<char> was(static_cast<size_t>(m->natom()), 0);
  for (int i : m->marked)
    if (valid_atom(*m, i)) was[static_cast<size_t>(i)] = 1;
  m->marked.clear();
  for (int i = 0; i < m->natom(); ++i)
    if (!was[static_cast<size_t>(i)]) m->marked.push_back(i);
  notifier().selection_changed();
  rerender_3d();
  redraw();
}
