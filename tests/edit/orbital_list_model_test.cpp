#include "edit/orbital_list_model.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using kind_t = orbital_filter_t::kind_t;

orbital_row_t row(int type, int symmetry, double energy, double occupancy) {
  return orbital_row_t{type, symmetry, 1, energy, occupancy};
}

bool passes(const std::string& text, const orbital_row_t& r) {
  const orbital_filter_t f = parse_orbital_filter(text);
  EXPECT_EQ(f.kind, kind_t::conditions) << text;
  return orbital_row_passes(f, r);
}

// A record with grids: (name, kind, symmetry, index, type).
mol_data_t grids_record() {
  mol_data_t rec;
  struct grid {
    const char* name;
    int kind, sym, index, type;
  };
  const grid grids[] = {{"Orbital", 1, 1, 1, 1},
                        {"Orbital", 1, 1, 2, 1},
                        {"Density", 4, 0, 0, 0},
                        {"Orbital", 1, 2, 5, 6},
                        {"Orbital", 1, 2, 6, 7}};
  allocate_grids(rec, 5);
  for (size_t g = 0; g < 5; ++g) {
    rec.grid.edit().grid_name[g] = grids[g].name;
    rec.grid.edit().grid_kind[g] = grids[g].kind;
    rec.grid.edit().orb_sym[g] = grids[g].sym;
    rec.grid.edit().orb_index[g] = grids[g].index;
    rec.grid.edit().orb_type[g] = grids[g].type;
  }
  return rec;
}

TEST(OrbitalFilter, IntervalsAreOpenAndAllConditionsMustPass) {
  const std::string f = "#:e-1:0;o1.5:2.1";
  EXPECT_TRUE(passes(f, row(0, 1, -0.5, 2.0)));
  EXPECT_FALSE(passes(f, row(0, 1, -1.0, 2.0)));
  EXPECT_FALSE(passes(f, row(0, 1, 0.0, 2.0)));
  EXPECT_FALSE(passes(f, row(0, 1, -0.5, 1.5)));
  EXPECT_FALSE(passes(f, row(0, 1, -0.5, 2.1)));
  // An exponent inside an argument is not taken for the energy key.
  EXPECT_FALSE(passes("#:e-1e-3:1", row(0, 1, -0.01, 0)));
  EXPECT_TRUE(passes("#:e-1e-3:1", row(0, 1, -0.0001, 0)));
}

TEST(OrbitalFilter, TypesAndOneDigitSymmetries) {
  EXPECT_TRUE(passes("#:iFS", row(1, 1, 0, 0)));
  EXPECT_TRUE(passes("#:iFS", row(6, 1, 0, 0)));
  EXPECT_FALSE(passes("#:iFS", row(2, 1, 0, 0)));
  EXPECT_FALSE(passes("#:iFS", row(0, 1, 0, 0)));
  EXPECT_TRUE(passes("#:iU123D", row(0, 1, 0, 0)));
  EXPECT_TRUE(passes("#:i3", row(5, 1, 0, 0)));
  EXPECT_TRUE(passes("#:iD", row(7, 1, 0, 0)));
  EXPECT_TRUE(passes("#:s12", row(0, 1, 0, 0)));
  EXPECT_TRUE(passes("#:s12", row(0, 2, 0, 0)));
  EXPECT_FALSE(passes("#:s12", row(0, 3, 0, 0)));
  EXPECT_FALSE(passes("#:s12", row(0, 12, 0, 0)));
  // Arguments end at ";": "S" of "iFS" is no key, "s1" is.
  EXPECT_FALSE(passes("#:iFS;s1", row(1, 2, 0, 0)));
  EXPECT_TRUE(passes("#:iFS;s1", row(1, 1, 0, 0)));
}

TEST(OrbitalFilter, EmptyAndUnmatchableConditions) {
  // Keys without an argument set no condition.
  for (const char* text : {"#:", "#:e", "#:e;o;s;i", "#:x"}) {
    EXPECT_TRUE(passes(text, row(3, 4, 100, -5))) << text;
    EXPECT_TRUE(parse_orbital_filter(text).conditions.empty()) << text;
  }
  // A symmetry or type condition with nothing valid keeps no row.
  EXPECT_FALSE(passes("#:sx", row(0, 1, 0, 0)));
  EXPECT_FALSE(passes("#:ifs", row(1, 1, 0, 0)));
}

TEST(OrbitalFilter, JumpsAndErrors) {
  const orbital_filter_t jump = parse_orbital_filter("#2 5");
  EXPECT_EQ(jump.kind, kind_t::jump);
  EXPECT_EQ(jump.symmetry, 2);
  EXPECT_EQ(jump.index, 5);
  for (const char* text : {"", "2 5", ":e-1:0", "#", "#2", "#abc", "#:eabc", "#:o1.5", "#:e1:x"}) {
    const orbital_filter_t f = parse_orbital_filter(text);
    EXPECT_EQ(f.kind, kind_t::error) << text;
    EXPECT_EQ(f.error, "ERROR: wrong filter format!") << text;
  }

  const mol_data_t rec = grids_record();
  EXPECT_EQ(find_orbital_grid(rec, 2, 5), 3);
  EXPECT_EQ(find_orbital_grid(rec, 9, 99), -1);
  // Only orbital grids are found, not the density with symmetry 0, index 0.
  EXPECT_EQ(find_orbital_grid(rec, 0, 0), -1);
}

TEST(OrbitalTypes, CyclingNeverReachesUndefined) {
  EXPECT_EQ(next_orbital_type(7), 1);
  EXPECT_EQ(next_orbital_type(0), 1);
  EXPECT_EQ(next_orbital_type(1), 2);
  EXPECT_EQ(next_orbital_type(6), 7);
  EXPECT_EQ(next_orbital_type(42), 1);
  EXPECT_EQ(orbital_type_from_description("RAS 2"), 4);
  EXPECT_EQ(orbital_type_from_description("ras 2"), -1);
  EXPECT_STREQ(orbital_type_description(9), "undefined");
  EXPECT_STREQ(orbital_description_short[6], "s");
}

TEST(OrbitalTypes, IndexCountsMoveOneOrbitalAndSkipDeleted) {
  mol_data_t rec;
  rec.grid.edit().index_counts = {0, 2, 3, 0, 0, 0, 5};
  move_index_count(rec, 1, 6);
  EXPECT_EQ(rec.grid.edit().index_counts, (std::array<int, 7>{0, 1, 3, 0, 0, 0, 6}));
  move_index_count(rec, 2, 2);
  EXPECT_EQ(rec.grid.edit().index_counts, (std::array<int, 7>{0, 1, 3, 0, 0, 0, 6}));
  move_index_count(rec, 6, 7);
  EXPECT_EQ(rec.grid.edit().index_counts, (std::array<int, 7>{0, 1, 3, 0, 0, 0, 5}));
  move_index_count(rec, 7, 3);
  EXPECT_EQ(rec.grid.edit().index_counts, (std::array<int, 7>{0, 1, 3, 1, 0, 0, 5}));
  // A count that the file left at 0 stays at 0.
  move_index_count(rec, 4, 5);
  EXPECT_EQ(rec.grid.edit().index_counts, (std::array<int, 7>{0, 1, 3, 1, 0, 1, 5}));
}

TEST(OrbitalText, SubspaceSummaryCountsOrbitalTitles) {
  mol_data_t rec = grids_record();
  EXPECT_EQ(subspace_summary(rec), "Subspaces: f:2; s:1; d:1;");
  rec.grid.edit().grid_name[0] = "Custom";
  rec.grid.edit().orb_type[2] = 3;  // not an orbital title: not counted
  EXPECT_EQ(subspace_summary(rec), "Subspaces: f:1; s:1; d:1;");
  EXPECT_EQ(subspace_summary(mol_data_t{}), "Subspaces:");
}

TEST(OrbitalText, StatusLineIsCutAfter81Characters) {
  EXPECT_EQ(orbital_status_line("*", 1, 5, -0.5125, 2.0, "secondary"),
            "* orbital sym:  1 index:  5 energy:      -0.5125 occ:  2.00 type: secondary");
  EXPECT_EQ(orbital_status_line(" ", 12, 140, 3.14159, 0.5, "RAS 1"),
            "  orbital sym: 12 index: 140 energy:       3.1416 occ:  0.50 type: RAS 1");
  const std::string line = orbital_status_line("*", 1, 5, 1e20, 2.0, "secondary");
  EXPECT_EQ(line.size(), 81u);
  EXPECT_EQ(line.substr(0, 36), "* orbital sym:  1 index:  5 energy: ");
}

TEST(OrbitalSort, AscendingOrderAndTies) {
  EXPECT_LT(compare_symmetry(3, 1), 0);
  EXPECT_GT(compare_symmetry(1, 3), 0);
  EXPECT_GT(compare_symmetry(2, 2), 0);
  EXPECT_LT(compare_index(9, 2), 0);
  EXPECT_GT(compare_index(4, 4), 0);
  EXPECT_LT(compare_energy(-1, 0), 0);
  EXPECT_GT(compare_energy(0, -1), 0);
  EXPECT_LT(compare_energy(0.5, 0.5), 0);
  EXPECT_LT(compare_occupancy(2, 0), 0);
  EXPECT_GT(compare_occupancy(0, 2), 0);
  EXPECT_GT(compare_occupancy(1, 1), 0);
}

}  // namespace
