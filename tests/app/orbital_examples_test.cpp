// The orbital example opens cleanly with its density, potential and
// orbital grids, and its orbitals have the nodes their symmetry demands.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "document/native_file.h"
#include "document/open_close.h"
#include "formats/grid_reader.h"
#include "molecule/mol_data.h"
#include "support/recording_notifier.h"
#include "support/temp_dir.h"

namespace {

class OrbitalExample : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_core_state();
    const std::string name = "formaldehyde_orbitals.mvr";
    open_file(dir.write(name, read_file(std::string(MIVOR_SOURCE_DIR) + "/examples/" + name)), std::nullopt);
  }
  void TearDown() override { close_test_file(); }

  // Loads the orbital of that symmetry and index as the current grid.
  void load(int sym, int index) {
    iorb = get_orbital(sym, index);
    ASSERT_GE(iorb, 0) << sym << " " << index;
    read_grid_from_file();
  }

  TempDir dir;
  RecordingNotifier told;
};

TEST_F(OrbitalExample, OpensWithDensityPotentialAndSixOrbitals) {
  EXPECT_TRUE(told.warnings.empty()) << told.warnings[0];
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(n_geometries(), 1);
  EXPECT_EQ(m->natom(), 4);
  ASSERT_EQ(m->ngrid(), 8);
  EXPECT_EQ(m->grid.edit().grid_kind, (std::vector<int>{GRID_OTHER, GRID_EPOT, GRID_ORBITAL, GRID_ORBITAL, GRID_ORBITAL,
                                                        GRID_ORBITAL, GRID_ORBITAL, GRID_ORBITAL}));
  EXPECT_TRUE(m->flags & FLAG_EPOT);
  EXPECT_EQ(m->grid.edit().epot_values.size(), static_cast<size_t>(m->grid.edit().n_points));
  // Orbitals in rising energy; the last, the LUMO, is empty and current.
  for (size_t g = 3; g < 8; ++g) EXPECT_LT(m->grid.edit().orb_energy[g - 1], m->grid.edit().orb_energy[g]) << g;
  EXPECT_EQ(m->grid.edit().orb_occ[6], 2.0);
  EXPECT_EQ(m->grid.edit().orb_occ[7], 0.0);
  EXPECT_EQ(iorb, 7);
  EXPECT_LT(m->grid.edit().grid_min, 0);
  EXPECT_GT(m->grid.edit().grid_max, 0);
}

TEST_F(OrbitalExample, HomoIsAntisymmetricAcrossTheMolecularAxis) {
  load(3, 2);
  ASSERT_TRUE(told.warnings.empty()) << told.warnings[0];
  EXPECT_LT(m->grid.edit().grid_min, -0.1);
  EXPECT_GT(m->grid.edit().grid_max, 0.1);
  EXPECT_NEAR(m->grid.edit().grid_min, -m->grid.edit().grid_max, 1e-9);
  // The molecule lies in the yz plane across the middle of axis 2: the
  // value at (i, j, k) is minus the value at (i, n2-1-j, k).
  const int n1 = m->grid.edit().net[0], n2 = m->grid.edit().net[1], n3 = m->grid.edit().net[2];
  double worst = 0;
  for (int i = 0; i < n1; ++i)
    for (int j = 0; j < n2; ++j)
      for (int k = 0; k < n3; ++k) {
        const double a = m->grid.edit().grid_values[static_cast<size_t>((i * n2 + j) * n3 + k)];
        const double b = m->grid.edit().grid_values[static_cast<size_t>((i * n2 + (n2 - 1 - j)) * n3 + k)];
        worst = std::max(worst, std::abs(a + b));
      }
  EXPECT_LT(worst, 1e-12);
}

TEST_F(OrbitalExample, DensityIsPositiveAndPotentialHasBothSigns) {
  iorb = 0;
  read_grid_from_file();
  EXPECT_GE(m->grid.edit().grid_min, 0);
  EXPECT_EQ(m->grid.edit().grid_max, 2);  // clamped near the nuclei
  const auto [low, high] = std::minmax_element(m->grid.edit().epot_values.begin(), m->grid.edit().epot_values.end());
  EXPECT_LT(*low, -0.05);
  EXPECT_GT(*high, 1);
}

}  // namespace
