#include "molecule/mol_data.h"

#include <algorithm>
#include <climits>
#include <cstdint>

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
  rec.deco.reset();
  if (m) {
    m->marked.clear();
    unselect_all();
  }
}

// ---- Atoms ----

namespace {

// Resizes a per-atom array to n entries when it holds data; an empty one
// (the data are absent) stays empty.
template <typename T>
void keep_step(std::vector<T>& v, size_t n, const T& fill = T{}) {
  if (!v.empty()) v.resize(n, fill);
}

// The per-atom array `v` sized to the atoms, for a first value to be set.
template <typename T>
std::vector<T>& sized(const mol_data_t& rec, std::vector<T>& v) {
  if (v.size() != rec.xyz.size()) v.resize(rec.xyz.size(), T{});
  return v;
}

template <typename T>
T value_at(const std::vector<T>& v, int i) {
  return i >= 0 && static_cast<size_t>(i) < v.size() ? v[static_cast<size_t>(i)] : T{};
}

// Gathers v[order[0]], v[order[1]], … (an empty array stays empty).
template <typename T>
void gather(std::vector<T>& v, const std::vector<int>& order) {
  if (v.empty()) return;
  std::vector<T> out;
  out.reserve(order.size());
  for (int i : order) out.push_back(std::move(v[static_cast<size_t>(i)]));
  v = std::move(out);
}

template <typename T, typename A>
size_t bytes_of(const std::vector<T, A>& v) {
  return v.capacity() * sizeof(T);
}

}  // namespace

void allocate_atoms(mol_data_t& rec, int n) {
  const size_t k = count(n);
  rec.xyz.resize(k, vec3{});
  if (k == 0) {
    rec.atoms.reset();
  } else {
    atom_data_t& a = rec.atoms.edit();
    a.kind.resize(k, no_atom_kind);
    a.for_each_per_atom([k](auto& v) { keep_step(v, k); });
  }
  // Label images exist only once they have been made; then they keep step.
  keep_step(rec.atom_labels, k);
  // A new atom stands still in every vibrational mode.
  if (rec.vib.exists())
    for (auto& mode : rec.vib.edit().normal_mode) keep_step(mode, k);
}

const element_t& atom_element(const mol_data_t& rec, int i) {
  static const element_t none{};
  const atom_data_t& a = *rec.atoms;
  if (i < 0 || static_cast<size_t>(i) >= a.kind.size()) return none;
  const uint32_t k = a.kind[static_cast<size_t>(i)];
  return k < a.kinds.size() ? a.kinds[k] : none;
}

color_t atom_color(const mol_data_t& rec, int i) {
  const atom_data_t& a = *rec.atoms;
  if (i >= 0 && static_cast<size_t>(i) < a.color.size()) return a.color[static_cast<size_t>(i)];
  return atom_element(rec, i).color;
}

void set_atom_kind(mol_data_t& rec, int i, uint32_t kind) {
  if (!valid_atom(rec, i)) return;
  atom_data_t& a = rec.atoms.edit();
  sized(rec, a.kind)[static_cast<size_t>(i)] = kind;
}

uint32_t find_atom_kind(const mol_data_t& rec, const std::string& symbol) {
  const auto& kinds = rec.atoms->kinds;
  for (size_t k = 0; k < kinds.size(); ++k)
    if (kinds[k].name == symbol) return static_cast<uint32_t>(k);
  return no_atom_kind;
}

uint32_t add_atom_kind(mol_data_t& rec, const element_t& element) {
  auto& kinds = rec.atoms.edit().kinds;
  kinds.push_back(element);
  return static_cast<uint32_t>(kinds.size() - 1);
}

void set_atom_color(mol_data_t& rec, int i, const color_t& c) {
  if (!valid_atom(rec, i)) return;
  atom_data_t& a = rec.atoms.edit();
  if (a.color.size() != rec.xyz.size()) {
    // The first colour of a single atom: every atom takes its colour along.
    a.color.resize(rec.xyz.size());
    for (int k = 0; k < rec.natom(); ++k) a.color[static_cast<size_t>(k)] = atom_element(rec, k).color;
  }
  a.color[static_cast<size_t>(i)] = c;
}

double atom_mulliken(const mol_data_t& rec, int i) { return value_at(rec.atoms->charge_m, i); }
double atom_loprop(const mol_data_t& rec, int i) { return value_at(rec.atoms->charge_l, i); }
int atom_number(const mol_data_t& rec, int i) { return value_at(rec.atoms->number, i); }
int atom_symmetry(const mol_data_t& rec, int i) { return value_at(rec.atoms->symmetry, i); }

const std::optional<std::string>& atom_name(const mol_data_t& rec, int i) {
  static const std::optional<std::string> none;
  const auto& names = rec.atoms->name;
  return i >= 0 && static_cast<size_t>(i) < names.size() ? names[static_cast<size_t>(i)] : none;
}

void set_atom_mulliken(mol_data_t& rec, int i, double v) {
  if (!valid_atom(rec, i)) return;
  sized(rec, rec.atoms.edit().charge_m)[static_cast<size_t>(i)] = v;
  rec.flags |= FLAG_MULLIKEN;
}

void set_atom_loprop(mol_data_t& rec, int i, double v) {
  if (!valid_atom(rec, i)) return;
  sized(rec, rec.atoms.edit().charge_l)[static_cast<size_t>(i)] = v;
  rec.flags |= FLAG_LOPROP;
}

void set_atom_number(mol_data_t& rec, int i, int v) {
  if (!valid_atom(rec, i)) return;
  sized(rec, rec.atoms.edit().number)[static_cast<size_t>(i)] = v;
  rec.flags |= FLAG_ATOM_NUMBERS;
}

void set_atom_symmetry(mol_data_t& rec, int i, int v) {
  if (!valid_atom(rec, i)) return;
  sized(rec, rec.atoms.edit().symmetry)[static_cast<size_t>(i)] = v;
  rec.flags |= FLAG_ATOM_SYMMETRY;
}

void set_atom_name(mol_data_t& rec, int i, const std::string& name) {
  if (!valid_atom(rec, i)) return;
  sized(rec, rec.atoms.edit().name)[static_cast<size_t>(i)] = name;
  rec.flags |= FLAG_ATOM_NAMES;
}

void reorder_atoms(mol_data_t& rec, const std::vector<int>& order) {
  const size_t old_natom = rec.xyz.size();
  std::vector<int> keep;
  keep.reserve(order.size());
  for (int i : order)
    if (valid_atom(rec, i)) keep.push_back(i);
  gather(rec.xyz, keep);
  gather(rec.atom_labels, keep);
  if (rec.atoms.exists()) {
    rec.atoms.edit().for_each_per_atom([&keep](auto& v) { gather(v, keep); });
  }
  // Displacements in the vibrational modes go with their atoms (a mode
  // shorter than the atoms is first padded with rest).
  if (rec.vib.exists())
    for (auto& mode : rec.vib.edit().normal_mode) {
      if (mode.empty()) continue;
      if (mode.size() < old_natom) mode.resize(old_natom, vec3{});
      gather(mode, keep);
    }
  if (rec.xyz.empty()) rec.atoms.reset();
}

size_t record_bytes(const mol_data_t& rec) {
  size_t n =
      sizeof(mol_data_t) + bytes_of(rec.xyz) + bytes_of(rec.marked) + bytes_of(rec.bond) + bytes_of(rec.atom_labels);
  if (rec.atoms.exists()) {
    const atom_data_t& a = *rec.atoms;
    n += sizeof(atom_data_t) + bytes_of(a.kinds);
    a.for_each_per_atom([&n](const auto& v) { n += bytes_of(v); });
    for (const element_t& k : a.kinds) n += k.name.capacity() > 15 ? k.name.capacity() : 0;
  }
  if (rec.grid.exists()) {
    const grid_data_t& g = *rec.grid;
    n += sizeof(grid_data_t) + bytes_of(g.grid_kind) + bytes_of(g.orb_energy) + bytes_of(g.orb_occ) +
         bytes_of(g.orb_sym) + bytes_of(g.orb_index) + bytes_of(g.orb_type) + bytes_of(g.orb_type_changed) + bytes_of(g.orb_type_set) +
         bytes_of(g.grid_name) + bytes_of(g.cutoff_mask) + bytes_of(g.block_offset) + bytes_of(g.grid_values) +
         bytes_of(g.epot_values);
  }
  if (rec.vib.exists()) {
    const vibration_data_t& v = *rec.vib;
    n += sizeof(vibration_data_t) + bytes_of(v.freq) + bytes_of(v.ir_intensity) + bytes_of(v.raman_intensity) +
         bytes_of(v.normal_mode);
    for (const auto& mode : v.normal_mode) n += bytes_of(mode);
  }
  if (rec.deco.exists()) n += sizeof(decoration_data_t);
  return n;
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
  grid_data_t& g = rec.grid.edit();
  g.grid_kind.resize(k, 0);
  g.orb_energy.resize(k, 0.0);
  g.orb_occ.resize(k, 0.0);
  g.orb_sym.resize(k, 0);
  g.orb_index.resize(k, 0);
  g.orb_type.resize(k, 0);
  g.orb_type_changed.resize(k, 0);
  g.grid_name.resize(k);
  g.block_offset.assign(count(g.n_blocks) * count(g.n_grid_header), 0);
}

void deallocate_grids(mol_data_t& rec) {
  rec.grid.reset();
  rec.flags &= ~FLAG_EPOT;
}

void allocate_vibs(mol_data_t& rec, int n) {
  const size_t k = count(n);
  if (k == 0) {
    rec.vib.reset();
    return;
  }
  vibration_data_t& v = rec.vib.edit();
  v.freq.resize(k, 0.0);
  v.ir_intensity.resize(k, 0.0);
  v.raman_intensity.resize(k, 0.0);
  v.normal_mode.resize(k);
  v.normal_mode.back().assign(count(rec.natom()), vec3{});
}

void deallocate_vibrations(mol_data_t& rec) {
  allocate_vibs(rec, 0);
  rec.flags &= ~(FLAG_IR | FLAG_RAMAN);
}

const std::array<decoration_group_t, N_DECORATION_GROUPS> decoration_groups = {{
    {"VECTOR",
     {&decoration_data_t::vector_start, &decoration_data_t::vector_end},
     &decoration_data_t::vector_color,
     {{"RADIUS", &decoration_data_t::vector_radius, default_vector_radius},
      {"SHARPNESS", &decoration_data_t::vector_sharpness, default_vector_sharpness}},
     "\n"},
    {"TRIANGLE",
     {&decoration_data_t::triangle1, &decoration_data_t::triangle2, &decoration_data_t::triangle3},
     &decoration_data_t::triangle_color,
     {},
     "\n "},
    {"SPHERE",
     {&decoration_data_t::sphere_center},
     &decoration_data_t::sphere_color,
     {{"RADIUS", &decoration_data_t::sphere_radius, default_sphere_radius}},
     " \n"},
    {"SURFACE",
     {&decoration_data_t::surf1, &decoration_data_t::surf2, &decoration_data_t::surf3},
     &decoration_data_t::surf_color,
     {},
     " \n"},
    {"CELL",
     {&decoration_data_t::cell1, &decoration_data_t::cell2, &decoration_data_t::cell3, &decoration_data_t::cell4},
     &decoration_data_t::cell_color,
     {},
     " \n"},
}};

void resize_decorations(mol_data_t& rec, const decoration_group_t& g, int n) {
  const size_t k = count(n);
  if (k == 0 && !rec.deco.exists()) return;
  decoration_data_t& d = rec.deco.edit();
  for (auto points : g.points) (d.*points).resize(k, vec3{});
  (d.*g.colors).resize(k);
  for (const decoration_real_t& r : g.reals) (d.*r.values).resize(k, 0.0);
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

void allocate_textbox(mol_data_t& rec) { rec.deco.edit().textbox.emplace_back(); }

void deallocate_textboxes(mol_data_t& rec) {
  if (rec.deco.exists()) rec.deco.edit().textbox.clear();
}

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
