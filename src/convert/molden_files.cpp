// A text may hold several Molden files one after another: an unrestricted
// wavefunction as Molpro writes it is two complete files, the first with
// the alpha orbitals, the second with the beta ones. A "[Molden Format]"
// line begins a new file only when an [Atoms] section follows it before the
// next such line (CFOUR repeats the line within one file). The second
// file's orbitals become the beta orbitals when its atoms and basis are the
// first's; otherwise, and for any further file, a note says what was not
// read.
#include "convert/molden_files.h"

#include <algorithm>
#include <cmath>

#include "convert/text_lines.h"

namespace {

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

}  // namespace

std::vector<molden_file_part_t> molden_files(const std::string& text) {
  std::vector<molden_file_part_t> parts(1);
  parts[0].text = text;
  LineCursor lines(text);
  std::string_view line;
  while (lines.next(line)) {
    const std::string_view t = trim(line);
    if (t.empty() || t.front() != '[') continue;
    const size_t offset = static_cast<size_t>(line.data() - text.data());
    if (t.size() == 15 && starts_with_nocase(t, "[molden format]") && offset > 0 &&
        parts.back().text.data() != line.data()) {
      molden_file_part_t& last = parts.back();
      last.text = last.text.substr(0, offset - static_cast<size_t>(last.text.data() - text.data()));
      parts.push_back({std::string_view(text).substr(offset), lines.number(), false});
    } else if (starts_with_nocase(t, "[atoms]")) {
      parts.back().atoms = true;
    }
  }
  // A part without atoms belongs to the file before it.
  std::vector<molden_file_part_t> files;
  for (const molden_file_part_t& p : parts) {
    if (files.empty() || p.atoms) {
      files.push_back(p);
    } else {
      molden_file_part_t& f = files.back();
      f.text = std::string_view(f.text.data(), static_cast<size_t>(p.text.data() + p.text.size() - f.text.data()));
    }
  }
  return files;
}

void add_second_file(wavefunction_t& first, wavefunction_t& second, int line, std::vector<std::string>& notes) {
  const std::string where = "the second Molden file in it (line " + std::to_string(line) + ")";
  std::string why;
  if (second.orbitals.empty())
    why = "holds no orbitals";
  else if (open_shell(first) || open_shell(second))
    why = "holds orbitals of both spins as the first does";
  else if (!same_atoms(first, second))
    why = "has other atoms than the first";
  else if (!same_basis(first, second))
    why = "has another basis than the first";
  if (!why.empty()) {
    notes.push_back("WARNING: " + where + " " + why + ": its orbitals are not read");
    return;
  }
  for (wf_orbital_t& mo : second.orbitals) {
    mo.beta = true;
    first.orbitals.push_back(std::move(mo));
  }
  notes.push_back("Alpha orbitals from the first Molden file in it, beta orbitals from " + where);
}
