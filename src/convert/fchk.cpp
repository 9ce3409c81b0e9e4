#include "convert/fchk.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "convert/text_lines.h"
#include "formats/element_numbers.h"
#include "molecule/lattice.h"

namespace {

struct fchk_field_t {
  char type = 0;
  bool array = false;
  std::vector<double> values;  // a scalar's value, or the array's
};

// The fields the converter uses.
const char* const wanted[] = {"Number of atoms",
                              "Number of alpha electrons",
                              "Number of beta electrons",
                              "Number of basis functions",
                              "Atomic numbers",
                              "Nuclear charges",
                              "Current cartesian coordinates",
                              "Shell types",
                              "Number of primitives per shell",
                              "Shell to atom map",
                              "Primitive exponents",
                              "Contraction coefficients",
                              "P(S=P) Contraction coefficients",
                              "Total Energy",
                              "Alpha Orbital Energies",
                              "Alpha MO coefficients",
                              "Beta Orbital Energies",
                              "Beta MO coefficients"};

// Values per line of an array of each type, for stepping over arrays the
// converter does not use.
long long per_line(char type) { return type == 'I' ? 6 : type == 'L' ? 72 : 5; }

class FieldReader {
 public:
  FieldReader(const std::string& text, std::string& error) : lines_(text), error_(error) {}
  bool read(std::map<std::string, fchk_field_t>& out) {
    std::string_view line;
    lines_.next(line);  // the title
    lines_.next(line);  // job type, method, basis
    while (lines_.next(line)) {
      if (trim(line).empty()) continue;
      const std::string label(trim(line.substr(0, std::min<size_t>(43, line.size()))));
      const std::vector<std::string_view> w = split_words(line.size() > 43 ? line.substr(43) : std::string_view());
      if (w.empty() || w[0].size() != 1 || std::string_view("IRCL").find(w[0][0]) == std::string_view::npos)
        return fail("'" + std::string(trim(line).substr(0, 60)) + "' is not a field of a formatted checkpoint file");
      fchk_field_t f;
      f.type = w[0][0];
      const bool use = std::find(std::begin(wanted), std::end(wanted), label) != std::end(wanted);
      if (w.size() == 3 && w[1] == "N=") {
        long long n;
        if (!word_to_long(w[2], n) || n < 0) return fail(label + ": bad count '" + std::string(w[2]) + "'");
        f.array = true;
        if (!(use ? read_values(label, n, f.values) : skip_values(label, n, f.type))) return false;
      } else if (w.size() == 2) {
        double v = 0;
        if (use && !word_to_double(w[1], v)) return fail(label + ": '" + std::string(w[1]) + "' is not a number");
        f.values.push_back(v);
      } else {
        return fail(label + ": a field is a value or N= and a count");
      }
      if (use) out[label] = std::move(f);
    }
    return true;
  }

 private:
  bool fail(const std::string& what) {
    error_ = "line " + std::to_string(lines_.number()) + ": " + what;
    return false;
  }
  bool read_values(const std::string& label, long long n, std::vector<double>& out) {
    if (static_cast<unsigned long long>(n) > lines_.bytes_left() / 2)
      return fail(label + ": " + std::to_string(n) + " values can't fit in the rest of the file");
    out.reserve(static_cast<size_t>(n));
    std::string_view line;
    while (static_cast<long long>(out.size()) < n) {
      if (!lines_.next(line)) return fail(label + ": the file ends before its " + std::to_string(n) + " values");
      for (std::string_view word : split_words(line)) {
        double v;
        if (!word_to_double(word, v))
          return fail(label + ": '" + std::string(word.substr(0, 24)) + "' is not a number");
        if (static_cast<long long>(out.size()) == n)
          return fail(label + ": more than " + std::to_string(n) + " values");
        out.push_back(v);
      }
    }
    return true;
  }
  bool skip_values(const std::string& label, long long n, char type) {
    std::string_view line;
    const long long lines = n / per_line(type) + (n % per_line(type) != 0);
    for (long long k = 0; k < lines; ++k)
      if (!lines_.next(line)) return fail(label + ": the file ends before its values");
    return true;
  }
  LineCursor lines_;
  std::string& error_;
};

struct fields_t {
  std::map<std::string, fchk_field_t> map;
  std::string& error;
  // A field that must be there; null with the error set when it isn't.
  const std::vector<double>* need(const char* label, bool array) {
    const auto it = map.find(label);
    if (it == map.end() || it->second.array != array) {
      error = std::string("no '") + label + "' " + (array ? "array" : "value") + " in the file";
      return nullptr;
    }
    return &it->second.values;
  }
  const std::vector<double>* optional(const char* label) {
    const auto it = map.find(label);
    return it != map.end() && it->second.array ? &it->second.values : nullptr;
  }
  // An array of `n` values, with a message naming both counts otherwise.
  const std::vector<double>* sized(const char* label, size_t n, const char* what) {
    const std::vector<double>* v = need(label, true);
    if (v && v->size() != n) {
      error = std::string("'") + label + "' has " + std::to_string(v->size()) + " values, but " + what + " " +
              std::to_string(n);
      return nullptr;
    }
    return v;
  }
};

bool whole(double v, double low, double high) { return v >= low && v <= high && v == std::floor(v); }

std::string number_text(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}

bool read_atoms(fields_t& f, wavefunction_t& wf) {
  const std::vector<double>* natoms = f.need("Number of atoms", false);
  if (!natoms) return false;
  if (!whole((*natoms)[0], 1, 100000)) {
    f.error = "the number of atoms is not a count";
    return false;
  }
  const size_t n = static_cast<size_t>((*natoms)[0]);
  const std::vector<double>* z = f.sized("Atomic numbers", n, "the file has atoms:");
  const std::vector<double>* charge = z ? f.optional("Nuclear charges") : nullptr;
  const std::vector<double>* xyz = z ? f.sized("Current cartesian coordinates", 3 * n, "three per atom make") : nullptr;
  if (!xyz) return false;
  if (charge && charge->size() != n) {
    f.error = "'Nuclear charges' has " + std::to_string(charge->size()) +
              " values, but the file has atoms: " + std::to_string(n);
    return false;
  }
  atom_appender atoms(wf.atoms);
  for (size_t i = 0; i < n; ++i) {
    if (!whole((*z)[i], 0, 118)) {
      f.error = "atom " + std::to_string(i + 1) + " has no element (atomic number " + number_text((*z)[i]) + ")";
      return false;
    }
    const vec3 bohr{(*xyz)[3 * i], (*xyz)[3 * i + 1], (*xyz)[3 * i + 2]};
    const double q = charge ? std::clamp((*charge)[i], 0.0, (*z)[i]) : (*z)[i];
    add_wavefunction_atom(wf, atoms, static_cast<int>((*z)[i]), q, bohr * bohr_to_angstrom, bohr);
  }
  return true;
}

bool read_shells(fields_t& f, wavefunction_t& wf) {
  const std::vector<double>* types = f.need("Shell types", true);
  if (!types) return false;
  const size_t n = types->size();
  const std::vector<double>* nprim = f.sized("Number of primitives per shell", n, "the shell types are");
  const std::vector<double>* atom = nprim ? f.sized("Shell to atom map", n, "the shell types are") : nullptr;
  const std::vector<double>* alpha = atom ? f.need("Primitive exponents", true) : nullptr;
  if (!alpha) return false;
  const std::vector<double>* coef = f.sized("Contraction coefficients", alpha->size(), "the exponents are");
  const std::vector<double>* sp = f.optional("P(S=P) Contraction coefficients");
  if (!coef) return false;
  size_t first = 0;
  long long functions = 0;
  for (size_t k = 0; k < n; ++k) {
    const double t = (*types)[k];
    const std::string shell = "shell " + std::to_string(k + 1);
    if (!whole(t, -4, 4)) {
      f.error = shell + ": shell type " + number_text(t) + " is not one of -4 … 4 (s to g)";
      return false;
    }
    if (!whole((*nprim)[k], 1, 1e6) || first + static_cast<size_t>((*nprim)[k]) > alpha->size()) {
      f.error = shell + ": its primitives are not among the " + std::to_string(alpha->size()) + " exponents";
      return false;
    }
    if (!whole((*atom)[k], 1, static_cast<double>(wf.atoms.natom()))) {
      f.error = shell + " is on atom " + number_text((*atom)[k]) + ", which is not in the file";
      return false;
    }
    if (t == -1 && (!sp || sp->size() != alpha->size())) {
      f.error = shell + " is an SP shell, but 'P(S=P) Contraction coefficients' does not give every primitive";
      return false;
    }
    wf_shell_t s;
    s.atom = static_cast<int>((*atom)[k]) - 1;
    s.l = t == -1 ? 0 : static_cast<int>(std::fabs(t));
    s.spherical = t < -1;
    const size_t count = static_cast<size_t>((*nprim)[k]);
    for (size_t p = first; p < first + count; ++p) {
      if (!((*alpha)[p] > 0)) {
        f.error = shell + ": exponents must be positive";
        return false;
      }
      s.exponents.push_back((*alpha)[p]);
      s.coefficients.push_back((*coef)[p]);
    }
    first += count;
    functions += s.functions() + (t == -1 ? 3 : 0);
    if (functions > max_basis_functions) {
      f.error = "more than " + std::to_string(max_basis_functions) + " basis functions";
      return false;
    }
    wf.shells.push_back(s);
    if (t == -1) {
      s.l = 1;
      std::copy(sp->begin() + static_cast<long>(first - count), sp->begin() + static_cast<long>(first),
                s.coefficients.begin());
      wf.shells.push_back(s);
    }
  }
  if (first != alpha->size()) {
    f.error = "the shells have " + std::to_string(first) + " primitives, but the file gives " +
              std::to_string(alpha->size()) + " exponents";
    return false;
  }
  return true;
}

// The orbitals of one spin ("Alpha" or "Beta"), the first `occupied` of
// them holding one electron.
bool read_orbitals(fields_t& f, wavefunction_t& wf, const char* spin, double occupied) {
  const int nbf = wf.basis_functions();
  const std::string name(spin);
  const std::string energies_label = name + " Orbital Energies", coefficients_label = name + " MO coefficients";
  const std::vector<double>* energies = f.need(energies_label.c_str(), true);
  if (!energies) return false;
  const size_t nmo = energies->size();
  if (nmo > static_cast<size_t>(nbf)) {
    f.error = "'" + energies_label + "' has " + std::to_string(nmo) + " orbitals, more than the " +
              std::to_string(nbf) + " basis functions";
    return false;
  }
  const std::vector<double>* c =
      f.sized(coefficients_label.c_str(), nmo * static_cast<size_t>(nbf), "its orbitals and basis functions make");
  if (!c) return false;
  for (size_t k = 0; k < nmo; ++k) {
    wf_orbital_t mo;
    mo.irrep = "a";
    mo.beta = name == "Beta";
    mo.energy = (*energies)[k];
    mo.occ = static_cast<double>(k) < occupied ? 1.0 : 0.0;
    mo.dense.assign(c->begin() + static_cast<long>(k * static_cast<size_t>(nbf)),
                    c->begin() + static_cast<long>((k + 1) * static_cast<size_t>(nbf)));
    wf.orbitals.push_back(std::move(mo));
  }
  return true;
}

// Molden's order of the Cartesian g components as Gaussian lists them:
// zzzz, yzzz, yyzz, yyyz, yyyy, xzzz, xyzz, xyyz, xyyy, xxzz, xxyz, xxyy,
// xxxz, xxxy, xxxx.
std::vector<convention_t> fchk_conventions(const std::string& title) {
  convention_t gaussian = standard_convention("Gaussian");
  gaussian.cartesian[4].order = {2, 8, 11, 6, 1, 7, 14, 13, 5, 10, 12, 9, 4, 3, 0};
  convention_t psi4 = standard_convention("psi4");
  if (lower(title).find("psi4") != std::string::npos) return {psi4, gaussian};
  return {gaussian, psi4};
}

}  // namespace

bool parse_fchk(const std::string& text, fchk_t& out, std::string& error) {
  fields_t f{{}, error};
  {
    LineCursor lines(text);
    std::string_view title;
    lines.next(title);
    out.title = std::string(trim(title).substr(0, 200));
  }
  FieldReader reader(text, error);
  if (!reader.read(f.map)) return false;
  wavefunction_t& wf = out.wf;
  if (!read_atoms(f, wf) || !read_shells(f, wf)) return false;
  const std::vector<double>* nbf = f.need("Number of basis functions", false);
  if (!nbf) return false;
  if ((*nbf)[0] != wf.basis_functions()) {
    error = "the shells give " + std::to_string(wf.basis_functions()) + " basis functions, but the file says " +
            std::to_string(static_cast<long long>((*nbf)[0]));
    return false;
  }
  const std::vector<double>* na = f.need("Number of alpha electrons", false);
  const std::vector<double>* nb = na ? f.need("Number of beta electrons", false) : nullptr;
  if (!nb) return false;
  if (!whole((*na)[0], 0, 1e6) || !whole((*nb)[0], 0, (*na)[0])) {
    error = "the numbers of alpha and beta electrons are not counts with at least as many alpha as beta";
    return false;
  }
  if (!read_orbitals(f, wf, "Alpha", (*na)[0])) return false;
  if (f.optional("Beta Orbital Energies")) {
    if (!read_orbitals(f, wf, "Beta", (*nb)[0])) return false;
  } else {
    // Restricted: the orbitals of both spins hold two.
    for (size_t k = 0; k < wf.orbitals.size() && k < (*nb)[0]; ++k) wf.orbitals[k].occ = 2.0;
  }
  if (const auto it = f.map.find("Total Energy"); it != f.map.end() && !it->second.array) {
    out.has_energy = true;
    out.energy = it->second.values[0];
  }
  wf.conventions = fchk_conventions(out.title);
  return true;
}
