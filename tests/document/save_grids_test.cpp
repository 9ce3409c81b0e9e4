// Saving a file with grids keeps every value: the data copied as they are
// (cut-off files stay cut off), a second save the same file byte for byte,
// a cut-off that would read back otherwise written without it, and a source
// that changed underneath saved with the descriptions only, said.
#include <gtest/gtest.h>
#include <unistd.h>

#include "document/current_file.h"
#include "document/native_file.h"
#include "document/open_close.h"
#include "document/save.h"
#include "formats/native_writer.h"
#include "formats/saved_grids.h"
#include "support/grid_files.h"
#include "support/recording_notifier.h"
#include "support/temp_dir.h"

namespace {

class SaveGrids : public ::testing::Test {
 protected:
  void SetUp() override { reset_core_state(); }
  void TearDown() override { close_test_file(); }

  // The values of every grid of the current geometry, as the viewer reads
  // them from the open file.
  std::vector<grid_values_t> all_values() {
    std::vector<grid_values_t> out(static_cast<size_t>(m->ngrid()));
    for (int g = 0; g < m->ngrid(); ++g) {
      double lo = 0, hi = 0;
      std::string error;
      EXPECT_TRUE(read_grid_of_current_geometry(g, out[static_cast<size_t>(g)], lo, hi, error)) << error;
    }
    return out;
  }

  // Opens `path` and returns its grid values.
  std::vector<grid_values_t> values_of(const std::string& path) {
    open_file(path, std::nullopt);
    return all_values();
  }

  TempDir dir;
  RecordingNotifier told;
};

TEST_F(SaveGrids, EveryValueIsKeptAndSavingTwiceGivesTheSameFile) {
  // Three grids of 5³ points in blocks of 12 (11 blocks, the last short),
  // without and with a cut-off of 2.5 bohr given in bohr.
  for (const double cutoff : {0.0, 2.5}) {
    grid_file_layout_t layout;
    layout.n = 5, layout.grids = 3, layout.block = 12, layout.cutoff = cutoff;
    const std::string text = grid_file_text(layout);
    const std::string source = dir.write("source.mvr", text);
    const std::vector<grid_values_t> before = values_of(source);
    m->grid.edit().orb_type[1] = 4;
    m->grid.edit().orb_type_changed[1] = 1;
    ASSERT_TRUE(save_zev_file(dir.file("a.mvr")));
    ASSERT_TRUE(save_zev_file(dir.file("b.mvr")));
    EXPECT_TRUE(told.warnings.empty()) << told.warnings[0];
    const std::string a = read_file(dir.file("a.mvr"));
    EXPECT_EQ(a, read_file(dir.file("b.mvr")));
    // The same blocks, counts and data; the cut-off still in bohr.
    EXPECT_EQ(grid_data_of(a), grid_data_of(text));
    const std::string counts =
        cutoff > 0 ? "N_of_Points=125 Block_Size=12 N_Blocks=11 Is_cutoff=1 CutOff=  2.5000 N_P=0 BOHR\n"
                   : "N_of_Points=125 Block_Size=12 N_Blocks=11 Is_cutoff=0 CutOff=  0.0000 N_P=0\n";
    EXPECT_NE(a.find(counts), std::string::npos) << cutoff;
    EXPECT_NE(a.find("type=2\n"), std::string::npos);
    EXPECT_NE(a.find("0 i2i\n"), std::string::npos);
    // Read back: the same values, and saved again the same file.
    EXPECT_EQ(values_of(dir.file("a.mvr")), before) << cutoff;
    ASSERT_TRUE(save_zev_file(dir.file("c.mvr")));
    EXPECT_EQ(read_file(dir.file("c.mvr")), a);
  }
}

// Moved atoms would keep other points on reading: the values are written
// without the cut-off, each point with the value it had.
TEST_F(SaveGrids, ACutOffThatWouldReadBackOtherwiseIsWrittenWithoutIt) {
  grid_file_layout_t layout;
  layout.n = 6, layout.grids = 2, layout.block = 50, layout.cutoff = 2.0;
  const std::string text = grid_file_text(layout);
  const std::vector<grid_values_t> before = values_of(dir.write("cut.mvr", text));
  ASSERT_NE(grid_data_of(text).size(), 2u * 216 * 8);  // the cut-off dropped points
  m->xyz[1][0] += 0.9;
  ASSERT_TRUE(save_zev_file(dir.file("moved.mvr")));
  ASSERT_TRUE(save_zev_file(dir.file("again.mvr")));
  const std::string moved = read_file(dir.file("moved.mvr"));
  EXPECT_EQ(moved, read_file(dir.file("again.mvr")));
  EXPECT_NE(moved.find("N_of_Points=216 Block_Size=50 N_Blocks=5 Is_cutoff=0 CutOff=  2.0000 N_P=0\n"),
            std::string::npos);
  EXPECT_EQ(grid_data_of(moved).size(), 2u * 216 * 8);
  EXPECT_EQ(values_of(dir.file("moved.mvr")), before);
  EXPECT_TRUE(told.warnings.empty());
}

TEST_F(SaveGrids, ASourceThatChangedUnderneathIsSavedWithoutValuesAndSaid) {
  grid_file_layout_t layout;
  layout.n = 4, layout.grids = 2;
  const std::string source = dir.write("source.mvr", grid_file_text(layout));
  open_file(source, std::nullopt);
  ASSERT_EQ(m->ngrid(), 2);
  // Rewritten by another program: the data now start 11 bytes later.
  std::string rewritten = grid_file_text(layout);
  rewritten.replace(rewritten.find("orbitals\n"), 8, "orbitals, rewritten");
  dir.write("source.mvr", rewritten);
  ASSERT_TRUE(save_zev_file(dir.file("out.mvr")));
  ASSERT_EQ(told.warnings.size(), 1u);
  EXPECT_EQ(told.warnings[0], "ERROR: The grid values can't be read back from " + source +
                                  " (the file changed since it was read): the grids of geometry 1 are saved "
                                  "without their values.");
  const std::string out = read_file(dir.file("out.mvr"));
  EXPECT_NE(out.find("N_of_Points=0 Block_Size=0 N_Blocks=0 Is_cutoff=0 CutOff=  0.0000 N_P=0\n"), std::string::npos);
  EXPECT_NE(out.find(" ORBOFF = 0\n"), std::string::npos);

  // Cut short while its values are copied: the copy fails on its own, the
  // file is not, and is written again without them.
  layout.n = 12;
  dir.write("source.mvr", grid_file_text(layout));
  open_file(source, std::nullopt);
  file_ptr file = open_current_mivor_file();
  saved_grids_t grids = plan_saved_grids(file.get(), mol);
  ASSERT_TRUE(grids.outputs[0].write_values);
  ASSERT_EQ(truncate(source.c_str(), 8000), 0);
  file_ptr out_file(std::tmpfile(), std::fclose);
  std::vector<size_t> failed;
  EXPECT_FALSE(write_saved_geometries(out_file.get(), grids, failed));
  EXPECT_EQ(failed, std::vector<size_t>{0});
  EXPECT_EQ(std::ferror(out_file.get()), 0);
  grids.drop_values(0);
  EXPECT_EQ(grids.not_kept, std::vector<size_t>{0});
  failed.clear();
  EXPECT_TRUE(write_saved_geometries(out_file.get(), grids, failed));
}

// Saved over the open file, the grids are read from the new file, whose
// data lie elsewhere; the watch takes the save for what it last saw.
TEST_F(SaveGrids, SavedOverTheOpenFileItsGridsReadFromTheNewOne) {
  grid_file_layout_t layout;
  layout.n = 4, layout.grids = 3, layout.block = 7;
  const std::string path = dir.write("open.mvr", grid_file_text(layout));
  const std::vector<grid_values_t> before = values_of(path);
  m->grid.edit().orb_type[0] = 6;
  m->grid.edit().orb_type_changed[0] = 1;
  const int64_t start = m->grid->grid_data_start;
  ASSERT_TRUE(save_zev_file(path));
  EXPECT_NE(m->grid->grid_data_start, start);
  EXPECT_EQ(all_values(), before);
  const size_t opened = told.file_events.size();
  check_if_file_changed();
  EXPECT_EQ(told.file_events.size(), opened);
  // The type is in the file now: a second save keeps it, byte for byte.
  const std::string saved = read_file(path);
  EXPECT_NE(saved.find("0 sii\n"), std::string::npos);
  ASSERT_TRUE(save_zev_file(path));
  EXPECT_EQ(read_file(path), saved);
  EXPECT_TRUE(told.warnings.empty());
}

}  // namespace
