#include "document/undo.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "document/open_close.h"
#include "formats/native_reader.h"
#include "molecule/bonding.h"
#include "molecule/mol_data.h"
#include "support/recording_notifier.h"
#include "support/temp_dir.h"

namespace {

class Undo : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_core_state();
    path = dir.write("water.mvr",
                     "3\nwater\nO 0 0 0.1173\nH 0 0.7572 -0.4692\nH 0 -0.7572 -0.4692\n <END>\n"
                     "3\nwater again\nO 0 0 0.2\nH 0 0.7572 -0.4692\nH 0 -0.7572 -0.4692\n <END>\n");
    open_file(path, std::nullopt);
  }
  void TearDown() override { close_test_file(); }

  // Moves atom 0 along x and records the change.
  void move(double dx) {
    m->xyz[0][0] += dx;
    append_backup();
  }

  std::string last_status() const { return told.statuses.empty() ? "" : told.statuses.back().second; }

  TempDir dir;
  std::string path;
  RecordingNotifier told;
};

TEST_F(Undo, BackupFileSitsHiddenBesideTheOpenFileUnderANameOfItsOwn) {
  const std::string name = get_backup_filename();
  const std::string stem = dir.file(".water.undo-");
  ASSERT_EQ(name.size(), stem.size() + 6 + 4);
  EXPECT_EQ(name.substr(0, stem.size()), stem);
  EXPECT_EQ(name.substr(name.size() - 4), ".mvr");
  EXPECT_TRUE(file_exists(name));
}

// Files of the user's that carry the names an undo file once had (".mol.mvr"
// beside mol.mvr) are neither taken, cut nor removed, at opening, undo,
// closing or when the directory takes no new file.
TEST_F(Undo, NeverTouchesAFileItDidNotCreate) {
  const std::string mine = dir.write(".mol.mvr", "the user's own file\n");
  const std::string mol = dir.write("mol.mvr", "1\nh\nH 0 0 0\n <END>\n");
  open_file(mol, std::nullopt);
  const std::string undo = get_backup_filename();
  EXPECT_NE(undo, mine);
  move(1.0);
  get_backup();
  EXPECT_DOUBLE_EQ(m->xyz[0][0], 0.0);
  // The undo file is replaced behind the program's back: it is no longer
  // its file, so it is left alone and the history starts again.
  ASSERT_EQ(std::remove(undo.c_str()), 0);
  dir.write(undo.substr(dir.path().size() + 1), "someone else's\n");
  move(1.0);
  EXPECT_EQ(read_file(undo), "someone else's\n");
  EXPECT_EQ(backup_count, 1);
  const std::string fresh = get_backup_filename();
  close_file();
  EXPECT_EQ(read_file(mine), "the user's own file\n");
  EXPECT_EQ(read_file(undo), "someone else's\n");
  EXPECT_FALSE(file_exists(fresh));

  // A directory that takes no new file: the undo file goes to TMPDIR.
  const std::string tmp = dir.subdir("tmp");
  ScopedEnv env("TMPDIR", tmp.c_str());
  input_file_name = "/proc/water.mvr";
  remove_backup();
  append_backup();
  EXPECT_EQ(get_backup_filename().substr(0, tmp.size() + 13), tmp + "/.water.undo-");
  remove_backup();
  input_file_name = path;
}

TEST_F(Undo, StepsBackThroughEverySnapshotToTheStateAsRead) {
  EXPECT_EQ(backup_count, 1);
  move(1.0);
  move(2.0);
  EXPECT_EQ(backup_count, 3);

  get_backup();
  EXPECT_DOUBLE_EQ(m->xyz[0][0], 1.0);
  EXPECT_EQ(n_geometries(), 2);
  get_backup();
  EXPECT_DOUBLE_EQ(m->xyz[0][0], 0.0);
  EXPECT_EQ(backup_count, 1);
  get_backup();
  EXPECT_EQ(last_status(), "Allready the oldest change!");
  EXPECT_DOUBLE_EQ(m->xyz[0][0], 0.0);
  EXPECT_DOUBLE_EQ(mol[1].xyz[0][2], 0.2);
}

TEST_F(Undo, UndoCutsTheNewestSnapshotOffTheFile) {
  const std::string first = read_file(get_backup_filename());
  EXPECT_EQ(first.substr(first.size() - 9), " <BREAK>\n");
  move(1.0);
  get_backup();
  EXPECT_EQ(read_file(get_backup_filename()), first);
}

TEST_F(Undo, StaysOnTheCurrentGeometry) {
  igeo = 1;
  get_new_section();
  m->xyz[0][2] = 5.0;
  append_backup();
  m->xyz[0][2] = 6.0;
  append_backup();
  get_backup();
  EXPECT_EQ(igeo, 1);
  EXPECT_EQ(m, &mol[1]);
  EXPECT_DOUBLE_EQ(m->xyz[0][2], 5.0);
}

TEST_F(Undo, SnapshotWithoutBondsIsBondedAgain) {
  m->bond.clear();
  append_backup();
  move(0.0);
  get_backup();
  EXPECT_EQ(m->nbond(), 2);
}

TEST_F(Undo, ClosingRemovesTheUndoFile) {
  const std::string backup = get_backup_filename();
  EXPECT_TRUE(file_exists(backup));
  close_file();
  EXPECT_FALSE(file_exists(backup));
  EXPECT_EQ(backup_count, 0);
}

TEST_F(Undo, GridDescriptionsComeBackFromTheNativeFile) {
  const double values[8] = {0.1, -0.2, 0.3, -0.4, 0.5, -0.6, 0.7, 0.8};
  const std::string grid_path = dir.write(
      "orbital.mvr", std::string("1\nh\nH 0 0 0\n <GRID>\n"
                                 " N_of_MO=1 N_of_Grids=1 N_of_Points=8 Block_Size=8 N_Blocks=1 Is_cutoff=0 "
                                 "CutOff=0 N_P=0\n N_INDEX= 0 0 0 0 0 0 0\n Net= 2 2 2\n Origin= 0 0 0\n"
                                 " Axis_1= 1 0 0\n Axis_2= 0 1 0\n Axis_3= 0 0 1\n ORBOFF = 64\n"
                                 " GridName= Orbital  sym= 1 index=3 Energ=-0.5 occ=2.0 type=i\n <DENSITY>\n") +
                         std::string(reinterpret_cast<const char*>(values), sizeof values) + " </GRID>\n <END>\n");
  open_file(grid_path, std::nullopt);
  ASSERT_EQ(m->ngrid(), 1);
  move(0.5);
  get_backup();
  ASSERT_EQ(m->ngrid(), 1);
  EXPECT_EQ(m->grid.edit().orb_index[0], 3);
  EXPECT_EQ(iorb, 0);
  EXPECT_DOUBLE_EQ(m->xyz[0][0], 0.0);
}

}  // namespace
