// A wavefunction in a basis of contracted Gaussians, as any source of
// orbitals gives it: the atoms, the shells, the orbitals of each spin, and
// the conventions under which the source may have normalised its shells.
// The grid pipeline (wavefunction_grids.h) puts it on lattices.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "formats/orbital_file.h"
#include "molecule/elements.h"
#include "molecule/mol_data.h"

// One contracted shell as written: angular momentum l (0 … 4), whether it
// is spherical, exponents and contraction coefficients.
struct wf_shell_t {
  int atom = 0;  // index into the atoms, from 0
  int l = 0;
  bool spherical = false;
  std::vector<double> exponents, coefficients;
  int functions() const { return spherical ? 2 * l + 1 : (l + 1) * (l + 2) / 2; }
};

// The factor of each Cartesian component x^a·y^b·z^c of a shell. The
// standard normalises every component on its own; `shared` gives all the
// factor of x^l (xy, xz, yz normalised like xx); the `_dfact` forms are
// those times √((2l-1)!!).
enum class cartesian_scale_t { own, shared, own_dfact, shared_dfact };

// How a source normalises one kind of shell, against the standard:
// coefficients of normalised primitives (the contraction is normalised in
// any case), components scaled as above, real solid harmonics in the order
// m = 0, +1, -1, +2, -2, … with their usual signs, Cartesian components in
// Molden's order.
struct shell_norm_t {
  bool raw_primitives = false;  // the coefficients multiply x^l·exp(-αr²) as it is
  cartesian_scale_t cartesian = cartesian_scale_t::own;
  bool high_m_negated = false;  // spherical functions of |m| ≥ 3 with the opposite sign
  // The Cartesian components in the source's order, as indices into
  // Molden's order; empty: Molden's order.
  std::vector<int> order;
  bool operator==(const shell_norm_t& o) const {
    return raw_primitives == o.raw_primitives && cartesian == o.cartesian && high_m_negated == o.high_m_negated &&
           order == o.order;
  }
};

// A source's normalisation of every kind of shell, by angular momentum.
struct convention_t {
  std::string name;  // as the status message names it
  std::array<shell_norm_t, 5> cartesian{}, spherical{};
  const shell_norm_t& of(const wf_shell_t& s) const {
    return (s.spherical ? spherical : cartesian)[static_cast<size_t>(s.l)];
  }
};

struct wf_orbital_t {
  std::string irrep;  // its symmetry label; "a" when the source gives none
  int index = 0;      // within its irrep and spin, from 1; 0: numbered by energy
  bool beta = false;
  double energy = 0, occ = 0;
  char type = 'u';  // the orbital file's type letter
  // The coefficients: (basis function from 0, value) pairs, or one value
  // per basis function.
  std::vector<std::pair<int, double>> sparse;
  std::vector<double> dense;
};

// Largest basis the converters take.
constexpr int max_basis_functions = 20000;

struct wavefunction_t {
  mol_data_t atoms;             // the geometry shown
  std::vector<vec3> centres;    // the atoms' positions in bohr
  std::vector<int> numbers;     // the atoms' atomic numbers (0: a dummy centre)
  std::vector<double> charges;  // their nuclear charges: Z, Z less the core electrons, or 0 (ghost)
  std::vector<wf_shell_t> shells;
  std::vector<wf_orbital_t> orbitals;
  // The source's irreps in its order, all of them, even those without
  // orbitals; empty: the orbitals' labels in order of first appearance.
  std::vector<std::string> irreps;
  // The source's own orbital file, to be embedded with the types of its
  // orbitals (the letters of each irrep, in the irreps' order); none: a new
  // one is made.
  std::optional<orbital_file_t> orbital_file;
  // The conventions the shells may be normalised in, the likeliest first;
  // the orthonormality of the orbitals decides between them.
  std::vector<convention_t> conventions;
  int basis_functions() const;
};

// Adds an atom of atomic number z at `angstrom` (the same point as `bohr`)
// with nuclear charge `charge` (`atoms` appends to wf.atoms). A ghost atom (charge 0, z > 0: basis
// functions without a nucleus) is shown as a dummy atom, "Q", which is
// never bonded, named after its element ("H ghost").
void add_wavefunction_atom(wavefunction_t& wf, atom_appender& atoms, int z, double charge, const vec3& angstrom,
                           const vec3& bohr);
// What the atoms' charges mean for the density, for the status message:
// the ghost atoms, and the core electrons that effective core potentials
// take out of it. Empty when there are neither.
std::vector<std::string> atom_charge_notes(const wavefunction_t& wf);

// The Molden standard.
convention_t standard_convention(const std::string& name);

// An orbital that holds electrons; a wavefunction with beta orbitals.
bool occupied(const wf_orbital_t& mo);
bool open_shell(const wavefunction_t& wf);
