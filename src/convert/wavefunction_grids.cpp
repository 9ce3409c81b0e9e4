#include "convert/wavefunction_grids.h"

#include <cblas.h>
#include <sys/types.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <thread>

#include "convert/gaussian_basis.h"
#include "convert/orthonormality.h"
#include "formats/grid_reader.h"
#include "formats/native_writer.h"

namespace {

// Largest deviation of CᵀSC from 1 that still counts as orthonormal: files
// carry six to seventeen digits.
constexpr double orthonormal_tolerance = 1e-4;
// Values of the basis held at once.
constexpr long long run_values = 1LL << 22;

// The coefficients of the orbitals `mos` as a matrix of rows (orbital ×
// basis function).
std::vector<double> coefficient_rows(const wavefunction_t& wf, const std::vector<int>& mos, int nbf) {
  std::vector<double> c(mos.size() * static_cast<size_t>(nbf), 0.0);
  for (size_t r = 0; r < mos.size(); ++r) {
    const wf_orbital_t& mo = wf.orbitals[static_cast<size_t>(mos[r])];
    double* row = &c[r * static_cast<size_t>(nbf)];
    for (const auto& [f, v] : mo.sparse) row[f] = v;
    std::copy_n(mo.dense.begin(), std::min(mo.dense.size(), static_cast<size_t>(nbf)), row);
  }
  return c;
}

struct grid_plan_t {
  std::vector<int> eval;     // orbitals evaluated (rows of the product)
  std::vector<double> rows;  // their coefficients
  int total_density = -1;    // grid numbers, or -1
  int spin_density = -1;
  std::vector<std::pair<int, int>> orbital_grids;  // (grid, row of eval)
};

bool write_grid_values(const basis_t& basis, const lattice_t& lattice, const wavefunction_t& wf,
                       const grid_plan_t& plan, size_t grids, FILE* out, std::string& error) {
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
        const wf_orbital_t& mo = wf.orbitals[static_cast<size_t>(plan.eval[static_cast<size_t>(r)])];
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

// Every orbital needed: the chosen ones, and the occupied ones for the
// densities.
std::vector<int> orbitals_needed(const wavefunction_t& wf, const std::vector<int>& chosen) {
  std::vector<int> eval = chosen;
  for (size_t k = 0; k < wf.orbitals.size(); ++k)
    if (occupied(wf.orbitals[k]) && std::find(chosen.begin(), chosen.end(), static_cast<int>(k)) == chosen.end())
      eval.push_back(static_cast<int>(k));
  return eval;
}

// The convention used, or the warning for orbitals that fit none.
std::string convention_note(const convention_fit_t& fit) {
  if (fit.error <= orthonormal_tolerance)
    return "Basis conventions: " + fit.name + ", under which the orbitals are orthonormal";
  char line[320];
  std::snprintf(line, sizeof line,
                "WARNING: the orbitals are not orthonormal in their basis under any known conventions (largest error "
                "%.2g, with those of %s): the basis and the coefficients may not belong together; the grids are "
                "written with those conventions",
                fit.error, fit.name.c_str());
  return line;
}

std::string open_shell_note(size_t labels) {
  const size_t n = labels / 2;
  return n == 1 ? "Open shell: alpha orbitals are symmetry 1, beta orbitals symmetry 2"
                : "Open shell: alpha orbitals in symmetries 1-" + std::to_string(n) + ", beta orbitals in symmetries " +
                      std::to_string(n + 1) + "-" + std::to_string(2 * n);
}

// The type code of an orbital file's letter (0 for letters it does not
// know).
int type_code(char letter) {
  for (int type = 0; type < 8; ++type)
    if (orb_desc_short[type][0] == letter) return type;
  return 0;
}

// The grid descriptions of geometry `rec`: densities, then the chosen
// orbitals with their numbers and types; the orbital file with every
// orbital's type letter, and the counts of each type. Returns the number of
// symmetries.
size_t describe_grids(const wavefunction_t& wf, const std::vector<int>& chosen, const std::string& source,
                      mol_data_t& rec, grid_plan_t& plan, grid_output_t& output) {
  std::vector<std::string> labels;
  std::vector<int> per_symmetry;
  const std::vector<chosen_orbital_t> numbers = number_orbitals(wf, per_symmetry, labels);
  if (std::any_of(wf.orbitals.begin(), wf.orbitals.end(), occupied)) {
    plan.total_density = 0;
    add_named_grid(rec, "Density");
    if (open_shell(wf)) {
      plan.spin_density = 1;
      add_named_grid(rec, "Spin density");
    }
  }
  for (size_t r = 0; r < chosen.size(); ++r) {
    const chosen_orbital_t& c = numbers[static_cast<size_t>(chosen[r])];
    const wf_orbital_t& mo = wf.orbitals[static_cast<size_t>(chosen[r])];
    plan.orbital_grids.emplace_back(rec.ngrid(), static_cast<int>(r));
    add_orbital_grid(rec, c.sym, c.index, mo.energy, mo.occ);
    rec.grid.edit().orb_type.back() = type_code(mo.type);
  }
  if (rec.ngrid() == 0) return labels.size();
  std::string info = "orbitals of " + source + "; symmetries:";
  for (size_t k = 0; k < labels.size(); ++k)
    info += " " + std::to_string(k + 1) + " " + labels[k] + (k + 1 < labels.size() ? "," : "");
  // The source's own orbital file keeps its letters (those of orbitals
  // that are not in the wavefunction, such as deleted ones, too).
  orbital_file_t& file = output.orbital_file.emplace(wf.orbital_file ? *wf.orbital_file
                                                                     : new_orbital_file(info, per_symmetry));
  for (size_t k = 0; k < wf.orbitals.size() && !wf.orbital_file; ++k) {
    std::string& letters = file.letters[static_cast<size_t>(numbers[k].sym - 1)];
    const size_t index = static_cast<size_t>(numbers[k].index);
    if (index >= 1 && index <= letters.size()) letters[index - 1] = orb_desc_short[type_code(wf.orbitals[k].type)][0];
  }
  grid_data_t& g = rec.grid.edit();
  g.n_mo = static_cast<int>(wf.orbitals.size());
  for (const std::string& letters : file.letters)
    for (char letter : letters)
      if (type_code(letter) < 7) ++g.index_counts[static_cast<size_t>(type_code(letter))];
  return labels.size();
}

}  // namespace

std::vector<geometry_section_t> wavefunction_geometry(const wavefunction_t& wf, const std::string& source,
                                                      std::optional<double> energy) {
  std::vector<geometry_section_t> geometries(1);
  geometries[0].rec = wf.atoms;
  geometries[0].comment = "converted from " + source + " by mivor-convert";
  if (energy) {
    geometries[0].rec.energy = *energy;
    geometries[0].rec.flags |= FLAG_ENERGY;
  }
  return geometries;
}

bool write_wavefunction(const wavefunction_t& wf, const grid_options_t& o, const std::string& source,
                        std::vector<geometry_section_t>& geometries, std::vector<std::string> notes,
                        const std::string& target, std::string& error) {
  lattice_t lattice;
  grid_output_t output;
  grid_plan_t plan;
  convention_fit_t fit;
  if (!geometries.empty() && wf.atoms.natom() > 0 && !wf.orbitals.empty()) {
    mol_data_t& rec = geometries[0].rec;
    std::vector<double> weights;
    for (double z : wf.charges) weights.push_back(std::pow(std::max(1.0, z), 2));
    if (!choose_lattice(wf.centres, weights, o, lattice, error)) return false;
    const std::vector<int> chosen = o.density_only ? std::vector<int>() : select_orbitals(wf, o.all);
    plan.eval = orbitals_needed(wf, chosen);
    const int nbf = wf.basis_functions();
    if (static_cast<double>(plan.eval.size()) * nbf > 1.5e8) {
      error = std::to_string(plan.eval.size()) + " orbitals of " + std::to_string(nbf) +
              " basis functions are too many for one grid file";
      return false;
    }
    plan.rows = coefficient_rows(wf, plan.eval, nbf);
    fit = best_convention(wf, plan.eval, plan.rows);
    for (std::string& note : atom_charge_notes(wf)) notes.push_back(std::move(note));
    notes.push_back(convention_note(fit));
    if (fit.error > orthonormal_tolerance) std::fprintf(stderr, "%s: %s\n", source.c_str(), notes.back().c_str());
    set_grid_lattice(rec, lattice);
    const size_t symmetries = describe_grids(wf, chosen, source, rec, plan, output);
    if (rec.ngrid() > 0) {
      const size_t grids = static_cast<size_t>(rec.ngrid());
      output.write_values = [&, grids](FILE* out, std::string& err_text) {
        return write_grid_values(fit.basis, lattice, wf, plan, grids, out, err_text);
      };
      geometries[0].grids = &output;
    } else {
      deallocate_grids(rec);
    }
    if (open_shell(wf)) notes.push_back(open_shell_note(symmetries));
  }
  if (!notes.empty() && !geometries.empty()) {
    std::string message;
    for (const std::string& n : notes) message += (message.empty() ? "" : "; ") + n;
    geometries[0].message = message;
  }
  return write_geometry_sections(target, geometries, error);
}
