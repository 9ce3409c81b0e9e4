// Every write of the program on a failing disk: each write, close, sync,
// link and rename call of a save failed in turn, with EIO and with ENOSPC,
// leaves the old file byte for byte, no temporary file, and a message; the
// undo history reports a snapshot it can't write once and goes back to the
// last one it holds.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "app/config_dir.h"
#include "app/config_files.h"
#include "app/settings_file.h"
#include "document/open_close.h"
#include "document/save.h"
#include "document/undo.h"
#include "export/raster.h"
#include "faults/faults.h"
#include "formats/cube_writer.h"
#include "formats/native_writer.h"
#include "formats/ply_writer.h"
#include "molecule/settings.h"
#include "support/grid_files.h"
#include "support/recording_notifier.h"
#include "support/temp_dir.h"

namespace {

class SaveFaults : public ::testing::Test {
 protected:
  void SetUp() override { reset_core_state(); }
  void TearDown() override {
    arm_fault("", 0, 0);
    close_test_file();
  }

  // A save reported through the notifier's warnings.
  walked_save_t warned(const std::string& what, const std::string& target, std::function<bool()> save) {
    return {what, out, target, std::move(save), [this] { return told.warnings; }, [this] { told.warnings.clear(); }};
  }

  TempDir dir;
  const std::string in = dir.subdir("in"), out = dir.subdir("out");
  RecordingNotifier told;
};

TEST_F(SaveFaults, NativeSavesOfGridsLeaveTheOldFileOrTheNew) {
  // Four grids of 24³ points: the values take several writes.
  grid_file_layout_t layout;
  layout.n = 24, layout.grids = 4, layout.block = 5000;
  open_file(dir.write("in/orbitals.mvr", grid_file_text(layout)), std::nullopt);
  ASSERT_EQ(m->ngrid(), 4);
  m->grid.edit().orb_type[0] = 6;
  m->grid.edit().orb_type_changed[0] = 1;
  const std::string target = dir.write("out/saved.mvr", "the user's older file\n");
  EXPECT_GE(walk_save(warned("save", target, [&] { return save_zev_file(target); })), 8);

  // F10 and File Save write the open file itself, over its grid data: it
  // is opened again before each save.
  const std::string own = dir.write("out/own.mvr", grid_file_text(layout));
  walked_save_t over = warned("save over the open file", own, [&] { return mivor_gtk_do_save_file(own, 0); });
  over.forget = [&] {
    open_file(own, std::nullopt);
    m->xyz[0][2] += 0.5;
    told.warnings.clear();
  };
  keep_undo_history(false);
  walk_save(over);
  keep_undo_history(true);

  // A converter's output.
  std::vector<geometry_section_t> sections(1);
  sections[0].rec = *m;
  sections[0].rec.grid.reset();
  sections[0].comment = "converted";
  std::string error;
  walk_save({"converter output", out, dir.file("out/converted.mvr"),
             [&] { return write_geometry_sections(dir.file("out/converted.mvr"), sections, error); },
             [&] { return error.empty() ? std::vector<std::string>{} : std::vector<std::string>{error}; },
             [&] { error.clear(); }});
}

TEST_F(SaveFaults, ConfigurationFilesAndExportsLeaveTheOldFileOrTheNew) {
  rcdir = out;
  // mivor.rc and atoms.rc, written over the ones there.
  dir.write("out/mivor.rc", "Auto rebond = 1\n");
  walk_save(warned("mivor.rc", dir.file("out/mivor.rc"), [] { return save_settings_data(); }));
  dir.write("out/atoms.rc", "an older table\n");
  walk_save(warned("atoms.rc", atoms_rc_path(), [&] {
    if (save_atom_data()) return true;
    make_warning(atomic_write_message(AtomicWrite::not_written, atoms_rc_path()));
    return false;
  }));

  // A picture, a surface and a grid export.
  picture_t pic;
  pic.width = 300, pic.height = 200;
  pic.rgba.assign(300 * 200 * 4, 0x7f);
  walk_save(warned("picture", dir.file("out/shot.tga"), [&] { return write_targa(dir.file("out/shot.tga"), pic); }));
  surface_triangles_t triangles(20000);
  walk_save(warned("PLY", dir.file("out/surface.ply"), [&] {
    const AtomicWrite r = write_ply(dir.file("out/surface.ply"), triangles, {color_t{}, color_t{}});
    if (r != AtomicWrite::done) make_warning(atomic_write_message(r, dir.file("out/surface.ply")));
    return r == AtomicWrite::done;
  }));
  grid_values_t values(40 * 40 * 40, 0.25);
  cube_grid_t cube;
  cube.lattice.net = {40, 40, 40};
  cube.values = &values;
  walk_save(warned("cube", dir.file("out/grid.cube"), [&] {
    if (write_cube(dir.file("out/grid.cube"), cube)) return true;
    make_warning(atomic_write_message(AtomicWrite::not_written, dir.file("out/grid.cube")));
    return false;
  }));
}

// A molecule whose snapshot takes several writes: 3,000 atoms.
std::string big_molecule() {
  std::string text = "3000\nbig\n";
  for (int k = 0; k < 3000; ++k)
    text += "C " + std::to_string(k % 30 * 4.0) + " " + std::to_string(k / 30 % 30 * 4.0) + " " +
            std::to_string(k / 900 * 4.0) + "\n";
  return text + " <BOND>\n AUTOMATIC = 0\n </BOND>\n <END>\n";
}

TEST_F(SaveFaults, UndoHistoryReportsASnapshotItCantWriteOnceAndGoesBackToTheLastItHolds) {
  const std::string path = dir.write("out/big.mvr", big_molecule());
  const auto x = [] { return m->xyz[0][0]; };
  const auto move = [](double to) {
    m->xyz[0][0] = to;
    append_backup();
  };
  long calls = 0;
  for (int error : {EIO, ENOSPC}) {
    for (long n = 1; n == 1 || n <= calls; ++n) {
      const std::string at = std::string(std::strerror(error)) + ", call " + std::to_string(n);
      open_file(path, std::nullopt);
      move(1);
      const std::string undo_file = get_backup_filename(), kept = read_file(undo_file);
      told.warnings.clear();
      // Snapshot 3 fails at its nth call, snapshot 4 is written; undo goes
      // from 4 to 2.
      arm_fault(out, calls ? n : 0, error);
      move(2);
      if (!calls) {
        calls = fault_calls();
        ASSERT_GE(calls, 2);
        close_file();
        --n;
        continue;
      }
      arm_fault("", 0, 0);
      EXPECT_EQ(read_file(undo_file), kept) << at;
      ASSERT_EQ(told.warnings.size(), 1u) << at;
      EXPECT_NE(told.warnings[0].find(std::strerror(error)), std::string::npos) << at << told.warnings[0];
      move(3);
      EXPECT_EQ(told.warnings.size(), 1u) << at;
      get_backup();
      EXPECT_EQ(x(), 1) << at;
      // A failing snapshot after a written one is said again; undo then
      // restores the last one written (the state before the failed change).
      move(4);
      arm_fault(out, 1, error);
      move(5);
      arm_fault("", 0, 0);
      EXPECT_EQ(told.warnings.size(), 2u) << at;
      get_backup();
      EXPECT_EQ(x(), 4) << at;
      get_backup();
      EXPECT_EQ(x(), 1) << at;
      get_backup();
      EXPECT_EQ(x(), 0) << at;
      told.statuses.clear();
      get_backup();
      ASSERT_FALSE(told.statuses.empty());
      EXPECT_EQ(told.statuses.back().second, "Allready the oldest change!") << at;
      close_file();
    }
  }
}

}  // namespace
