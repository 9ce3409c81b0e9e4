#include "edit/atom_edit.h"

#include "edit/atom_order.h"
#include "edit/bond_edit.h"
#include "edit/edit_fixture.h"
#include "edit/edit_keys.h"
#include "molecule/elements.h"

namespace {

using AtomEdit = EditTest;

TEST_F(AtomEdit, HydrogensGoAwayFromNeighboursAtTheSumOfBondSizes) {
  atoms({{"C", {0, 0, 0}}, {"C", {1, 0, 0}}});
  bond(0, 1);
  select({0});
  add_atoms(0);
  ASSERT_EQ(m->natom(), 3);
  EXPECT_EQ(symbol(2), "H");
  EXPECT_NEAR(at(2)[0], -static_cast<double>(0.770f + 0.370f), 1e-12);
  EXPECT_EQ(m->nbond(), 1);  // no bond without automatic bonding

  // A lone atom: the molecule's centre is the atom itself, so along -(1,1,1).
  deallocate_atoms(*m);
  m->bond.clear();
  atoms({{"O", {1, 1, 1}}});
  select({0});
  add_atoms(0);
  const double l = static_cast<double>(atom_element(*m, 0).bond_size + 0.370f) / 0.866;
  EXPECT_NEAR(at(1)[0], 1 - 0.5 * l, 1e-12);
  EXPECT_NEAR(at(1)[2], 1 - 0.5 * l, 1e-12);

  // Nothing selected: beyond the atom farthest from the centre.
  select({});
  add_atoms(0);
  EXPECT_EQ(m->natom(), 3);
  // Two selected: nothing.
  select({0, 1});
  add_atoms(0);
  EXPECT_EQ(m->natom(), 3);
}

TEST_F(AtomEdit, DummyAtomsOnTheAxesAtMidpointsAndCentres) {
  atoms({{"C", {0.005, 0, 0}}, {"C", {2, 0, 0}}});
  add_atoms(1);
  EXPECT_EQ(m->natom(), 8);  // six on the axes; the origin is taken
  EXPECT_EQ(symbol(7), "Q");
  select({0, 1});
  add_atoms(1);
  EXPECT_NEAR(at(8)[0], 1.0025, 1e-12);
  select({});
  mark({0, 1});
  add_atoms(1);
  EXPECT_NEAR(at(9)[0], 1.0025, 1e-12);
  select({0});
  add_atoms(1);
  EXPECT_EQ(m->natom(), 10);

  // All dummy atoms go in one step, bonds to them with them.
  bond(0, 9);
  bond(0, 1);
  const int snapshots = backup_count;
  delete_dummy_atoms();
  EXPECT_EQ(m->natom(), 2);
  EXPECT_EQ(m->nbond(), 1);
  EXPECT_EQ(backup_count, snapshots + 1);
  delete_dummy_atoms();
  EXPECT_EQ(backup_count, snapshots + 1);
}

TEST_F(AtomEdit, DeletingKeepsBondsMarksSelectionWatchedValuesAndModesConsistent) {
  for (int i = 0; i < 8; ++i) append_atom(*m, i % 2 ? "H" : "C", {double(i), 0, 0});
  for (int i = 0; i + 1 < 8; ++i) bond(i, i + 1);
  allocate_vibs(*m, 1);
  for (int i = 0; i < 8; ++i) m->vib.edit().normal_mode[0][static_cast<size_t>(i)] = {double(i), 0, 0};
  select({6, 7});
  add_watched_coord();  // 7-8
  select({2, 3, 4});
  add_watched_coord();  // 3-4-5
  mark({7, 1, 4});
  select({});
  delete_coord();
  ASSERT_EQ(m->natom(), 5);
  EXPECT_EQ(m->xyz[3][0], 5.0);
  EXPECT_EQ(m->vib->normal_mode[0].size(), 5u);
  EXPECT_EQ(m->vib->normal_mode[0][3][0], 5.0);
  EXPECT_TRUE(m->marked.empty());
  EXPECT_EQ(m->nbond(), 2);   // 2-3 and 5-6 survive as 1-2 and 3-4
  ASSERT_EQ(n_watched(), 0);  // both named a deleted atom
  expect_consistent(*m);

  // One selected atom: only it goes; marks above it move down.
  select({1, 3});
  mark({0, 4});
  add_watched_coord();
  delete_coord();
  EXPECT_EQ(m->natom(), 4);
  EXPECT_EQ(m->marked, (std::vector<int>{0, 3}));
  EXPECT_EQ(m->n_selected, 0);
  expect_consistent(*m);

  // Undo brings the atom and its bond back.
  get_backup();
  EXPECT_EQ(m->natom(), 5);
  EXPECT_EQ(m->nbond(), 2);
}

TEST_F(AtomEdit, ElementStepsThroughTheDefaultElementsBothWays) {
  atoms({{"H", {0, 0, 0}}});
  select({0});
  std::vector<std::string> up;
  for (int k = 0; k < 7; ++k) change_element_by_one(1), up.push_back(symbol(0));
  EXPECT_EQ(up, (std::vector<std::string>{"C", "N", "O", "F", "S", "CL", "H"}));
  change_element_by_one(-1);
  EXPECT_EQ(symbol(0), "CL");
  ASSERT_FALSE(told.statuses.empty());
  EXPECT_EQ(told.statuses.back().second, "CL 1 (0.000000 0.000000 0.000000)");
  // Outside the list: the second element up, the last one down.
  set_atom_symbol(*m, 0, "Br");
  change_element_by_one(1);
  EXPECT_EQ(symbol(0), "C");
  set_atom_symbol(*m, 0, "Br");
  change_element_by_one(-1);
  EXPECT_EQ(symbol(0), "CL");
  // The atom takes the element's data.
  EXPECT_FLOAT_EQ(atom_element(*m, 0).bond_size, e[static_cast<size_t>(find_element("CL"))].bond_size);
}

TEST_F(AtomEdit, BondTypesCycleByInsertPageAndDelete) {
  atoms({{"C", {0, 0, 0}}, {"C", {3, 0, 0}}});
  select({0, 1});
  key_context_t insert;
  insert.editable = true;
  insert.n_selected = 2;
  std::vector<int> types;
  for (int k = 0; k < 8; ++k) key_insert(insert), types.push_back(get_bond_type(0, 1));
  EXPECT_EQ(types, (std::vector<int>{1, 2, 3, 4, 5, 6, 0, 1}));
  EXPECT_EQ(m->nbond(), 1);

  change_bond_type(0);
  step_bond_type(-1);
  EXPECT_EQ(get_bond_type(0, 1), 6);

  // Delete lowers the type and stops at 0, printing the bond's index.
  testing::internal::CaptureStdout();
  key_context_t del = insert;
  for (int k = 0; k < 7; ++k) key_delete(del);
  EXPECT_EQ(get_bond_type(0, 1), 0);
  std::string printed;
  for (int k = 0; k < 7; ++k) printed += "I = 0\n";
  EXPECT_EQ(testing::internal::GetCapturedStdout(), printed);
  // A non-editable geometry changes nothing.
  del.editable = false;
  change_bond_type(3);
  key_delete(del);
  EXPECT_EQ(get_bond_type(0, 1), 3);
}

TEST_F(AtomEdit, CopiesCarryEveryDatumAndSelectedAtomsBecomeObjects) {
  atoms({{"N", {1, 2, 3}}, {"C", {0, 0, 0}}, {"C", {1, 0, 0}}, {"C", {0, 1, 0}}});
  set_atom_mulliken(*m, 0, -0.4);
  set_atom_name(*m, 0, "N1");
  set_atom_color(*m, 0, {0.1f, 0.2f, 0.3f, 1});
  const int copy = copy_atom(*m, 0, {4, 5, 6});
  EXPECT_EQ(copy, 4);
  EXPECT_EQ(symbol(4), "N");
  EXPECT_EQ(at(4), (vec3{4, 5, 6}));
  EXPECT_DOUBLE_EQ(atom_mulliken(*m, 4), -0.4);
  EXPECT_EQ(atom_name(*m, 4), "N1");
  EXPECT_EQ(atom_color(*m, 4), (color_t{0.1f, 0.2f, 0.3f, 1}));
  EXPECT_EQ(copy_atom(*m, 9, {}), -1);
  copy_atom_data(*m, 1, 4);
  EXPECT_EQ(symbol(4), "C");
  EXPECT_FALSE(atom_name(*m, 4).has_value());

  select({1, 2, 3});
  add_triangle_selected();
  add_surface_selected();
  add_cell_selected();  // needs four
  EXPECT_EQ(m->ntriangle(), 1);
  EXPECT_EQ(m->nsurf(), 1);
  EXPECT_EQ(m->ncell(), 0);
  EXPECT_EQ(m->deco->triangle2[0], (vec3{1, 0, 0}));
  select({1, 2, 3, 0});
  add_cell_selected();
  EXPECT_EQ(m->deco->cell4[0], (vec3{1, 2, 3}));
  EXPECT_EQ(told.object_changes, 3);
}

}  // namespace
