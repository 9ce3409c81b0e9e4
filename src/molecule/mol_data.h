// The molecule records: one `mol_data_t` per geometry of the open file, held
// in the global array `mol`, with `m` the geometry shown and edited.
//
// Every per-item array is a vector; the counts (`natom()`, `nbond()`, …) are
// the sizes of those vectors, so a count can never drift from what it counts.
// Parallel arrays of one group are resized together by that group's allocator.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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

struct mol_data_t {
  int flags = 0;

  // Atoms.
  std::vector<vec3> xyz;
  std::vector<element_t> elem;  // per-atom element copy; its name is the symbol as read
  std::vector<double> charge_m;
  std::vector<double> charge_l;
  std::vector<int> atom_number;
  std::vector<int> atom_symmetry;
  std::vector<std::optional<std::string>> atom_name;
  // Label images: empty until they are first made, then one set per atom.
  std::vector<std::array<stxt_t, N_ATOM_LABELS>> atom_labels;
  unsigned char editable = 1;

  // Selection (in order of picking) and marks.
  int n_selected = 0;
  std::array<int, 4> selected{{-1, -1, -1, -1}};
  std::vector<int> marked;

  std::vector<bond_t> bond;
  vec3 dipole{};

  // Grids: per-grid descriptions.
  std::vector<int> grid_kind;
  std::vector<double> orb_energy;
  std::vector<double> orb_occ;
  std::vector<int> orb_sym;
  std::vector<int> orb_index;
  std::vector<int> orb_type;
  std::vector<int> orb_type_changed;
  std::vector<std::optional<std::string>> grid_name;
  int64_t grid_data_start = 0;
  int64_t grid_data_size = 0;

  double energy = 0, rms_grad = 0, max_grad = 0;

  // Vibrational modes: one displacement block of natom points per mode.
  std::vector<double> freq;
  std::vector<double> ir_intensity;
  std::vector<double> raman_intensity;
  std::vector<std::vector<vec3>> normal_mode;

  // Decorations.
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

  // Grid geometry and the values of the current grid.
  int n_grid_header = 0;
  int n_mo = 0;
  int n_points = 0;
  std::array<int, 3> net{};
  int block_size = 0;
  int n_blocks = 0;
  int is_cutoff = 0;
  double cutoff = 0;
  int n_p = 0;
  std::vector<int> cutoff_mask;
  std::vector<int64_t> block_offset;
  vec3 origin{};
  std::array<vec3, 3> axis{};
  std::array<int, 7> index_counts{};
  double grid_min = 0, grid_max = 0;
  double iso_value = 0;
  std::array<double, 21> iso_levels{};
  std::vector<double> grid_values;
  std::vector<double> epot_values;  // empty: no potential grid loaded

  int natom() const { return static_cast<int>(xyz.size()); }
  int nbond() const { return static_cast<int>(bond.size()); }
  int ngrid() const { return static_cast<int>(grid_kind.size()); }
  int nvibr() const { return static_cast<int>(freq.size()); }
  int nvector() const { return static_cast<int>(vector_start.size()); }
  int ntriangle() const { return static_cast<int>(triangle1.size()); }
  int nsphere() const { return static_cast<int>(sphere_center.size()); }
  int nsurf() const { return static_cast<int>(surf1.size()); }
  int ncell() const { return static_cast<int>(cell1.size()); }
  int ntextbox() const { return static_cast<int>(textbox.size()); }
  int n_marked() const { return static_cast<int>(marked.size()); }
};

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
  std::vector<double> mol_data_t::*values;
  double default_value;
};
struct decoration_group_t {
  const char* marker;                                   // the block is "<marker>" … "</marker>"
  std::vector<std::vector<vec3> mol_data_t::*> points;  // in file order
  std::vector<color_t> mol_data_t::*colors;
  std::vector<decoration_real_t> reals;  // in file order
  // What the writer puts after the key line's keys (the layout stored
  // files have).
  const char* key_line_end;
  int count(const mol_data_t& rec) const { return static_cast<int>((rec.*points[0]).size()); }
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
