// Gaussian basis functions.
//
// A shell's radial part is normalised like x^l·exp(-αr²); its Cartesian
// components x^a·y^b·z^c share it, and a basis function is a fixed
// combination of the components (`transform`): for a Cartesian shell the
// factor its convention gives each component (wavefunction.h: normalised on
// its own, or sharing the factor of x^l, …); for a spherical shell a real
// solid harmonic in Molden's order (m = 0, +1, -1, +2, -2, …), built from
// the closed formula for its Cartesian terms and normalised with the
// components' overlap. A convention may have the source's coefficients
// multiply raw primitives, so that the contraction's weights differ.
//
// The overlap of two primitives is the product of one-dimensional overlaps
// from the Obara–Saika recursion. On a lattice along the axes every
// primitive factorises into x, y and z parts, tabulated once per lattice
// line; a primitive whose x and y parts make it negligible on a row is
// skipped there.
#include "convert/gaussian_basis.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double pi = 3.14159265358979323846;
// A primitive weighs less than this on a whole row: skipped there.
constexpr double negligible = 1e-14;

double double_factorial(int n) {  // n!! for n ≥ -1
  double r = 1;
  for (int k = n; k > 1; k -= 2) r *= k;
  return r;
}

double binomial(int n, int k) {
  if (k < 0 || k > n) return 0;
  double r = 1;
  for (int i = 1; i <= k; ++i) r = r * (n - k + i) / i;
  return r;
}

// Cartesian components in Molden's order.
std::vector<std::array<int, 3>> cartesian_components(int l) {
  switch (l) {
    case 0:
      return {{0, 0, 0}};
    case 1:
      return {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    case 2:
      return {{2, 0, 0}, {0, 2, 0}, {0, 0, 2}, {1, 1, 0}, {1, 0, 1}, {0, 1, 1}};
    case 3:
      return {{3, 0, 0}, {0, 3, 0}, {0, 0, 3}, {1, 2, 0}, {2, 1, 0},
              {2, 0, 1}, {1, 0, 2}, {0, 1, 2}, {0, 2, 1}, {1, 1, 1}};
    default:
      return {{4, 0, 0}, {0, 4, 0}, {0, 0, 4}, {3, 1, 0}, {3, 0, 1}, {1, 3, 0}, {0, 3, 1}, {1, 0, 3},
              {0, 1, 3}, {2, 2, 0}, {2, 0, 2}, {0, 2, 2}, {2, 1, 1}, {1, 2, 1}, {1, 1, 2}};
  }
}

// Overlap of two components sharing the normalisation of x^l.
double component_overlap(const std::array<int, 3>& a, const std::array<int, 3>& b, int l) {
  double r = 1;
  for (int c = 0; c < 3; ++c) {
    const int n = a[c] + b[c];
    if (n % 2) return 0;
    r *= double_factorial(n - 1);
  }
  return r / double_factorial(2 * l - 1);
}

// The real solid harmonic of (l, m) as coefficients of the components.
std::vector<double> solid_harmonic(int l, int m, const std::vector<std::array<int, 3>>& comps) {
  std::vector<double> coef(comps.size(), 0.0);
  const int am = std::abs(m), vm2 = m < 0 ? 1 : 0;
  for (int t = 0; t <= (l - am) / 2; ++t)
    for (int u = 0; u <= t; ++u)
      for (int vv = vm2; vv <= am; vv += 2) {
        const int sign_power = t + (vv - vm2) / 2;
        const double c = (sign_power % 2 ? -1.0 : 1.0) * std::pow(0.25, t) * binomial(l, t) * binomial(l - t, am + t) *
                         binomial(t, u) * binomial(am, vv);
        const std::array<int, 3> power = {2 * t + am - 2 * u - vv, 2 * u + vv, l - 2 * t - am};
        for (size_t k = 0; k < comps.size(); ++k)
          if (comps[k] == power) coef[k] += c;
      }
  double n2 = 0;
  for (size_t a = 0; a < comps.size(); ++a)
    for (size_t b = 0; b < comps.size(); ++b) n2 += coef[a] * coef[b] * component_overlap(comps[a], comps[b], l);
  for (double& c : coef) c /= std::sqrt(n2);
  return coef;
}

// Normalisation of x^l·exp(-αr²).
double primitive_norm(double alpha, int l) {
  return std::pow(2 * alpha / pi, 0.75) * std::pow(4 * alpha, l / 2.0) / std::sqrt(double_factorial(2 * l - 1));
}

// One-dimensional overlaps s[i][j] (i ≤ la, j ≤ lb) of two primitives.
void overlap_1d(int la, int lb, double pa, double pb, double p, double s[5][5]) {
  s[0][0] = std::sqrt(pi / p);
  for (int i = 0; i <= la; ++i)
    for (int j = 0; j <= lb; ++j) {
      if (i == 0 && j == 0) continue;
      if (i > 0) {
        s[i][j] =
            pa * s[i - 1][j] + ((i > 1 ? (i - 1) * s[i - 2][j] : 0) + (j > 0 ? j * s[i - 1][j - 1] : 0)) / (2 * p);
      } else {
        s[i][j] = pb * s[i][j - 1] + (j > 1 ? (j - 1) * s[i][j - 2] : 0) / (2 * p);
      }
    }
}

// Overlaps of the components of two shells (rows: components of a).
std::vector<double> component_block(const basis_shell_t& a, const basis_shell_t& b) {
  const size_t na = a.cartesian.size(), nb = b.cartesian.size();
  std::vector<double> block(na * nb, 0.0);
  const vec3 ab = a.centre - b.centre;
  double sx[5][5], sy[5][5], sz[5][5];
  for (size_t p = 0; p < a.alpha.size(); ++p)
    for (size_t q = 0; q < b.alpha.size(); ++q) {
      const double ap = a.alpha[p], bq = b.alpha[q], sum = ap + bq;
      const double k = std::exp(-ap * bq / sum * dot(ab, ab)) * a.weight[p] * b.weight[q];
      if (std::fabs(k) < 1e-300) continue;
      const vec3 centre = (a.centre * ap + b.centre * bq) / sum;
      const vec3 pa = centre - a.centre, pb = centre - b.centre;
      overlap_1d(a.l, b.l, pa[0], pb[0], sum, sx);
      overlap_1d(a.l, b.l, pa[1], pb[1], sum, sy);
      overlap_1d(a.l, b.l, pa[2], pb[2], sum, sz);
      for (size_t i = 0; i < na; ++i) {
        const auto& u = a.cartesian[i];
        for (size_t j = 0; j < nb; ++j) {
          const auto& v = b.cartesian[j];
          block[i * nb + j] += k * sx[u[0]][v[0]] * sy[u[1]][v[1]] * sz[u[2]][v[2]];
        }
      }
    }
  return block;
}

// The factor of a Cartesian component that shares the normalisation of
// x^l, under each scale.
double component_factor(const std::array<int, 3>& c, int l, cartesian_scale_t scale) {
  switch (scale) {
    case cartesian_scale_t::own:
      return 1 / std::sqrt(component_overlap(c, c, l));
    case cartesian_scale_t::shared:
      return 1.0;
    case cartesian_scale_t::own_dfact:
      return std::sqrt(double_factorial(2 * l - 1)) / std::sqrt(component_overlap(c, c, l));
    case cartesian_scale_t::shared_dfact:
      return std::sqrt(double_factorial(2 * l - 1));
  }
  return 1.0;
}

}  // namespace

basis_t make_basis(const wavefunction_t& wf, const convention_t& convention) {
  basis_t basis;
  for (const wf_shell_t& s : wf.shells) {
    const shell_norm_t& norm = convention.of(s);
    basis_shell_t b;
    b.centre = wf.centres[static_cast<size_t>(s.atom)];
    b.l = s.l;
    b.alpha = s.exponents;
    b.cartesian = cartesian_components(s.l);
    if (!s.spherical && norm.order.size() == b.cartesian.size()) {
      std::vector<std::array<int, 3>> ordered;
      for (int k : norm.order) ordered.push_back(b.cartesian[static_cast<size_t>(k)]);
      b.cartesian = ordered;
    }
    for (size_t p = 0; p < s.exponents.size(); ++p)
      b.weight.push_back(norm.raw_primitives ? s.coefficients[p]
                                             : s.coefficients[p] * primitive_norm(s.exponents[p], s.l));
    // Renormalise the contraction: its x^l component gets norm 1.
    double self = 0;
    for (size_t p = 0; p < b.alpha.size(); ++p)
      for (size_t q = 0; q < b.alpha.size(); ++q) {
        const double sum = b.alpha[p] + b.alpha[q];
        self += b.weight[p] * b.weight[q] * std::pow(pi / sum, 1.5) * double_factorial(2 * s.l - 1) /
                std::pow(2 * sum, s.l);
      }
    if (self > 0)
      for (double& w : b.weight) w /= std::sqrt(self);
    const size_t nc = b.cartesian.size();
    if (s.spherical) {
      b.functions = 2 * s.l + 1;
      for (int k = 0; k < b.functions; ++k) {
        const int mm = k == 0 ? 0 : (k % 2 ? (k + 1) / 2 : -(k / 2));
        std::vector<double> row = solid_harmonic(s.l, mm, b.cartesian);
        if (norm.high_m_negated && std::abs(mm) >= 3)
          for (double& c : row) c = -c;
        b.transform.insert(b.transform.end(), row.begin(), row.end());
      }
    } else {
      b.functions = static_cast<int>(nc);
      b.transform.assign(nc * nc, 0.0);
      for (size_t c = 0; c < nc; ++c) b.transform[c * nc + c] = component_factor(b.cartesian[c], s.l, norm.cartesian);
    }
    b.first = basis.functions;
    basis.functions += b.functions;
    basis.shells.push_back(std::move(b));
  }
  return basis;
}

std::vector<double> overlap_times(const basis_t& basis, const std::vector<double>& c, int columns) {
  const size_t nc = static_cast<size_t>(columns);
  std::vector<double> out(static_cast<size_t>(basis.functions) * nc, 0.0);
  std::vector<double> s;
  for (const basis_shell_t& a : basis.shells)
    for (const basis_shell_t& b : basis.shells) {
      const std::vector<double> comp = component_block(a, b);
      const size_t ka = a.cartesian.size(), kb = b.cartesian.size();
      // Functions of a × functions of b: Ta · comp · Tbᵀ.
      s.assign(static_cast<size_t>(a.functions) * static_cast<size_t>(b.functions), 0.0);
      for (int fa = 0; fa < a.functions; ++fa)
        for (size_t i = 0; i < ka; ++i) {
          const double ta = a.transform[static_cast<size_t>(fa) * ka + i];
          if (ta == 0) continue;
          for (int fb = 0; fb < b.functions; ++fb) {
            double sum = 0;
            for (size_t j = 0; j < kb; ++j) sum += comp[i * kb + j] * b.transform[static_cast<size_t>(fb) * kb + j];
            s[static_cast<size_t>(fa) * static_cast<size_t>(b.functions) + static_cast<size_t>(fb)] += ta * sum;
          }
        }
      for (int fa = 0; fa < a.functions; ++fa)
        for (int fb = 0; fb < b.functions; ++fb) {
          const double v = s[static_cast<size_t>(fa) * static_cast<size_t>(b.functions) + static_cast<size_t>(fb)];
          const double* src = &c[static_cast<size_t>(b.first + fb) * nc];
          double* dst = &out[static_cast<size_t>(a.first + fa) * nc];
          for (size_t k = 0; k < nc; ++k) dst[k] += v * src[k];
        }
    }
  return out;
}

bool lattice_is_axis_aligned(const lattice_t& lat) {
  for (int a = 0; a < 3; ++a)
    for (int c = 0; c < 3; ++c)
      if (a != c && lat.axis[static_cast<size_t>(a)][static_cast<size_t>(c)] != 0) return false;
  return true;
}

BasisOnLattice::BasisOnLattice(const basis_t& basis, const lattice_t& lattice) : basis_(basis), lattice_(lattice) {
  for (const basis_shell_t& s : basis.shells) {
    tables_t t;
    std::vector<double>* e[3] = {&t.ex, &t.ey, &t.ez};
    std::vector<double>* pw[3] = {&t.px, &t.py, &t.pz};
    for (int a = 0; a < 3; ++a) {
      const int n = lattice.net[static_cast<size_t>(a)];
      const double h = lattice.step(a)[static_cast<size_t>(a)];
      const double o = lattice.origin[static_cast<size_t>(a)] - s.centre[static_cast<size_t>(a)];
      for (double alpha : s.alpha)
        for (int i = 0; i < n; ++i) {
          const double d = o + h * i;
          e[a]->push_back(std::exp(-alpha * d * d));
        }
      for (int power = 0; power <= s.l; ++power)
        for (int i = 0; i < n; ++i) pw[a]->push_back(std::pow(o + h * i, power));
    }
    tables_.push_back(std::move(t));
  }
}

void BasisOnLattice::rows(long long first, long long count, double* out, long long stride) const {
  const size_t n1 = static_cast<size_t>(lattice_.net[0]), n2 = static_cast<size_t>(lattice_.net[1]);
  const size_t n3 = static_cast<size_t>(lattice_.net[2]);
  std::vector<double> radial(n3), comp;
  for (long long r = 0; r < count; ++r) {
    const size_t row = static_cast<size_t>(first + r), i = row / n2, j = row % n2;
    const size_t column = static_cast<size_t>(r) * n3;
    for (size_t si = 0; si < basis_.shells.size(); ++si) {
      const basis_shell_t& s = basis_.shells[si];
      const tables_t& t = tables_[si];
      std::fill(radial.begin(), radial.end(), 0.0);
      bool any = false;
      for (size_t p = 0; p < s.alpha.size(); ++p) {
        const double w = s.weight[p] * t.ex[p * n1 + i] * t.ey[p * n2 + j];
        if (std::fabs(w) < negligible) continue;
        any = true;
        const double* ez = &t.ez[p * n3];
        for (size_t k = 0; k < n3; ++k) radial[k] += w * ez[k];
      }
      if (!any) continue;
      const size_t nc = s.cartesian.size();
      comp.assign(nc * n3, 0.0);
      for (size_t c = 0; c < nc; ++c) {
        const auto& pw = s.cartesian[c];
        const double f = t.px[static_cast<size_t>(pw[0]) * n1 + i] * t.py[static_cast<size_t>(pw[1]) * n2 + j];
        const double* pz = &t.pz[static_cast<size_t>(pw[2]) * n3];
        double* dst = &comp[c * n3];
        for (size_t k = 0; k < n3; ++k) dst[k] = f * radial[k] * pz[k];
      }
      for (int fn = 0; fn < s.functions; ++fn) {
        double* dst = out + static_cast<long long>(s.first + fn) * stride + static_cast<long long>(column);
        for (size_t c = 0; c < nc; ++c) {
          const double tc = s.transform[static_cast<size_t>(fn) * nc + c];
          if (tc == 0) continue;
          const double* src = &comp[c * n3];
          for (size_t k = 0; k < n3; ++k) dst[k] += tc * src[k];
        }
      }
    }
  }
}
