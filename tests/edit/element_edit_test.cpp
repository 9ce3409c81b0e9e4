#include "edit/element_edit.h"

#include "edit/edit_fixture.h"
#include "molecule/elements.h"

namespace {

using ElementEdit = EditTest;

TEST_F(ElementEdit, PeriodicTableSkipsElementZeroAndPlacesThatDontFit) {
  std::vector<element_t> table(4);
  table[0].table_x = 30;  // element 0 has no button whatever its place
  table[1].table_x = 0, table[1].table_y = 0;
  table[2].table_x = 17, table[2].table_y = 6;
  table[3].table_x = 1000, table[3].table_y = 1;  // a damaged table
  const periodic_layout_t layout = periodic_table_layout(table);
  ASSERT_EQ(layout.cells.size(), 2u);
  EXPECT_EQ(layout.cells[1].element, 2);
  EXPECT_EQ(layout.columns, 18);
  EXPECT_EQ(layout.rows, 7);
}

TEST_F(ElementEdit, ChangingTheElementKeepsTheFourthColourComponentAndOthersAtomsData) {
  atoms({{"C", {0, 0, 0}}, {"C", {1.5, 0, 0}}, {"H", {-1, 0, 0}}});
  set_atom_color(*m, 0, {0.1f, 0.2f, 0.3f, 0.4f});
  select({0});
  ASSERT_EQ(only_selected_atom(), 0);
  const int n = find_element("N");
  ASSERT_GT(n, 0);
  append_backup();
  ASSERT_TRUE(change_atom_element(0, n));
  EXPECT_EQ(symbol(0), "N");
  const color_t c = atom_color(*m, 0);
  EXPECT_EQ(c.red, e[static_cast<size_t>(n)].color.red);
  EXPECT_EQ(c.alpha, 0.4f);
  EXPECT_EQ(symbol(1), "C");
  EXPECT_FALSE(change_atom_element(0, number_of_elements()));
  EXPECT_FALSE(change_atom_element(5, n));

  // Data of one atom alone: the other carbon keeps the table's.
  const float table_size = atom_element(*m, 1).size;
  set_atom_custom_size(1, 2.5f);
  set_atom_custom_valency(1, 3);
  EXPECT_EQ(atom_element(*m, 1).size, 2.5f);
  EXPECT_EQ(atom_element(*m, 1).valency, 3);
  atoms({{"C", {3, 0, 0}}});
  EXPECT_EQ(atom_element(*m, 3).size, table_size) << "atoms added later take the table's data";
  // No selected atom: nothing happens.
  select({});
  EXPECT_EQ(only_selected_atom(), -1);
  set_atom_custom_size(only_selected_atom(), 1.0f);
  EXPECT_EQ(atom_element(*m, 1).size, 2.5f);
}

TEST_F(ElementEdit, ElementPropertiesChangeOnlyThatElementsAtoms) {
  atoms({{"C", {0, 0, 0}}, {"N", {1.5, 0, 0}}, {"N", {3, 0, 0}}});
  set_atom_color(*m, 2, {0, 0, 0, 1});  // an atom with its own colour
  const int c = find_element("C"), n = find_element("N");
  const element_t carbon = e[static_cast<size_t>(c)];
  element_t edited = e[static_cast<size_t>(n)];
  edited.color = {0.9f, 0.8f, 0.7f, 0.6f};
  edited.size = 1.25f;
  edited.valency = 5;
  ASSERT_TRUE(apply_element_properties(n, edited));
  EXPECT_EQ(e[static_cast<size_t>(n)].size, 1.25f);
  EXPECT_EQ(e[static_cast<size_t>(c)].size, carbon.size);
  for (int i : {1, 2}) {
    EXPECT_EQ(atom_element(*m, i).size, 1.25f);
    EXPECT_EQ(atom_element(*m, i).valency, 5);
    EXPECT_EQ(atom_color(*m, i).green, 0.8f) << i;
    EXPECT_EQ(atom_color(*m, i).alpha, 0.6f) << i;
  }
  EXPECT_EQ(atom_element(*m, 0).size, carbon.size);
  EXPECT_EQ(atom_color(*m, 0).red, carbon.color.red);
  EXPECT_FALSE(apply_element_properties(-1, edited));
}

}  // namespace
