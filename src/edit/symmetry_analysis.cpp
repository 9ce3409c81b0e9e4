#include "edit/symmetry_analysis.h"

#include <cstdio>
#include <vector>

#include "edit/point_group.h"
#include "edit/symmetry_elements.h"
#include "molecule/decorations.h"
#include "molecule/mol_data.h"
#include "molecule/notify.h"
#include "molecule/settings.h"

namespace {

// Tolerances of the analysis: the usual one, and the loose one that
// "Average symmetry" asks for once.
constexpr double analysis_tolerance = 0.05;
constexpr double loose_tolerance = 0.15;

// The last line of the detection's report: why it failed.
std::string last_line(const std::string& text) {
  size_t end = text.size();
  while (end > 0 && text[end - 1] == '\n') --end;
  const size_t start = text.rfind('\n', end == 0 ? 0 : end - 1);
  return text.substr(start == std::string::npos ? 0 : start + 1, end - (start == std::string::npos ? 0 : start + 1));
}

// The geometry's coordinates become `xyz`; vectors that belong to the atoms
// (the dipole, the vibrational displacements) turn with them.
void adopt_frame(mol_data_t& rec, const std::vector<vec3>& xyz, const mat3& rotation) {
  rec.xyz = xyz;
  if (rec.flags & FLAG_DIPOLE) rec.dipole = rotation * rec.dipole;
  if (rec.vib.exists())
    for (auto& mode : rec.vib.edit().normal_mode)
      for (vec3& v : mode) v = rotation * v;
  notifier().atom_list(AtomListChange::refilled, -1);
}

void delete_decorations(mol_data_t& rec) {
  deallocate_vectors(rec);
  deallocate_triangles(rec);
  deallocate_spheres(rec);
  deallocate_surfaces(rec);
  deallocate_cells(rec);
  unset_go_selected();
  notifier().objects_changed();
}

}  // namespace

void draw_symmetry_elements(mol_data_t& rec, const std::string& generators) {
  std::vector<sym_element_t> elements;
  zevgrp(generators, elements);
  for (const sym_element_t& e : elements) {
    if (e.kind == SYM_PLANE) {
      add_surface(rec, e.corners[0], e.corners[1], e.corners[2]);
    } else if (e.kind == SYM_AXIS) {
      add_vector(rec, e.corners[0] * 3, e.corners[1] * 3);
      decoration_data_t& d = rec.deco.edit();
      d.vector_radius.back() = 0.025;
      d.vector_sharpness.back() = 0;
      d.vector_color.back().alpha = 1.0f;
    }
  }
}

bool do_point_group_analysis() {
  if (!m) return false;
  std::vector<std::string> labels;
  for (int i = 0; i < m->natom(); ++i) labels.push_back(atom_element(*m, i).name.substr(0, 3));
  double tol = Input_Data.force_symmetry ? loose_tolerance : analysis_tolerance;
  Input_Data.force_symmetry = 0;
  // A grid of values can't turn with the atoms: a geometry with grids is
  // examined where it stands.
  const bool has_grids = m->ngrid() > 0;
  std::vector<vec3> xyz = m->xyz;
  const findsym_result_t r = findsym(labels, xyz, tol, !has_grids);
  std::fputs(r.diagnostics.c_str(), stderr);
  if (r.status != 0) {
    notifier().status(StatusBar::lower, "Symmetry analysis failed: " + last_line(r.diagnostics));
    return false;
  }
  if (r.transformed) adopt_frame(*m, xyz, r.rotation);
  delete_decorations(*m);
  draw_symmetry_elements(*m, r.generators);
  // The selection readout replaces the lower status bar's text, so it runs
  // before the result is shown there.
  notifier().selection_changed();
  std::string text = r.generators.empty() ? "No symmetry element has been found" : r.generators;
  if (has_grids && r.gainable)
    text += std::string(text.back() == ' ' ? "" : " ") +
            "(turned to its principal axes the molecule would show more; with grids it stays in place)";
  notifier().status(StatusBar::lower, text);
  rerender_3d();
  redraw();
  return true;
}
