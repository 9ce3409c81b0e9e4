#include "molecule/mol_data.h"

#include <gtest/gtest.h>

#include "molecule/elements.h"
#include "support/recording_notifier.h"

namespace {

class MolData : public ::testing::Test {
 protected:
  void SetUp() override { reset_core_state(); }
  void TearDown() override { reset_core_state(); }
  RecordingNotifier told;
};

TEST_F(MolData, NewMolWithoutRecordsReturnsNull) {
  new_mol(2);
  EXPECT_EQ(new_mol(0), nullptr);
  EXPECT_EQ(n_geometries(), 0);
  EXPECT_EQ(m, nullptr);
  EXPECT_EQ(new_mol(-1), nullptr);
  EXPECT_EQ(n_geometries(), 0);
}

TEST_F(MolData, NewMolMakesEmptyEditableRecordsAndStartsTheAtomList) {
  igeo = 2;
  ivib = 1;
  iorb = 3;
  mol_data_t* first = new_mol(3);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, m);
  EXPECT_EQ(first, mol.data());
  EXPECT_EQ(n_geometries(), 3);
  EXPECT_EQ(igeo, 0);
  EXPECT_EQ(ivib, 0);
  EXPECT_EQ(iorb, 0);
  for (const mol_data_t& rec : mol) {
    EXPECT_EQ(rec.editable, 1);
    EXPECT_EQ(rec.natom(), 0);
    EXPECT_EQ(rec.nbond(), 0);
    EXPECT_EQ(rec.n_selected, 0);
    EXPECT_EQ(rec.selected, (std::array<int, 4>{-1, -1, -1, -1}));
    EXPECT_EQ(rec.flags, 0);
  }
  ASSERT_FALSE(told.atom_lists.empty());
  EXPECT_EQ(told.atom_lists.back().first, AtomListChange::started);
}

TEST_F(MolData, AllocatorsResizeEveryParallelArrayAndKeepExistingItems) {
  new_mol(1);
  allocate_atoms(*m, 2);
  m->xyz[1] = {1, 2, 3};
  set_atom_symbol(*m, 1, "C");
  set_atom_name(*m, 1, "carbon");
  allocate_atoms(*m, 5);
  EXPECT_EQ(m->natom(), 5);
  // Arrays that hold data keep step with the atoms; absent data stay absent.
  EXPECT_EQ(m->atoms->kind.size(), 5u);
  EXPECT_EQ(m->atoms->name.size(), 5u);
  EXPECT_TRUE(m->atoms->charge_m.empty() && m->atoms->number.empty() && m->atoms->color.empty());
  EXPECT_EQ(atom_mulliken(*m, 4), 0.0);
  EXPECT_TRUE(m->atom_labels.empty());  // made only when labels are drawn
  EXPECT_EQ(m->xyz[1], (vec3{1, 2, 3}));
  EXPECT_EQ(atom_element(*m, 1).name, "C");
  EXPECT_EQ(atom_name(*m, 1), "carbon");
  EXPECT_EQ(m->xyz[4], (vec3{0, 0, 0}));
  EXPECT_FALSE(atom_name(*m, 4).has_value());
  EXPECT_EQ(atom_color(*m, 4), color_t{});

  m->atom_labels.resize(5);
  allocate_atoms(*m, 1);
  EXPECT_EQ(m->natom(), 1);
  EXPECT_EQ(m->atom_labels.size(), 1u);
}

TEST_F(MolData, AllocateVibsSizesTheLastModeToTheAtomCount) {
  new_mol(1);
  allocate_atoms(*m, 3);
  allocate_vibs(*m, 1);
  m->vib.edit().normal_mode[0][2] = {0.1, 0.2, 0.3};
  allocate_vibs(*m, 2);
  EXPECT_EQ(m->nvibr(), 2);
  EXPECT_EQ(m->vib.edit().ir_intensity.size(), 2u);
  EXPECT_EQ(m->vib.edit().raman_intensity.size(), 2u);
  EXPECT_EQ(m->vib.edit().normal_mode[1].size(), 3u);
  EXPECT_EQ(m->vib.edit().normal_mode[0][2], (vec3{0.1, 0.2, 0.3}));
}

TEST_F(MolData, AllocateGridsSizesArraysFromTheHeader) {
  new_mol(1);
  m->grid.edit().n_points = 8;
  m->grid.edit().n_blocks = 2;
  m->grid.edit().n_grid_header = 3;
  allocate_grids(*m, 3);
  EXPECT_EQ(m->ngrid(), 3);
  EXPECT_EQ(m->grid.edit().grid_name.size(), 3u);
  EXPECT_EQ(m->grid.edit().orb_type_changed.size(), 3u);
  // What is per point is made when a grid is loaded.
  EXPECT_TRUE(m->grid->cutoff_mask.empty());
  EXPECT_TRUE(m->grid->grid_values.empty());
  EXPECT_EQ(m->grid.edit().block_offset.size(), 6u);
  m->grid.edit().epot_values.assign(8, 1.0);
  m->flags |= FLAG_EPOT;
  deallocate_grids(*m);
  EXPECT_EQ(m->ngrid(), 0);
  EXPECT_EQ(m->grid.edit().n_points, 0);
  EXPECT_EQ(m->grid.edit().n_grid_header, 0);
  EXPECT_TRUE(m->grid.edit().epot_values.empty());
  EXPECT_EQ(m->flags & FLAG_EPOT, 0);
}

TEST_F(MolData, DeallocatorsEmptyTheirGroupClearTheirFlagsAndTolerateEmptyGroups) {
  new_mol(1);
  mol_data_t& rec = *m;
  allocate_atoms(rec, 2);
  allocate_bonds(rec, 1);
  allocate_vibs(rec, 1);
  allocate_vectors(rec, 1);
  allocate_triangles(rec, 1);
  allocate_spheres(rec, 1);
  allocate_surfaces(rec, 1);
  allocate_cells(rec, 1);
  allocate_textbox(rec);
  rec.dipole = {1, 2, 3};
  rec.flags = FLAG_DIPOLE | FLAG_IR | FLAG_RAMAN | FLAG_MULLIKEN | FLAG_ATOM_COLORS | FLAG_ENERGY;
  rec.n_selected = 1;
  rec.selected[0] = 1;
  rec.marked = {0, 1};

  deallocate_data(rec);
  EXPECT_EQ(rec.natom(), 0);
  EXPECT_EQ(rec.nbond(), 0);
  EXPECT_EQ(rec.nvibr(), 0);
  EXPECT_EQ(rec.nvector(), 0);
  EXPECT_EQ(rec.ntriangle(), 0);
  EXPECT_EQ(rec.nsphere(), 0);
  EXPECT_EQ(rec.nsurf(), 0);
  EXPECT_EQ(rec.ncell(), 0);
  EXPECT_EQ(rec.ntextbox(), 0);
  EXPECT_EQ(rec.n_marked(), 0);
  EXPECT_EQ(rec.n_selected, 0);
  EXPECT_EQ(rec.selected[0], -1);
  EXPECT_EQ(rec.flags, FLAG_ENERGY);
  EXPECT_GE(told.selection_changes, 1);

  deallocate_data(rec);  // again, on empty groups
  EXPECT_EQ(rec.natom(), 0);
}

TEST_F(MolData, DeallocateMolDataLeavesNoRecord) {
  new_mol(2);
  geo_file_position = {0, 100};
  deallocate_mol_data();
  EXPECT_EQ(n_geometries(), 0);
  EXPECT_EQ(m, nullptr);
  EXPECT_TRUE(geo_file_position.empty());
  deallocate_mol_data();
  EXPECT_EQ(n_geometries(), 0);
}

TEST_F(MolData, UnselectAllEmptiesEverySlotAndTellsTheInterface) {
  new_mol(1);
  m->n_selected = 4;
  m->selected = {3, 1, 2, 0};
  unselect_all();
  EXPECT_EQ(m->n_selected, 0);
  EXPECT_EQ(m->selected, (std::array<int, 4>{-1, -1, -1, -1}));
  EXPECT_EQ(told.selection_changes, 1);
}

TEST_F(MolData, RecordsOwnTheirDataIndependently) {
  new_mol(2);
  allocate_atoms(mol[0], 1);
  set_atom_symbol(mol[0], 0, "O");
  mol[1] = mol[0];
  set_atom_symbol(mol[1], 0, "S");
  deallocate_data(mol[1]);
  ASSERT_EQ(mol[0].natom(), 1);
  EXPECT_EQ(atom_element(mol[0], 0).name, "O");
}

TEST(BondDescription, NamesEveryBondType) {
  EXPECT_STREQ(bond_description[NO_BOND], "No bond");
  EXPECT_STREQ(bond_description[ONE_AND_HALF_BOND], "One and half bond");
  EXPECT_STREQ(bond_description[LINE_BOND], "Line");
  EXPECT_EQ(bond_order(SINGLE_BOND), 1);
  EXPECT_EQ(bond_order(TRIPLE_BOND), 3);
  EXPECT_EQ(bond_order(PARTIAL_BOND), 0);
  EXPECT_EQ(bond_order(NO_BOND), 0);
  EXPECT_EQ(bond_order(-7), 0);
}

}  // namespace
