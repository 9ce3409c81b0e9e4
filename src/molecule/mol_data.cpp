#include "molecule/mol_data.h"

#include <algorithm>

#include "molecule/notify.h"

const char* const bond_description[7] = {"No bond",      "Single bond",       "double bond", "triple bond",
                                         "partial bond", "One and half bond", "Line"};

std::vector<mol_data_t> mol;
mol_data_t* m = nullptr;
int igeo = 0;
int ivib = 0;
int iorb = 0;
std::vector<int64_t> geo_file_position;
int should_bonding_be_determined = 0;

namespace {

size_t count(int n) { return n > 0 ? static_cast<size_t>(n) : 0; }

void clear_selection(mol_data_t& rec) {
  rec.n_selected = 0;
  rec.selected.fill(-1);
}

}  // namespace

int n_geometries() { return static_cast<int>(mol.size()); }

mol_data_t* new_mol(int n) {
  igeo = ivib = iorb = 0;
  mol.clear();
  m = nullptr;
  if (n <= 0) return nullptr;
  mol.resize(count(n));
  m = mol.data();
  notifier().atom_list(AtomListChange::started, -1);
  return m;
}

void deallocate_mol_data() {
  for (auto& rec : mol) deallocate_data(rec);
  mol.clear();
  mol.shrink_to_fit();
  geo_file_position.clear();
  m = nullptr;
}

void deallocate_data(mol_data_t& rec) {
  deallocate_atoms(rec);
  deallocate_bonds(rec);
  deallocate_dipole(rec);
  deallocate_grids(rec);
  deallocate_vibrations(rec);
  for (const decoration_group_t& g : decoration_groups) resize_decorations(rec, g, 0);
  deallocate_textboxes(rec);
  if (m) {
    m->marked.clear();
    unselect_all();
  }
}

void allocate_atoms(mol_data_t& rec, int n) {
  const size_t k = count(n);
  rec.xyz.resize(k, vec3{});
  rec.elem.resize(k);
  rec.charge_m.resize(k, 0.0);
  rec.charge_l.resize(k, 0.0);
  rec.atom_number.resize(k, 0);
  rec.atom_symmetry.resize(k, 0);
  rec.atom_name.resize(k);
  // Label images exist only once they have been made; then they keep step.
  if (!rec.atom_labels.empty()) rec.atom_labels.resize(k);
}

void deallocate_atoms(mol_data_t& rec) {
  allocate_atoms(rec, 0);
  rec.flags &= ~ATOM_BLOCK_FLAGS;
  // Selection and marks name atoms that no longer exist.
  rec.marked.clear();
  clear_selection(rec);
  notifier().atom_list(AtomListChange::cleared, -1);
}

void allocate_bonds(mol_data_t& rec, int n) { rec.bond.resize(count(n)); }

void deallocate_bonds(mol_data_t& rec) { rec.bond.clear(); }

void deallocate_dipole(mol_data_t& rec) {
  rec.dipole = vec3{};
  rec.flags &= ~FLAG_DIPOLE;
}

void allocate_grids(mol_data_t& rec, int n) {
  const size_t k = count(n);
  rec.grid_kind.resize(k, 0);
  rec.orb_energy.resize(k, 0.0);
  rec.orb_occ.resize(k, 0.0);
  rec.orb_sym.resize(k, 0);
  rec.orb_index.resize(k, 0);
  rec.orb_type.resize(k, 0);
  rec.orb_type_changed.resize(k, 0);
  rec.grid_name.resize(k);
  rec.cutoff_mask.assign(count(rec.n_points), 0);
  rec.block_offset.assign(count(rec.n_blocks) * count(rec.n_grid_header), 0);
  rec.grid_values.assign(count(rec.n_points), 0.0);
}

void deallocate_grids(mol_data_t& rec) {
  rec.grid_kind.clear();
  rec.orb_energy.clear();
  rec.orb_occ.clear();
  rec.orb_sym.clear();
  rec.orb_index.clear();
  rec.orb_type.clear();
  rec.orb_type_changed.clear();
  rec.grid_name.clear();
  rec.cutoff_mask.clear();
  rec.block_offset.clear();
  rec.grid_values.clear();
  rec.epot_values.clear();
  rec.n_grid_header = 0;
  rec.n_points = 0;
  rec.flags &= ~FLAG_EPOT;
}

void allocate_vibs(mol_data_t& rec, int n) {
  const size_t k = count(n);
  rec.freq.resize(k, 0.0);
  rec.ir_intensity.resize(k, 0.0);
  rec.raman_intensity.resize(k, 0.0);
  rec.normal_mode.resize(k);
  if (k > 0) rec.normal_mode.back().assign(count(rec.natom()), vec3{});
}

void deallocate_vibrations(mol_data_t& rec) {
  allocate_vibs(rec, 0);
  rec.flags &= ~(FLAG_IR | FLAG_RAMAN);
}

const std::array<decoration_group_t, N_DECORATION_GROUPS> decoration_groups = {{
    {"VECTOR",
     {&mol_data_t::vector_start, &mol_data_t::vector_end},
     &mol_data_t::vector_color,
     {{"RADIUS", &mol_data_t::vector_radius, default_vector_radius},
      {"SHARPNESS", &mol_data_t::vector_sharpness, default_vector_sharpness}},
     "\n"},
    {"TRIANGLE",
     {&mol_data_t::triangle1, &mol_data_t::triangle2, &mol_data_t::triangle3},
     &mol_data_t::triangle_color,
     {},
     "\n "},
    {"SPHERE",
     {&mol_data_t::sphere_center},
     &mol_data_t::sphere_color,
     {{"RADIUS", &mol_data_t::sphere_radius, default_sphere_radius}},
     " \n"},
    {"SURFACE", {&mol_data_t::surf1, &mol_data_t::surf2, &mol_data_t::surf3}, &mol_data_t::surf_color, {}, " \n"},
    {"CELL",
     {&mol_data_t::cell1, &mol_data_t::cell2, &mol_data_t::cell3, &mol_data_t::cell4},
     &mol_data_t::cell_color,
     {},
     " \n"},
}};

void resize_decorations(mol_data_t& rec, const decoration_group_t& g, int n) {
  const size_t k = count(n);
  for (auto points : g.points) (rec.*points).resize(k, vec3{});
  (rec.*g.colors).resize(k);
  for (const decoration_real_t& r : g.reals) (rec.*r.values).resize(k, 0.0);
}

void allocate_vectors(mol_data_t& rec, int n) { resize_decorations(rec, decoration_groups[DECO_VECTOR], n); }
void deallocate_vectors(mol_data_t& rec) { allocate_vectors(rec, 0); }
void allocate_triangles(mol_data_t& rec, int n) { resize_decorations(rec, decoration_groups[DECO_TRIANGLE], n); }
void deallocate_triangles(mol_data_t& rec) { allocate_triangles(rec, 0); }
void allocate_spheres(mol_data_t& rec, int n) { resize_decorations(rec, decoration_groups[DECO_SPHERE], n); }
void deallocate_spheres(mol_data_t& rec) { allocate_spheres(rec, 0); }
void allocate_surfaces(mol_data_t& rec, int n) { resize_decorations(rec, decoration_groups[DECO_SURFACE], n); }
void deallocate_surfaces(mol_data_t& rec) { allocate_surfaces(rec, 0); }
void allocate_cells(mol_data_t& rec, int n) { resize_decorations(rec, decoration_groups[DECO_CELL], n); }
void deallocate_cells(mol_data_t& rec) { allocate_cells(rec, 0); }

void allocate_textbox(mol_data_t& rec) { rec.textbox.emplace_back(); }

void deallocate_textboxes(mol_data_t& rec) { rec.textbox.clear(); }

void unselect_all() {
  if (!m) return;
  clear_selection(*m);
  notifier().selection_changed();
}

void get_new_section() {
  if (igeo < 0 || igeo >= n_geometries()) return;
  m = &mol[static_cast<size_t>(igeo)];
  notifier().atom_list(AtomListChange::refilled, -1);
}

void reset_molecule_state() {
  deallocate_mol_data();
  igeo = ivib = iorb = 0;
  should_bonding_be_determined = 0;
}
