// Centre, origin and translation of the current geometry. Decorations move
// with all their points; text boxes sit at window pixels and stay.
#include "edit/moves.h"

#include <initializer_list>

#include "molecule/notify.h"
#include "render/isosurface.h"

namespace {

void add_to(vec3& p, const vec3& v) {
  for (size_t k = 0; k < 3; ++k) p[k] += v[k];
}

void add_to_all(std::vector<vec3>& points, const vec3& v) {
  for (vec3& p : points) add_to(p, v);
}

vec3 scaled_sum(std::initializer_list<vec3> points, double f) {
  vec3 s{};
  for (const vec3& p : points) add_to(s, p);
  for (double& c : s) c *= f;
  return s;
}

bool valid_atom(const mol_data_t& rec, int i) { return i >= 0 && i < rec.natom(); }

// Mean of the points, or none when there are no points.
bool mean_of(const std::vector<vec3>& points, vec3& c) {
  if (points.empty()) return false;
  c = vec3{};
  for (const vec3& p : points) add_to(c, p);
  for (double& v : c) v /= static_cast<double>(points.size());
  return true;
}

vec3 decorations_center(const mol_data_t& rec) {
  std::vector<vec3> centres;
  for (int i = 0; i < rec.nvector(); ++i) {
    const size_t k = static_cast<size_t>(i);
    centres.push_back(scaled_sum({rec.vector_start[k], rec.vector_end[k]}, 0.5));
  }
  for (const vec3& s : rec.sphere_center) centres.push_back(s);
  for (int i = 0; i < rec.ntriangle(); ++i) {
    const size_t k = static_cast<size_t>(i);
    centres.push_back(scaled_sum({rec.triangle1[k], rec.triangle2[k], rec.triangle3[k]}, 0.3333333));
  }
  for (int i = 0; i < rec.ncell(); ++i) {
    const size_t k = static_cast<size_t>(i);
    centres.push_back(scaled_sum({rec.cell1[k], rec.cell2[k], rec.cell3[k], rec.cell4[k]}, 0.25));
  }
  vec3 c{};
  mean_of(centres, c);
  return c;
}

vec3 center_of(const mol_data_t& rec) {
  std::vector<vec3> marked;
  for (int i : rec.marked)
    if (valid_atom(rec, i)) marked.push_back(rec.xyz[static_cast<size_t>(i)]);
  vec3 c{};
  if (mean_of(marked, c) || mean_of(rec.xyz, c)) return c;
  return decorations_center(rec);
}

// Every atom, every point of every decoration and the grid origin by v.
void shift_everything(mol_data_t& rec, const vec3& v) {
  for (auto* points :
       {&rec.xyz, &rec.vector_start, &rec.vector_end, &rec.triangle1, &rec.triangle2, &rec.triangle3,
        &rec.sphere_center, &rec.surf1, &rec.surf2, &rec.surf3, &rec.cell1, &rec.cell2, &rec.cell3, &rec.cell4})
    add_to_all(*points, v);
  add_to(rec.origin, v);
}

// The coordinate editor, the scene (and with it the isosurfaces) and the
// window follow a move.
void after_move(int atom) {
  notifier().atom_list(atom >= 0 ? AtomListChange::changed : AtomListChange::refilled, atom);
  if (m && m->ngrid() > 0) make_surfaces(false);
  rerender_3d();
  redraw();
}

}  // namespace

void get_center(double& x, double& y, double& z) {
  const vec3 c = m ? center_of(*m) : vec3{};
  x = c[0], y = c[1], z = c[2];
}

void set_origin_molecule() {
  if (!m) return;
  vec3 o{};
  const int* sel = m->selected.data();
  if (m->n_selected == 0) {
    o = center_of(*m);
  } else if (m->n_selected == 1 && valid_atom(*m, sel[0])) {
    o = m->xyz[static_cast<size_t>(sel[0])];
  } else if (m->n_selected >= 2 && valid_atom(*m, sel[0]) && valid_atom(*m, sel[1])) {
    o = scaled_sum({m->xyz[static_cast<size_t>(sel[0])], m->xyz[static_cast<size_t>(sel[1])]}, 0.5);
  } else {
    return;
  }
  shift_everything(*m, {-o[0], -o[1], -o[2]});
  after_move(-1);
}

void translate(const vec3& v) {
  if (!m) return;
  if (m->n_selected > 0) {
    const int first = m->selected[0];
    if (!valid_atom(*m, first)) return;
    add_to(m->xyz[static_cast<size_t>(first)], v);
    after_move(first);
  } else if (m->marked.empty()) {
    shift_everything(*m, v);
    after_move(-1);
  } else {
    for (int i : m->marked)
      if (valid_atom(*m, i)) add_to(m->xyz[static_cast<size_t>(i)], v);
    after_move(-1);
  }
}
