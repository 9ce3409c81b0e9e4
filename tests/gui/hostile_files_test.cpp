// The window against damaged, huge and strange files: each ends in its
// message or its picture, and the window keeps running.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "document/undo.h"
#include "gui/viewer.h"
#include "molecule/decorations.h"
#include "molecule/mol_data.h"
#include "molecule/settings.h"
#include "render/view.h"
#include "support/run_program.h"
#include "support/temp_dir.h"
#include "ui/main_window.h"

namespace {

// One geometry with an n³ grid whose values alternate +1 and -1: every
// cube crosses both levels.
std::string alternating_grid(int n) {
  std::string data;
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      for (int k = 0; k < n; ++k) {
        const double v = (i + j + k) % 2 ? -1.0 : 1.0;
        data.append(reinterpret_cast<const char*>(&v), sizeof v);
      }
  const std::string points = std::to_string(n * n * n), side = std::to_string(n);
  return "1\ngrid\nH 0 0 0\n <GRID>\n N_of_MO=1 N_of_Grids=1 N_of_Points=" + points + " Block_Size=" + points +
         " N_Blocks=1 Is_cutoff=0 CutOff=0 N_P=0\n N_INDEX= 0 0 0 0 0 0 0\n Net= " + side + " " + side + " " + side +
         "\n Origin= -4 -4 -4\n Axis_1= 8 0 0\n Axis_2= 0 8 0\n Axis_3= 0 0 8\n ORBOFF = " +
         std::to_string(data.size()) + "\n GridName= Orbital  sym= 1 index=1 Energ=-0.5 occ=2.0 type=i\n <DENSITY>\n" +
         data + " </DENSITY>\n </GRID>\n <END>\n";
}

// Resident set of this process in bytes.
long resident_bytes() {
  long pages = 0, resident = 0;
  FILE* f = std::fopen("/proc/self/statm", "r");
  if (f) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * sysconf(_SC_PAGESIZE);
}

class HostileFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    Input_Data.background_color = {1, 1, 1, 0};
    viewer.take_warnings();
  }
  void TearDown() override {
    textbox_state = 0;
    Input_Data.label_flags = 0;
  }
  // The window still answers: a small molecule opens and is drawn.
  void expect_window_alive() {
    viewer.open(viewer.dir().write("work/alive.mvr", "1\nalive\nO 0 0 0\n <END>\n"));
    EXPECT_EQ(m->natom(), 1);
    EXPECT_FALSE(near_color(viewer.pixel(150, 150), 255, 255, 255, 0));
  }
  Viewer& viewer = Viewer::get();
};

// Text boxes at the ends of the int range (one being typed into, so that
// its frame is drawn), atoms and decorations at the ends of the double
// range and beyond it, labels on: drawn without overflow, the sane box
// visible.
TEST_F(HostileFiles, ExtremeCoordinatesAndSizesAreDrawn) {
  viewer.open(
      viewer.dir().write("work/extreme.mvr",
                         "5\nextreme\nC 0 0 0\nO 1e308 -1e308 1e308\nN nan 0 0\nH inf -inf 0\nH 1.2 0 0\n"
                         "<SPHERE>\nRADIUS = 1e300\n1e308 0 0\n</SPHERE>\n"
                         "<VECTOR>\nRADIUS = -5 SHARPNESS = 1e308\n0 0 0\n1e308 1e308 1e308\n</VECTOR>\n"
                         "<CELL>\nRED=1\n0 0 0\n1e308 0 0\n0 1e308 0\n0 0 nan\n</CELL>\n"
                         "<TEXTBOX>\nRED=1 X=20 Y=30\nSans 16\nsane\n</TEXTBOX>\n"
                         "<TEXTBOX>\nRED=1 X=-2147483648 Y=-2147483648\nSans 2147483647\nhuge\n</TEXTBOX>\n"
                         "<TEXTBOX>\nRED=1 X=2147483647 Y=2147483647\nSans 12\nfar corner\n</TEXTBOX>\n <END>\n"));
  EXPECT_EQ(m->natom(), 5);
  EXPECT_EQ(m->ntextbox(), 3);
  Input_Data.label_flags = 0x2 | 0x8;
  textbox_state = 2;
  invalidate_drawing_area();
  viewer.settle();
  bool red_text = false;
  for (int x = 20; x < 80 && !red_text; ++x)
    for (int y = 30; y < 60 && !red_text; ++y) red_text = near_color(viewer.pixel(x, y), 255, 0, 0, 90);
  EXPECT_TRUE(red_text) << "the sane text box is drawn";
  EXPECT_DOUBLE_EQ(view.z_half, 1.8) << "the view holds the atoms that can be drawn";
  expect_window_alive();
}

TEST_F(HostileFiles, OnlyRegularFilesAreOpened) {
  const std::string fifo = viewer.dir().file("work/pipe.mvr");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& name : {std::string("/dev/zero"), fifo, viewer.dir().subdir("work/folder.mvr")}) {
    viewer.open(name);
    EXPECT_EQ(viewer.take_warnings(),
              std::vector<std::string>{"ERROR: Can't open file: " + name + " (not a regular file)"});
    EXPECT_EQ(n_geometries(), 1);
    EXPECT_EQ(m->natom(), 0);
  }
  expect_window_alive();
}

TEST_F(HostileFiles, SurfaceAboveTheMemoryBudgetIsRefusedAndTheWindowGoesOn) {
  // Room for the grid's values, not for its surfaces.
  const std::string limit = std::to_string(resident_bytes() + (64L << 20));
  setenv("MIVOR_MEMORY_LIMIT", limit.c_str(), 1);
  viewer.open(viewer.dir().write("work/alternating.mvr", alternating_grid(48)));
  unsetenv("MIVOR_MEMORY_LIMIT");
  const std::vector<std::string> warnings = viewer.take_warnings();
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0], "surface too large: 830584 triangles; raise the isovalue");
  EXPECT_EQ(m->ngrid(), 1);
  expect_window_alive();
}

// The names undo files once had are the user's: opening, editing and
// closing leave such a file alone.
TEST_F(HostileFiles, UndoFileNeverTakesAUsersFile) {
  const std::string mine = viewer.dir().write("work/.mol.mvr", "the user's own\n");
  viewer.open(viewer.dir().write("work/mol.mvr", "2\nmol\nO 0 0 0\nH 0.96 0 0\n <END>\n"));
  EXPECT_NE(get_backup_filename(), mine);
  m->xyz[1][0] = 1.0;
  append_backup();
  viewer.activate("_Edit", "Undo");
  EXPECT_EQ(m->xyz[1][0], 0.96);
  viewer.activate("_File", "_Close");
  EXPECT_EQ(read_file(mine), "the user's own\n");
}

// Memory that runs out where no budget foresaw it (a process data limit
// below what ten million atoms take) ends the opening with a message; the
// window stays and is closed as a user closes it.
TEST(HostileFilesWindow, RunningOutOfMemoryLeavesTheWindowRunning) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "a data limit leaves the sanitizers no room";
#endif
  TempDir dir;
  const std::string config = dir.subdir("config");
  dir.write("config/mivor.rc", "Auto rebond = 0\n");
  {
    FILE* f = std::fopen(dir.file("big.mvr").c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("10000000\nten million\n", f);
    std::string lines;
    for (int k = 0; k < 4096; ++k) lines += "H\n";
    for (int k = 0; k < 10000000 / 4096 + 1; ++k) std::fwrite(lines.data(), 1, lines.size(), f);
    std::fclose(f);
  }
  int windows_seen = 0;
  const program_result r = run_program(
      {"/usr/bin/prlimit", "--data=300000000", MIVOR_BINARY, "-s", "200", "big.mvr"},
      {{"MIVOR_DIR", config}, {"HOME", dir.subdir("home")}}, dir.path(), [&](int pid) {
        // The warning, then the window.
        for (int tick = 0; tick < 300 && windows_seen == 0; ++tick) {
          std::this_thread::sleep_for(std::chrono::milliseconds(100));
          const program_result list = run_program(
              {"/bin/sh", "-c", "xdotool search --onlyvisible --pid " + std::to_string(pid) + " | wc -l"}, {}, "/");
          windows_seen = std::atoi(list.out.c_str());
        }
      });
  EXPECT_GT(windows_seen, 0);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err.find("terminate"), std::string::npos) << r.err;
}

}  // namespace
