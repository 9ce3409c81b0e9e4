// A text may hold several Molden files one after another: an unrestricted
// wavefunction as Molpro writes it is two complete files, the first with
// the alpha orbitals, the second with the beta ones. A "[Molden Format]"
// line begins a new file only when an [Atoms] section follows it before the
// next such line (CFOUR repeats the line within one file). The second
// file's orbitals become the beta orbitals when its atoms and basis are the
// first's; otherwise, and for any further file, a note says what was not
// read.
#include <algorithm>
#include <cmath>

#include "convert/molden_sections.h"

namespace {

struct file_part_t {
  std::string_view text;
  int first_line = 1;
  bool atoms = false;  // holds an [Atoms] section
};

std::vector<file_part_t> molden_files(const std::string& text) {
  std::vector<file_part_t> parts(1);
  parts[0].text = text;
  LineCursor lines(text);
  std::string_view line;
  while (lines.next(line)) {
    const std::string_view t = trim(line);
    if (t.empty() || t.front() != '[') continue;
    const size_t offset = static_cast<size_t>(line.data() - text.data());
    if (t.size() == 15 && starts_with_nocase(t, "[molden format]") && offset > 0 &&
        parts.back().text.data() != line.data()) {
      file_part_t& last = parts.back();
      last.text = last.text.substr(0, offset - static_cast<size_t>(last.text.data() - text.data()));
      parts.push_back({std::string_view(text).substr(offset), lines.number(), false});
    } else if (starts_with_nocase(t, "[atoms]")) {
      parts.back().atoms = true;
    }
  }
  // A part without atoms belongs to the file before it.
  std::vector<file_part_t> files;
  for (const file_part_t& p : parts) {
    if (files.empty() || p.atoms) {
      files.push_back(p);
    } else {
      file_part_t& f = files.back();
      f.text = std::string_view(f.text.data(), static_cast<size_t>(p.text.data() + p.text.size() - f.text.data()));
    }
  }
  return files;
}

bool close(double a, double b, double tolerance) { return std::fabs(a - b) <= tolerance * std::max(1.0, std::fabs(a)); }

bool same_atoms(const wavefunction_t& a, const wavefunction_t& b) {
  if (a.numbers != b.numbers || a.centres.size() != b.centres.size()) return false;
  for (size_t i = 0; i < a.centres.size(); ++i)
    for (size_t k = 0; k < 3; ++k)
      if (!close(a.centres[i][k], b.centres[i][k], 1e-5)) return false;
  return true;
}

bool same_basis(const wavefunction_t& a, const wavefunction_t& b) {
  if (a.shells.size() != b.shells.size()) return false;
  for (size_t k = 0; k < a.shells.size(); ++k) {
    const wf_shell_t &s = a.shells[k], &t = b.shells[k];
    if (s.atom != t.atom || s.l != t.l || s.spherical != t.spherical || s.exponents.size() != t.exponents.size())
      return false;
    for (size_t p = 0; p < s.exponents.size(); ++p)
      if (!close(s.exponents[p], t.exponents[p], 1e-8) || !close(s.coefficients[p], t.coefficients[p], 1e-8))
        return false;
  }
  return true;
}

// Takes the orbitals of the second file as the beta orbitals, or says why
// it does not.
void add_second_file(molden_t& m, molden_t& second, int line) {
  const std::string where = "the second Molden file in it (line " + std::to_string(line) + ")";
  std::string why;
  if (second.wf.orbitals.empty())
    why = "holds no orbitals";
  else if (open_shell(m.wf) || open_shell(second.wf))
    why = "holds orbitals of both spins as the first does";
  else if (!same_atoms(m.wf, second.wf))
    why = "has other atoms than the first";
  else if (!same_basis(m.wf, second.wf))
    why = "has another basis than the first";
  if (!why.empty()) {
    m.notes.push_back("WARNING: " + where + " " + why + ": its orbitals are not read");
    return;
  }
  for (wf_orbital_t& mo : second.wf.orbitals) {
    mo.beta = true;
    m.wf.orbitals.push_back(std::move(mo));
  }
  m.notes.push_back("Alpha orbitals from the first Molden file in it, beta orbitals from " + where);
}

}  // namespace

bool parse_molden(const std::string& text, molden_t& m, std::string& error) {
  const std::vector<file_part_t> files = molden_files(text);
  if (!parse_molden_file(molden_sections(files[0].text, files[0].first_line), m, error)) return false;
  if (files.size() < 2) return true;
  molden_t second;
  std::string second_error;
  if (parse_molden_file(molden_sections(files[1].text, files[1].first_line), second, second_error))
    add_second_file(m, second, files[1].first_line);
  else
    m.notes.push_back("WARNING: the second Molden file in it can't be read (" + second_error +
                      "): its orbitals "
                      "are not read");
  if (files.size() > 2)
    m.notes.push_back("WARNING: " + std::to_string(files.size() - 2) + " further Molden file" +
                      (files.size() > 3 ? "s" : "") + " in it (from line " + std::to_string(files[2].first_line) +
                      ") not read");
  return true;
}
