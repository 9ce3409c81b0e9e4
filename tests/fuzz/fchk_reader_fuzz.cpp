// Fuzz target: the formatted checkpoint reader, the basis of each
// convention built from what it read and the numbering and choice of
// orbitals.
#include <string>

#include "convert/fchk.h"
#include "convert/gaussian_basis.h"
#include "convert/orbital_choice.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz_init();
  const std::string text(reinterpret_cast<const char*>(data), size);
  fchk_t f;
  std::string error;
  if (!parse_fchk(text, f, error)) return 0;
  for (const convention_t& c : f.wf.conventions) {
    const basis_t basis = make_basis(f.wf, c);
    (void)basis;
  }
  std::vector<int> per_symmetry;
  std::vector<std::string> labels;
  number_orbitals(f.wf, per_symmetry, labels);
  select_orbitals(f.wf, false);
  return 0;
}
