#include "edit/selection.h"

#include <gtest/gtest.h>

#include "support/recording_notifier.h"

namespace {

// Atoms on a line, 1 Å apart, seen through a projector that puts x = k at
// pixel 100 + 40·k and y = 0 at pixel 100 from the bottom.
class SelectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_core_state();
    new_mol(1);
    allocate_atoms(*m, 6);
    element_t half;
    half.size = 0.5;
    const uint32_t kind = add_atom_kind(*m, half);
    for (int i = 0; i < 6; ++i) {
      m->xyz[static_cast<size_t>(i)] = {double(i), 0, 0};
      set_atom_kind(*m, i, kind);
    }
  }
  static bool project(const vec3& p, double& x, double& y) {
    x = 100 + 40 * p[0];
    y = 100 + 40 * p[1];
    return true;
  }
  // A click at the window position of atom i (window 200 pixels high).
  int pick(int i, int dx = 0) { return pick_atom(100 + 40 * i + dx, 100, 200, project); }
  RecordingNotifier recorder;
};

TEST_F(SelectionTest, PickingFindsTheNearestAtomWithinItsRadius) {
  EXPECT_EQ(pick(2), 2);
  EXPECT_EQ(pick(2, 9), 2);  // radius √(10² + 10²) ≈ 14 pixels
  EXPECT_EQ(pick(2, 15), -1);
  EXPECT_EQ(pick_atom(5, 5, 200, project), -1);
  // Two atoms at the same place: the lower index wins.
  m->xyz[4] = m->xyz[3];
  EXPECT_EQ(pick(3), 3);
}

TEST_F(SelectionTest, ClicksSelectUpToFourAtomsNeverTwice) {
  for (int i : {0, 0, 1, 2, 3, 4}) click_select(pick(i));
  EXPECT_EQ(m->n_selected, 4);
  EXPECT_EQ(m->selected, (std::array<int, 4>{0, 1, 2, 3}));
  click_select(-1);
  EXPECT_EQ(m->n_selected, 4);
}

TEST_F(SelectionTest, RightClickTogglesAndMiddleClearsSelectionBeforeMarks) {
  toggle_mark(1);
  toggle_mark(3);
  toggle_mark(1);
  toggle_mark(1);
  EXPECT_EQ(m->marked, (std::vector<int>{3, 1}));
  click_select(2);
  clear_selection_or_marks();
  EXPECT_EQ(m->n_selected, 0);
  EXPECT_EQ(m->selected[0], -1);
  EXPECT_EQ(m->n_marked(), 2);
  clear_selection_or_marks();
  EXPECT_EQ(m->n_marked(), 0);
  EXPECT_GT(recorder.selection_changes, 0);
}

TEST_F(SelectionTest, RectangleMarksAtomsStrictlyInsideOnlyOnce) {
  mark_atom(2);
  // Pixels x 140 … 260 hold atoms 1 (on the edge), 2, 3 and 4 (on the edge).
  mark_atoms_in_rectangle(260, 90, 140, 110, 200, project);
  EXPECT_EQ(m->marked, (std::vector<int>{2, 3}));
  // y from the top: atoms lie at 200 − 100 = 100.
  mark_atoms_in_rectangle(0, 0, 300, 99, 200, project);
  EXPECT_EQ(m->n_marked(), 2);
}

}  // namespace
