// The datasets read: the irreps and their function counts (attributes
// IRREP_LABELS, NSYM, NBAS, NPRIM), the atoms (DESYM_CENTER_*, or CENTER_*
// in a file without symmetry), the primitives of each shell of each
// symmetry-unique atom (PRIMITIVES, PRIMITIVE_IDS), the desymmetrised
// functions (DESYM_BASIS_FUNCTION_IDS, or BASIS_FUNCTION_IDS: centre,
// shell, l, m), the symmetrisation matrix (DESYM_MATRIX), and the orbitals
// of each irrep (MO_VECTORS, MO_ENERGIES, MO_OCCUPATIONS, MO_TYPEINDICES;
// MO_ALPHA_* and MO_BETA_* for unrestricted ones), with the total energy
// (ENERGY, or the first of ROOT_ENERGIES).
//
// Shells: each (atom, l, shell) of the desymmetrised functions is one
// contracted shell. p functions (l = 1, m = 1, -1, 0) are x, y, z; l ≥ 2
// are real solid harmonics by m; a negative l is a Cartesian shell whose m
// counts its components from -|l|, in lexicographic order (xx, xy, xz, yy,
// yz, zz).
#include "convert/hdf5_orbitals.h"

#include <hdf5.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

#include "formats/element_numbers.h"
#include "molecule/lattice.h"

namespace {

// Largest number of basis functions whose symmetrisation matrix is held.
constexpr long long max_symmetrised_functions = 6000;

// A handle that closes itself.
class handle_t {
 public:
  handle_t(hid_t id, herr_t (*close)(hid_t)) : id_(id), close_(close) {}
  ~handle_t() {
    if (id_ >= 0) close_(id_);
  }
  handle_t(const handle_t&) = delete;
  handle_t& operator=(const handle_t&) = delete;
  hid_t get() const { return id_; }
  explicit operator bool() const { return id_ >= 0; }

 private:
  hid_t id_;
  herr_t (*close_)(hid_t);
};

class h5_reader {
 public:
  h5_reader(hid_t file, long long file_bytes, std::string& error)
      : file_(file), file_bytes_(file_bytes), error_(error) {}

  bool fail(const std::string& what) {
    error_ = what;
    return false;
  }
  bool has(const char* name) const { return H5Lexists(file_, name, H5P_DEFAULT) > 0; }

  // An integer attribute of the file with `count` values (-1: any number,
  // up to 64).
  bool ints(const char* name, long long count, std::vector<long long>& out) {
    if (H5Aexists(file_, name) <= 0) return fail("the attribute " + std::string(name) + " is missing");
    handle_t a(H5Aopen(file_, name, H5P_DEFAULT), H5Aclose);
    handle_t space(H5Aget_space(a.get()), H5Sclose);
    const hssize_t n = H5Sget_simple_extent_npoints(space.get());
    if (n < 0 || n > 64 || (count >= 0 && n != count))
      return fail("the attribute " + std::string(name) + " holds " + std::to_string(n) + " values");
    out.assign(static_cast<size_t>(n), 0);
    if (n > 0 && H5Aread(a.get(), H5T_NATIVE_LLONG, out.data()) < 0)
      return fail("the attribute " + std::string(name) + " can't be read");
    return true;
  }
  // A string attribute: its fixed-width fields, each trimmed.
  bool strings(const char* name, std::vector<std::string>& out) {
    if (H5Aexists(file_, name) <= 0) return fail("the attribute " + std::string(name) + " is missing");
    handle_t a(H5Aopen(file_, name, H5P_DEFAULT), H5Aclose);
    handle_t type(H5Aget_type(a.get()), H5Tclose);
    handle_t space(H5Aget_space(a.get()), H5Sclose);
    const hssize_t n = H5Sget_simple_extent_npoints(space.get());
    const size_t size = H5Tget_size(type.get());
    if (H5Tget_class(type.get()) != H5T_STRING || H5Tis_variable_str(type.get()) > 0 || n < 1 || size == 0 ||
        static_cast<unsigned long long>(n) * size > 1 << 16)
      return fail("the attribute " + std::string(name) + " is not a text");
    std::string text(static_cast<size_t>(n) * size, '\0');
    if (H5Aread(a.get(), type.get(), text.data()) < 0)
      return fail("the attribute " + std::string(name) + " can't be read");
    split(text, size, out);
    return true;
  }
  // The name of the root attribute that names the program part that wrote
  // the file (the one whose name ends in "_MODULE"), or "" when none does.
  std::string module_attribute() {
    std::string found;
    const H5A_operator2_t take = [](hid_t, const char* name, const H5A_info_t*, void* data) -> herr_t {
      const std::string n(name), tail = "_MODULE";
      if (n.size() <= tail.size() || n.compare(n.size() - tail.size(), tail.size(), tail) != 0) return 0;
      *static_cast<std::string*>(data) = n;
      return 1;
    };
    if (H5Aiterate2(file_, H5_INDEX_NAME, H5_ITER_NATIVE, nullptr, take, &found) < 0) return std::string();
    return found;
  }
  // A dataset of exactly `count` reals or integers.
  bool doubles(const char* name, long long count, std::vector<double>& out) {
    return read(name, count, H5T_NATIVE_DOUBLE, out);
  }
  bool longs(const char* name, long long count, std::vector<long long>& out) {
    return read(name, count, H5T_NATIVE_LLONG, out);
  }
  // A dataset of `count` texts of fixed width, each trimmed.
  bool texts(const char* name, long long count, std::vector<std::string>& out) {
    handle_t d(open(name), H5Dclose);
    if (!d) return false;
    handle_t type(H5Dget_type(d.get()), H5Tclose);
    handle_t space(H5Dget_space(d.get()), H5Sclose);
    const hssize_t n = H5Sget_simple_extent_npoints(space.get());
    const size_t size = H5Tget_size(type.get());
    if (H5Tget_class(type.get()) != H5T_STRING || H5Tis_variable_str(type.get()) > 0 || size == 0 || size > 256)
      return fail("the dataset " + std::string(name) + " is not a list of texts");
    if (n != count) return wrong_count(name, n, count);
    if (!fits(static_cast<long long>(size) * n)) return fail("the dataset " + std::string(name) + " is too large");
    std::string text(static_cast<size_t>(n) * size, '\0');
    if (n > 0 && H5Dread(d.get(), type.get(), H5S_ALL, H5S_ALL, H5P_DEFAULT, text.data()) < 0)
      return fail("the dataset " + std::string(name) + " can't be read");
    split(text, size, out);
    return true;
  }

 private:
  hid_t open(const char* name) {
    if (!has(name)) {
      fail("the dataset " + std::string(name) + " is missing");
      return -1;
    }
    const hid_t d = H5Dopen2(file_, name, H5P_DEFAULT);
    if (d < 0) fail("the dataset " + std::string(name) + " can't be opened");
    return d;
  }
  bool wrong_count(const char* name, long long got, long long want) {
    return fail("the dataset " + std::string(name) + " holds " + std::to_string(got) + " values where the file's " +
                "counts call for " + std::to_string(want));
  }
  // What a dataset claims must be held by the file (without compression,
  // which these files do not use, allowing a generous ratio).
  bool fits(long long bytes) const { return bytes <= 64 * file_bytes_ + (1 << 20); }

  template <typename T>
  bool read(const char* name, long long count, hid_t mem_type, std::vector<T>& out) {
    handle_t d(open(name), H5Dclose);
    if (!d) return false;
    handle_t space(H5Dget_space(d.get()), H5Sclose);
    const hssize_t n = H5Sget_simple_extent_npoints(space.get());
    if (n != count) return wrong_count(name, n, count);
    if (!fits(8 * static_cast<long long>(n))) return fail("the dataset " + std::string(name) + " is too large");
    out.assign(static_cast<size_t>(n), T{});
    if (n > 0 && H5Dread(d.get(), mem_type, H5S_ALL, H5S_ALL, H5P_DEFAULT, out.data()) < 0)
      return fail("the dataset " + std::string(name) + " can't be read as numbers");
    return true;
  }

  static void split(const std::string& text, size_t width, std::vector<std::string>& out) {
    out.clear();
    if (width == 0) return;
    for (size_t at = 0; at < text.size(); at += width) {
      std::string field = text.substr(at, width);
      field.erase(std::find(field.begin(), field.end(), '\0'), field.end());
      const size_t first = field.find_first_not_of(' '), last = field.find_last_not_of(' ');
      out.push_back(first == std::string::npos ? std::string() : field.substr(first, last - first + 1));
    }
  }

  hid_t file_;
  long long file_bytes_;
  std::string& error_;
};

// The conventions the files' primitives and Cartesian components may be
// in; the overlap test chooses. Its Cartesian components come in
// lexicographic order, each with the factor of the component with no
// repeated axis (xx normalised like xy: √3 larger than on its own).
std::vector<convention_t> hdf5_conventions() {
  // Lexicographic Cartesian order as indices into Molden's order.
  const std::vector<int> d = {0, 3, 4, 1, 5, 2};
  const std::vector<int> f = {0, 4, 5, 3, 9, 6, 1, 8, 7, 2};
  const std::vector<int> g = {0, 3, 4, 9, 12, 10, 5, 13, 14, 7, 1, 6, 11, 8, 2};
  std::vector<convention_t> out;
  for (bool raw : {false, true})
    for (cartesian_scale_t scale : {cartesian_scale_t::shared_dfact, cartesian_scale_t::own}) {
      std::string name = "HDF5 orbital file";
      if (scale == cartesian_scale_t::own) name += " (Cartesian components each normalised)";
      if (raw) name += " (primitives as they are)";
      convention_t c = standard_convention(name);
      c.cartesian[2].order = d;
      c.cartesian[3].order = f;
      c.cartesian[4].order = g;
      for (size_t l = 2; l < c.cartesian.size(); ++l) c.cartesian[l].cartesian = scale;
      for (auto* shells : {&c.cartesian, &c.spherical})
        for (shell_norm_t& s : *shells) s.raw_primitives = raw;
      out.push_back(std::move(c));
    }
  return out;
}

// The position of a function of m within its shell.
int position_in_shell(int l, bool cartesian, long long m) {
  if (l == 1) return m == 1 ? 0 : m == -1 ? 1 : m == 0 ? 2 : -1;
  if (cartesian) return static_cast<int>(m + l);
  if (m == 0) return 0;
  return static_cast<int>(m > 0 ? 2 * m - 1 : -2 * m);
}

struct shell_key_t {
  long long centre, l, shell;
  bool operator<(const shell_key_t& o) const {
    return std::tie(centre, l, shell) < std::tie(o.centre, o.l, o.shell);
  }
};

bool read_atoms(h5_reader& r, long long natoms, long long nunique, bool symmetric, hdf5_orbitals_t& out,
                std::vector<long long>& unique_of) {
  std::vector<long long> numbers;
  std::vector<double> xyz, charges;
  std::vector<std::string> labels, unique_labels;
  const char* prefix = symmetric ? "DESYM_CENTER_" : "CENTER_";
  const std::string n = std::string(prefix) + "ATNUMS", x = std::string(prefix) + "COORDINATES",
                    q = std::string(prefix) + "CHARGES", lab = std::string(prefix) + "LABELS";
  if (!r.longs(n.c_str(), natoms, numbers) || !r.doubles(x.c_str(), 3 * natoms, xyz) ||
      !r.doubles(q.c_str(), natoms, charges) || !r.texts(lab.c_str(), natoms, labels) ||
      !r.texts("CENTER_LABELS", nunique, unique_labels))
    return false;
  atom_appender atoms(out.wf.atoms);
  unique_of.assign(static_cast<size_t>(natoms), 0);
  for (size_t a = 0; a < static_cast<size_t>(natoms); ++a) {
    const long long z = numbers[a];
    if (z < 0 || z > 118 || !std::isfinite(charges[a])) return r.fail("atom " + std::to_string(a + 1) + " is not an element");
    const vec3 bohr{xyz[3 * a], xyz[3 * a + 1], xyz[3 * a + 2]};
    if (!std::isfinite(bohr[0] + bohr[1] + bohr[2])) return r.fail("atom " + std::to_string(a + 1) + " has no position");
    add_wavefunction_atom(out.wf, atoms, static_cast<int>(z), charges[a], bohr * bohr_to_angstrom, bohr);
    // A desymmetrised atom's label is its unique atom's, then ":" and the
    // operation that made it.
    const std::string own = labels[a].substr(0, labels[a].find(':'));
    const std::string name = own.substr(0, own.find_last_not_of(' ') + 1);
    const auto it = std::find(unique_labels.begin(), unique_labels.end(), name);
    if (it == unique_labels.end()) return r.fail("atom " + std::to_string(a + 1) + " (" + name + ") has no basis");
    unique_of[a] = it - unique_labels.begin();
  }
  return true;
}

// The shells and the place of each desymmetrised function among the
// wavefunction's functions.
bool read_basis(h5_reader& r, long long nprim, long long nbast, bool symmetric, const std::vector<long long>& unique_of,
                hdf5_orbitals_t& out) {
  std::vector<double> primitives;
  std::vector<long long> primitive_ids, ids;
  if (!r.doubles("PRIMITIVES", 2 * nprim, primitives) || !r.longs("PRIMITIVE_IDS", 3 * nprim, primitive_ids) ||
      !r.longs(symmetric ? "DESYM_BASIS_FUNCTION_IDS" : "BASIS_FUNCTION_IDS", 4 * nbast, ids))
    return false;
  // The primitives of each (unique atom, l, shell).
  std::map<shell_key_t, std::vector<std::pair<double, double>>> contracted;
  for (size_t p = 0; p < static_cast<size_t>(nprim); ++p)
    contracted[{primitive_ids[3 * p] - 1, std::llabs(primitive_ids[3 * p + 1]), primitive_ids[3 * p + 2]}].emplace_back(
        primitives[2 * p], primitives[2 * p + 1]);
  std::map<shell_key_t, size_t> shell_of;
  std::vector<std::pair<size_t, int>> place(static_cast<size_t>(nbast));
  for (size_t q = 0; q < static_cast<size_t>(nbast); ++q) {
    const long long centre = ids[4 * q] - 1, shell = ids[4 * q + 1], signed_l = ids[4 * q + 2], m = ids[4 * q + 3];
    const long long l = std::llabs(signed_l);
    const std::string which = "basis function " + std::to_string(q + 1);
    if (centre < 0 || centre >= out.wf.atoms.natom() || l > 4 || shell < 1)
      return r.fail(which + " names no atom, shell or angular momentum the file has");
    const bool cartesian = signed_l < 0 || l == 1;
    const shell_key_t key{centre, signed_l, shell};
    auto [it, fresh] = shell_of.try_emplace(key, out.wf.shells.size());
    if (fresh) {
      const auto prim = contracted.find({unique_of[static_cast<size_t>(centre)], l, shell});
      if (prim == contracted.end()) return r.fail(which + " has no primitives");
      wf_shell_t s;
      s.atom = static_cast<int>(centre);
      s.l = static_cast<int>(l);
      s.spherical = !cartesian;
      for (const auto& [exponent, coefficient] : prim->second) {
        if (!(exponent > 0) || !std::isfinite(coefficient)) return r.fail(which + ": a primitive is not a Gaussian");
        // A general contraction lists every primitive of the atom's l for
        // each shell, most with a coefficient of 0: those are left out.
        if (coefficient == 0) continue;
        s.exponents.push_back(exponent);
        s.coefficients.push_back(coefficient);
      }
      if (s.exponents.empty()) return r.fail(which + " has no primitives");
      out.wf.shells.push_back(std::move(s));
    }
    const wf_shell_t& s = out.wf.shells[it->second];
    const int at = position_in_shell(s.l, !s.spherical, m);
    if (at < 0 || at >= s.functions()) return r.fail(which + " has a component m = " + std::to_string(m) + " its shell has not");
    place[q] = {it->second, at};
  }
  // Every shell whole, each function once.
  std::vector<int> first(out.wf.shells.size() + 1, 0);
  for (size_t s = 0; s < out.wf.shells.size(); ++s) first[s + 1] = first[s] + out.wf.shells[s].functions();
  if (first.back() != nbast) return r.fail("the basis functions do not make whole shells");
  std::vector<char> taken(static_cast<size_t>(nbast), 0);
  out.basis.function_of.resize(static_cast<size_t>(nbast));
  for (size_t q = 0; q < place.size(); ++q) {
    const int f = first[place[q].first] + place[q].second;
    if (taken[static_cast<size_t>(f)]++) return r.fail("basis function " + std::to_string(q + 1) + " is given twice");
    out.basis.function_of[q] = f;
  }
  return true;
}

// The orbitals of one spin ("" for restricted ones, "ALPHA_", "BETA_").
bool read_orbitals(h5_reader& r, const std::string& spin, bool beta, long long coefficients, long long nbast,
                   hdf5_orbitals_t& out) {
  std::vector<double> vectors, energies, occupations;
  std::vector<std::string> types;
  const std::string v = "MO_" + spin + "VECTORS", e = "MO_" + spin + "ENERGIES", o = "MO_" + spin + "OCCUPATIONS",
                    t = "MO_" + spin + "TYPEINDICES";
  if (!r.doubles(v.c_str(), coefficients, vectors) || !r.doubles(e.c_str(), nbast, energies) ||
      !r.doubles(o.c_str(), nbast, occupations))
    return false;
  if (r.has(t.c_str()) && !r.texts(t.c_str(), nbast, types)) return false;
  const hdf5_basis_t& b = out.basis;
  inporb_spin_t& given = out.orbitals.spins.emplace_back();
  given.occupations = occupations;
  given.energies = energies;
  size_t orbital = 0, block = 0;
  for (size_t i = 0; i < b.per_irrep.size(); ++i) {
    const size_t n = static_cast<size_t>(b.per_irrep[i]);
    for (size_t k = 0; k < n; ++k, ++orbital) {
      const char letter = orbital < types.size() && !types[orbital].empty() ? type_letter(types[orbital][0]) : 'u';
      // Deleted orbitals are not orbitals of the wavefunction; their
      // letters stay in the orbital file.
      if (!beta) out.orbitals.types[i] += letter;
      if (letter == 'd') continue;
      wf_orbital_t mo;
      mo.irrep = b.irreps[i];
      mo.index = static_cast<int>(k + 1);
      mo.beta = beta;
      mo.energy = energies[orbital];
      mo.occ = occupations[orbital];
      mo.type = letter;
      if (!std::isfinite(mo.energy) || !std::isfinite(mo.occ)) return r.fail(v + ": orbital " + std::to_string(orbital + 1) + " is not a number");
      mo.dense = desymmetrised(b, i, &vectors[block + k * n]);
      out.wf.orbitals.push_back(std::move(mo));
    }
    given.vectors.emplace_back(vectors.begin() + static_cast<long>(block),
                               vectors.begin() + static_cast<long>(block + n * n));
    block += n * n;
  }
  return true;
}

long long file_size(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : 0;
}

}  // namespace

char type_letter(char file_type) {
  switch (file_type) {
    case 'F': case 'f': return 'f';
    case 'I': case 'i': return 'i';
    case '1': return '1';
    case '2': return '2';
    case '3': return '3';
    case 'S': case 's': return 's';
    case 'D': case 'd': return 'd';
    default: return 'u';
  }
}

std::vector<double> desymmetrised(const hdf5_basis_t& basis, size_t irrep, const double* sa) {
  const size_t n = basis.function_of.size();
  std::vector<double> out(n, 0.0);
  size_t offset = 0;
  for (size_t i = 0; i < irrep; ++i) offset += static_cast<size_t>(basis.per_irrep[i]);
  const size_t count = static_cast<size_t>(basis.per_irrep[irrep]);
  for (size_t j = 0; j < count; ++j) {
    if (basis.desym.empty()) {
      out[static_cast<size_t>(basis.function_of[offset + j])] += sa[j];
      continue;
    }
    const double* row = &basis.desym[(offset + j) * n];
    for (size_t q = 0; q < n; ++q)
      if (row[q] != 0) out[static_cast<size_t>(basis.function_of[q])] += row[q] * sa[j];
  }
  return out;
}

bool read_hdf5_orbitals(const std::string& path, hdf5_orbitals_t& out, std::string& error) {
  H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr);
  if (H5Fis_hdf5(path.c_str()) <= 0) {
    error = "not an HDF5 file";
    return false;
  }
  handle_t file(H5Fopen(path.c_str(), H5F_ACC_RDONLY, H5P_DEFAULT), H5Fclose);
  if (!file) {
    error = "the HDF5 file can't be opened";
    return false;
  }
  h5_reader r(file.get(), file_size(path), error);
  std::vector<long long> nsym, nbas, nprim, natoms, nunique;
  std::vector<std::string> module;
  const std::string module_name = r.module_attribute();
  if (module_name.empty()) return r.fail("the file names no module that wrote it");
  if (!r.strings(module_name.c_str(), module) || !r.ints("NSYM", 1, nsym) || nsym[0] < 1 || nsym[0] > 8)
    return error.empty() ? r.fail("the file gives no number of irreps from 1 to 8") : false;
  out.module = module.empty() ? std::string() : module[0];
  // Without symmetry every atom is unique, and NATOMS_ALL may be missing.
  if (!r.ints("NBAS", nsym[0], nbas) || !r.ints("NPRIM", 1, nprim) || !r.ints("NATOMS_UNIQUE", 1, nunique) ||
      !r.strings("IRREP_LABELS", out.basis.irreps))
    return false;
  if (nsym[0] == 1 && H5Aexists(file.get(), "NATOMS_ALL") <= 0)
    natoms = nunique;
  else if (!r.ints("NATOMS_ALL", 1, natoms))
    return false;
  long long nbast = 0, coefficients = 0;
  for (long long n : nbas) {
    if (n < 0 || n > max_basis_functions) return r.fail("an irrep has " + std::to_string(n) + " basis functions");
    nbast += n;
    coefficients += n * n;
    out.basis.per_irrep.push_back(static_cast<int>(n));
  }
  if (nbast < 1 || nbast > max_basis_functions) return r.fail("the basis has " + std::to_string(nbast) + " functions");
  if (natoms[0] < 1 || natoms[0] > 100000 || nunique[0] < 1 || nunique[0] > natoms[0] || nprim[0] < 1 ||
      nprim[0] > 100 * nbast)
    return r.fail("the counts of atoms and primitives are not those of a molecule");
  // IRREP_LABELS is one text of labels that end in blanks ("a1 b1 b2 a2 ").
  if (out.basis.irreps.size() == 1) {
    std::vector<std::string> labels;
    std::string word;
    for (char c : out.basis.irreps[0] + " ") {
      if (c != ' ') {
        word += c;
      } else if (!word.empty()) {
        labels.push_back(word);
        word.clear();
      }
    }
    out.basis.irreps = labels;
  }
  if (out.basis.irreps.size() != static_cast<size_t>(nsym[0]))
    return r.fail("the file names " + std::to_string(out.basis.irreps.size()) + " irreps for " +
                  std::to_string(nsym[0]));
  const bool symmetric = nsym[0] > 1;
  std::vector<long long> unique_of;
  if (!read_atoms(r, natoms[0], nunique[0], symmetric, out, unique_of) ||
      !read_basis(r, nprim[0], nbast, symmetric, unique_of, out))
    return false;
  if (symmetric) {
    if (nbast > max_symmetrised_functions)
      return r.fail(std::to_string(nbast) + " basis functions are too many to desymmetrise");
    if (!r.doubles("DESYM_MATRIX", nbast * nbast, out.basis.desym)) return false;
  }
  out.orbitals.title = out.module + " orbitals";
  out.orbitals.nbas = out.basis.per_irrep;
  out.orbitals.norb = out.basis.per_irrep;
  out.orbitals.has_energies = true;
  out.orbitals.types.assign(out.basis.per_irrep.size(), std::string());
  const bool unrestricted = r.has("MO_ALPHA_VECTORS");
  if (unrestricted) {
    if (!read_orbitals(r, "ALPHA_", false, coefficients, nbast, out) ||
        !read_orbitals(r, "BETA_", true, coefficients, nbast, out))
      return false;
  } else if (!read_orbitals(r, "", false, coefficients, nbast, out)) {
    return false;
  }
  std::vector<double> energy;
  if (r.has("ENERGY") && r.doubles("ENERGY", 1, energy)) {
    out.has_energy = true;
    out.energy = energy[0];
  } else if (r.has("ROOT_ENERGIES")) {
    handle_t d(H5Dopen2(file.get(), "ROOT_ENERGIES", H5P_DEFAULT), H5Dclose);
    handle_t space(H5Dget_space(d.get()), H5Sclose);
    const hssize_t n = H5Sget_simple_extent_npoints(space.get());
    if (n >= 1 && n <= 1000 && r.doubles("ROOT_ENERGIES", n, energy)) {
      out.has_energy = true;
      out.energy = energy[0];
    }
  }
  error.clear();
  out.wf.irreps = out.basis.irreps;
  out.wf.conventions = hdf5_conventions();
  return true;
}
