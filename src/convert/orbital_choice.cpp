// Which orbitals of a wavefunction go on grids and how the orbital list
// numbers them, and the lattice they are evaluated on.
#include "convert/orbital_choice.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <map>

#include "convert/cube.h"
#include "convert/gaussian_basis.h"
#include "formats/safe_file.h"

namespace {

constexpr long long max_points = 1LL << 27;

// Orbitals of one spin (or all) in order of energy.
std::vector<int> by_energy(const wavefunction_t& wf, bool beta) {
  std::vector<int> out;
  for (size_t k = 0; k < wf.orbitals.size(); ++k)
    if (wf.orbitals[k].beta == beta) out.push_back(static_cast<int>(k));
  std::stable_sort(out.begin(), out.end(), [&](int a, int b) {
    return wf.orbitals[static_cast<size_t>(a)].energy < wf.orbitals[static_cast<size_t>(b)].energy;
  });
  return out;
}

// The shift (at most half a step) of a lattice whose planes along axis a lie
// at `origin` + i·h that puts the nuclei, weighted, a quarter step from the
// planes on average. Summed over a lattice, a Gaussian centred at x0 picks
// up an aliasing error proportional to cos(2π·(x0 - origin)/h), large for
// core functions at usual spacings; with Σ w·cos(2π·(x - origin)/h) = 0 the
// weighted first-order errors of the nuclei cancel, and a density sums to
// its electrons far more closely.
double lattice_phase(const std::vector<vec3>& centres, const std::vector<double>& weights, size_t a, double origin,
                     double h) {
  const double pi = 3.14159265358979323846;
  double re = 0, im = 0;
  for (size_t k = 0; k < centres.size() && k < weights.size(); ++k) {
    re += weights[k] * std::cos(2 * pi * centres[k][a] / h);
    im += weights[k] * std::sin(2 * pi * centres[k][a] / h);
  }
  if (re == 0 && im == 0) return 0;
  // Planes at o turn the sum by -2π·o/h: it is imaginary for
  // o = h·(arg S + π/2)/(2π), up to whole steps.
  const double target = h * (std::atan2(im, re) + pi / 2) / (2 * pi);
  return target - origin - h * std::round((target - origin) / h);
}

}  // namespace

bool choose_lattice(const std::vector<vec3>& centres, const std::vector<double>& weights, const grid_options_t& o,
                    lattice_t& lattice, std::string& error) {
  if (o.like) {
    file_ptr f = open_file_ptr(*o.like, "rb");
    cube_header_t h;
    if (!f) {
      error = "can't open " + *o.like;
      return false;
    }
    if (!read_cube_header(f.get(), h, error)) {
      error = *o.like + ": " + error;
      return false;
    }
    if (!lattice_is_axis_aligned(h.lattice)) {
      error = *o.like + ": only lattices along the coordinate axes can be taken";
      return false;
    }
    lattice = h.lattice;
    return true;
  }
  vec3 low = centres.empty() ? vec3{} : centres[0], high = low;
  for (const vec3& c : centres)
    for (size_t a = 0; a < 3; ++a) {
      low[a] = std::min(low[a], c[a]);
      high[a] = std::max(high[a], c[a]);
    }
  const vec3 edge = high - low + vec3{2 * o.margin, 2 * o.margin, 2 * o.margin};
  const double longest = std::max({edge[0], edge[1], edge[2]});
  const double h = o.net ? longest / (*o.net - 1) : o.spacing;
  if (!(h > 0) || !std::isfinite(longest)) {
    error = "the molecule and margin give no box";
    return false;
  }
  long long points = 1;
  std::array<int, 3> net{};
  vec3 origin{};
  std::array<vec3, 3> steps{};
  for (size_t a = 0; a < 3; ++a) {
    const double n = std::ceil(edge[a] / h - 1e-9) + 1;
    if (n > max_points) {
      error = "a lattice of that spacing is too large";
      return false;
    }
    net[a] = static_cast<int>(n);
    points *= net[a];
    if (points > max_points) {
      error = "the lattice would have more than " + std::to_string(max_points) +
              " points; choose a larger --spacing or a smaller --net";
      return false;
    }
    origin[a] = (low[a] + high[a]) / 2 - h * (net[a] - 1) / 2;
    origin[a] += lattice_phase(centres, weights, a, origin[a], h);
    steps[a][a] = h;
  }
  lattice = lattice_t::from_steps(net, origin, steps);
  return true;
}

std::vector<chosen_orbital_t> number_orbitals(const wavefunction_t& wf, std::vector<int>& per_symmetry,
                                              std::vector<std::string>& labels) {
  std::vector<std::string> irreps = wf.irreps;
  for (const wf_orbital_t& mo : wf.orbitals)
    if (std::find(irreps.begin(), irreps.end(), mo.irrep) == irreps.end()) irreps.push_back(mo.irrep);
  const int n = static_cast<int>(irreps.size());
  const bool beta = open_shell(wf);
  std::vector<chosen_orbital_t> out(wf.orbitals.size());
  for (size_t k = 0; k < wf.orbitals.size(); ++k) {
    const wf_orbital_t& mo = wf.orbitals[k];
    const int irrep = static_cast<int>(std::find(irreps.begin(), irreps.end(), mo.irrep) - irreps.begin());
    out[k].mo = static_cast<int>(k);
    out[k].sym = irrep + 1 + (mo.beta ? n : 0);
  }
  // The orbitals' own indices, when every orbital has one and no two clash.
  std::map<std::pair<int, int>, int> seen;
  bool own = true;
  for (size_t k = 0; k < wf.orbitals.size() && own; ++k)
    own = wf.orbitals[k].index > 0 && seen.emplace(std::make_pair(out[k].sym, wf.orbitals[k].index), 1).second;
  per_symmetry.assign(static_cast<size_t>(beta ? 2 * n : n), 0);
  for (bool spin : {false, true})
    for (int k : by_energy(wf, spin)) {
      chosen_orbital_t& c = out[static_cast<size_t>(k)];
      int& count = per_symmetry[static_cast<size_t>(c.sym - 1)];
      c.index = own ? wf.orbitals[static_cast<size_t>(k)].index : count + 1;
      count = std::max(count, c.index);
    }
  labels.clear();
  for (int spin = 0; spin < (beta ? 2 : 1); ++spin)
    for (const std::string& irrep : irreps) labels.push_back(irrep + (beta ? (spin ? " beta" : " alpha") : ""));
  return out;
}

std::vector<int> select_orbitals(const wavefunction_t& wf, bool all) {
  std::vector<int> out;
  for (bool beta : {false, true}) {
    const std::vector<int> order = by_energy(wf, beta);
    if (order.empty()) continue;
    long long homo = -1;
    for (size_t k = 0; k < order.size(); ++k)
      if (occupied(wf.orbitals[static_cast<size_t>(order[k])])) homo = static_cast<long long>(k);
    const long long first = all ? 0 : std::max(0LL, homo - 10);
    const long long last =
        all ? static_cast<long long>(order.size()) - 1 : std::min(static_cast<long long>(order.size()) - 1, homo + 11);
    for (long long k = first; k <= last; ++k) out.push_back(order[static_cast<size_t>(k)]);
  }
  return out;
}
