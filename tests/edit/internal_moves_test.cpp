#include "edit/internal_moves.h"

#include <cmath>

#include "edit/edit_fixture.h"
#include "edit/measures.h"
#include "molecule/settings.h"

namespace {

using InternalMoves = EditTest;

TEST_F(InternalMoves, BondMovesTheFirstAtomOrTheMarkedGroup) {
  atoms({{"C", {0, 0, 0}}, {"C", {1, 0, 0}}, {"H", {-1, 0, 0}}, {"H", {0, 1, 0}}});
  select({0, 1});
  mivor_gtk_move_bond(1.5);
  EXPECT_NEAR(at(0)[0], -0.5, 1e-12);
  EXPECT_EQ(at(1), (vec3{1, 0, 0}));
  EXPECT_EQ(at(2), (vec3{-1, 0, 0}));

  // A marked group without the first selected atom moves alone.
  mark({2, 3});
  mivor_gtk_move_bond(2.0);
  EXPECT_NEAR(at(0)[0], -0.5, 1e-12);
  EXPECT_NEAR(at(2)[0], -1.5, 1e-12);
  EXPECT_NEAR(at(3)[0], -0.5, 1e-12);

  // Steps: ±translation_step from the current length; other steps nothing.
  m->marked.clear();
  mivor_gtk_move_coord_step(2);
  EXPECT_NEAR(get_selected_bond_length(), 1.5, 1e-12);
  mivor_gtk_move_coord_step(-1);
  EXPECT_NEAR(get_selected_bond_length(), 1.3, 1e-12);
  // Coinciding atoms give no direction: nothing moves.
  at(0);
  m->xyz[0] = m->xyz[1];
  mivor_gtk_move_bond(1.0);
  EXPECT_EQ(at(0), at(1));
}

TEST_F(InternalMoves, AngleTurnsInThePlaneAndANudgeOpensAStraightOne) {
  atoms({{"H", {1, 0, 0}}, {"O", {0, 0, 0}}, {"H", {0, 1, 0}}});
  select({0, 1, 2});
  mivor_gtk_move_angle(104.5);
  EXPECT_NEAR(get_selected_angle_value(), 104.5, 1e-9);
  EXPECT_NEAR(get_bond_length(0, 1), 1.0, 1e-12);
  EXPECT_NEAR(at(0)[2], 0.0, 1e-12);
  mivor_gtk_move_coord(angle_values[4]);
  EXPECT_NEAR(get_selected_angle_value(), 180.0, 1e-6);
  // Straight: the first atom is nudged off the line, then turned.
  mivor_gtk_move_angle(90);
  EXPECT_NEAR(get_selected_angle_value(), 90.0, 1e-6);
  EXPECT_NEAR(get_bond_length(0, 1), 1.0, 2e-3);
}

TEST_F(InternalMoves, DihedralReadsBackWhatWasSetInTheProgramsSignConvention) {
  const double c = std::cos(M_PI / 3), s = std::sin(M_PI / 3);
  atoms({{"H", {1, 0, 0}}, {"C", {0, 0, 0}}, {"C", {0, 0, 1}}, {"H", {c, s, 1}}, {"H", {2, 0, 0}}});
  EXPECT_NEAR(get_dihedral_value(0, 1, 2, 3), -60.0, 1e-9);
  select({0, 1, 2, 3});
  mark({4});  // moves with the first atom
  for (double v : {-60.0, 35.5, 179.0, -179.0, 0.0, 120.0}) {
    mivor_gtk_move_torsion(v);
    EXPECT_NEAR(get_selected_dihedral_value(), v, 1e-9) << v;
    EXPECT_NEAR(get_dihedral_value(4, 1, 2, 3), v, 1e-9) << v;
  }
  EXPECT_NEAR(get_angle_value(0, 1, 2), 90.0, 1e-9);

  // An atom on the axis has no dihedral: nothing moves and the user is told.
  m->xyz[0] = {0, 0, -1};
  const vec3 before = at(4);
  mivor_gtk_move_torsion(10);
  EXPECT_EQ(at(4), before);
  ASSERT_FALSE(told.statuses.empty());
  EXPECT_EQ(told.statuses.back().second, "ERROR: dihedral undefined");
}

TEST_F(InternalMoves, SmallMovesTakeASnapshotOnlyPastATenthInAll) {
  atoms({{"C", {0, 0, 0}}, {"C", {1.5, 0, 0}}});
  select({0, 1});
  const int snapshots = backup_count;
  for (int k = 1; k <= 3; ++k) {
    mivor_gtk_move_bond(1.5 + 0.03 * k);
    EXPECT_EQ(backup_count, snapshots) << k;
  }
  mivor_gtk_move_bond(1.62);
  EXPECT_EQ(backup_count, snapshots + 1);
  EXPECT_EQ(cumulative_move, 0);

  // A typed coordinate counts its change too, and the snapshot holds it.
  select({0});
  change_xyz_coordinate(1, 0.5);
  EXPECT_EQ(backup_count, snapshots + 2);
  EXPECT_NE(read_file(get_backup_filename()).find("0.500000"), std::string::npos);
}

TEST_F(InternalMoves, ExpandingScalesAboutTheMeanAndRebondsWhenAsked) {
  atoms({{"C", {-1, 0, 0}}, {"C", {1, 0, 0}}, {"C", {0, 6, 0}}});
  Input_Data.auto_rebond = 1;
  do_expand_or_retract(-0.5);
  EXPECT_NEAR(at(0)[0], -0.5, 1e-12);
  EXPECT_NEAR(at(0)[1], 1.0, 1e-12);
  EXPECT_NEAR(at(2)[1], 4.0, 1e-12);
  // C0-C1 now 1 Å apart: bonded; C2 too far from both.
  ASSERT_EQ(m->nbond(), 1);
  EXPECT_EQ(m->bond[0].a1 + m->bond[0].a2, 1);
  EXPECT_EQ(backup_count, 1);  // the first snapshot, past 0.1
}

}  // namespace
