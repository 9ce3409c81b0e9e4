#include "edit/marking.h"

#include "edit/atom_order.h"
#include "edit/edit_fixture.h"

namespace {

using Marking = EditTest;

TEST_F(Marking, ByElementMatchesTheSymbolExactly) {
  atoms({{"C", {0, 0, 0}},
         {"H", {1, 0, 0}},
         {"He", {5, 0, 0}},
         {"Cl", {0, 2, 0}},
         {"C", {3, 3, 3}},
         {"Hg", {6, 0, 0}},
         {"H", {0, 0, 1}}});
  mark({6});
  mark_H();
  EXPECT_EQ(m->marked, (std::vector<int>{6, 1}));
  EXPECT_EQ(told.selection_changes, 1);

  m->marked.clear();
  mark_element_as_selected();  // nothing selected
  EXPECT_TRUE(m->marked.empty());
  select({4});
  mark_element_as_selected();
  EXPECT_EQ(m->marked, (std::vector<int>{0, 4}));

  reverse_marked();
  EXPECT_EQ(m->marked, (std::vector<int>{1, 2, 3, 5, 6}));
  reverse_marked();
  EXPECT_EQ(m->marked, (std::vector<int>{0, 4}));
  m->marked.clear();
  reverse_marked();
  EXPECT_EQ(m->n_marked(), 7);
}

// Propane C0-C1-C2 with a hydrogen H3 on C0, and a ring C4..C7 joined to C2.
TEST_F(Marking, NeighboursAndTheFragmentBehindABond) {
  atoms({{"C", {0, 0, 0}},
         {"C", {1.5, 0, 0}},
         {"C", {3, 0, 0}},
         {"H", {-1, 0, 0}},
         {"C", {4.5, 0, 0}},
         {"C", {5.5, 1, 0}},
         {"C", {6.5, 0, 0}},
         {"C", {5.5, -1, 0}}});
  for (auto [a, b] : {std::pair{0, 1}, {1, 2}, {3, 0}, {2, 4}, {4, 5}, {5, 6}, {6, 7}, {7, 4}}) bond(a, b);

  select({1});
  mark_neighbor();
  EXPECT_EQ(m->marked, (std::vector<int>{0, 2}));

  // C0 first and its hydrogen second: everything on the carbon's side.
  m->marked.clear();
  select({0, 3});
  mark_neighbor();
  EXPECT_EQ(m->marked, (std::vector<int>{0, 1, 2, 4, 5, 6, 7}));

  // Across C1-C2, on the side of C2: the ring, reached depth first in bond order.
  m->marked.clear();
  select({2, 1});
  mark_neighbor();
  EXPECT_EQ(m->marked, (std::vector<int>{2, 4, 5, 6, 7}));

  // Inside the ring the search goes round and takes the second atom too.
  m->marked.clear();
  select({5, 6});
  mark_neighbor();
  EXPECT_EQ(m->marked.size(), 8u);

  // No bonds, or three atoms selected: nothing.
  m->marked.clear();
  m->bond.clear();
  select({1});
  mark_neighbor();
  select({0, 1, 2});
  mark_neighbor();
  EXPECT_TRUE(m->marked.empty());
  mark_nei(99);
  EXPECT_TRUE(m->marked.empty());
}

TEST_F(Marking, OneSideOfABondOrOfThePlaneOfThreeAtoms) {
  atoms({{"C", {-2, 0, 0}}, {"C", {-1, 0, 0}}, {"C", {0, 0, 0}}, {"C", {1, 0, 0}}, {"C", {2, 1, 0}}, {"C", {0, 0, 3}}});
  select({1, 3});  // plane x = 0: atom 2 lies in it, 4 beyond 3
  mark_one_side();
  EXPECT_EQ(m->marked, (std::vector<int>{3, 4, 1}));

  // Plane z = 0 through atoms 0, 1, 4 with normal +z: atom 5 above it.
  m->marked.clear();
  select({0, 1, 4});
  mark_one_side();
  EXPECT_EQ(m->marked, (std::vector<int>{5, 0, 1, 4}));

  // Collinear atoms define no plane: only they are marked.
  m->marked.clear();
  select({0, 1, 2});
  mark_one_side();
  EXPECT_EQ(m->marked, (std::vector<int>{0, 1, 2}));
}

TEST_F(Marking, RenumberingPutsTheMarkedFirstWithEverythingThatBelongsToThem) {
  for (int i = 0; i < 6; ++i) {
    append_atom(*m, i == 2 ? "O" : "C", {double(i), 0, 0});
    set_atom_mulliken(*m, i, 0.1 * i);
    set_atom_number(*m, i, 10 + i);
    set_atom_name(*m, i, "a" + std::to_string(i));
  }
  bond(2, 3, 2);
  bond(0, 5);
  select({5, 2});
  add_watched_coord();  // bond 6-3 in numbers from 1
  mark({5, 2});
  const int snapshots = backup_count;
  renumber_marked();

  const std::vector<int> order = {5, 2, 0, 1, 3, 4};
  for (int k = 0; k < 6; ++k) {
    const int old = order[static_cast<size_t>(k)];
    EXPECT_DOUBLE_EQ(at(k)[0], old);
    EXPECT_DOUBLE_EQ(atom_mulliken(*m, k), 0.1 * old);
    EXPECT_EQ(atom_number(*m, k), 10 + old);
    EXPECT_EQ(atom_name(*m, k), "a" + std::to_string(old));
  }
  EXPECT_EQ(symbol(1), "O");
  EXPECT_EQ(m->bond[0].a1, 1);
  EXPECT_EQ(m->bond[0].a2, 4);
  EXPECT_EQ(m->bond[0].type, 2);
  EXPECT_EQ(m->bond[1].a1, 2);
  EXPECT_EQ(m->bond[1].a2, 0);
  EXPECT_EQ(m->n_selected, 0);
  EXPECT_TRUE(m->marked.empty());
  ASSERT_EQ(n_watched(), 1);
  EXPECT_EQ(watch[0].atom[0], 1);  // old atom 5 is atom 0 now
  EXPECT_EQ(watch[0].atom[1], 2);
  EXPECT_EQ(backup_count, snapshots + 1);

  // With nothing marked the order stays, and a snapshot is still taken.
  renumber_marked();
  EXPECT_DOUBLE_EQ(at(0)[0], 5);
  EXPECT_EQ(backup_count, snapshots + 2);
}

}  // namespace
