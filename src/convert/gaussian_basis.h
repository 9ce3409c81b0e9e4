// Contracted Gaussian basis functions: normalisation, the spherical
// functions as combinations of Cartesian ones, analytic overlap integrals
// and the values of every function on the points of a lattice.
#pragma once

#include <vector>

#include "convert/wavefunction.h"
#include "molecule/lattice.h"

struct basis_shell_t {
  vec3 centre{};  // bohr
  int l = 0;
  std::vector<double> alpha;
  // Contraction coefficient × normalisation of x^l·exp(-αr²) × the factor
  // that makes the contraction normalised.
  std::vector<double> weight;
  std::vector<std::array<int, 3>> cartesian;  // powers of x, y, z, in the source's order
  std::vector<double> transform;              // functions × Cartesian components, row-major
  int functions = 0;
  int first = 0;  // index of the first function
};

struct basis_t {
  std::vector<basis_shell_t> shells;
  int functions = 0;
};

// The basis of the shells of `wf` as `convention` normalises them.
basis_t make_basis(const wavefunction_t& wf, const convention_t& convention);

// S·C for the columns of C (functions × columns, row-major): the overlap
// matrix is built shell pair by shell pair and never held whole.
std::vector<double> overlap_times(const basis_t& basis, const std::vector<double>& c, int columns);

// Values of every basis function on the points of an axis-aligned lattice,
// a run of lattice rows (i, j) at a time, each row all its points along the
// third axis.
class BasisOnLattice {
 public:
  BasisOnLattice(const basis_t& basis, const lattice_t& lattice);
  // Writes the values for rows first … first+count-1 (row r is i = r / n2,
  // j = r % n2) into `out`: function μ, point q of the run at
  // out[μ·stride + q]. `out` must be zero where it is written.
  void rows(long long first, long long count, double* out, long long stride) const;

 private:
  struct tables_t {
    std::vector<double> ex, ey, ez;  // per primitive, per lattice index
    std::vector<double> px, py, pz;  // powers 0 … l of the offsets, per lattice index
  };
  const basis_t& basis_;
  lattice_t lattice_;
  std::vector<tables_t> tables_;  // per shell
};

// True when the lattice's steps lie along x, y and z, as the evaluation
// needs.
bool lattice_is_axis_aligned(const lattice_t& lattice);
