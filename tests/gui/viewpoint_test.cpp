// Saving the viewing conditions and getting them back in a fresh start.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "gui/viewer.h"
#include "render/view.h"
#include "support/run_program.h"

namespace {

const char row[] = "3\nrow\nHe -2 0 0\nHe 0 0 0\nHe 2 1 0\n <END>\n";

std::string fmt(const char* format, double a, double b = 0) {
  char buf[128];
  std::snprintf(buf, sizeof buf, format, a, b);
  return buf;
}

// Runs `command` through the shell, quietly.
void sh(const std::string& command) { EXPECT_EQ(std::system((command + " >/dev/null 2>&1").c_str()), 0) << command; }

TEST(ViewPoint, CreateWritesTheViewAndAFreshStartRestoresIt) {
  Viewer& viewer = Viewer::get();
  viewer.open(viewer.dir().write("work/row.mvr", row));
  viewer.drag(1, {{150, 150}, {190, 120}});
  viewer.key("z");            // zoom out: scale / 1.1
  viewer.key("Right", true);  // the camera moves by 1
  viewer.activate("_View", "Create viewpoint");

  const std::string saved = read_file(viewer.dir().file("work/.ViewPoint"));
  const auto mv = viewer.modelview();
  std::string expected = "screen sizes\n 300.000000 300.000000\nfield sizes\n" +
                         fmt(" %lf %lf\n", view.half_width, view.half_height) + "scale\n 0.909091\nz_depth\n" +
                         fmt(" %lf\n", 2 * view.z_half) + "camera position\n" +
                         fmt(" %lf %lf\n", view.camera_x, view.camera_y) + "matrix \n";
  for (int r = 0; r < 4; ++r) {
    expected += fmt("%lf %lf ", mv[size_t(4 * r)], mv[size_t(4 * r + 1)]) +
                fmt("%lf %lf\n", mv[size_t(4 * r + 2)], mv[size_t(4 * r + 3)]);
  }
  EXPECT_EQ(saved, expected);
  EXPECT_DOUBLE_EQ(view.half_width, view.z_half * 1.1 / 2);

  // A fresh start with another size: V restores, v saves again.
  std::remove(viewer.dir().file("work/.ViewPoint.first").c_str());
  std::rename(viewer.dir().file("work/.ViewPoint").c_str(), viewer.dir().file("work/.ViewPoint.first").c_str());
  // A trailing line that saving drops shows that the fresh start wrote the file.
  viewer.dir().write("work/.ViewPoint", saved + "restored copy\n");
  const program_result r = run_program(
      {MIVOR_BINARY, "-s", "200", "row.mvr"}, {{"MIVOR_DIR", viewer.dir().file("config")}}, viewer.dir().file("work"),
      [](int pid) {
        const std::string window = "$(xdotool search --sync --onlyvisible --pid " + std::to_string(pid) + " | head -1)";
        sh("xdotool mousemove --window " + window + " 100 100");
        sh("xdotool key --delay 300 V");
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        sh("xdotool key --delay 300 v");
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
      });
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(read_file(viewer.dir().file("work/.ViewPoint")), saved);
}

TEST(ViewPoint, MissingOrBrokenFileChangesNothing) {
  Viewer& viewer = Viewer::get();
  viewer.open(viewer.dir().write("work/row.mvr", row));
  std::remove(viewer.dir().file("work/.ViewPoint").c_str());
  const auto before = viewer.modelview();
  viewer.activate("_View", "Restore viewpoint");
  EXPECT_EQ(viewer.take_warnings(), std::vector<std::string>{"no saved ViewPoint\n"});

  viewer.dir().write("work/.ViewPoint",
                     "screen sizes\n nan -4\nfield sizes\n\x01\x02 garbage\n" + std::string(500, 'x'));
  viewer.activate("_View", "Restore viewpoint");
  EXPECT_EQ(viewer.take_warnings().size(), 1u);
  EXPECT_EQ(viewer.modelview(), before);
  EXPECT_EQ(viewer.width(), 300);

  // A working directory that can't be written: a message, and nothing changes.
  ASSERT_EQ(chdir("/proc"), 0);
  viewer.activate("_View", "Create viewpoint");
  ASSERT_EQ(chdir(viewer.dir().file("work").c_str()), 0);
  EXPECT_EQ(viewer.take_warnings(), std::vector<std::string>{"ERROR: Can't write file: .ViewPoint"});
}

}  // namespace
