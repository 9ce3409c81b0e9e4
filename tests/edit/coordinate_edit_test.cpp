#include "edit/coordinate_edit.h"

#include "edit/edit_fixture.h"

namespace {

using CoordinateEdit = EditTest;

TEST_F(CoordinateEdit, TypedCellsAreCheckedWholeAndLocaleFree) {
  EXPECT_EQ(parse_cell_number(" 1.25 "), 1.25);
  EXPECT_EQ(parse_cell_number("+2e-1"), 0.2);
  EXPECT_EQ(parse_cell_number("-3"), -3.0);
  for (const char* bad : {"", "  ", "abc", "1.5x", "1,5", "nan", "inf", "1e999", "+-1", "--1"})
    EXPECT_FALSE(parse_cell_number(bad)) << bad;
  EXPECT_EQ(parse_cell_integer(" 12 "), 12);
  EXPECT_EQ(parse_cell_integer("-4"), -4);
  for (const char* bad : {"", "12a", "1.0", "99999999999"}) EXPECT_FALSE(parse_cell_integer(bad)) << bad;
}

TEST_F(CoordinateEdit, CoordinateEditIsOneUndoStepAndABadTextChangesNothing) {
  atoms({{"C", {0, 0, 0}}, {"O", {1.2, 0, 0}}});
  append_backup();  // the state as read
  EXPECT_EQ(set_atom_coordinate(1, 1, "0.5"), CellEdit::done);
  EXPECT_EQ(at(1)[1], 0.5);
  ASSERT_FALSE(told.atom_lists.empty());
  EXPECT_EQ(told.atom_lists.back(), std::make_pair(AtomListChange::changed, 1));

  const size_t statuses = told.statuses.size();
  EXPECT_EQ(set_atom_coordinate(1, 0, "1.7q"), CellEdit::refused);
  EXPECT_EQ(at(1)[0], 1.2);
  EXPECT_GT(told.statuses.size(), statuses) << "a refused text says why";
  // No such atom or axis.
  EXPECT_EQ(set_atom_coordinate(2, 0, "1"), CellEdit::refused);
  EXPECT_EQ(set_atom_coordinate(0, 3, "1"), CellEdit::refused);
  EXPECT_EQ(set_atom_coordinate(-1, 0, "1"), CellEdit::refused);

  get_backup();
  EXPECT_EQ(m->xyz[1][1], 0.0);
  EXPECT_EQ(m->xyz[1][0], 1.2);
}

TEST_F(CoordinateEdit, NumbersAndNamesRaiseTheirFlagOnceAndSelectingARowSelectsOnlyItsAtom) {
  atoms({{"C", {0, 0, 0}}, {"H", {1, 0, 0}}, {"H", {-1, 0, 0}}});
  EXPECT_EQ(set_atom_numbering(2, "7"), CellEdit::flag_raised);
  EXPECT_EQ(atom_number(*m, 2), 7);
  EXPECT_EQ(set_atom_numbering(1, "8"), CellEdit::done);
  EXPECT_EQ(set_atom_numbering(1, "eight"), CellEdit::refused);
  EXPECT_EQ(atom_number(*m, 1), 8);
  EXPECT_EQ(set_atom_name_text(0, "C1"), CellEdit::flag_raised);
  EXPECT_EQ(set_atom_name_text(0, "Ca"), CellEdit::done);
  EXPECT_EQ(atom_name(*m, 0).value_or(""), "Ca");

  select({0, 1});
  EXPECT_TRUE(select_only_atom(2));
  EXPECT_EQ(m->n_selected, 1);
  EXPECT_EQ(m->selected[0], 2);
  EXPECT_FALSE(select_only_atom(3));
  EXPECT_EQ(m->selected[0], 2);
}

}  // namespace
