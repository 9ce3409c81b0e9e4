// The writers' conventions, as documented by the programs and by the format
// libraries that read their files:
//
//   ORCA           the contraction coefficients of s, p and spherical d, f,
//                  g shells multiply unnormalised primitives; the spherical
//                  functions of m = ±3 (f, g) and ±4 (g) have the opposite
//                  sign.
//   psi4 < 1.0     s, p and spherical d, f coefficients multiply
//                  unnormalised primitives.
//   psi4 1.3       Cartesian d, f, g components all normalised like x^l.
//   Turbomole      Cartesian d, f, g components √((2l-1)!!) times the
//                  standard ones (3, 15, 105 under the root).
//   CFOUR          the coefficient of a Cartesian component x^a·y^b·z^c is
//                  the standard one divided by √((2a-1)!!(2b-1)!!(2c-1)!!):
//                  its functions share the norm of x^l, times √((2l-1)!!).
//   NWChem         contractions not normalised: the standard, since every
//                  contraction is normalised as read.
//   Molpro         the standard.
#include "convert/molden_conventions.h"

#include <algorithm>

namespace {

struct writer_t {
  const char* mark;  // what names the program in the file; empty: nothing
  convention_t convention;
};

convention_t orca() {
  convention_t c = standard_convention("ORCA");
  for (size_t l = 0; l <= 1; ++l) c.cartesian[l].raw_primitives = true;
  for (size_t l = 0; l <= 4; ++l) c.spherical[l].raw_primitives = true;
  for (size_t l = 3; l <= 4; ++l) c.spherical[l].high_m_negated = true;
  return c;
}

convention_t psi4_before_1() {
  convention_t c = standard_convention("psi4 before 1.0");
  for (size_t l = 0; l <= 1; ++l) c.cartesian[l].raw_primitives = true;
  for (size_t l = 0; l <= 3; ++l) c.spherical[l].raw_primitives = true;
  return c;
}

convention_t scaled_cartesian(const char* name, cartesian_scale_t scale) {
  convention_t c = standard_convention(name);
  for (size_t l = 2; l <= 4; ++l) c.cartesian[l].cartesian = scale;
  return c;
}

std::vector<writer_t> writers() {
  return {
      {"", standard_convention("the Molden standard")},
      {"orca", orca()},
      {"psi4", psi4_before_1()},
      {"psi4", scaled_cartesian("psi4 1.3", cartesian_scale_t::shared)},
      {"turbomole", scaled_cartesian("Turbomole", cartesian_scale_t::own_dfact)},
      {"cfour", scaled_cartesian("CFOUR", cartesian_scale_t::shared_dfact)},
      {"nwchem", standard_convention("NWChem (contractions not normalised)")},
      {"molpro", standard_convention("Molpro (the Molden standard)")},
  };
}

}  // namespace

std::vector<convention_t> molden_conventions(const std::string& marks) {
  std::vector<writer_t> all = writers();
  std::stable_partition(all.begin(), all.end(),
                        [&](const writer_t& w) { return *w.mark && marks.find(w.mark) != std::string::npos; });
  std::vector<convention_t> out;
  for (writer_t& w : all) out.push_back(std::move(w.convention));
  return out;
}
