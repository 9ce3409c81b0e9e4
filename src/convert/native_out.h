// What the converters write: plain records of geometries (atoms, charges,
// bonds, energy, vibrational modes) and of grids on one lattice, and the
// writer that puts them into a native file, grid values and embedded
// orbital file included.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "molecule/types.h"

// 1 bohr in ångström.
constexpr double conv_bohr = 0.52917721067;

struct out_atom_t {
  std::string symbol;
  vec3 xyz{};  // ångström
};

struct out_bond_t {
  int a1 = 0, a2 = 0;  // atom indices from 0
  int type = 1;        // bond type code of the native format
};

struct out_mode_t {
  double freq = 0;
  std::optional<double> ir;  // IR intensity
  std::vector<vec3> displacement;
};

// A regular lattice in bohr: point (i, j, k) lies at origin + i·step[0] +
// j·step[1] + k·step[2]; k runs fastest in every list of values.
struct lattice_t {
  std::array<int, 3> net{};
  vec3 origin{};
  std::array<vec3, 3> step{};
  long long points() const { return 1LL * net[0] * net[1] * net[2]; }
  vec3 at(int i, int j, int k) const { return origin + step[0] * i + step[1] * j + step[2] * k; }
};

// One grid of a grid section: an orbital (with its description) or a named
// grid such as "Density" or "Electrostatic potential".
struct out_grid_t {
  std::string name;
  bool orbital = false;
  int sym = 1, index = 0;
  double energy = 0, occ = 0;
};

// The grids of one geometry. `write_values` streams the values of every grid
// in grid order (points in lattice order, 8-byte doubles in the machine's
// byte order), exactly grids.size() × points of them; it returns false with
// `error` set when it can't.
struct out_grid_set_t {
  lattice_t lattice;
  std::vector<out_grid_t> grids;
  int n_mo = 0;
  // Orbitals per symmetry in the embedded orbital file (all "u"); empty
  // when there is no orbital file.
  std::vector<int> orbitals_per_symmetry;
  std::string orbital_file_info;  // the "#INFO" comment, one line
  std::function<bool(FILE*, std::string& error)> write_values;
};

struct out_geometry_t {
  std::string comment;
  std::vector<out_atom_t> atoms;
  std::vector<double> charges;  // empty, or one per atom
  std::vector<out_bond_t> bonds;
  bool bonds_given = false;  // true: no automatic bonding, even without bonds
  std::optional<double> energy;
  std::optional<double> rms_grad;  // root mean square of the gradient's components
  std::vector<out_mode_t> modes;
  std::optional<std::string> message;  // shown in the status bar on opening
  const out_grid_set_t* grids = nullptr;
};

// Appends printf-style text to `out`, however long it turns out.
void appendf(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Writes the geometries to `path` through a temporary file in the same
// directory; false with `error` set (and `path` untouched) when it can't.
bool write_native(const std::string& path, const std::vector<out_geometry_t>& geometries, std::string& error);

// The text of one geometry without its grid section (for tests).
std::string native_section_text(const out_geometry_t& g);
