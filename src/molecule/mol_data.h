// The molecule records: one `mol_data_t` per geometry of the open file, held
// in the global array `mol`, with `m` the geometry shown and edited.
//
// Every per-item array is a vector; the counts (`natom()`, `nbond()`, …) are
// the sizes of those vectors, so a count can never drift from what it counts.
// Parallel arrays of one group are resized together by that group's allocator.
#pragma once

#include <array>
#include <climits>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "molecule/large_blocks.h"
#include "molecule/lattice.h"
#include "molecule/types.h"

// Bits of `mol_data_t::flags`: which optional data are present.
enum mol_flag_t {
  FLAG_ATOM_NAMES = 0x1,
  FLAG_MULLIKEN = 0x2,
  FLAG_LOPROP = 0x4,
  FLAG_ATOM_NUMBERS = 0x8,
  FLAG_ATOM_SYMMETRY = 0x10,
  FLAG_DIPOLE = 0x20,
  FLAG_IR = 0x40,
  FLAG_RAMAN = 0x80,
  FLAG_ENERGY = 0x100,
  FLAG_RMS_GRAD = 0x200,
  FLAG_MAX_GRAD = 0x400,
  FLAG_EPOT = 0x800,
  FLAG_ATOM_COLORS = 0x1000,
};

// The flag bits that make the writer emit an atom block.
constexpr int ATOM_BLOCK_FLAGS =
    FLAG_ATOM_NAMES | FLAG_MULLIKEN | FLAG_LOPROP | FLAG_ATOM_NUMBERS | FLAG_ATOM_SYMMETRY | FLAG_ATOM_COLORS;

// Label images of one atom, in this order.
enum atom_label_t { LABEL_INDEX, LABEL_SYMBOL, LABEL_NUMBER, LABEL_NAME, LABEL_MULLIKEN, LABEL_LOPROP, N_ATOM_LABELS };

// Grid kinds.
enum grid_kind_t { GRID_ORBITAL = 1, GRID_EPOT = 3, GRID_OTHER = 4 };

// A part of a record that most geometries lack: absent until it is first
// written, so that an empty geometry stays a small record. Reading an
// absent part sees an empty one; `edit()` creates it. Copies are deep.
template <typename T>
class optional_part {
 public:
  optional_part() = default;
  optional_part(const optional_part& o) : p_(o.p_ ? std::make_unique<T>(*o.p_) : nullptr) {}
  optional_part& operator=(const optional_part& o) {
    if (this != &o) p_ = o.p_ ? std::make_unique<T>(*o.p_) : nullptr;
    return *this;
  }
  optional_part(optional_part&&) noexcept = default;
  optional_part& operator=(optional_part&&) noexcept = default;

  const T* operator->() const { return p_ ? p_.get() : &empty(); }
  const T& operator*() const { return *operator->(); }
  T& edit() {
    if (!p_) p_ = std::make_unique<T>();
    return *p_;
  }
  bool exists() const { return p_ != nullptr; }
  void reset() { p_.reset(); }

 private:
  static const T& empty() {
    static const T none{};
    return none;
  }
  std::unique_ptr<T> p_;
};

// What atoms carry beyond their coordinates. Each distinct symbol of the
// geometry has one kind: the symbol as read with a copy of its element's
// data; an atom names its kind. The other arrays hold one entry per atom
// only when the file gave such data (colours of single atoms, charges,
// numbers, symmetry labels, names); otherwise they are empty.
struct atom_data_t {
  std::vector<element_t> kinds;
  std::vector<uint32_t> kind;
  std::vector<color_t> color;
  std::vector<double> charge_m;
  std::vector<double> charge_l;
  std::vector<int> number;
  std::vector<int> symmetry;
  std::vector<std::optional<std::string>> name;

  // Calls f on every per-atom array, `kind` first: the one list that
  // growing, reordering, copying and measuring atoms go through.
  template <class F>
  void for_each_per_atom(F&& f) {
    f(kind), f(color), f(charge_m), f(charge_l), f(number), f(symmetry), f(name);
  }
  template <class F>
  void for_each_per_atom(F&& f) const {
    f(kind), f(color), f(charge_m), f(charge_l), f(number), f(symmetry), f(name);
  }
};

// The grid section of a geometry: its lattice (`net`, `origin`, `axis`, in
// ångström), the descriptions of its grids, where the values lie in the
// file, and the values of the current grid (with the potential grid's, when
// loaded).
struct grid_data_t : lattice_t {
  std::vector<int> grid_kind;
  std::vector<double> orb_energy;
  std::vector<double> orb_occ;
  std::vector<int> orb_sym;
  std::vector<int> orb_index;
  std::vector<int> orb_type;
  std::vector<int> orb_type_changed;
  // Types set for orbitals of the orbital file that have no grid:
  // (symmetry, index, type code), written into the orbital file on saving.
  std::vector<std::array<int, 3>> orb_type_set;
  std::vector<std::optional<std::string>> grid_name;
  int64_t grid_data_start = 0;
  int64_t grid_data_size = 0;
  int n_grid_header = 0;
  int n_mo = 0;
  int n_points = 0;
  int block_size = 0;
  int n_blocks = 0;
  int is_cutoff = 0;
  double cutoff = 0;
  double cutoff_radius = 0;  // the cut-off in ångström
  int n_p = 0;
  // Per point: made when a grid of the geometry is loaded, for the current
  // geometry only (empty otherwise).
  std::vector<uint8_t> cutoff_mask;
  std::vector<int64_t> block_offset;
  std::array<int, 7> index_counts{};
  double grid_min = 0, grid_max = 0;
  // The suggested levels: made by compute_iso_levels when asked for.
  double iso_value = 0;
  std::array<double, 21> iso_levels{};
  grid_values_t grid_values;
  grid_values_t epot_values;  // empty: no potential grid loaded

  lattice_t& lattice() { return *this; }
  const lattice_t& lattice() const { return *this; }
};

// Vibrational modes: one displacement block of natom points per mode.
struct vibration_data_t {
  std::vector<double> freq;
  std::vector<double> ir_intensity;
  std::vector<double> raman_intensity;
  std::vector<std::vector<vec3>> normal_mode;
};

// The decorations the user places in the scene.
struct decoration_data_t {
  std::vector<vec3> vector_start, vector_end;
  std::vector<double> vector_radius, vector_sharpness;
  std::vector<color_t> vector_color;
  std::vector<vec3> triangle1, triangle2, triangle3;
  std::vector<color_t> triangle_color;
  std::vector<vec3> sphere_center;
  std::vector<double> sphere_radius;
  std::vector<color_t> sphere_color;
  std::vector<vec3> surf1, surf2, surf3;
  std::vector<color_t> surf_color;
  std::vector<vec3> cell1, cell2, cell3, cell4;
  std::vector<color_t> cell_color;
  std::vector<textbox_t> textbox;
};

struct mol_data_t {
  int flags = 0;
  unsigned char editable = 1;

  // Selection (in order of picking) and marks.
  int n_selected = 0;
  std::array<int, 4> selected{{-1, -1, -1, -1}};
  std::vector<int> marked;

  // Atoms: coordinates here, the rest through the atom functions below.
  std::vector<vec3> xyz;
  optional_part<atom_data_t> atoms;
  // Label images: empty until they are first made, then one set per atom.
  std::vector<std::array<stxt_t, N_ATOM_LABELS>> atom_labels;

  std::vector<bond_t> bond;
  vec3 dipole{};
  double energy = 0, rms_grad = 0, max_grad = 0;

  optional_part<grid_data_t> grid;
  optional_part<vibration_data_t> vib;
  optional_part<decoration_data_t> deco;

  int natom() const { return static_cast<int>(xyz.size()); }
  int nbond() const { return static_cast<int>(bond.size()); }
  int ngrid() const { return static_cast<int>(grid->grid_kind.size()); }
  int nvibr() const { return static_cast<int>(vib->freq.size()); }
  int nvector() const { return static_cast<int>(deco->vector_start.size()); }
  int ntriangle() const { return static_cast<int>(deco->triangle1.size()); }
  int nsphere() const { return static_cast<int>(deco->sphere_center.size()); }
  int nsurf() const { return static_cast<int>(deco->surf1.size()); }
  int ncell() const { return static_cast<int>(deco->cell1.size()); }
  int ntextbox() const { return static_cast<int>(deco->textbox.size()); }
  int n_marked() const { return static_cast<int>(marked.size()); }
};

// ---- Atoms ----
// The element data of atom i: the symbol as read (`name`), the colour, sizes
// and valency of its element.
const element_t& atom_element(const mol_data_t& rec, int i);
// Atom i's colour: its own when the file gave one, else its element's.
color_t atom_color(const mol_data_t& rec, int i);
// Kinds: the kind named by symbol (exactly as read) or `no_atom_kind`; a new
// kind; atom i made of a kind. The element functions (molecule/elements.h)
// fill kinds from the element table.
constexpr uint32_t no_atom_kind = UINT32_MAX;
uint32_t find_atom_kind(const mol_data_t& rec, const std::string& symbol);
uint32_t add_atom_kind(mol_data_t& rec, const element_t& element);
void set_atom_kind(mol_data_t& rec, int i, uint32_t kind);
// Gives atom i a colour of its own.
void set_atom_color(mol_data_t& rec, int i, const color_t& c);
// Charges, numbers, symmetry labels and names; 0 or none where the geometry
// has none. The setters also set the flag that says the data are present.
double atom_mulliken(const mol_data_t& rec, int i);
double atom_loprop(const mol_data_t& rec, int i);
int atom_number(const mol_data_t& rec, int i);
int atom_symmetry(const mol_data_t& rec, int i);
const std::optional<std::string>& atom_name(const mol_data_t& rec, int i);
void set_atom_mulliken(mol_data_t& rec, int i, double v);
void set_atom_loprop(mol_data_t& rec, int i, double v);
void set_atom_number(mol_data_t& rec, int i, int v);
void set_atom_symmetry(mol_data_t& rec, int i, int v);
void set_atom_name(mol_data_t& rec, int i, const std::string& name);
// Keeps the atoms `order` names, in that order: atom k of the result is atom
// order[k] of before, with everything that belongs to it (coordinates,
// element, colour, charges, numbers, symmetry, names, label images).
// Indices outside the atoms are skipped. Bonds, selection and marks are the
// caller's to renumber.
void reorder_atoms(mol_data_t& rec, const std::vector<int>& order);
// Bytes the record holds (vectors' contents included), for memory budgets.
size_t record_bytes(const mol_data_t& rec);

// Whether atom i exists in `rec`.
inline bool valid_atom(const mol_data_t& rec, int i) { return i >= 0 && i < rec.natom(); }

// The five groups of 3D decorations (arrows, triangles, spheres, planes,
// cells) are parallel arrays of the same shape: points, a colour and some
// reals. One descriptor per group drives their allocation, reading, writing,
// listing and moving, so that a group is spelled out in one place.
// Arrow defaults: single-precision constants widened to double.
constexpr double default_vector_radius = static_cast<double>(0.05f);
constexpr double default_vector_sharpness = static_cast<double>(0.1f);
constexpr double default_sphere_radius = 2.0;

struct decoration_real_t {
  const char* key;  // its key in the file, e.g. "RADIUS"
  std::vector<double> decoration_data_t::*values;
  double default_value;
};
struct decoration_group_t {
  const char* marker;                                          // the block is "<marker>" … "</marker>"
  std::vector<std::vector<vec3> decoration_data_t::*> points;  // in file order
  std::vector<color_t> decoration_data_t::*colors;
  std::vector<decoration_real_t> reals;  // in file order
  // What the writer puts after the key line's keys (the layout stored
  // files have).
  const char* key_line_end;
  int count(const mol_data_t& rec) const { return static_cast<int>(((*rec.deco).*points[0]).size()); }
};
enum decoration_group_id { DECO_VECTOR, DECO_TRIANGLE, DECO_SPHERE, DECO_SURFACE, DECO_CELL, N_DECORATION_GROUPS };
// In the order the file blocks are tested and written.
extern const std::array<decoration_group_t, N_DECORATION_GROUPS> decoration_groups;
// Resizes every array of group `g` of `rec` to n items, keeping existing ones.
void resize_decorations(mol_data_t& rec, const decoration_group_t& g, int n);

// The open file's geometries and the current indices.
extern std::vector<mol_data_t> mol;
extern mol_data_t* m;                           // the current geometry; null only while no record exists
extern int igeo;                                // current geometry
extern int ivib;                                // current vibrational mode
extern int iorb;                                // current grid
extern std::vector<int64_t> geo_file_position;  // start of each geometry in the native file
extern int should_bonding_be_determined;

int n_geometries();

// Replaces all records by n fresh ones and makes the first current; n ≤ 0
// leaves no record and returns null.
mol_data_t* new_mol(int n);
// Frees every geometry (what was built from them, such as surfaces, is freed
// by whoever built it).
void deallocate_mol_data();
// Makes geometry `igeo` current and tells the atom list.
void get_new_section();
// No geometry, all indices 0.
void reset_molecule_state();
void deallocate_data(mol_data_t& rec);

// Group allocators: resize to an absolute count, keeping existing items.
void allocate_atoms(mol_data_t& rec, int n);
void allocate_bonds(mol_data_t& rec, int n);
void allocate_grids(mol_data_t& rec, int n);
void allocate_vibs(mol_data_t& rec, int n);
void allocate_vectors(mol_data_t& rec, int n);
void allocate_triangles(mol_data_t& rec, int n);
void allocate_spheres(mol_data_t& rec, int n);
void allocate_surfaces(mol_data_t& rec, int n);
void allocate_cells(mol_data_t& rec, int n);
void allocate_textbox(mol_data_t& rec);

// Group deallocators: empty the group; harmless on an empty group.
void deallocate_atoms(mol_data_t& rec);
void deallocate_bonds(mol_data_t& rec);
void deallocate_dipole(mol_data_t& rec);
void deallocate_grids(mol_data_t& rec);
void deallocate_vibrations(mol_data_t& rec);
void deallocate_vectors(mol_data_t& rec);
void deallocate_triangles(mol_data_t& rec);
void deallocate_spheres(mol_data_t& rec);
void deallocate_surfaces(mol_data_t& rec);
void deallocate_cells(mol_data_t& rec);
void deallocate_textboxes(mol_data_t& rec);

// Clears the selection of the current geometry and tells the interface.
void unselect_all();
