// The real viewer window inside the test process, on a private X display,
// driven by real X events (XTest) and read back as the user sees it.
#pragma once

#include <gtk/gtk.h>

#include <array>
#include <string>
#include <vector>

#include "support/temp_dir.h"

struct rgb_t {
  int r = 0, g = 0, b = 0;
};

class Viewer {
 public:
  // The viewer of this process, started on first use as `mivor -s 300`
  // with the repository's configuration, working in a folder of its own.
  static Viewer& get();

  // Folder for the test's files; the viewer's working directory.
  TempDir& dir() { return dir_; }
  // Opens a file as File Open does, and waits until it is drawn.
  void open(const std::string& path);
  // Handles every pending event, then waits `ms` and does it again.
  void settle(int ms = 100);

  // Real pointer and key events at drawing-area pixel positions.
  void move(int x, int y);
  void press(int button);
  void release(int button);
  void click(int button, int x, int y);
  void drag(int button, const std::vector<std::array<int, 2>>& points);
  void key(const char* keysym, bool shift = false);
  // A real click at (x, y) of any shown widget's allocation (the middle
  // when x or y is negative), wherever its window stands on the screen.
  void click_widget(GtkWidget* widget, int x = -1, int y = -1);
  // Activates a menu item as a click on it does.
  void activate(const char* menu, const char* label);

  // The drawing area as shown on the screen.
  rgb_t pixel(int x, int y);
  // A pixel of any shown widget with a window of its own.
  rgb_t pixel_of(GtkWidget* widget, int x, int y);
  int width();
  int height();
  // The model-view matrix in force.
  std::array<double, 16> modelview();
  // Window position (y down) of a model point under the current view.
  std::array<double, 2> project(double x, double y, double z);

  // Texts of the warning dialogs shown (and closed) since the last call.
  std::vector<std::string> take_warnings();

 private:
  Viewer();
  TempDir dir_;
};

bool near_color(const rgb_t& p, int r, int g, int b, int tolerance = 12);
