// Whether orbitals are orthonormal in their basis, CᵀSC = 1 with S from
// analytic overlap integrals, and the convention of the source under which
// they are closest to it.
#pragma once

#include <string>
#include <vector>

#include "convert/gaussian_basis.h"
#include "convert/wavefunction.h"

// Largest deviation of CᵀSC from the unit matrix over the orbitals of each
// spin among `mos` (indices into wf.orbitals), whose coefficients are the
// rows of `rows` (orbital × basis function).
double orthonormality_error(const basis_t& basis, const wavefunction_t& wf, const std::vector<int>& mos,
                            const std::vector<double>& rows);

struct convention_fit_t {
  std::string name;  // the convention's
  double error = 0;  // orthonormality_error under it
  basis_t basis;     // the basis as it normalises the shells
};
// The convention of wf.conventions with the smallest error (the Molden
// standard when it names none), tried in order until one fits within 1e-6;
// of conventions that treat every shell of the wavefunction alike only the
// first is tried, so that it is the one named.
convention_fit_t best_convention(const wavefunction_t& wf, const std::vector<int>& mos,
                                 const std::vector<double>& rows);
