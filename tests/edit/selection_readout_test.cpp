#include "edit/selection_readout.h"

#include <gtest/gtest.h>

#include <cmath>

#include "molecule/elements.h"
#include "support/recording_notifier.h"

namespace {

// C, H, O, N placed so that the angle C-H-O is 90° and the dihedral
// C-H-O-N is -60° in the program's sign convention.
class SelectionReadoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_core_state();
    new_mol(1);
    allocate_atoms(*m, 4);
    const char* symbols[] = {"C", "H", "O", "N"};
    const vec3 positions[] = {{1, 0, 0}, {0, 0, 0}, {0, 0, 1}, {0.5, std::sqrt(3.0) / 2, 1}};
    for (size_t i = 0; i < 4; ++i) {
      set_atom_symbol(*m, static_cast<int>(i), symbols[i]);
      m->xyz[i] = positions[i];
    }
  }
  void select(std::initializer_list<int> atoms) {
    m->n_selected = 0;
    for (int a : atoms) m->selected[static_cast<size_t>(m->n_selected++)] = a;
  }
  RecordingNotifier recorder;
};

TEST_F(SelectionReadoutTest, OneToFourAtomsGiveAtomBondAngleAndDihedral) {
  EXPECT_EQ(selection_status_text(*m), "");
  select({3});
  EXPECT_EQ(selection_status_text(*m), "N 4 (0.500000 0.866025 1.000000)");
  select({0, 1});
  EXPECT_EQ(selection_status_text(*m), "bond: C 1-H 2  1.000000");
  select({0, 1, 2});
  EXPECT_EQ(selection_status_text(*m), "angle: C 1-H 2-O 3  90.000000");
  select({0, 1, 2, 3});
  EXPECT_EQ(selection_status_text(*m), "dihedral:C 1-H 2-O 3-N 4  -60.000000");
  select({3, 2, 1, 0});
  EXPECT_EQ(selection_status_text(*m), "dihedral:N 4-O 3-H 2-C 1  -60.000000");
}

TEST_F(SelectionReadoutTest, CollinearAtomsGiveAStraightAngleNotNan) {
  m->xyz[0] = {-0.1, -0.2, -0.3};
  m->xyz[2] = {0.1, 0.2, 0.3};
  select({0, 1, 2});
  EXPECT_EQ(selection_status_text(*m), "angle: C 1-H 2-O 3  180.000000");
}

TEST_F(SelectionReadoutTest, AStaleSelectionShowsNothing) {
  select({0, 7});
  EXPECT_EQ(selection_status_text(*m), "");
}

}  // namespace
