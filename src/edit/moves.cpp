// Centre, origin and translation of the current geometry. Decorations move
// with all their points; text boxes sit at window pixels and stay.
#include "edit/moves.h"

#include "edit/measures.h"
#include "molecule/notify.h"
#include "render/isosurface.h"
#include "render/scene_geometry.h"

namespace {

// Mean of the points that can be drawn, or none when there are none. A
// point that is not a number, or beyond any field, would make the centre
// one too, and a move to the origin would carry every atom with it.
bool mean_of(const std::vector<vec3>& points, vec3& c) {
  size_t n = 0;
  for (const vec3& p : points) n += drawable_point(p);
  if (n == 0) return false;
  c = vec3{};
  for (const vec3& p : points)
    if (drawable_point(p)) c += p;
  c = c / static_cast<double>(n);
  return true;
}

// The decorations that count for the centre, in the order they are summed,
// each item standing at the mean of its points (planes do not count).
constexpr struct {
  decoration_group_id group;
  double weight;  // 1 / number of points, as the centre has always used it
} centre_groups[] = {{DECO_VECTOR, 0.5}, {DECO_SPHERE, 1.0}, {DECO_TRIANGLE, 0.3333333}, {DECO_CELL, 0.25}};

vec3 decorations_center(const mol_data_t& rec) {
  std::vector<vec3> centres;
  for (const auto& cg : centre_groups) {
    const decoration_group_t& g = decoration_groups[cg.group];
    for (size_t i = 0; i < static_cast<size_t>(g.count(rec)); ++i) {
      vec3 sum{};
      for (auto points : g.points) sum += ((*rec.deco).*points)[i];
      centres.push_back(sum * cg.weight);
    }
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
  for (vec3& p : rec.xyz) p += v;
  if (rec.deco.exists()) {
    decoration_data_t& d = rec.deco.edit();
    for (const decoration_group_t& g : decoration_groups)
      for (auto points : g.points)
        for (vec3& p : d.*points) p += v;
  }
  if (rec.grid.exists()) rec.grid.edit().origin += v;
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
    o = (m->xyz[static_cast<size_t>(sel[0])] + m->xyz[static_cast<size_t>(sel[1])]) * 0.5;
  } else {
    return;
  }
  shift_everything(*m, -o);
  after_move(-1);
}

void translate(const vec3& v) {
  if (!m) return;
  if (m->n_selected > 0) {
    const int first = m->selected[0];
    if (!valid_atom(*m, first)) return;
    m->xyz[static_cast<size_t>(first)] += v;
    after_move(first);
  } else if (m->marked.empty()) {
    shift_everything(*m, v);
    after_move(-1);
  } else {
    for (int i : m->marked)
      if (valid_atom(*m, i)) m->xyz[static_cast<size_t>(i)] += v;
    after_move(-1);
  }
}
