// New atoms take their element data from the table; a geometry that holds
// per-atom data keeps one entry per atom. A hydrogen goes opposite the
// selected atom's neighbours (or the molecule's centre) at the sum of the two
// bond sizes; dummy atoms mark midpoints, centres and the axes.
#include "edit/atom_edit.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "document/undo.h"
#include "edit/atom_order.h"
#include "edit/internal_moves.h"
#include "edit/measures.h"
#include "edit/moves.h"
#include "edit/selection_readout.h"
#include "molecule/decorations.h"
#include "molecule/elements.h"
#include "molecule/notify.h"
#include "molecule/settings.h"
#include "render/scene_geometry.h"

namespace {

size_t at(int i) { return static_cast<size_t>(i); }

template <typename T>
void copy_entry(std::vector<T>& v, int src, int dst) {
  if (at(src) < v.size() && at(dst) < v.size()) v[at(dst)] = v[at(src)];
}

// The distance of a hydrogen from atom i: its bond size plus hydrogen's
// (element 1 of the table), added in single precision.
double hydrogen_distance(int i) {
  const float h = number_of_elements() > 1 ? e[1].bond_size : 0.0f;
  return static_cast<double>(atom_element(*m, i).bond_size + h);
}

const vec3 diagonal{0.5, 0.5, 0.5};
constexpr double diagonal_length = 0.866;

// Where a hydrogen goes with atom c selected: away from its neighbours,
// else from the molecule's centre, else along −(1, 1, 1).
vec3 hydrogen_beside(int c) {
  const vec3& pc = m->xyz[at(c)];
  std::vector<vec3> neighbours;
  for (int other : bonded_atoms(*m, c)) neighbours.push_back(m->xyz[at(other)]);
  vec3 t = mean_position(neighbours) - pc;
  if (neighbours.empty() || norm(t) < 0.1) t = mean_position(m->xyz) - pc;
  double length = norm(t);
  if (length < 0.1) t = diagonal, length = diagonal_length;
  return pc - t * (hydrogen_distance(c) / length);
}

// With nothing selected: beyond the atom farthest from the centre.
vec3 hydrogen_outside() {
  double cx, cy, cz;
  get_center(cx, cy, cz);
  const vec3 centre{cx, cy, cz};
  int far = 0;
  double r = -1;
  for (int i = 0; i < m->natom(); ++i) {
    const double d = distance(m->xyz[at(i)], centre);
    if (d > r) r = d, far = i;
  }
  if (r >= 0.1) return m->xyz[at(far)] + (m->xyz[at(far)] - centre) * (hydrogen_distance(far) / r);
  return m->xyz[0] + diagonal * (hydrogen_distance(0) / diagonal_length);
}

// Where dummy atoms go for the current selection and marks.
std::vector<vec3> dummy_positions() {
  if (m->n_selected == 2 && selection_is_valid(*m, 2))
    return {(selected_position(*m, 0) + selected_position(*m, 1)) * 0.5};
  if (m->n_selected != 0) return {};
  if (!m->marked.empty()) {
    double cx, cy, cz;
    get_center(cx, cy, cz);
    return {{cx, cy, cz}};
  }
  const double d = Calc_Diameter(*m);
  std::vector<vec3> points = {{d, 0, 0}, {-d, 0, 0}, {0, d, 0}, {0, -d, 0}, {0, 0, d}, {0, 0, -d}};
  const bool origin_taken = std::any_of(m->xyz.begin(), m->xyz.end(), [](const vec3& p) {
    return std::fabs(p[0]) < 0.01 && std::fabs(p[1]) < 0.01 && std::fabs(p[2]) < 0.01;
  });
  if (!origin_taken) points.push_back({0, 0, 0});
  return points;
}

// A decoration was added (which tells its panel): the side panel, the
// snapshot and the scene follow.
void after_decoration_added() {
  notifier().selection_changed();
  append_backup();
  rerender_3d();
  redraw();
}

}  // namespace

int append_atom(mol_data_t& rec, const std::string& symbol, const vec3& p) {
  const int i = rec.natom();
  allocate_atoms(rec, i + 1);
  rec.xyz[at(i)] = p;
  set_atom_symbol(rec, i, symbol);
  if (!rec.atoms->color.empty()) set_atom_color(rec, i, atom_element(rec, i).color);
  return i;
}

int copy_atom(mol_data_t& rec, int src, const vec3& p) {
  if (!valid_atom(rec, src)) return -1;
  const int i = rec.natom();
  allocate_atoms(rec, i + 1);
  copy_atom_data(rec, src, i);
  rec.xyz[at(i)] = p;
  return i;
}

void copy_atom_data(mol_data_t& rec, int src, int dst) {
  if (!valid_atom(rec, src) || !valid_atom(rec, dst) || src == dst) return;
  rec.xyz[at(dst)] = rec.xyz[at(src)];
  rec.atoms.edit().for_each_per_atom([src, dst](auto& v) { copy_entry(v, src, dst); });
}

void add_atoms(int dummy) {
  if (!m) return;
  std::vector<vec3> points;
  if (dummy) {
    points = dummy_positions();
  } else if (m->natom() == 0) {
    points = {{0, 0, 0}};
  } else if (m->n_selected == 1 && selection_is_valid(*m, 1)) {
    points = {hydrogen_beside(m->selected[0])};
  } else if (m->n_selected == 0) {
    points = {hydrogen_outside()};
  }
  if (points.empty()) return;
  for (const vec3& p : points) notifier().atom_list(AtomListChange::inserted, append_atom(*m, dummy ? "Q" : "H", p));
  if (Input_Data.auto_rebond) rebond();
  after_atoms_changed();
}

void delete_atom(int i) {
  if (!m || !valid_atom(*m, i)) return;
  std::vector<int> order;
  order.reserve(at(m->natom()));
  for (int k = 0; k < m->natom(); ++k)
    if (k != i) order.push_back(k);
  keep_atoms(*m, order);
  notifier().atom_list(AtomListChange::removed, i);
}

void delete_marked_atoms(mol_data_t& rec) {
  std::vector<char> doomed(at(rec.natom()), 0);
  for (int i : rec.marked)
    if (valid_atom(rec, i)) doomed[at(i)] = 1;
  std::vector<int> order;
  order.reserve(at(rec.natom()));
  for (int k = 0; k < rec.natom(); ++k)
    if (!doomed[at(k)]) order.push_back(k);
  keep_atoms(rec, order);
  rec.marked.clear();
}

void delete_coord() {
  if (!m) return;
  if (m->n_selected >= 1 && valid_atom(*m, m->selected[0])) {
    delete_atom(m->selected[0]);
  } else if (m->n_selected == 0 && !m->marked.empty()) {
    delete_marked_atoms(*m);
  } else {
    return;
  }
  after_atoms_changed();
}

void delete_dummy_atoms() {
  if (!m) return;
  std::vector<int> order;
  for (int k = 0; k < m->natom(); ++k)
    if (atom_element(*m, k).name != "Q") order.push_back(k);
  if (static_cast<int>(order.size()) == m->natom()) return;
  keep_atoms(*m, order);
  after_atoms_changed();
}

void change_element_by_one(int s) {
  if (!m || m->n_selected != 1 || !selection_is_valid(*m, 1) || (s != 1 && s != -1)) return;
  const int n = static_cast<int>(def_elem.size());
  if (n == 0 || number_of_elements() == 0) return;
  const int atom = m->selected[0];
  const std::string& symbol = atom_element(*m, atom).name;
  int index = -1;
  for (int k = 0; k < number_of_elements() && index < 0; ++k)
    if (e[at(k)].name == symbol) index = k;
  const auto place = std::find(def_elem.begin(), def_elem.end(), index);
  const int p = index >= 0 && place != def_elem.end() ? static_cast<int>(place - def_elem.begin()) + s : s;
  int k = def_elem[at(((p % n) + n) % n)];
  if (k < 0 || k >= number_of_elements()) k = 0;
  const element_t& element = e[at(k)];
  uint32_t kind = find_atom_kind(*m, element.name);
  if (kind == no_atom_kind) kind = add_atom_kind(*m, element);
  set_atom_kind(*m, atom, kind);
  if (!m->atoms->color.empty()) set_atom_color(*m, atom, element.color);
  notifier().atom_list(AtomListChange::changed, atom);
  notifier().status(StatusBar::lower, atom_position_text(*m, atom));
  notifier().atoms_changed();
  append_backup();
  rerender_3d();
  redraw();
}

void add_vector_selected() {
  if (!m || m->n_selected != 2 || !selection_is_valid(*m, 2)) return;
  add_vector(*m, selected_position(*m, 0), selected_position(*m, 1));
  after_decoration_added();
}

void add_sphere_selected() {
  if (!m || (m->n_selected != 1 && m->n_selected != 2) || !selection_is_valid(*m, m->n_selected)) return;
  const double radius =
      m->n_selected == 2 ? distance(selected_position(*m, 0), selected_position(*m, 1)) : default_sphere_radius;
  add_sphere(*m, selected_position(*m, 0), radius);
  after_decoration_added();
}

void add_triangle_selected() {
  if (!m || m->n_selected != 3 || !selection_is_valid(*m, 3)) return;
  add_triangle(*m, selected_position(*m, 0), selected_position(*m, 1), selected_position(*m, 2));
  after_decoration_added();
}

void add_surface_selected() {
  if (!m || m->n_selected != 3 || !selection_is_valid(*m, 3)) return;
  add_surface(*m, selected_position(*m, 0), selected_position(*m, 1), selected_position(*m, 2));
  after_decoration_added();
}

void add_cell_selected() {
  if (!m || m->n_selected != 4 || !selection_is_valid(*m, 4)) return;
  add_cell(*m, selected_position(*m, 0), selected_position(*m, 1), selected_position(*m, 2), selected_position(*m, 3));
  after_decoration_added();
}
