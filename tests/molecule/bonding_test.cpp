#include "molecule/bonding.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "molecule/elements.h"
#include "molecule/mol_data.h"
#include "molecule/settings.h"
#include "support/recording_notifier.h"

namespace {

struct atom_spec {
  const char* symbol;
  vec3 at;
};

class Bonding : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_core_state();
    new_mol(1);
  }
  void TearDown() override { reset_core_state(); }

  mol_data_t& molecule(const std::vector<atom_spec>& atoms) {
    allocate_atoms(*m, static_cast<int>(atoms.size()));
    for (size_t i = 0; i < atoms.size(); ++i) {
      set_atom_symbol(*m, static_cast<int>(i), atoms[i].symbol);
      m->xyz[i] = atoms[i].at;
    }
    return *m;
  }

  // The bonds as (first, second, type) triples, in list order.
  static std::vector<std::array<int, 3>> bonds(const mol_data_t& rec) {
    std::vector<std::array<int, 3>> out;
    for (const bond_t& b : rec.bond) out.push_back({b.a1, b.a2, b.type});
    return out;
  }
};

using Bonds = std::vector<std::array<int, 3>>;

TEST_F(Bonding, TwoCarbonsBondWithinTheScaledRadiiOnly) {
  Input_Data.single_bonds_only = 1;
  mol_data_t& near = molecule({{"C", {0, 0, 0}}, {"C", {1.54, 0, 0}}});
  determine_bonding(near);
  EXPECT_EQ(bonds(near), (Bonds{{0, 1, SINGLE_BOND}}));

  new_mol(1);
  mol_data_t& far = molecule({{"C", {0, 0, 0}}, {"C", {1.80, 0, 0}}});
  determine_bonding(far);
  EXPECT_TRUE(far.bond.empty());
}

TEST_F(Bonding, WaterGetsTwoSingleBondsAndNoHydrogenPair) {
  mol_data_t& w = molecule({{"O", {0, 0, 0}}, {"H", {0.96, 0, 0}}, {"H", {-0.24, 0.93, 0}}});
  determine_bonding(w);
  EXPECT_EQ(bonds(w), (Bonds{{0, 1, SINGLE_BOND}, {0, 2, SINGLE_BOND}}));
}

TEST_F(Bonding, HydrogensBondOnlyCloserThanTheirScaledRadii) {
  mol_data_t& h2 = molecule({{"H", {0, 0, 0}}, {"H", {0, 0.84, 0}}, {"H", {5, 0, 0}}, {"H", {5, 0.86, 0}}});
  determine_bonding(h2);
  EXPECT_EQ(bonds(h2), (Bonds{{0, 1, SINGLE_BOND}}));
}

TEST_F(Bonding, EtheneEndsWithADoubleBondAndAcetyleneWithATripleBond) {
  mol_data_t& ethene = molecule({{"C", {0, 0, 0.67}},
                                 {"C", {0, 0, -0.67}},
                                 {"H", {0, 0.92, 1.24}},
                                 {"H", {0, -0.92, 1.24}},
                                 {"H", {0, 0.92, -1.24}},
                                 {"H", {0, -0.92, -1.24}}});
  determine_bonding(ethene);
  EXPECT_EQ(
      bonds(ethene),
      (Bonds{{0, 1, DOUBLE_BOND}, {0, 2, SINGLE_BOND}, {0, 3, SINGLE_BOND}, {1, 4, SINGLE_BOND}, {1, 5, SINGLE_BOND}}));

  new_mol(1);
  mol_data_t& acetylene =
      molecule({{"H", {0, 0, -1.66}}, {"C", {0, 0, -0.60}}, {"C", {0, 0, 0.60}}, {"H", {0, 0, 1.66}}});
  determine_bonding(acetylene);
  EXPECT_EQ(bonds(acetylene), (Bonds{{0, 1, SINGLE_BOND}, {1, 2, TRIPLE_BOND}, {2, 3, SINGLE_BOND}}));
}

TEST_F(Bonding, SingleBondsOnlyKeepsEveryBondSingle) {
  Input_Data.single_bonds_only = 1;
  mol_data_t& acetylene =
      molecule({{"H", {0, 0, -1.66}}, {"C", {0, 0, -0.60}}, {"C", {0, 0, 0.60}}, {"H", {0, 0, 1.66}}});
  determine_bonding(acetylene);
  EXPECT_EQ(bonds(acetylene), (Bonds{{0, 1, SINGLE_BOND}, {1, 2, SINGLE_BOND}, {2, 3, SINGLE_BOND}}));
}

TEST_F(Bonding, AtomsThreeAngstromApartOnOneAxisNeverBond) {
  mol_data_t& rec = molecule({{"K", {0, 0, 0}}, {"K", {3.0, 0, 0}}, {"K", {0, 2.99, 0}}});
  determine_bonding(rec);
  // K–K radii give 4.5 Å, but the first pair is 3 Å apart along x.
  EXPECT_EQ(bonds(rec), (Bonds{{0, 2, TRIPLE_BOND}}));
}

TEST_F(Bonding, MoreThan300AtomsKeepTheirBondsAnd300StillBond) {
  std::vector<atom_spec> chain;
  for (int i = 0; i < 301; ++i) chain.push_back({"H", {i * 0.7, 0, 0}});
  mol_data_t& big = molecule(chain);
  add_bond(big, 5, 7, LINE_BOND);
  determine_bonding(big);
  EXPECT_EQ(bonds(big), (Bonds{{5, 7, LINE_BOND}}));

  allocate_atoms(big, 300);
  big.bond.clear();
  determine_bonding(big);
  EXPECT_EQ(big.nbond(), 150);  // H pairs (0,1), (2,3), …: each H takes one partner
  EXPECT_EQ(bonds(big)[0], (std::array<int, 3>{0, 1, SINGLE_BOND}));
}

TEST_F(Bonding, UnknownSymbolsAndPointChargesNeverBond) {
  mol_data_t& rec = molecule(
      {{"Zz", {0, 0, 0}}, {"C", {0.5, 0, 0}}, {"Q", {0, 0.05, 0}}, {"q", {0, 0, 0.05}}, {"Q", {0.05, 0.05, 0}}});
  determine_bonding(rec);
  EXPECT_TRUE(rec.bond.empty());
  EXPECT_EQ(atom_element(rec, 0).valency, 0);
  EXPECT_EQ(atom_element(rec, 0).size, 0.0f);
}

TEST_F(Bonding, HydrogenTakesTheLowestIndexedPartner) {
  mol_data_t& rec = molecule({{"C", {0, 0, 0}}, {"C", {2.0, 0, 0}}, {"H", {1.0, 0, 0}}});
  Input_Data.single_bonds_only = 1;
  determine_bonding(rec);
  EXPECT_EQ(bonds(rec), (Bonds{{0, 2, SINGLE_BOND}}));
}

TEST_F(Bonding, ListedBondsCountAgainstValenciesAndAreRaisedToo) {
  // H0 already bonded (listed) to the far carbon: it takes no second partner.
  mol_data_t& rec =
      molecule({{"H", {0, 0, 0}}, {"H", {0.74, 0, 0}}, {"C", {0, 2.9, 0}}, {"O", {9, 0, 0}}, {"O", {10.2, 0, 0}}});
  add_bond(rec, 2, 0, SINGLE_BOND);
  // A listed bond of type 0 between the oxygens still blocks automatic bonding.
  add_bond(rec, 3, 4, NO_BOND);
  determine_bonding(rec);
  EXPECT_EQ(bonds(rec), (Bonds{{2, 0, SINGLE_BOND}, {3, 4, NO_BOND}}));

  // A listed single bond between oxygens is raised to a double bond.
  rec.bond[1].type = SINGLE_BOND;
  determine_bonding(rec);
  EXPECT_EQ(bonds(rec), (Bonds{{2, 0, SINGLE_BOND}, {3, 4, DOUBLE_BOND}}));
}

TEST_F(Bonding, AddBondChangesAnExistingPairInEitherOrder) {
  mol_data_t& rec = molecule({{"C", {0, 0, 0}}, {"C", {1, 0, 0}}, {"C", {2, 0, 0}}});
  add_bond(rec, 0, 1, SINGLE_BOND);
  add_bond(rec, 1, 0, PARTIAL_BOND);
  add_bond(rec, 1, 2, TRIPLE_BOND);
  EXPECT_EQ(bonds(rec), (Bonds{{0, 1, PARTIAL_BOND}, {1, 2, TRIPLE_BOND}}));
  EXPECT_EQ(get_number_of_bonds_on_atom(1, rec), 3);  // partial counts 0
  EXPECT_EQ(get_number_of_bonds_on_atom(0, rec), 0);
  add_bond(rec, 0, 1, DOUBLE_BOND);
  EXPECT_EQ(get_number_of_bonds_on_atom(1, rec), 5);
}

TEST_F(Bonding, AtomDistanceIsZeroForAtomsThatDoNotExist) {
  mol_data_t& rec = molecule({{"C", {0, 0, 0}}, {"C", {3, 4, 0}}});
  EXPECT_DOUBLE_EQ(atom_distance(rec, 0, 1), 5.0);
  EXPECT_EQ(atom_distance(rec, 0, 2), 0.0);
  EXPECT_EQ(atom_distance(rec, -1, 0), 0.0);
  mol_data_t empty;
  EXPECT_EQ(atom_distance(empty, 0, 0), 0.0);
}

TEST_F(Bonding, BondsWithAtomsOutsideTheGeometryAreLeftAlone) {
  mol_data_t& rec = molecule({{"C", {0, 0, 0}}, {"C", {1.5, 0, 0}}});
  rec.bond.push_back({0, 9, SINGLE_BOND});
  rec.bond.push_back({-3, 1, SINGLE_BOND});
  determine_bonding(rec);
  EXPECT_EQ(rec.nbond(), 3);
  EXPECT_EQ(rec.bond[2].a1, 0);
  EXPECT_EQ(rec.bond[2].a2, 1);
}

}  // namespace
