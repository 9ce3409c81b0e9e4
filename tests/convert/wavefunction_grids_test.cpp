// The grid pipeline fed by a source that knows its orbitals' irreps,
// indices and types (as an orbital file does): H2 in a minimal basis.
#include "convert/wavefunction_grids.h"

#include <gtest/gtest.h>

#include <cmath>

#include "convert/convert_support.h"
#include "molecule/mol_data.h"
#include "support/recording_notifier.h"
#include "support/temp_dir.h"

namespace {

TEST(WavefunctionGrids, IrrepsIndicesAndTypesOfTheSourceAreKept) {
  reset_core_state();
  wavefunction_t wf;
  atom_appender atoms(wf.atoms);
  for (double z : {0.0, 1.4}) add_wavefunction_atom(wf, atoms, 1, 1, vec3{0, 0, z * 0.52917721067}, vec3{0, 0, z});
  for (int a = 0; a < 2; ++a) wf.shells.push_back({a, 0, false, {1.0}, {1.0}});
  const double s = std::exp(-0.5 * 1.4 * 1.4);  // overlap of the two 1s
  wf_orbital_t bonding{"ag", 1, false, -0.6, 2.0, 'i', {}, {1 / std::sqrt(2 + 2 * s), 1 / std::sqrt(2 + 2 * s)}};
  wf_orbital_t antibonding{
      "b1u", 1, false, 0.7, 0.0, 's', {{0, 1 / std::sqrt(2 - 2 * s)}, {1, -1 / std::sqrt(2 - 2 * s)}}, {}};
  wf.orbitals = {antibonding, bonding};
  wf.conventions = {standard_convention("the source's")};

  TempDir dir;
  std::vector<geometry_section_t> geometries(1);
  geometries[0].rec = wf.atoms;
  grid_options_t o;
  o.net = 12;
  std::string error;
  ASSERT_TRUE(write_wavefunction(wf, o, "h2.orb", geometries, {}, dir.file("h2.mvr"), error)) << error;
  const std::string text = read_file(dir.file("h2.mvr"));
  EXPECT_NE(text.find("Basis conventions: the source's, under which the orbitals are orthonormal"), std::string::npos);
  EXPECT_NE(text.find(" N_INDEX= 0 0 1 0 0 0 1\n"), std::string::npos);
  // Symmetries in the order the irreps are met, grids in order of energy.
  const size_t bonding_grid = text.find("GridName= Orbital  sym= 2 index=1 Energ=-0.600000 occ=2.000000 type=i");
  const size_t antibonding_grid = text.find("GridName= Orbital  sym= 1 index=1 Energ=0.700000 occ=0.000000 type=s");
  ASSERT_NE(antibonding_grid, std::string::npos);
  EXPECT_LT(bonding_grid, antibonding_grid);
  EXPECT_NE(text.find("* orbitals of h2.orb; symmetries: 1 b1u, 2 ag\n"), std::string::npos);
  EXPECT_NE(text.find("* 1234567890\n0 s\n* 1234567890\n0 i\n"), std::string::npos);
}

}  // namespace
