#include "convert/wavefunction.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "formats/element_numbers.h"

int wavefunction_t::basis_functions() const {
  int n = 0;
  for (const wf_shell_t& s : shells) n += s.functions();
  return n;
}

void add_wavefunction_atom(wavefunction_t& wf, atom_appender& atoms, int z, double charge, const vec3& angstrom,
                           const vec3& bohr) {
  const bool ghost = z > 0 && charge == 0;
  atoms.add(ghost ? "Q" : symbol_of_number(z), angstrom);
  if (ghost) set_atom_name(wf.atoms, wf.atoms.natom() - 1, symbol_of_number(z) + " ghost");
  wf.centres.push_back(bohr);
  wf.numbers.push_back(z);
  wf.charges.push_back(charge);
}

std::vector<std::string> atom_charge_notes(const wavefunction_t& wf) {
  std::vector<std::string> notes;
  std::string ghosts, cores;
  double core = 0;
  for (size_t i = 0; i < wf.numbers.size() && i < wf.charges.size(); ++i) {
    const std::string atom = symbol_of_number(wf.numbers[i]) + " " + std::to_string(i + 1);
    if (wf.numbers[i] > 0 && wf.charges[i] == 0) {
      ghosts += (ghosts.empty() ? "" : ", ") + atom;
    } else if (wf.charges[i] < wf.numbers[i]) {
      char text[64];
      std::snprintf(text, sizeof text, "%s%s: %g", cores.empty() ? "" : ", ", atom.c_str(),
                    wf.numbers[i] - wf.charges[i]);
      cores += text;
      core += wf.numbers[i] - wf.charges[i];
    }
  }
  if (!ghosts.empty())
    notes.push_back("Ghost atoms (basis functions without a nucleus), shown as dummy atoms: " + ghosts);
  if (!cores.empty()) {
    double electrons = 0;
    for (const wf_orbital_t& mo : wf.orbitals) electrons += mo.occ;
    char text[200];
    std::snprintf(text, sizeof text,
                  "Effective core potentials take %g core electrons (%s): the density holds the %.6g valence "
                  "electrons of the file",
                  core, cores.c_str(), electrons);
    notes.push_back(text);
  }
  return notes;
}

convention_t standard_convention(const std::string& name) {
  convention_t c;
  c.name = name;
  return c;
}

bool occupied(const wf_orbital_t& mo) { return mo.occ > 1e-8; }

bool open_shell(const wavefunction_t& wf) {
  return std::any_of(wf.orbitals.begin(), wf.orbitals.end(), [](const wf_orbital_t& mo) { return mo.beta; });
}
