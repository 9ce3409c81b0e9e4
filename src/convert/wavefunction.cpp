#include "convert/wavefunction.h"

#include <algorithm>

int wavefunction_t::basis_functions() const {
  int n = 0;
  for (const wf_shell_t& s : shells) n += s.functions();
  return n;
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
