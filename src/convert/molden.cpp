// Molden sections: "[Atoms] (AU|Angs)", "[GTO]" with the shell flags
// "[5D]", "[5D7F]", "[5D10F]", "[7F]", "[9G]" (Cartesian unless a flag says
// otherwise; "[5D]" makes d and f spherical), "[MO]", "[FREQ]",
// "[FR-COORD]", "[FR-NORM-COORD]", "[INT]", "[GEOMETRIES] (XYZ)" and
// "[GEOCONV]". Section names are compared ignoring case; unknown sections
// are skipped. Every count is checked against what is left of the text
// before it sizes anything.
#include "convert/molden.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "convert/molden_atoms.h"
#include "convert/molden_conventions.h"
#include "convert/molden_files.h"
#include "convert/molden_sections.h"
#include "convert/text_lines.h"
#include "convert/xyz.h"
#include "formats/element_numbers.h"
#include "molecule/elements.h"

namespace {

constexpr double bohr = bohr_to_angstrom;

int shell_l(std::string_view label) {
  static const char* const names[] = {"s", "p", "d", "f", "g"};
  for (int l = 0; l < 5; ++l)
    if (lower(label) == names[l]) return l;
  return -1;
}

bool read_gto(const molden_section_t& s, molden_t& m, std::string& error) {
  SectionReader r(s, error);
  std::string_view line;
  std::vector<double> v;
  int atom = -1;
  long long functions = 0;
  while (r.next(line)) {
    const std::vector<std::string_view> w = split_words(line);
    long long index;
    if (w.size() >= 1 && word_to_long(w[0], index)) {
      if (index < 1 || index > static_cast<long long>(m.wf.atoms.natom()))
        return r.fail("basis functions for atom " + std::string(w[0]) + ", which is not in [Atoms]");
      atom = static_cast<int>(index - 1);
      continue;
    }
    if (atom < 0) return r.fail("a shell before the line that names its atom");
    const bool sp = w.size() >= 2 && lower(w[0]) == "sp";
    const int l = sp ? 0 : shell_l(w.empty() ? "" : w[0]);
    long long nprim;
    if (l < 0) return r.fail("unknown shell '" + std::string(w.empty() ? "" : w[0].substr(0, 12)) + "'");
    if (w.size() < 2 || !word_to_long(w[1], nprim) || nprim < 1) return r.fail("a shell line is: type, count, scale");
    if (static_cast<unsigned long long>(nprim) > r.bytes_left() / 4)
      return r.fail(std::to_string(nprim) + " primitives can't fit in the rest of the file");
    wf_shell_t shell, p_shell;
    shell.atom = p_shell.atom = atom;
    shell.l = l;
    p_shell.l = 1;
    for (long long k = 0; k < nprim; ++k) {
      if (!r.next(line)) return r.fail("the shell ends early");
      if (!r.numbers(line, v, sp ? 3 : 2)) return false;
      if (v[0] <= 0) return r.fail("exponents must be positive");
      shell.exponents.push_back(v[0]);
      shell.coefficients.push_back(v[1]);
      if (sp) {
        p_shell.exponents.push_back(v[0]);
        p_shell.coefficients.push_back(v[2]);
      }
    }
    functions += shell.functions() + (sp ? 3 : 0);
    if (functions > max_basis_functions)
      return r.fail("more than " + std::to_string(max_basis_functions) + " basis functions");
    m.wf.shells.push_back(shell);
    if (sp) m.wf.shells.push_back(p_shell);
  }
  m.has_basis = true;
  return true;
}

// Key lines of an orbital: "Sym=", "Ene=", "Spin=", "Occup=".
bool is_key_line(std::string_view line) { return trim(line).find('=') != std::string_view::npos; }

// The label's own index and irreducible representation ("5a1", "5.1"), or
// the whole label with index 0.
void split_label(const std::string& label, wf_orbital_t& mo) {
  size_t digits = 0;
  while (digits < label.size() && std::isdigit(static_cast<unsigned char>(label[digits]))) ++digits;
  mo.index = 0;
  mo.irrep = label.empty() ? "a" : label;
  if (digits == 0 || digits > 6 || digits == label.size()) return;
  size_t rest = digits;
  if (label[rest] == '.') ++rest;
  if (rest == label.size()) return;
  mo.index = std::atoi(label.substr(0, digits).c_str());
  mo.irrep = label.substr(rest);
}

bool read_mo(const molden_section_t& s, molden_t& m, int nbf, std::string& error) {
  SectionReader r(s, error);
  std::string_view line;
  std::vector<double> v;
  bool in_keys = false;
  std::vector<wf_orbital_t>& mos = m.wf.orbitals;
  while (r.next(line)) {
    if (is_key_line(line)) {
      if (!in_keys) mos.emplace_back().irrep = "a";
      in_keys = true;
      wf_orbital_t& mo = mos.back();
      const std::string_view t = trim(line);
      const size_t eq = t.find('=');
      const std::string key = lower(trim(t.substr(0, eq)));
      const std::string_view value = trim(t.substr(eq + 1));
      double x = 0;
      if (key == "sym") {
        split_label(std::string(value.substr(0, 32)), mo);
      } else if (key == "spin") {
        mo.beta = lower(value).find("beta") != std::string::npos;
      } else if (key == "ene" || key == "occup") {
        if (!word_to_double(split_words(value).empty() ? "" : split_words(value)[0], x))
          return r.fail("'" + std::string(value.substr(0, 24)) + "' is not a number");
        (key == "ene" ? mo.energy : mo.occ) = x;
      }
      continue;
    }
    in_keys = false;
    if (mos.empty()) return r.fail("coefficients before the first orbital's keys");
    if (!r.numbers(line, v, 2)) return false;
    const double index = v[0];
    if (index < 1 || index > nbf || index != static_cast<int>(index)) {
      char text[48];
      std::snprintf(text, sizeof text, "%g", index);
      return r.fail(std::string("coefficient of basis function ") + text + ", but the basis has " +
                    std::to_string(nbf));
    }
    mos.back().sparse.emplace_back(static_cast<int>(index) - 1, v[1]);
  }
  return true;
}

bool read_fr_coord(const molden_section_t& s, molden_t& m, std::string& error) {
  SectionReader r(s, error);
  std::string_view line;
  std::vector<double> v;
  atom_appender atoms(m.fr_atoms);
  while (r.next(line)) {
    const std::vector<std::string_view> w = split_words(line);
    if (w.size() < 4) return r.fail("an atom line is: name, x, y, z");
    const std::string symbol = element_of_label(std::string(w[0]));
    if (symbol.empty()) return r.fail("'" + std::string(w[0].substr(0, 20)) + "' is not an element");
    if (!r.numbers(line.substr(static_cast<size_t>(w[1].data() - line.data())), v, 3)) return false;
    atoms.add(symbol, vec3{v[0], v[1], v[2]} * bohr);
  }
  return true;
}

// One number per line ([FREQ], [INT], the energies of [GEOCONV]).
bool read_column(SectionReader& r, std::vector<double>& out, bool stop_at_text) {
  std::string_view line;
  std::vector<double> v;
  while (r.next(line)) {
    double x;
    const std::vector<std::string_view> w = split_words(line);
    if (!word_to_double(w[0], x)) {
      if (stop_at_text) {
        r.back();
        return true;
      }
      return r.fail("'" + std::string(w[0].substr(0, 24)) + "' is not a number");
    }
    out.push_back(x);
  }
  return true;
}

bool read_norm_coords(const molden_section_t& s, molden_t& m, size_t natoms, std::string& error) {
  SectionReader r(s, error);
  std::string_view line;
  std::vector<double> v;
  size_t mode = 0;
  while (r.next(line)) {
    if (!starts_with_nocase(trim(line), "vibration")) return r.fail("'vibration N' was expected");
    if (mode >= m.modes.freq.size()) return r.fail("more modes than frequencies in [FREQ]");
    for (size_t a = 0; a < natoms; ++a) {
      if (!r.next(line)) return r.fail("the mode ends early");
      if (!r.numbers(line, v, 3)) return false;
      m.modes.normal_mode[mode].push_back({v[0], v[1], v[2]});
    }
    ++mode;
  }
  return true;
}

// What may name the program that wrote the file, in lower case: the title,
// the program line, and the names of the sections (some programs add their
// own, "[Molpro variables]").
std::string program_marks(const std::vector<molden_section_t>& sections) {
  std::string marks;
  for (const molden_section_t& s : sections) {
    marks += s.name + " " + s.option + "\n";
    if (s.name == "title" || s.name == "program") marks += lower(s.body.substr(0, 400)) + "\n";
  }
  return marks;
}

// One Molden file of the text.
bool parse_molden_file(const std::vector<molden_section_t>& sections, molden_t& m, std::string& error) {
  auto find = [&](const char* name) { return find_section(sections, name); };
  if (sections.empty() || !(find("molden format") || find("atoms") || find("geometries") || find("fr-coord"))) {
    error = "not a Molden file: no [Molden Format], [Atoms], [FR-COORD] or [GEOMETRIES] section";
    return false;
  }
  if (!read_molden_atoms(sections, m.wf, error)) return false;
  m.wf.conventions = molden_conventions(program_marks(sections));
  const molden_section_t* gto = find("gto");
  if (gto && !read_gto(*gto, m, error)) return false;
  bool d5 = false, f7 = false, g9 = false;
  for (const molden_section_t& s : sections) {
    if (s.name == "5d" || s.name == "5d7f") d5 = f7 = true;
    if (s.name == "5d10f") d5 = true;
    if (s.name == "7f") f7 = true;
    if (s.name == "9g") g9 = true;
  }
  for (wf_shell_t& shell : m.wf.shells)
    shell.spherical = (shell.l == 2 && d5) || (shell.l == 3 && f7) || (shell.l == 4 && g9);
  if (const molden_section_t* s = find("mo")) {
    if (!gto) {
      error = "the file has orbitals ([MO]) but no basis ([GTO])";
      return false;
    }
    if (!read_mo(*s, m, m.wf.basis_functions(), error)) return false;
  }
  if (const molden_section_t* s = find("fr-coord"); s && !read_fr_coord(*s, m, error)) return false;
  if (const molden_section_t* s = find("freq")) {
    SectionReader r(*s, error);
    std::vector<double> freq;
    if (!read_column(r, freq, false)) return false;
    const size_t natoms = static_cast<size_t>(m.fr_atoms.natom());
    m.modes.freq = freq;
    m.modes.ir_intensity.assign(freq.size(), 0.0);
    m.modes.raman_intensity.assign(freq.size(), 0.0);
    m.modes.normal_mode.assign(freq.size(), {});
    if (const molden_section_t* n = find("fr-norm-coord"); n && !read_norm_coords(*n, m, natoms, error)) return false;
    for (const std::vector<vec3>& mode : m.modes.normal_mode)
      if (mode.size() != natoms) {
        error = "[FR-NORM-COORD] does not give every mode of [FREQ] for every atom of [FR-COORD]";
        return false;
      }
    if (const molden_section_t* in = find("int")) {
      SectionReader ri(*in, error);
      std::vector<double> ir;
      if (!read_column(ri, ir, false)) return false;
      if (ir.size() == freq.size()) {
        m.modes.ir_intensity = ir;
        m.ir = true;
      }
    }
  }
  if (m.fr_atoms.natom() == 0) {
    m.modes = vibration_data_t{};
    m.ir = false;
  }
  if (const molden_section_t* s = find("geometries")) {
    if (s->option.find("zmat") != std::string::npos) {
      error = "[GEOMETRIES] (ZMAT) is not supported";
      return false;
    }
    std::string steps_error;
    if (!read_xyz(std::string(s->body), m.steps, steps_error)) {
      error = "[GEOMETRIES]: " + steps_error;
      return false;
    }
    if (const molden_section_t* c = find("geoconv")) {
      SectionReader r(*c, error);
      std::string_view line;
      std::vector<double> energies;
      while (r.next(line)) {
        if (lower(trim(line)) != "energy") continue;
        if (!read_column(r, energies, true)) return false;
        break;
      }
      if (energies.size() == m.steps.size())
        for (size_t k = 0; k < energies.size(); ++k) {
          m.steps[k].rec.energy = energies[k];
          m.steps[k].rec.flags |= FLAG_ENERGY;
        }
    }
  }
  if (m.wf.atoms.natom() == 0 && m.fr_atoms.natom() == 0 && m.steps.empty()) {
    error = "no atoms in [Atoms], [FR-COORD] or [GEOMETRIES]";
    return false;
  }
  return true;
}

}  // namespace

bool parse_molden(const std::string& text, molden_t& m, std::string& error) {
  const std::vector<molden_file_part_t> files = molden_files(text);
  if (!parse_molden_file(molden_sections(files[0].text, files[0].first_line), m, error)) return false;
  if (files.size() < 2) return true;
  molden_t second;
  std::string second_error;
  if (parse_molden_file(molden_sections(files[1].text, files[1].first_line), second, second_error))
    add_second_file(m.wf, second.wf, files[1].first_line, m.notes);
  else
    m.notes.push_back("WARNING: the second Molden file in it can't be read (" + second_error +
                      "): its orbitals are not read");
  if (files.size() > 2)
    m.notes.push_back("WARNING: " + std::to_string(files.size() - 2) + " further Molden file" +
                      (files.size() > 3 ? "s" : "") + " in it (from line " + std::to_string(files[2].first_line) +
                      ") not read");
  return true;
}
