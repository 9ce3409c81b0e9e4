#include "edit/edit_keys.h"

#include "edit/bond_edit.h"
#include "edit/edit_fixture.h"

namespace {

using EditKeys = EditTest;

// The page command tries its cases in order: grids, Shift, the selection of
// an editable geometry, vibrational modes, geometries. Each case must stop
// the ones after it, and the two that need OpenGL are handed back.
TEST_F(EditKeys, PageCommandTriesGridsShiftSelectionModesThenGeometries) {
  atoms({{"C", {0, 0, 0}}, {"C", {3, 0, 0}}});
  allocate_vibs(*m, 2);

  // Two selected atoms: the bond type steps and wraps both ways.
  select({0, 1});
  EXPECT_EQ(page_command(1, false), PageViewStep::none);
  EXPECT_EQ(get_bond_type(0, 1), 1);
  page_command(0, false);
  page_command(0, false);
  EXPECT_EQ(get_bond_type(0, 1), 6);

  // One: its element steps; the modes are left alone.
  select({1});
  EXPECT_EQ(page_command(1, false), PageViewStep::none);
  EXPECT_EQ(symbol(1), "N");
  EXPECT_EQ(ivib, 0);
  EXPECT_EQ(told.modes_shown, 0);

  // Shift comes first: the depth step is the view's and nothing is edited.
  EXPECT_EQ(page_command(0, true), PageViewStep::depth);
  EXPECT_EQ(symbol(1), "N");

  // Not editable: the selection counts for nothing, the mode steps and
  // stays within the modes.
  m->editable = 0;
  for (int dir : {1, 1, 1}) EXPECT_EQ(page_command(dir, false), PageViewStep::none);
  EXPECT_EQ(ivib, 1);
  page_command(0, false);
  page_command(0, false);
  EXPECT_EQ(ivib, 0);
  EXPECT_EQ(told.modes_shown, 5);
  EXPECT_EQ(symbol(1), "N");

  // No modes: the geometry step is the view's.
  deallocate_vibrations(*m);
  EXPECT_EQ(page_command(1, false), PageViewStep::geometry);

  // Grids come before everything, Shift included.
  m->editable = 1;
  allocate_grids(*m, 1);
  EXPECT_EQ(page_command(1, true), PageViewStep::none);
  EXPECT_EQ(page_command(0, false), PageViewStep::none);
  EXPECT_EQ(told.orbital_steps, (std::vector<int>{1, 0}));
  EXPECT_EQ(symbol(1), "N");

  mol_data_t* const current = m;
  m = nullptr;
  EXPECT_EQ(page_command(1, false), PageViewStep::none);
  m = current;
}

}  // namespace
