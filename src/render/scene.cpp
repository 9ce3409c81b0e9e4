// The 3D scene as one traversal of the current geometry. Each draw_*
// function walks its part of `m` and hands colours, lighting switches,
// spheres, cylinders and vertex batches to a SceneOutput in drawing order;
// the order is part of the contract (it decides ties in depth sorting).
//
// Multiple bonds are offset sideways by a vector o of length 1/15. In the
// static scene o lies in the plane of the bond and a neighbour of one of its
// atoms (or a fixed far point), so the strokes look like a ring drawing;
// animation frames use the normal of that plane instead (Calc2Cyllinder).
#include "render/scene.h"

#include <algorithm>
#include <cmath>

#include "molecule/decorations.h"
#include "molecule/settings.h"
#include "render/colors.h"
#include "render/isosurface.h"
#include "render/scene_geometry.h"

scene_state_t scene_state;

void reset_scene_state() { scene_state = scene_state_t{}; }

int get_number_of_slices() { return scene_state.slices; }
int get_number_of_stacks() { return scene_state.stacks; }
void set_number_of_slices(int n) { scene_state.slices = n; }
void set_number_of_stacks(int n) { scene_state.stacks = n; }

void SetAtomColor(SceneOutput& out, int i) {
  if (!m || i < 0 || i >= m->natom()) return;
  out.color(scene_color(atom_color(*m, i)), false);
}

namespace {

// Reference point when neither bond atom has a further neighbour.
constexpr vec3 no_neighbour_point{10, 20, 30};
// Reference point of double and triple bonds whose neighbour lies on the bond line.
constexpr vec3 collinear_fallback_point{0.5774, 0.5774, 0.5774};
constexpr double offset_length_divisor = 15;
// The sticks of a bond are closed tubes when their ends lie within this
// share of each atom's radius: inside the facets of its sphere too.
constexpr double closed_end_share = 0.8;

void set_rgb(SceneOutput& out, float r, float g, float b) { out.color(scene_color({r, g, b, 1}), false); }
void set_rgba(SceneOutput& out, const color_t& c) { out.color(scene_color(c), true); }

// A solid cylinder from `start` in direction `dir` of `length`, radius r.
void stick(SceneOutput& out, const vec3& start, const vec3& dir, double length, double r, bool filled = true) {
  out.cylinder(start, start + dir, r, r, length, scene_state.slices, scene_state.stacks, filled);
}

// A cone from `start` in direction `dir`: base radius `base`, apex at `height`.
void cone(SceneOutput& out, const vec3& start, const vec3& dir, double base, double height, bool filled = true) {
  out.cylinder(start, start + dir, base, 0, height, scene_state.slices, scene_state.stacks, filled);
}

// ---- atoms ----

// The radius of atom i's sphere.
double atom_sphere_radius(const mol_data_t& rec, int i) {
  const double divisor = Input_Data.dotted_bonds ? 30 : 3;
  return Input_Data.atom_fatness * atom_element(rec, i).size / divisor;
}

// `objects`: hand each atom on as a whole too (the static scene only).
void draw_atoms_at(SceneOutput& out, const std::vector<vec3>& coords, bool objects) {
  const mol_data_t& rec = *m;
  const int n = std::min(rec.natom(), static_cast<int>(coords.size()));
  std::vector<char> is_marked(static_cast<size_t>(rec.natom()), 0);
  for (int k : rec.marked)
    if (k >= 0 && k < rec.natom()) is_marked[k] = 1;
  const int n_selected = std::clamp(rec.n_selected, 0, 4);
  for (int i = 0; i < n; ++i) {
    if (!drawable_point(coords[i])) continue;
    SetAtomColor(out, i);
    if (is_marked[i]) set_rgb(out, 0, 1, 1);
    const double r = atom_sphere_radius(rec, i);
    out.sphere(coords[i], r, scene_state.slices, scene_state.stacks, true);
    if (objects) out.atom_object(coords[i], atom_element(rec, i).size * 0.5, atom_color(rec, i));
    if (n_selected == 0) continue;
    const bool first = rec.selected[0] == i;
    const bool later =
        std::find(rec.selected.begin() + 1, rec.selected.begin() + n_selected, i) != rec.selected.begin() + n_selected;
    if (!first && !later) continue;
    out.lighting(false);
    if (first)
      set_rgb(out, 0, 0, 1);
    else
      set_rgb(out, 1, 0, 1);
    out.sphere(coords[i], r + 0.02, 20, 20, false);
    out.lighting(true);
  }
}

// ---- bonds ----

// Some vector perpendicular to d (d itself may be zero).
vec3 any_perpendicular(const vec3& d) {
  const vec3 n = std::fabs(d[0]) <= std::fabs(d[1]) && std::fabs(d[0]) <= std::fabs(d[2]) ? cross(d, {1, 0, 0})
                 : std::fabs(d[1]) <= std::fabs(d[2])                                     ? cross(d, {0, 1, 0})
                                                                                          : cross(d, {0, 0, 1});
  return norm(n) > 0 ? n : vec3{0, 1, 0};
}

// Offset of the strokes of a static multiple bond: in the plane of A, B and
// the reference point, perpendicular to AB.
vec3 static_offset(const std::vector<vec3>& coords, const bond_t& b, const vec3& A, const vec3& B) {
  const int k = find_first_bounded(*m, b.a2, b.a1);
  const vec3 R = k >= 0 && k < static_cast<int>(coords.size()) ? coords[k] : no_neighbour_point;
  const vec3 P = np3(A, B, R);
  vec3 n = np3(A, B, P) - A;
  // The neighbour lies on the bond line: take the fixed point instead; a bond
  // pointing straight at that point as well gets any perpendicular.
  if (norm(n) < 0.000001) n = np3(A, B, collinear_fallback_point) - A;
  if (norm(n) < 0.000001) n = any_perpendicular(B - A);
  return n * (1.0 / (offset_length_divisor * norm(n)));
}

// Offset of the strokes of a multiple bond in an animation frame.
vec3 animated_offset(const std::vector<vec3>& coords, const bond_t& b, const vec3& A, const vec3& M) {
  const int k = find_first_bounded(*m, b.a1, b.a2);
  const vec3 R = k >= 0 && k < static_cast<int>(coords.size()) ? coords[k] : no_neighbour_point;
  return Calc2Cyllinder(A, M, R);
}

// Ten dashes along from→to, shifted by `shift`, each half a tenth long.
void dashes(SceneOutput& out, const vec3& from, const vec3& to, const vec3& shift, double r) {
  const vec3 d = to - from;
  const double length = norm(d) / 20;
  for (int k = 0; k < 10; ++k) stick(out, from + shift + d * (k / 10.0), d, length, r);
}

void draw_line_bond(SceneOutput& out, const bond_t& b, const vec3& A, const vec3& M, const vec3& B) {
  out.lighting(false);
  out.begin(PrimitiveKind::line_strip);
  SetAtomColor(out, b.a1);
  out.vertex(A);
  out.vertex(M);
  SetAtomColor(out, b.a2);
  out.vertex(M);
  out.vertex(B);
  out.end();
  out.lighting(true);
}

// `atoms_drawn`: the atoms' spheres are in the scene.
void draw_one_bond(SceneOutput& out, const std::vector<vec3>& coords, const bond_t& b, bool animated,
                   bool atoms_drawn) {
  const vec3& A = coords[b.a1];
  const vec3& B = coords[b.a2];
  const vec3 M = (A + B) * 0.5;
  const vec3 AM = M - A, MB = B - M;
  const double lA = norm(AM), lB = norm(MB);
  const double r = Input_Data.bond_fatness * 0.05;
  const int type = Input_Data.dotted_bonds && b.type != NO_BOND ? LINE_BOND : b.type;
  vec3 o{0, 0, 0};
  if (type == DOUBLE_BOND || type == TRIPLE_BOND || type == ONE_AND_HALF_BOND)
    o = animated ? animated_offset(coords, b, A, M) : static_offset(coords, b, A, B);
  const vec3 minus_o = o * (-1);
  // The sticks of a single, double or triple bond run from atom to atom,
  // their halves meeting at the midpoint.
  const bool closed =
      atoms_drawn && (type == SINGLE_BOND || type == DOUBLE_BOND || type == TRIPLE_BOND) &&
      norm(o) + r <= closed_end_share * std::min(atom_sphere_radius(*m, b.a1), atom_sphere_radius(*m, b.a2));
  if (closed) out.closed_cylinders(true);
  switch (type) {
    case SINGLE_BOND:
      SetAtomColor(out, b.a1);
      stick(out, A, AM, lA, r);
      SetAtomColor(out, b.a2);
      stick(out, M, MB, lB, r);
      break;
    case DOUBLE_BOND:
    case TRIPLE_BOND:
      SetAtomColor(out, b.a1);
      stick(out, A + o, AM, lA, r);
      stick(out, A + minus_o, AM, lA, r);
      if (type == TRIPLE_BOND) stick(out, A, AM, lA, r);
      SetAtomColor(out, b.a2);
      stick(out, M + o, MB, lB, r);
      stick(out, M + minus_o, MB, lB, r);
      if (type == TRIPLE_BOND) stick(out, M, MB, lB, r);
      break;
    case PARTIAL_BOND:
      SetAtomColor(out, b.a1);
      dashes(out, A, M, {0, 0, 0}, r);
      SetAtomColor(out, b.a2);
      dashes(out, M, B, {0, 0, 0}, r);
      break;
    case ONE_AND_HALF_BOND:
      SetAtomColor(out, b.a1);
      dashes(out, A, M, o, r);
      SetAtomColor(out, b.a2);
      dashes(out, M, B, o, r);
      SetAtomColor(out, b.a1);
      stick(out, A + minus_o, AM, lA, r);
      SetAtomColor(out, b.a2);
      stick(out, B + minus_o, MB * (-1), lA, r);
      break;
    case LINE_BOND:
      draw_line_bond(out, b, A, M, B);
      break;
    default:
      break;
  }
  if (closed) out.closed_cylinders(false);
}

void draw_bonds_at(SceneOutput& out, const std::vector<vec3>& coords, bool animated, bool atoms_drawn) {
  const int n = static_cast<int>(coords.size());
  for (const bond_t& b : m->bond) {
    // A bond naming an atom that does not exist has nothing to join.
    if (b.a1 < 0 || b.a2 < 0 || b.a1 >= n || b.a2 >= n) continue;
    if (!drawable_point(coords[b.a1]) || !drawable_point(coords[b.a2])) continue;
    draw_one_bond(out, coords, b, animated, atoms_drawn);
    // Every bond type is described as a plain two-coloured bond.
    if (b.type != NO_BOND) out.bond_object(coords[b.a1], atom_color(*m, b.a1), coords[b.a2], atom_color(*m, b.a2));
  }
}

// ---- decorations ----

struct arrow_t {
  vec3 tail, dir;
  double length, radius, sharpness;
};

arrow_t arrow(int j) {
  const vec3 d = m->deco->vector_end[j] - m->deco->vector_start[j];
  return {m->deco->vector_start[j], d, norm(d), m->deco->vector_radius[j], m->deco->vector_sharpness[j]};
}

// Shaft of (1 − s) of the arrow's length, then a cone of 1.65 times its radius.
void draw_arrow(SceneOutput& out, const arrow_t& a, double radius, bool filled) {
  const double s = a.sharpness;
  stick(out, a.tail, a.dir, (1 - s) * a.length, radius, filled);
  cone(out, a.tail + a.dir * (1 - s), a.dir, 1.65 * radius, s * a.length, filled);
}

// The eight corners of cell j: O, P, Q, R, then P+Q−O, P+R−O, Q+R−O, P+Q+R−2O.
std::array<vec3, 8> cell_corners(int j) {
  const vec3 &O = m->deco->cell1[j], &P = m->deco->cell2[j], &Q = m->deco->cell3[j], &R = m->deco->cell4[j];
  const std::array<vec3, 4> more = pl4to6(O, P, Q, R);
  return {O, P, Q, R, more[0], more[1], more[2], more[3]};
}

// The six faces of a cell, as indices into cell_corners, each in cyclic order.
constexpr int cell_faces[6][4] = {{0, 1, 4, 2}, {0, 2, 6, 3}, {0, 3, 5, 1}, {3, 5, 7, 6}, {1, 4, 7, 5}, {2, 6, 7, 4}};

void quad(SceneOutput& out, const vec3& normal, const std::array<vec3, 4>& corners) {
  out.begin(PrimitiveKind::quads);
  out.normal(normal);
  for (const vec3& c : corners) out.vertex(c);
  out.end();
}

void highlight_cell(SceneOutput& out, int j) {
  std::array<vec3, 8> c = cell_corners(j);
  vec3 centre{0, 0, 0};
  for (const vec3& p : c) centre = centre + p * (1.0 / 8);
  for (vec3& p : c) p = centre + (p - centre) * 1.01;
  // The faces on O and on R as loops, then the four edges that join them.
  static constexpr int loops[2][4] = {{0, 1, 4, 2}, {3, 5, 7, 6}};
  static constexpr int edges[4][2] = {{0, 3}, {1, 5}, {4, 7}, {2, 6}};
  for (const auto& loop : loops) {
    out.begin(PrimitiveKind::line_loop);
    for (int k : loop) out.vertex(c[k]);
    out.end();
  }
  out.begin(PrimitiveKind::lines);
  for (const auto& edge : edges) {
    out.vertex(c[edge[0]]);
    out.vertex(c[edge[1]]);
  }
  out.end();
}

// Whether index i exists in a decoration group of `count` items.
bool in_group(int i, int count) { return i >= 0 && i < count; }

}  // namespace

void draw_atoms(SceneOutput& out) {
  if (!m) return;
  if (Input_Data.material_style >= 1 && Input_Data.material_style <= 5) out.material_preset(Input_Data.material_style);
  draw_atoms_at(out, m->xyz, true);
}

void draw_bonds(SceneOutput& out) {
  if (m) draw_bonds_at(out, m->xyz, false, m->natom() > 0 && !Input_Data.hide_atoms);
}

void draw_atoms_xyz(SceneOutput& out, const std::vector<vec3>& coords) {
  if (m) draw_atoms_at(out, coords, false);
}

void draw_bonds_xyz(SceneOutput& out, const std::vector<vec3>& coords) {
  if (m) draw_bonds_at(out, coords, true, true);
}

void draw_vibrations(SceneOutput& out) {
  scene_state_t& st = scene_state;
  st.vibration_phase += Input_Data.vibration_speed * (st.vibration_direction == 1 ? 0.1 : -0.1);
  if (std::fabs(st.vibration_phase) > 1) st.vibration_direction = 1 - st.vibration_direction;
  if (!m) return;
  std::vector<vec3> coords = m->xyz;
  if (ivib >= 0 && ivib < static_cast<int>(m->vib->normal_mode.size())) {
    const std::vector<vec3>& mode = m->vib->normal_mode[ivib];
    const double f = st.vibration_phase * Input_Data.vibration_amplitude;
    for (size_t i = 0; i < std::min(coords.size(), mode.size()); ++i) coords[i] = coords[i] + mode[i] * f;
  }
  draw_atoms_xyz(out, coords);
  draw_bonds_xyz(out, coords);
}

void draw_axes(SceneOutput& out) {
  if (!m) return;
  const double D = Calc_Diameter(*m);
  const double c = 0.01 * D, f = 0.5 * D;
  const bool grey = Input_Data.grayscale;
  const color_t colours[3] = {grey ? color_t{0.9f, 0.9f, 0.9f, 1} : color_t{1, 0, 0, 1},
                              grey ? color_t{0.5f, 0.5f, 0.5f, 1} : color_t{0, 1, 0, 1},
                              grey ? color_t{0, 0, 0, 1} : color_t{0, 0, 1, 1}};
  out.lighting(false);
  for (int k = 0; k < 3; ++k) {
    vec3 dir{0, 0, 0};
    dir[k] = f;
    out.color(colours[k], true);
    stick(out, {0, 0, 0}, dir, f, c);
    cone(out, dir, dir, 2 * c, 10 * c);
    out.axis_object(k, c, f);
  }
  out.lighting(true);
}

void draw_dipole(SceneOutput& out) {
  if (!m) return;
  const vec3& D = m->dipole;
  const double a = Input_Data.bond_fatness * 0.025;
  const double L = norm(D);
  out.color(scene_color(Input_Data.object_color), false);
  stick(out, {0, 0, 0}, D, 0.8 * L, a);
  cone(out, D * 0.8, D, 1.65 * a, 0.2 * L);
  out.dipole_object(D, a, Input_Data.object_color);
}

void draw_vectors(SceneOutput& out) {
  if (!m) return;
  for (int j = 0; j < m->nvector(); ++j) {
    set_rgba(out, m->deco->vector_color[j]);
    const arrow_t a = arrow(j);
    draw_arrow(out, a, a.radius, true);
    out.arrow_object(a.tail, m->deco->vector_end[j], a.radius, a.sharpness, m->deco->vector_color[j]);
  }
}

void draw_triangles(SceneOutput& out) {
  if (!m) return;
  for (int j = 0; j < m->ntriangle(); ++j) {
    const vec3 &A = m->deco->triangle1[j], &B = m->deco->triangle2[j], &C = m->deco->triangle3[j];
    const vec3 normal = cross(B - A, C - A);
    set_rgba(out, m->deco->triangle_color[j]);
    out.begin(PrimitiveKind::polygon);
    out.normal(normal);
    out.vertex(A);
    out.vertex(B);
    out.vertex(C);
    out.end();
    out.triangle_object({A, B, C}, normal, m->deco->triangle_color[j]);
  }
}

void draw_spheres(SceneOutput& out) {
  if (!m) return;
  for (int j = 0; j < m->nsphere(); ++j) {
    set_rgba(out, m->deco->sphere_color[j]);
    out.sphere(m->deco->sphere_center[j], m->deco->sphere_radius[j], 2 * scene_state.slices, 2 * scene_state.stacks,
               true);
    out.sphere_object(m->deco->sphere_center[j], m->deco->sphere_radius[j], m->deco->sphere_color[j]);
  }
}

void draw_surfaces(SceneOutput& out) {
  if (!m) return;
  for (int j = 0; j < m->nsurf(); ++j) {
    const vec3 &A = m->deco->surf1[j], &B = m->deco->surf2[j], &C = m->deco->surf3[j];
    const std::array<vec3, 4> corners = pl3to4(A, B, C);
    const vec3 normal = cross(B - A, C - A);
    set_rgba(out, m->deco->surf_color[j]);
    quad(out, normal, corners);
    out.quad_object(corners, normal, m->deco->surf_color[j], false);
  }
}

void draw_cells(SceneOutput& out) {
  if (!m) return;
  for (int j = 0; j < m->ncell(); ++j) {
    const std::array<vec3, 8> c = cell_corners(j);
    set_rgba(out, m->deco->cell_color[j]);
    for (const auto& face : cell_faces) {
      const vec3 &p0 = c[face[0]], &p1 = c[face[1]], &p3 = c[face[3]];
      const std::array<vec3, 4> corners{p0, p1, c[face[2]], p3};
      const vec3 normal = cross(p1 - p0, p3 - p0);
      quad(out, normal, corners);
      out.quad_object(corners, normal, m->deco->cell_color[j], true);
    }
  }
}

void draw_grid(SceneOutput& out) {
  if (All_Surfaces && !surf.empty()) {
    draw_surface_store(out, *All_Surfaces);
  } else {
    out.depth_mask(false);
    out.depth_mask(true);
  }
}

void draw_surface_store(SceneOutput& out, msrf_t& store) {
  out.depth_mask(false);
  const input_data_t& d = Input_Data;
  if (d.show_epot)
    msrf_Draw1(store, {d.epot_plus_color, d.epot_minus_color}, out);
  else
    msrf_Draw(store, {d.plus_color, d.minus_color}, out);
  out.depth_mask(true);
}

void draw_selected_go(SceneOutput& out) {
  if (!m) return;
  const int j = go_selected.index;
  const int kind = go_selected.kind;
  const bool exists = (kind == GO_SPHERE && in_group(j, m->nsphere())) ||
                      (kind == GO_ARROW && in_group(j, m->nvector())) ||
                      (kind == GO_TRIANGLE && in_group(j, m->ntriangle())) ||
                      (kind == GO_PLANE && in_group(j, m->nsurf())) || (kind == GO_CELL && in_group(j, m->ncell()));
  if (!exists) return;
  out.lighting(false);
  set_rgb(out, 0, 1, 1);
  switch (kind) {
    case GO_SPHERE:
      out.sphere(m->deco->sphere_center[j], m->deco->sphere_radius[j] + 0.01, scene_state.slices, scene_state.stacks,
                 false);
      break;
    case GO_ARROW: {
      const arrow_t a = arrow(j);
      draw_arrow(out, a, a.radius + 0.01, false);
      break;
    }
    case GO_TRIANGLE:
      out.begin(PrimitiveKind::line_loop);
      out.vertex(m->deco->triangle1[j]);
      out.vertex(m->deco->triangle2[j]);
      out.vertex(m->deco->triangle3[j]);
      out.end();
      break;
    case GO_PLANE: {
      const std::array<vec3, 4> c = pl3to4(m->deco->surf1[j], m->deco->surf2[j], m->deco->surf3[j]);
      out.begin(PrimitiveKind::lines);
      for (int k : {0, 2, 1, 3}) out.vertex(c[k]);
      out.end();
      break;
    }
    case GO_CELL:
      highlight_cell(out, j);
      break;
  }
  out.lighting(true);
}

void draw_molecule_for_multiview(SceneOutput& out) {
  if (!m) return;
  for (int i = 0; i < m->natom(); ++i) {
    SetAtomColor(out, i);
    out.sphere(m->xyz[i], atom_element(*m, i).size * 0.5, 7, 7, true);
  }
  for (const bond_t& b : m->bond) {
    if (b.type != SINGLE_BOND && b.type != DOUBLE_BOND && b.type != TRIPLE_BOND && b.type != ONE_AND_HALF_BOND)
      continue;
    if (b.a1 < 0 || b.a2 < 0 || b.a1 >= m->natom() || b.a2 >= m->natom()) continue;
    const vec3 &A = m->xyz[b.a1], &B = m->xyz[b.a2];
    const vec3 M = (A + B) * 0.5;
    SetAtomColor(out, b.a1);
    out.cylinder(A, M, 0.1, 0.1, norm(M - A), 7, 7, true);
    SetAtomColor(out, b.a2);
    out.cylinder(M, B, 0.1, 0.1, norm(B - M), 7, 7, true);
  }
}

namespace {

void draw_static_atoms_and_bonds(SceneOutput& out) {
  if (m->natom() > 0 && !Input_Data.hide_atoms) draw_atoms(out);
  if (m->nbond() > 0 && !Input_Data.hide_bonds) draw_bonds(out);
}

// Steps 2 to 5 of the scene list: everything after the atoms and bonds up
// to the isosurfaces.
void draw_decorations_and_surfaces(SceneOutput& out) {
  const mol_data_t& rec = *m;
  if (Input_Data.show_axes) draw_axes(out);
  if (rec.flags & FLAG_DIPOLE) draw_dipole(out);
  if (rec.nvector() > 0) draw_vectors(out);
  if (rec.ntriangle() > 0) draw_triangles(out);
  if (rec.nsphere() > 0) draw_spheres(out);
  if (rec.nsurf() > 0) draw_surfaces(out);
  if (rec.ncell() > 0) draw_cells(out);
  if (rec.ngrid() > 0) draw_grid(out);
}

}  // namespace

void draw_scene(SceneOutput& out) {
  if (!m) return;
  // 1. Atoms and bonds: static, or one frame of the current vibrational mode.
  if (m->nvibr() == 0 || Input_Data.povray_output || Input_Data.ps_output)
    draw_static_atoms_and_bonds(out);
  else
    draw_vibrations(out);
  // 2.–5. Axes, dipole, decorations, isosurfaces; 6. the highlight.
  draw_decorations_and_surfaces(out);
  if (go_selected.kind != GO_NONE) draw_selected_go(out);
}

void draw_picture(SceneOutput& out) {
  if (!m) return;
  draw_static_atoms_and_bonds(out);
  draw_decorations_and_surfaces(out);
}
