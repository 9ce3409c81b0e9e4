// Fuzz target: the Molden reader, the basis built from what it read and
// the numbering and choice of orbitals.
#include <string>

#include "convert/gaussian_basis.h"
#include "convert/molden.h"
#include "convert/orbital_choice.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz_init();
  const std::string text(reinterpret_cast<const char*>(data), size);
  molden_t m;
  std::string error;
  if (!parse_molden(text, m, error)) return 0;
  for (const convention_t& c : m.wf.conventions) {
    const basis_t basis = make_basis(m.wf, c);
    (void)basis;
  }
  std::vector<int> per_symmetry;
  std::vector<std::string> labels;
  number_orbitals(m.wf, per_symmetry, labels);
  select_orbitals(m.wf, false);
  return 0;
}
