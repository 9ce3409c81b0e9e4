// Molden to native.
//
// Geometries: the [Atoms] geometry first, with its grids and (when the atom
// counts agree) the vibrational modes; a [FR-COORD] geometry of its own
// when they don't; then one geometry per optimisation step.
//
// Grids: the total density (and the spin density of an open-shell file),
// then the chosen orbitals of each spin in order of energy. The lattice is
// walked in runs of whole rows: the basis functions are evaluated on a run
// (rows split between threads), one matrix product with the coefficients
// of every orbital needed gives the orbitals there, the densities are summed
// from them, and each grid's stretch is written at its place in the file.
//
// Cartesian d, f and g functions are normalised in two ways by the programs
// that write Molden files. The orbitals of each spin must be orthonormal,
// CᵀSC = 1, with S from analytic overlap integrals: the normalisation under
// which that holds is used, and a file under which it holds for neither
// (a basis that does not belong to its coefficients) gets a warning.
#include "convert/molden_grids.h"

#include <cblas.h>
#include <sys/types.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <map>
#include <thread>

#include "convert/gaussian_basis.h"
#include "convert/text_lines.h"
#include "formats/element_numbers.h"
#include "formats/native_writer.h"
#include "formats/safe_file.h"

namespace {

// Largest deviation of CᵀSC from 1 that still counts as orthonormal: files
// carry six to seventeen digits.
constexpr double orthonormal_tolerance = 1e-3;
// Values of the basis held at once.
constexpr long long run_values = 1LL << 22;

}  // namespace

namespace {

// The coefficients of the orbitals `mos` as a matrix of rows (orbital ×
// basis function).
std::vector<double> coefficient_rows(const molden_t& m, const std::vector<int>& mos, int nbf) {
  std::vector<double> c(mos.size() * static_cast<size_t>(nbf), 0.0);
  for (size_t r = 0; r < mos.size(); ++r)
    for (const auto& [f, v] : m.mos[static_cast<size_t>(mos[r])].coefficients)
      c[r * static_cast<size_t>(nbf) + static_cast<size_t>(f)] = v;
  return c;
}

// Largest deviation of CᵀSC from the unit matrix over the orbitals of each
// spin among `mos` (rows of `c`).
double orthonormality_error(const basis_t& basis, const molden_t& m, const std::vector<int>& mos,
                            const std::vector<double>& rows) {
  double worst = 0;
  const size_t nbf = static_cast<size_t>(basis.functions);
  for (bool beta : {false, true}) {
    std::vector<size_t> pick;
    for (size_t r = 0; r < mos.size(); ++r)
      if (m.mos[static_cast<size_t>(mos[r])].beta == beta) pick.push_back(r);
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

struct grid_plan_t {
  std::vector<int> eval;     // orbitals evaluated (rows of the product)
  std::vector<double> rows;  // their coefficients
  int total_density = -1;    // grid numbers, or -1
  int spin_density = -1;
  std::vector<std::pair<int, int>> orbital_grids;  // (grid, row of eval)
};

bool write_grid_values(const basis_t& basis, const lattice_t& lattice, const molden_t& m, const grid_plan_t& plan,
                       size_t grids, FILE* out, std::string& error) {
  const off_t start = ftello(out);
  const long long n3 = lattice.net[2], nrows = 1LL * lattice.net[0] * lattice.net[1];
  const long long points = lattice.points();
  const int nbf = basis.functions;
  const int neval = static_cast<int>(plan.eval.size());
  const long long run_rows = std::max(1LL, std::min(nrows, run_values / std::max(1LL, 1LL * nbf * n3)));
  const BasisOnLattice values(basis, lattice);
  const unsigned threads = std::max(1u, std::min(std::thread::hardware_concurrency(), 8u));
  std::vector<double> a, v, grid;
  for (long long row = 0; row < nrows; row += run_rows) {
    const long long count = std::min(run_rows, nrows - row), npts = count * n3;
    a.assign(static_cast<size_t>(nbf) * static_cast<size_t>(npts), 0.0);
    std::vector<std::thread> workers;
    for (unsigned t = 1; t < threads && count > 1; ++t) {
      const long long from = count * t / threads, to = count * (t + 1) / threads;
      workers.emplace_back([&, from, to] { values.rows(row + from, to - from, a.data() + from * n3, npts); });
    }
    values.rows(row, workers.empty() ? count : count / threads, a.data(), npts);
    for (std::thread& w : workers) w.join();
    v.assign(static_cast<size_t>(neval) * static_cast<size_t>(npts), 0.0);
    if (neval > 0)
      cblas_dgemm(CblasRowMajor, CblasNoTrans, CblasNoTrans, neval, static_cast<int>(npts), nbf, 1.0, plan.rows.data(),
                  nbf, a.data(), static_cast<int>(npts), 0.0, v.data(), static_cast<int>(npts));
    auto put = [&](int g, const double* data) {
      const off_t at = start + static_cast<off_t>(8 * (g * points + row * n3));
      return fseeko(out, at, SEEK_SET) == 0 &&
             std::fwrite(data, sizeof(double), static_cast<size_t>(npts), out) == static_cast<size_t>(npts);
    };
    for (int density : {plan.total_density, plan.spin_density}) {
      if (density < 0) continue;
      grid.assign(static_cast<size_t>(npts), 0.0);
      for (int r = 0; r < neval; ++r) {
        const molden_mo_t& mo = m.mos[static_cast<size_t>(plan.eval[static_cast<size_t>(r)])];
        if (!occupied(mo)) continue;
        const double w = density == plan.spin_density && mo.beta ? -mo.occ : mo.occ;
        const double* vr = &v[static_cast<size_t>(r) * static_cast<size_t>(npts)];
        for (long long q = 0; q < npts; ++q) grid[static_cast<size_t>(q)] += w * vr[q] * vr[q];
      }
      if (!put(density, grid.data())) break;
    }
    for (const auto& [g, r] : plan.orbital_grids)
      if (!put(g, &v[static_cast<size_t>(r) * static_cast<size_t>(npts)])) break;
    if (std::ferror(out)) {
      error = "can't write the native file (disk full?)";
      return false;
    }
  }
  return fseeko(out, start + static_cast<off_t>(8 * static_cast<long long>(grids) * points), SEEK_SET) == 0;
}

}  // namespace

bool convert_molden(const std::string& path, const molden_options_t& o, const std::string& target, std::string& error) {
  std::string text;
  molden_t m;
  if (!read_whole_file(path, text, error)) return false;
  if (!parse_molden(text, m, error)) return false;
  text.clear();
  text.shrink_to_fit();
  const std::string comment = "converted from " + path + " by mivor-convert";
  const bool has_atoms = m.atoms.natom() > 0;
  std::vector<geometry_section_t> geometries;
  if (has_atoms) {
    geometries.emplace_back();
    geometries.back().rec = m.atoms;
  }
  if (!m.modes.freq.empty()) {
    if (geometries.empty() || geometries[0].rec.natom() != m.fr_atoms.natom()) {
      geometries.emplace_back();
      geometries.back().rec = m.fr_atoms;
    }
    mol_data_t& rec = geometries.back().rec;
    rec.vib.edit() = m.modes;
    if (m.ir) rec.flags |= FLAG_IR;
  }
  for (geometry_section_t& step : m.steps) geometries.push_back(std::move(step));
  for (geometry_section_t& g : geometries) g.comment = comment;

  lattice_t lattice;
  grid_output_t output;
  grid_plan_t plan;
  basis_t basis;
  std::vector<std::string> notes;
  if (has_atoms && !m.mos.empty()) {
    mol_data_t& rec = geometries[0].rec;
    std::vector<double> weights;
    for (int i = 0; i < m.atoms.natom(); ++i)
      weights.push_back(std::pow(std::max(1, number_of_symbol(atom_element(m.atoms, i).name)), 2));
    if (!choose_lattice(m.centres, weights, o, lattice, error)) return false;
    std::vector<std::string> labels;
    std::vector<int> per_symmetry;
    const std::vector<chosen_orbital_t> numbers = number_orbitals(m, per_symmetry, labels);
    const std::vector<int> chosen = o.density_only ? std::vector<int>() : select_orbitals(m, o.all);
    const bool beta = open_shell(m);
    // Every orbital needed: the chosen ones, and the occupied ones for the
    // densities.
    plan.eval = chosen;
    for (size_t k = 0; k < m.mos.size(); ++k)
      if (occupied(m.mos[k]) && std::find(chosen.begin(), chosen.end(), static_cast<int>(k)) == chosen.end())
        plan.eval.push_back(static_cast<int>(k));
    const int nbf = m.basis_functions();
    if (static_cast<double>(plan.eval.size()) * nbf > 1.5e8) {
      error = std::to_string(plan.eval.size()) + " orbitals of " + std::to_string(nbf) +
              " basis functions are too many for one grid file";
      return false;
    }
    plan.rows = coefficient_rows(m, plan.eval, nbf);
    // The normalisation of Cartesian functions under which the orbitals
    // are orthonormal.
    basis = make_basis(m, cartesian_norm_t::own);
    double err = orthonormality_error(basis, m, plan.eval, plan.rows);
    const bool ambiguous =
        std::any_of(m.shells.begin(), m.shells.end(), [](const shell_t& s) { return !s.spherical && s.l >= 2; });
    if (ambiguous && err > orthonormal_tolerance) {
      basis_t shared = make_basis(m, cartesian_norm_t::shared);
      const double err_shared = orthonormality_error(shared, m, plan.eval, plan.rows);
      if (err_shared < err) {
        basis = std::move(shared);
        err = err_shared;
      }
    }
    if (err > orthonormal_tolerance) {
      char line[200];
      std::snprintf(line, sizeof line,
                    "WARNING: the orbitals are not orthonormal in their basis (largest error %.2g): the basis and "
                    "the coefficients may not belong together",
                    err);
      notes.push_back(line);
      std::fprintf(stderr, "%s: %s\n", path.c_str(), line);
    }
    set_grid_lattice(rec, lattice);
    if (std::any_of(m.mos.begin(), m.mos.end(), occupied)) {
      plan.total_density = 0;
      add_named_grid(rec, "Density");
      if (beta) {
        plan.spin_density = 1;
        add_named_grid(rec, "Spin density");
      }
    }
    for (size_t r = 0; r < chosen.size(); ++r) {
      const chosen_orbital_t& c = numbers[static_cast<size_t>(chosen[r])];
      const molden_mo_t& mo = m.mos[static_cast<size_t>(chosen[r])];
      plan.orbital_grids.emplace_back(rec.ngrid(), static_cast<int>(r));
      add_orbital_grid(rec, c.sym, c.index, mo.energy, mo.occ);
    }
    if (rec.ngrid() > 0) {
      grid_data_t& g = rec.grid.edit();
      g.n_mo = static_cast<int>(m.mos.size());
      for (int n : per_symmetry) g.index_counts[0] += n;
      std::string info = "orbitals of " + path + "; symmetries:";
      for (size_t k = 0; k < labels.size(); ++k)
        info += " " + std::to_string(k + 1) + " " + labels[k] + (k + 1 < labels.size() ? "," : "");
      output.orbital_file = new_orbital_file(info, per_symmetry);
      const size_t grids = static_cast<size_t>(rec.ngrid());
      output.write_values = [&, grids](FILE* out, std::string& err_text) {
        return write_grid_values(basis, lattice, m, plan, grids, out, err_text);
      };
      geometries[0].grids = &output;
    } else {
      deallocate_grids(rec);
    }
    if (beta) {
      const size_t n = labels.size() / 2;
      notes.push_back(n == 1
                          ? "Open shell: alpha orbitals are symmetry 1, beta orbitals symmetry 2"
                          : "Open shell: alpha orbitals in symmetries 1-" + std::to_string(n) +
                                ", beta orbitals in symmetries " + std::to_string(n + 1) + "-" + std::to_string(2 * n));
    }
  }
  if (!notes.empty()) {
    std::string message;
    for (const std::string& n : notes) message += (message.empty() ? "" : "; ") + n;
    geometries[0].message = message;
  }
  return write_geometry_sections(target, geometries, error);
}
