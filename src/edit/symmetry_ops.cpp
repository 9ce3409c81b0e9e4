// Images are appended after the existing atoms, in source order within each
// pass (one pass per power k of a rotation). An image is dropped when it
// overlaps an atom: closer to it than the two atoms' drawing sizes added.
// Rotation, translation and inversion test every atom present, images of
// this operation included; reflection tests the atoms that were there
// before. Atoms are found through a spatial index with
// cells of the largest overlap distance, so an operation costs one lookup
// per image. Bonds between two imaged sources are copied to their images,
// unless automatic rebonding is on, which recomputes all bonds at the end
// (inversion always copies).
#include "edit/symmetry_ops.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "document/undo.h"
#include "edit/atom_edit.h"
#include "edit/point_grid.h"
#include "edit/symmetry_analysis.h"
#include "molecule/bonding.h"
#include "molecule/mol_data.h"
#include "molecule/notify.h"
#include "molecule/settings.h"
#include "render/view.h"

int rot_axis_order = 2;

void reset_symmetry_state() { rot_axis_order = 2; }

namespace {

size_t at(int i) { return static_cast<size_t>(i); }

// The lower status bar shows the text instead of what it showed.
void tell(const std::string& text) { notifier().status(StatusBar::lower, text); }

// The atoms an operation images: the marked ones, or all when none is
// marked, without the atoms that define it.
std::vector<int> source_atoms(const mol_data_t& rec, const std::vector<int>& defining) {
  // Marks kept per atom so that long mark lists stay linear.
  std::vector<char> taken(static_cast<size_t>(std::max(rec.natom(), 0)), 0);
  for (int i : defining)
    if (valid_atom(rec, i)) taken[at(i)] = 1;
  std::vector<int> sources;
  const auto take = [&](int i) {
    if (!valid_atom(rec, i) || taken[at(i)]) return;
    taken[at(i)] = 1;
    sources.push_back(i);
  };
  if (rec.marked.empty()) {
    for (int i = 0; i < rec.natom(); ++i) take(i);
  } else {
    for (int i : rec.marked) take(i);
  }
  return sources;
}

// Appends a copy of atom `source` (element, colour, charges, number,
// symmetry label, name) at p and tells the atom list; returns its index.
int append_image_of_atom(mol_data_t& rec, int source, const vec3& p) {
  const int i = copy_atom(rec, source, p);
  if (i >= 0) notifier().atom_list(AtomListChange::inserted, i);
  return i;
}

// The atoms present, indexed for overlap tests.
class overlap_index {
 public:
  overlap_index(const mol_data_t& rec, double reach) : rec_(rec) {
    float largest = 0;
    for (int i = 0; i < rec.natom(); ++i) largest = std::max(largest, atom_element(rec, i).size);
    grid_ = point_grid(2.0 * static_cast<double>(largest), point_grid::extent_of(rec.xyz) + reach);
    for (int i = 0; i < rec.natom(); ++i) add(i);
  }
  void add(int i) { grid_.insert(i, rec_.xyz[at(i)]); }
  // Whether an image of atom `source` at y comes closer to an indexed atom
  // than their two sizes (added and squared in single precision).
  bool overlaps(const vec3& y, int source) const {
    const float size = atom_element(rec_, source).size;
    bool found = false;
    grid_.for_each_near(y, [&](int j) {
      const float sum = atom_element(rec_, j).size + size;
      const float limit = sum * sum;
      const vec3 d = y - rec_.xyz[at(j)];
      found = dot(d, d) < static_cast<double>(limit);
      return !found;
    });
    return found;
  }

 private:
  const mol_data_t& rec_;
  point_grid grid_;
};

// Which image each source got in one pass: image[s], or -1.
using image_map = std::vector<int>;

// One pass of images: `place` gives the image point of a source; an image
// that overlaps an indexed atom is dropped; with `index_images` each image
// joins the index at once.
image_map image_pass(mol_data_t& rec, const std::vector<int>& sources, overlap_index& index, bool index_images,
                     const std::function<vec3(const vec3&)>& place, int& added) {
  image_map image(rec.xyz.size(), -1);
  for (int s : sources) {
    const vec3 y = place(rec.xyz[at(s)]);
    if (index.overlaps(y, s)) continue;
    image[at(s)] = append_image_of_atom(rec, s, y);
    if (index_images) index.add(image[at(s)]);
    ++added;
  }
  return image;
}

// Copies every bond of `before` between two imaged sources to their images.
void copy_bonds(mol_data_t& rec, const std::vector<bond_t>& before, const image_map& image) {
  const auto image_of = [&](int a) { return a >= 0 && at(a) < image.size() ? image[at(a)] : -1; };
  for (const bond_t& b : before) {
    const int i = image_of(b.a1), j = image_of(b.a2);
    if (i >= 0 && j >= 0) rec.bond.push_back({i, j, b.type});
  }
}

// Bonds after the images of `passes`: recomputed when automatic rebonding
// is on, else copied. A molecule too large for automatic bonding keeps its
// bonds and gets them copied, rather than losing them all.
void finish_bonds(mol_data_t& rec, const std::vector<bond_t>& before, const std::vector<image_map>& passes) {
  if (Input_Data.auto_rebond && rec.natom() <= max_atoms_for_bonding) {
    deallocate_bonds(rec);
    determine_bonding(rec);
    return;
  }
  for (const image_map& image : passes) copy_bonds(rec, before, image);
}

const vec3& selected_atom(int k) { return m->xyz[at(m->selected[at(k)])]; }

bool selection_is(int n) {
  if (!m || m->n_selected != n) return false;
  for (int k = 0; k < n; ++k)
    if (!valid_atom(*m, m->selected[at(k)])) return false;
  return true;
}

void tell_added(const char* operation, int added) {
  if (added == 0) {
    tell(std::string(operation) + " added no atom: every image overlaps an atom");
  } else {
    tell(std::string(operation) + " added " + std::to_string(added) + (added == 1 ? " atom" : " atoms"));
  }
}

}  // namespace

vec3 transform_n_fold(int n, int k, const vec3& A, const vec3& B, const vec3& X) {
  const vec3 axis = B - A;
  const double length = norm(axis);
  if (n == 0 || !(length > 0)) return X;
  const vec3 u = axis / length;
  const double angle = 2 * M_PI * k / n;
  const double c = std::cos(angle), s = std::sin(angle);
  const vec3 p = X - A;
  // Rodrigues: the component along u stays, the rest turns in its plane.
  return A + p * c + cross(u, p) * s + u * (dot(u, p) * (1 - c));
}

void transform_mirror(const vec3& A, const vec3& B, const vec3& C, const vec3& X, vec3& out) {
  // The foot F = A + u·(B − A) + t·(C − A) from the normal equations of the
  // two in-plane directions.
  const vec3 b = B - A, c = C - A, x = X - A;
  const double bb = dot(b, b), cc = dot(c, c), bc = dot(b, c), bx = dot(b, x), cx = dot(c, x);
  const double gram = bb * cc - bc * bc;
  double u = 0, t = 0;
  if (std::fabs(gram) >= 1e-5) {
    u = (bx * cc - cx * bc) / gram;
    t = (cx * bb - bx * bc) / gram;
  } else if (bb >= 1e-5) {
    u = bx / bb;
  }
  const vec3 foot = A + b * u + c * t;
  out = foot * 2 - X;
}

int do_inversion() {
  if (!m || m->n_selected < 1 || !valid_atom(*m, m->selected[0])) return -1;
  const vec3 centre = selected_atom(0);
  const std::vector<bond_t> before = m->bond;
  overlap_index index(*m, 2 * point_grid::extent_of(m->xyz));
  int added = 0;
  const image_map image = image_pass(
      *m, source_atoms(*m, {m->selected[0]}), index, true, [&](const vec3& p) { return centre * 2 - p; }, added);
  copy_bonds(*m, before, image);
  tell_added("Inversion", added);
  return added;
}

int do_translation() {
  if (!selection_is(2)) return -1;
  const vec3 d = selected_atom(0) - selected_atom(1);
  const double length = norm(d);
  if (!(length > 0)) {
    tell("The two selected atoms coincide: they define no translation");
    return -1;
  }
  const vec3 T = d * (Input_Data.translation_length / length);
  const std::vector<bond_t> before = m->bond;
  overlap_index index(*m, norm(T));
  int added = 0;
  const image_map image = image_pass(
      *m, source_atoms(*m, {}), index, true, [&](const vec3& p) { return p - T; }, added);
  finish_bonds(*m, before, {image});
  tell_added("Translation", added);
  return added;
}

int do_rotation() {
  const int n = get_vec_rot();
  if (!selection_is(2) || n < 2) return -1;
  const vec3 A = selected_atom(0), B = selected_atom(1);
  if (!(norm(B - A) > 0)) {
    tell("The two selected atoms coincide: they define no rotation axis");
    return -1;
  }
  const std::vector<int> sources = source_atoms(*m, {m->selected[0], m->selected[1]});
  const std::vector<bond_t> before = m->bond;
  overlap_index index(*m, 2 * point_grid::extent_of(m->xyz));
  std::vector<image_map> passes;
  int added = 0;
  for (int k = 1; k < n; ++k)
    passes.push_back(image_pass(
        *m, sources, index, true, [&](const vec3& p) { return transform_n_fold(n, k, A, B, p); }, added));
  finish_bonds(*m, before, passes);
  tell_added("Rotation", added);
  return added;
}

int do_mirroring() {
  if (!selection_is(3)) return -1;
  const vec3 A = selected_atom(0), B = selected_atom(1), C = selected_atom(2);
  const vec3 normal = cross(B - A, C - A);
  if (!(dot(normal, normal) >= 1e-5)) {
    tell("The three selected atoms lie on one line: they define no mirror plane");
    return -1;
  }
  const std::vector<int> sources = source_atoms(*m, {m->selected[0], m->selected[1], m->selected[2]});
  const std::vector<bond_t> before = m->bond;
  overlap_index index(*m, 2 * point_grid::extent_of(m->xyz));
  int added = 0;
  const image_map image = image_pass(
      *m, sources, index, false,
      [&](const vec3& p) {
        vec3 y;
        transform_mirror(A, B, C, p, y);
        return y;
      },
      added);
  finish_bonds(*m, before, {image});
  tell_added("Reflection", added);
  return added;
}

void do_symmetry() {
  if (!m) return;
  int added = -1;
  switch (m->n_selected) {
    case 0:
      if (!do_point_group_analysis()) return;
      append_backup();
      return;
    case 1:
      added = do_inversion();
      break;
    case 2:
      added = get_vec_rot() != 0 ? do_rotation() : do_translation();
      break;
    case 3:
      added = do_mirroring();
      break;
    default:
      return;
  }
  if (added < 0) return;
  // The new atoms need their labels, rows and place in the scene.
  if (added > 0) notifier().geometry_shown();
  rerender_3d();
  redraw();
  append_backup();
}

void mivor_gtk_alpply_symmetry() {
  mivor_gtk_set_vec_rot(0);
  do_symmetry();
}

void mivor_gtk_apply_translation() { mivor_gtk_alpply_symmetry(); }

void mivor_gtk_alpply_rot_symmetry() {
  mivor_gtk_set_vec_rot(rot_axis_order);
  do_symmetry();
}

void mivor_gtk_force_symmetry() {
  Input_Data.force_symmetry = 1;
  do_symmetry();
}

void change_rotation_axis_order(int n) { rot_axis_order = std::clamp(n, 2, 100); }

void change_translation_magnitude(double length) {
  if (std::isfinite(length)) Input_Data.translation_length = length;
}

void symmetry_key(bool shift) {
  mivor_gtk_set_vec_rot(shift ? 2 : 0);
  do_symmetry();
}

void toggle_symmetry_operation() {
  mivor_gtk_set_vec_rot(get_vec_rot() == 0 ? 2 : 0);
  tell(get_vec_rot() == 0 ? "symmetry operation: translation" : "symmetry operation: rotation");
}
