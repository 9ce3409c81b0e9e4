// The atoms of a Molden file. The name column names the element ("O",
// "o", "O1", "Bq-O"); the atomic-number column is read for what it means
// besides: 0 for a ghost atom, Z less the core electrons for an atom with an
// effective core potential. A [Pseudo] block ("name atom Z-core" lines) or
// a [Core] block ("atom : core" or "element : core" lines) gives the core
// electrons as well; where one names an atom, it is taken instead of the
// column, so that no core is counted twice. The column gives the element
// only when the name gives none.
#include "convert/molden_atoms.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "formats/element_numbers.h"
#include "molecule/lattice.h"

namespace {

struct atom_line_t {
  int z = 0;
  double charge = 0;  // the column's
  bool ghost_name = false;
  vec3 angstrom{}, bohr{};
};

// The element an atom name gives, without the marks some programs put on
// ghost atoms ("Bq-", "ghost-", "Gh(…)", "-Bq", "-ghost"); sets `ghost` when
// there was one.
std::string element_of_name(std::string name, bool& ghost) {
  const std::string l = lower(name);
  ghost = true;
  for (const char* prefix : {"bq-", "ghost-", "gh("})
    if (l.rfind(prefix, 0) == 0) return element_of_label(name.substr(std::string(prefix).size()));
  for (const char* suffix : {"-bq", "-ghost"}) {
    const size_t n = std::string(suffix).size();
    if (l.size() > n && l.compare(l.size() - n, n, suffix) == 0) return element_of_label(name.substr(0, l.size() - n));
  }
  ghost = false;
  return element_of_label(name);
}

bool read_atom_lines(const molden_section_t& s, std::vector<atom_line_t>& out, std::string& error) {
  const double scale = s.option.find("angs") != std::string::npos ? 1.0 : bohr_to_angstrom;
  SectionReader r(s, error);
  std::string_view line;
  while (r.next(line)) {
    const std::vector<std::string_view> w = split_words(line);
    double v[4];
    if (w.size() < 6) return r.fail("an atom line is: name, number, atomic number, x, y, z");
    for (size_t k = 0; k < 4; ++k)
      if (!word_to_double(w[k + 2], v[k]))
        return r.fail("'" + std::string(w[k + 2].substr(0, 24)) + "' is not a number");
    atom_line_t a;
    const std::string symbol = element_of_name(std::string(w[0]), a.ghost_name);
    a.z = symbol.empty() ? -1 : number_of_symbol(symbol);
    const bool whole = v[0] >= 0 && v[0] <= 118 && v[0] == static_cast<int>(v[0]);
    if (a.z <= 0 && whole && v[0] > 0) a.z = static_cast<int>(v[0]);
    if (a.z < 0 && whole) a.z = 0;
    if (a.z < 0) return r.fail("'" + std::string(w[0].substr(0, 20)) + "' names no element");
    a.charge = v[0];
    a.angstrom = vec3{v[1], v[2], v[3]} * scale;
    a.bohr = a.angstrom * (1 / bohr_to_angstrom);
    out.push_back(a);
  }
  return true;
}

// The core electrons that [Pseudo] and [Core] give, by atom (from 0).
std::map<size_t, double> block_cores(const std::vector<molden_section_t>& sections,
                                     const std::vector<atom_line_t>& atoms) {
  std::map<size_t, double> core;
  std::string ignored;
  if (const molden_section_t* s = find_section(sections, "pseudo")) {
    SectionReader r(*s, ignored);
    std::string_view line;
    long long atom;
    double valence;
    while (r.next(line)) {
      const std::vector<std::string_view> w = split_words(line);
      if (w.size() >= 3 && word_to_long(w[1], atom) && word_to_double(w[2], valence) && atom >= 1 &&
          atom <= static_cast<long long>(atoms.size()))
        core[static_cast<size_t>(atom - 1)] = atoms[static_cast<size_t>(atom - 1)].z - valence;
    }
  }
  if (const molden_section_t* s = find_section(sections, "core")) {
    SectionReader r(*s, ignored);
    std::string_view line;
    while (r.next(line)) {
      const size_t colon = line.find(':');
      double n;
      if (colon == std::string_view::npos || !word_to_double(trim(line.substr(colon + 1)), n)) continue;
      const std::string who(trim(line.substr(0, colon)));
      long long atom;
      if (word_to_long(who, atom)) {
        if (atom >= 1 && atom <= static_cast<long long>(atoms.size())) core[static_cast<size_t>(atom - 1)] = n;
      } else if (const int z = number_of_symbol(element_of_label(who)); z > 0) {
        for (size_t i = 0; i < atoms.size(); ++i)
          if (atoms[i].z == z) core[i] = n;
      }
    }
  }
  return core;
}

}  // namespace

bool read_molden_atoms(const std::vector<molden_section_t>& sections, wavefunction_t& wf, std::string& error) {
  const molden_section_t* s = find_section(sections, "atoms");
  std::vector<atom_line_t> atoms;
  if (!s || !read_atom_lines(*s, atoms, error)) return !s;
  const std::map<size_t, double> cores = block_cores(sections, atoms);
  atom_appender append(wf.atoms);
  for (size_t i = 0; i < atoms.size(); ++i) {
    const atom_line_t& a = atoms[i];
    double charge = a.z;
    if (a.z > 0 && (a.ghost_name || a.charge == 0)) {
      charge = 0;
    } else if (const auto it = cores.find(i); it != cores.end()) {
      charge = std::clamp(a.z - it->second, 0.0, static_cast<double>(a.z));
    } else if (a.charge > 0 && a.charge < a.z) {
      charge = std::round(a.charge);
    }
    add_wavefunction_atom(wf, append, a.z, charge, a.angstrom, a.bohr);
  }
  return true;
}
