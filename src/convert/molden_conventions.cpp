#include "convert/molden_conventions.h"

std::vector<convention_t> molden_conventions() {
  convention_t psi4 = standard_convention("psi4 1.3");
  for (int l = 2; l <= 4; ++l) psi4.cartesian[static_cast<size_t>(l)].cartesian = cartesian_scale_t::shared;
  return {standard_convention("Molden standard"), psi4};
}
