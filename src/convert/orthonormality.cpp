#include "convert/orthonormality.h"

#include <algorithm>
#include <cmath>

double orthonormality_error(const basis_t& basis, const wavefunction_t& wf, const std::vector<int>& mos,
                            const std::vector<double>& rows) {
  double worst = 0;
  const size_t nbf = static_cast<size_t>(basis.functions);
  for (bool beta : {false, true}) {
    std::vector<size_t> pick;
    for (size_t r = 0; r < mos.size(); ++r)
      if (wf.orbitals[static_cast<size_t>(mos[r])].beta == beta) pick.push_back(r);
    if (pick.empty()) continue;
    const size_t n = pick.size();
    std::vector<double> c(nbf * n);  // functions × orbitals
    for (size_t k = 0; k < n; ++k)
      for (size_t f = 0; f < nbf; ++f) c[f * n + k] = rows[pick[k] * nbf + f];
    const std::vector<double> sc = overlap_times(basis, c, static_cast<int>(n));
    for (size_t a = 0; a < n; ++a)
      for (size_t b = 0; b < n; ++b) {
        double v = 0;
        for (size_t f = 0; f < nbf; ++f) v += c[f * n + a] * sc[f * n + b];
        worst = std::max(worst, std::fabs(v - (a == b ? 1.0 : 0.0)));
      }
  }
  return worst;
}

namespace {

// A convention under which the orbitals are orthonormal this closely ends
// the search: another can fit better only by functions that carry less
// than this of any orbital, which no grid would show.
constexpr double decisive_fit = 1e-6;

// Whether two conventions normalise every shell of `wf` alike.
bool alike_for(const wavefunction_t& wf, const convention_t& a, const convention_t& b) {
  return std::all_of(wf.shells.begin(), wf.shells.end(), [&](const wf_shell_t& s) { return a.of(s) == b.of(s); });
}

}  // namespace

convention_fit_t best_convention(const wavefunction_t& wf, const std::vector<int>& mos,
                                 const std::vector<double>& rows) {
  convention_fit_t best;
  best.error = INFINITY;
  const std::vector<convention_t> all =
      wf.conventions.empty() ? std::vector<convention_t>{standard_convention("the Molden standard")} : wf.conventions;
  for (size_t k = 0; k < all.size(); ++k) {
    bool tried = false;
    for (size_t j = 0; j < k && !tried; ++j) tried = alike_for(wf, all[j], all[k]);
    if (tried) continue;
    basis_t basis = make_basis(wf, all[k]);
    const double error = orthonormality_error(basis, wf, mos, rows);
    if (error < best.error || k == 0) {
      best.name = all[k].name;
      best.error = error;
      best.basis = std::move(basis);
    }
    if (best.error <= decisive_fit) break;
  }
  return best;
}
