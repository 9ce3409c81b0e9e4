#include "formats/grid_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "document/native_file.h"
#include "document/open_close.h"
#include "formats/text_words.h"
#include "support/recording_notifier.h"
#include "support/temp_dir.h"

namespace {

using file_ptr = std::unique_ptr<FILE, int (*)(FILE*)>;
using values_t = grid_values_t;
using mask_t = std::vector<uint8_t>;

std::string raw(const values_t& values) {
  return std::string(reinterpret_cast<const char*>(values.data()), values.size() * sizeof(double));
}

// The lines of a grid section up to and including ORBOFF, on a unit lattice
// unless `axes` says otherwise.
std::string header(const std::string& keys, const std::string& net, long long orboff,
                   const std::string& axes = " Axis_1= 1 0 0\n Axis_2= 0 1 0\n Axis_3= 0 0 1\n") {
  return " " + keys + "\n N_INDEX= 1 2 3 4 5 6 7\n Net= " + net + "\n Origin= 0 0 0\n" + axes +
         " ORBOFF = " + std::to_string(orboff) + "\n";
}

const std::string orbital = " GridName= Orbital  sym= 1 index=1 Energ=-0.5 occ=2.0 type=i\n";
const std::string density = " <DENSITY>\n";
const std::string tail = " </DENSITY>\n </GRID>\nafter\n";

class GridReader : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_core_state();
    new_mol(1);
    allocate_atoms(*m, 1);
  }
  void TearDown() override {
    reset_core_state();
    input_file_name.clear();
  }

  // Makes `section` (what follows a " <GRID>" line) the open native file,
  // reads it into the current geometry and returns the next line after it.
  std::string read(const std::string& section) {
    input_file_name = dir.write("grid.mvr", " <GRID>\n" + section);
    file_ptr file(std::fopen(input_file_name.c_str(), "rb"), std::fclose);
    read_line(file.get());
    read_grid_block(file.get(), *m);
    return read_line(file.get());
  }

  values_t grid(int g) {
    iorb = g;
    read_grid_from_file();
    return m->grid.edit().grid_values;
  }

  TempDir dir;
  RecordingNotifier told;
};

// 2×2×2 points, two grids in blocks of 5: grid 0 at 0 and 80, grid 1 at 40
// and 104 bytes from the data start.
const values_t a = {0.1, -0.2, 0.3, -0.4, 0.5, -0.6, 0.7, 0.8}, b = {1, 1.5, 0, -1, -1.5, 2, 0.25, 0.5};
const std::string two_grids =
    header("N_of_MO=2 N_of_Grids=2 N_of_Points=8 Block_Size=5 N_Blocks=2 Is_cutoff=0 CutOff=3.0 N_P=0", "2 2 2", 128) +
    orbital + " GridName= Orbital  sym= 1 index=2 Energ=0.5 occ=0.0 type=s\n" + density +
    raw({a[0], a[1], a[2], a[3], a[4], b[0], b[1], b[2], b[3], b[4], a[5], a[6], a[7], b[5], b[6], b[7]}) + tail;

TEST_F(GridReader, BlocksOfInterleavedGridsAreReadBack) {
  EXPECT_EQ(read(two_grids), "after\n");
  EXPECT_TRUE(told.warnings.empty());
  ASSERT_EQ(m->ngrid(), 2);
  EXPECT_EQ(m->grid.edit().block_offset, (std::vector<int64_t>{0, 80, 40, 104}));
  EXPECT_EQ(m->grid.edit().grid_data_size, 128);
  EXPECT_EQ(m->grid.edit().index_counts, (std::array<int, 7>{1, 2, 3, 4, 5, 6, 7}));
  EXPECT_EQ(m->grid.edit().axis[1][1], bohr_to_angstrom);
  EXPECT_EQ(iorb, 1);
  EXPECT_EQ(grid(1), b);
  EXPECT_EQ(grid(0), a);
  EXPECT_EQ(m->grid.edit().grid_min, -0.6);
  EXPECT_EQ(m->grid.edit().grid_max, 0.8);
}

TEST_F(GridReader, ValuesAboveTwoAreClampedExceptAtTheFirstPoint) {
  read(header("N_of_Grids=1 N_of_Points=8 Block_Size=8 N_Blocks=1", "2 2 2", 64) + orbital + density +
       raw({5, 5, -3, 0, 1, 2, 0.5, 0}) + tail);
  EXPECT_EQ(grid(0), (values_t{5, 2, -3, 0, 1, 2, 0.5, 0}));
  EXPECT_EQ(m->grid.edit().grid_max, 2);  // the first point does not count
  EXPECT_EQ(m->grid.edit().grid_min, -3);
}

// 4×2×2 points, x = 0 … 3 bohr, y and z 0 or 1 bohr, one atom at the
// origin. With R = 1.5 bohr the box keeps x = 0 and 1 (points 0-7), even
// (1, 1, 1) at √3 bohr; R = 1.5 Å (2.83 bohr) also keeps x = 2.
const std::string box_axes = " Axis_1= 3 0 0\n Axis_2= 0 1 0\n Axis_3= 0 0 1\n";

TEST_F(GridReader, CutOffKeepsPointsInABoxAroundTheAtoms) {
  read(header("N_of_Grids=1 N_of_Points=16 Block_Size=16 N_Blocks=1 Is_cutoff=1 CutOff=1.5", "4 2 2", 128, box_axes) +
       orbital + density + raw(values_t(16, 0.0)) + tail);
  // The mask is made when a grid is loaded.
  EXPECT_TRUE(m->grid->cutoff_mask.empty());
  grid(0);
  EXPECT_EQ(m->grid->cutoff_mask, (mask_t{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0}));

  // In blocks of 6: block 1 keeps two points, block 2 none; what follows
  // the kept values must not be used.
  read(header("N_of_Grids=1 N_of_Points=16 Block_Size=6 N_Blocks=3 Is_cutoff=1 CutOff=1.5 BOHR", "4 2 2", 128,
              box_axes) +
       orbital + density + raw({.1, .2, .3, .4, .5, .6, .7, .8, 9, 9, 9, 9, 9, 9, 9, 9}) + tail);
  EXPECT_EQ(m->grid.edit().block_offset, (std::vector<int64_t>{0, 48, 96}));
  EXPECT_EQ(grid(0), (values_t{.1, .2, .3, .4, .5, .6, .7, .8, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(m->grid->cutoff_mask, (mask_t{1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0}));

  // A header that claims more kept values than its data hold: the atom
  // alone keeps 12 points, the data hold 8. Refused on reading.
  const std::string short_data =
      header("N_of_Grids=1 N_of_Points=16 Block_Size=16 N_Blocks=1 Is_cutoff=1 CutOff=1.5", "4 2 2", 64, box_axes) +
      orbital + density + raw(values_t(8, 0.0)) + tail;
  told.warnings.clear();
  EXPECT_EQ(read(short_data), "after\n");
  EXPECT_EQ(told.warnings, std::vector<std::string>{"ERROR: Ill-defined size of grid data"});
  EXPECT_EQ(m->ngrid(), 0);

  // With R = 1.2 bohr and a second atom at x = 1.5 bohr, each atom keeps 8
  // points (x = 0 and 1, x = 1 and 2) but both together 12: only the mask,
  // made when the grid is loaded, tells. The grid stays listed but gets no
  // values.
  allocate_atoms(*m, 2);
  m->xyz[1] = {1.5 * bohr_to_angstrom, 0, 0};
  std::string two_atoms = short_data;
  two_atoms.replace(two_atoms.find("CutOff=1.5"), 10, "CutOff=1.2 BOHR");
  told.warnings.clear();
  read(two_atoms);
  EXPECT_EQ(m->ngrid(), 1);
  EXPECT_TRUE(grid(0).empty());
  EXPECT_EQ(told.warnings, std::vector<std::string>{"ERROR: Ill-defined size of grid data"});
  EXPECT_EQ(m->grid->cutoff_mask, (mask_t{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0}));

  // N_P counts kept points: more than the data hold is refused.
  told.warnings.clear();
  std::string np = two_atoms;
  np.replace(np.find("BOHR"), 4, "BOHR N_P=9");
  read(np);
  EXPECT_EQ(told.warnings, std::vector<std::string>{"ERROR: Ill-defined size of grid data"});
  EXPECT_EQ(m->ngrid(), 0);
}

// Values 1.0 and -0.8 among zeros: V = 1, t[i] = 0.05·(i - 0.001), so
// t[16] = 0.79995 < 0.8 < t[17]. S[0 … 16] = 1 + 0.64 = 1.64, S[17 … 20] = 1.
// Target o = 1.64·i/20 first exceeds S[17] = 1 at i = 13; then
// h = t[16] + 0.05·(o - 1)/0.64: i = 13: o = 1.066, h = 0.80510625;
// i = 14: o = 1.148, h = 0.8115125 (rounded 0.8); i = 20: h = t[17] = 0.84995.
// Below i = 13 no target lies between two sums and h stays 0.1.
TEST_F(GridReader, SuggestedLevelsSplitTheSumOfSquares) {
  m->grid.edit().grid_values = {0, 1.0, -0.8, 0, 0, 0, 0, 0};
  m->grid.edit().grid_min = -0.8;
  m->grid.edit().grid_max = 1.0;
  compute_iso_levels(*m);
  for (int i = 1; i <= 12; ++i) EXPECT_DOUBLE_EQ(m->grid.edit().iso_levels[i], 0.1) << i;
  EXPECT_DOUBLE_EQ(m->grid.edit().iso_levels[13], 0.80510625);
  EXPECT_DOUBLE_EQ(m->grid.edit().iso_levels[14], 0.8115125);
  EXPECT_DOUBLE_EQ(m->grid.edit().iso_levels[20], 0.84995);
  EXPECT_EQ(m->grid.edit().iso_value, 0.8);

  // Mirrored, the levels above the largest value (0.8) turn negative.
  m->grid.edit().grid_values = {0, -1.0, 0.8, 0, 0, 0, 0, 0};
  m->grid.edit().grid_min = -1.0;
  m->grid.edit().grid_max = 0.8;
  compute_iso_levels(*m);
  EXPECT_DOUBLE_EQ(m->grid.edit().iso_levels[12], 0.1);
  EXPECT_DOUBLE_EQ(m->grid.edit().iso_levels[14], -0.8115125);
  EXPECT_EQ(m->grid.edit().iso_value, -0.8);

  // A grid without points (a file's claim of none) has no values to sum:
  // the levels keep the default magnitude, above the largest value (0).
  m->grid.edit().grid_values = grid_values_t();
  m->grid.edit().grid_min = m->grid.edit().grid_max = 0;
  compute_iso_levels(*m);
  EXPECT_DOUBLE_EQ(m->grid.edit().iso_levels[20], -0.1);
}

TEST_F(GridReader, GridLinesDescribeOrbitalsAndOtherGrids) {
  read(header("N_of_Grids=6 N_of_Points=2 Block_Size=2 N_Blocks=1", "2 1 1", 96) +
       " GridName= Orbital  sym= 2 index=7 Energ=-0.5125 occ=1.98 type=  s\n"
       " GridName= Orbital  SYM=1 INDEX=3 ENERG=0.25 OCC=0.5 TYPE=x\n GridName= Orbital sym=3\n"
       " GridName= Density\n GridName= Electrostatic potential\n GridName= Electrostatic B\n" +
       density + raw({0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 5, -7}) + tail);
  EXPECT_EQ(m->grid.edit().grid_kind, (std::vector<int>{1, 1, 1, 4, 3, 3}));
  EXPECT_EQ(m->grid.edit().orb_type, (std::vector<int>{6, 0, 0, 0, 0, 0}));
  EXPECT_EQ(m->grid.edit().orb_sym, (std::vector<int>{2, 1, 3, 0, 0, 0}));
  EXPECT_EQ(m->grid.edit().orb_index, (std::vector<int>{7, 3, 0, 0, 0, 0}));
  EXPECT_EQ(m->grid.edit().orb_energy, (std::vector<double>{-0.5125, 0.25, 0, 0, 0, 0}));
  EXPECT_EQ(m->grid.edit().orb_occ, (std::vector<double>{1.98, 0.5, 0, 0, 0, 0}));
  EXPECT_EQ(m->grid.edit().grid_name[0], "Orbital");
  EXPECT_EQ(m->grid.edit().grid_name[4], "Electrostatic");
  // Two potential grids: the flag stays set and the last one is loaded with
  // the first grid loaded.
  EXPECT_TRUE(m->flags & FLAG_EPOT);
  EXPECT_TRUE(m->grid->epot_values.empty());
  grid(0);
  EXPECT_EQ(m->grid.edit().epot_values, (values_t{5, -7}));

  for (int type = 0; type < 8; ++type) EXPECT_EQ(orbital_type_from_letter(orb_desc_short[type][0]), type);
  EXPECT_STREQ(orbital_description[3], "RAS 1");

  EXPECT_EQ(get_orbital(1, 3), 1);
  EXPECT_EQ(get_orbital(3, 1), -1);
  const double* data = nullptr;
  EXPECT_EQ(current_grid_data(&data), 1);
  EXPECT_EQ(data, m->grid.edit().grid_values.data());
  deallocate_grids(*m);
  double limit = 7;
  current_grid_limits(&limit, nullptr, nullptr);
  EXPECT_EQ(limit, 7);
  EXPECT_EQ(current_grid_data(&data), 0);
  EXPECT_EQ(get_orbital(1, 3), -1);
}

TEST_F(GridReader, EveryFailureToReadValuesWarnsAndDropsTheGrids) {
  const auto fails = [&](const char* message) {
    read_grid_from_file();
    EXPECT_EQ(told.warnings.back(), message);
    EXPECT_EQ(m->ngrid(), 0);
    EXPECT_EQ(m->natom(), 1);
    read(two_grids);
  };
  read(two_grids);
  file_ptr file(std::fopen(input_file_name.c_str(), "rb"), std::fclose);
  read_epoten_grid(nullptr, *m, 0);
  EXPECT_EQ(told.warnings.back(), "ERROR in reading Epot: Can't open file containig grid data!");
  read_epoten_grid(file.get(), *m, 2);
  EXPECT_EQ(told.warnings.back(), "ERROR in reading Epot: Grid number out of range!");
  EXPECT_EQ(m->ngrid(), 2);

  iorb = 2;
  fails("ERROR: Grid number out of range!");
  input_file_name = dir.file("gone.mvr");
  fails("ERROR: Can't open file containig grid data!");
  input_file_name.clear();
  fails("ERROR: File containing grid data is undefined!");
}

// Each section leaves the geometry without grids, its atom kept, the binary
// data stepped over and the line after the section next.
TEST_F(GridReader, UnusableSectionsWarnAndLeaveNoGrids) {
  const std::string keys = "N_of_Grids=1 N_of_Points=8 Block_Size=8 N_Blocks=1 ";
  // A whole section of one grid with 8 bytes of data per point.
  const auto one = [](const std::string& key_line, const std::string& net = "2 2 2", long long orboff = 64) {
    return header(key_line, net, orboff) + orbital + density + raw(values_t(8)) + tail;
  };
  const std::string end_in_data = "\n<END>\n\n";  // must be stepped over, not read as a line
  const std::string ill = "ERROR: Ill-defined number of grids", blocks = "ERROR: Ill-defined grid blocks";
  const std::string no_density =
      "ERROR: The <DENSITY> section was not found in the grid data. The file may have been written in an older "
      "version of the file format, which changed without backward compatibility: please use an older version of "
      "Mivor or update your quantum-chemistry package.";
  const std::string past_end = "ERROR: Grid data extend past the end of the file";
  const struct {
    std::string section, warning, next = "after\n";
  } cases[] = {
      {header(keys, "10 10 10", 8) + orbital + density + end_in_data + tail, ill},
      {header(keys, "2147483647 2147483647 2", 8) + orbital + density + end_in_data + tail, ill},
      {one("N_of_Grids=1 N_of_Points=0", "134217728 134217728 134217728", 0), ill},  // 2^81 wraps to 0
      {one("N_of_Grids=1 N_of_Points=268435456 Block_Size=268435456 N_Blocks=1", "1024 1024 256"), ill},
      {one(keys, "-2 -2 2"), ill},
      {one("N_of_Grids=-1 N_of_Points=8 Block_Size=8 N_Blocks=1"), ill},
      {one("N_of_Grids=100000000 N_of_Points=8 Block_Size=8 N_Blocks=1"), ill},
      {header("N_of_Points=0 N_of_Grids=0", "0 0 0", 0) + density + tail, "ERROR: No data in grid section"},
      {one("N_of_Grids=1 N_of_Points=8 Block_Size=0 N_Blocks=1"), blocks},
      {one("N_of_Grids=1 N_of_Points=8 Block_Size=8 N_Blocks=-2"), blocks},
      {one("N_of_Grids=1 N_of_Points=8 Block_Size=2 N_Blocks=2"), blocks},
      {one("N_of_Grids=1 N_of_Points=8 Block_Size=4 N_Blocks=3"), blocks},
      {one(keys, "2 2 2", -8), "ERROR: Ill-defined size of grid data"},
      {one(keys, "2 2 2", 1000000), past_end, ""},
      // ORBOFF fits after its own line but not after the density line.
      {header(keys, "2 2 2", 64 + 70) + orbital + density + raw(values_t(8)), past_end, ""},
      {header(keys, "2 2 2", 64), past_end, ""},
      {" N_of_Grids=1 N_of_Points=8\n", ill, ""},
      {header(keys, "2 2 2", 64) + orbital + " </GRID>\nafter\n", no_density},
      // Grid counts that disagree with the name lines.
      {header("N_of_Grids=2 N_of_Points=8 Block_Size=8 N_Blocks=1", "2 2 2", 128) + orbital + density +
           raw(values_t(16)) + tail,
       ill},
      {header(keys, "2 2 2", 64) + orbital + orbital + density + raw(values_t(8)) + tail, ill},
      {header(keys, "2 2 2", 64) + orbital + std::string(64, 'x'), no_density, ""},
  };
  for (const auto& c : cases) {
    told.warnings.clear();
    const std::string next = read(c.section);
    EXPECT_EQ(told.warnings, std::vector<std::string>{c.warning}) << c.section;
    EXPECT_EQ(next, c.next) << c.section;
    EXPECT_EQ(m->ngrid(), 0);
    EXPECT_EQ(m->natom(), 1);
  }

  // A section that ends at once, or has an empty first line, changes nothing.
  read(two_grids);
  told.warnings.clear();
  EXPECT_EQ(read(""), "");
  EXPECT_EQ(read("\n </GRID>\n"), " </GRID>\n");
  EXPECT_EQ(m->ngrid(), 2);
  EXPECT_TRUE(told.warnings.empty());
}

TEST_F(GridReader, SectionsWithoutValuesKeepTheirGrids) {
  // As a saved file has it: no points, no blocks, no data.
  EXPECT_EQ(read(header("N_of_MO=2 N_of_Grids=2 N_of_Points=0 Block_Size=0 N_Blocks=0", "0 0 0", 0) + orbital +
                 " GridName=Electrostatic\n" + density + tail),
            "after\n");
  EXPECT_EQ(m->ngrid(), 2);
  read_grid_from_file();
  EXPECT_TRUE(told.warnings.empty());
  EXPECT_TRUE(m->grid.edit().grid_values.empty());
  EXPECT_EQ(m->grid->grid_min, 0);
  EXPECT_EQ(m->grid->grid_max, 0);
}

// Limits come from the values after the first that are numbers; without
// any, from the first value, else 0 (and the grid is said to hold none).
TEST_F(GridReader, GridsWithoutNumbersGetLimitsOfTheirOwn) {
  const double nan = std::nan("");
  const std::string keys = "N_of_Grids=1 N_of_Points=8 Block_Size=8 N_Blocks=1";
  read(header(keys, "2 2 2", 64) + orbital + density + raw(values_t(8, nan)) + tail);
  grid(0);
  EXPECT_EQ(m->grid->grid_min, 0);
  EXPECT_EQ(m->grid->grid_max, 0);
  EXPECT_EQ(told.warnings, std::vector<std::string>{"WARNING: The grid holds no finite values"});

  told.warnings.clear();
  read(header(keys, "2 2 2", 64) + orbital + density + raw({0.5, nan, -0.25, nan, nan, nan, 0.125, nan}) + tail);
  grid(0);
  EXPECT_EQ(m->grid->grid_min, -0.25);
  EXPECT_EQ(m->grid->grid_max, 0.125);

  read(header("N_of_Grids=1 N_of_Points=1 Block_Size=1 N_Blocks=1", "1 1 1", 8) + orbital + density + raw({0.25}) +
       tail);
  grid(0);
  EXPECT_EQ(m->grid->grid_min, 0.25);
  EXPECT_EQ(m->grid->grid_max, 0.25);
  EXPECT_TRUE(told.warnings.empty());
}

TEST_F(GridReader, DataCutShortLeaveTheRestOfTheBlockBuffer) {
  const std::string start =
      header("N_of_Grids=1 N_of_Points=8 Block_Size=5 N_Blocks=2", "2 2 2", 64) + orbital + density;
  read(start + raw({.1, .2, .3, .4, .5, .6, .7, .8}) + tail);
  // The file is rewritten shorter after it was read: the second block gets
  // one value, its other two places keep those of the first block.
  dir.write("grid.mvr", " <GRID>\n" + start + raw({.1, .2, .3, .4, .5, .6}));
  EXPECT_EQ(grid(0), (values_t{.1, .2, .3, .4, .5, .6, .2, .3}));
  dir.write("grid.mvr", "");
  EXPECT_EQ(grid(0).size(), 8u);
  EXPECT_TRUE(told.warnings.empty());
}

}  // namespace
