// The window under long runs of events it did not choose:
// - random keys (every key of the key table first), clicks, drags and
//   wheel turns on each bundled example, one fixed seed per test, with
//   every dialog and window they open closed again; the window must answer
//   each event within 5 s (a watchdog ends the test otherwise), and the
//   sanitizers end it on any report;
// - the open file rewritten every 100 ms for 60 s, in place (truncated, then
//   written in pieces) and by a rename over it, while the watch looks at it:
//   whatever the window shows is one of the two versions whole, grid values
//   included, no warning of a half-read file is shown, and the memory stays
//   flat.
#include <gtest/gtest.h>
// After the test framework: the X headers define macros such as None.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <gdk/gdkx.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <random>
#include <thread>

#include "document/current_file.h"
#include "document/open_close.h"
#include "gui/viewer.h"
#include "molecule/mol_data.h"
#include "support/grid_files.h"
#include "ui/keyboard.h"
#include "ui/main_window.h"
#include "ui/widgets.h"

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's own count of the bytes allocated and not yet freed.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

using clock_type = std::chrono::steady_clock;

double seconds_since(clock_type::time_point t) { return std::chrono::duration<double>(clock_type::now() - t).count(); }

Display* dpy() { return GDK_DISPLAY_XDISPLAY(gdk_display_get_default()); }

// Every event the window has, handled; what a round trip to the server
// and the window's answer to it take.
void pump() {
  XSync(dpy(), False);
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}

// Ends the test when the window has not answered an event for 5 s: an event
// is sent, then the window must have handled it and every event it caused.
class watchdog_t {
 public:
  watchdog_t() : thread_([this] { watch(); }) {}
  ~watchdog_t() {
    stop_ = true;
    thread_.join();
  }
  void start(const std::string& what) {
    if (std::getenv("MIVOR_SOAK_TRACE")) std::fprintf(stderr, "%s\n", what.c_str());
    {
      std::lock_guard<std::mutex> lock(mutex_);
      what_ = what;
    }
    since_ = clock_type::now().time_since_epoch().count();
    busy_ = true;
  }
  void done() { busy_ = false; }

 private:
  void watch() {
    while (!stop_) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      const auto since = clock_type::time_point(clock_type::duration(since_.load()));
      if (busy_ && seconds_since(since) > 5) {
        std::lock_guard<std::mutex> lock(mutex_);
        std::fprintf(stderr, "the window did not answer within 5 s: %s\n", what_.c_str());
        std::abort();
      }
    }
  }
  std::atomic<bool> stop_{false}, busy_{false};
  std::atomic<clock_type::rep> since_{0};
  std::mutex mutex_;
  std::string what_;
  std::thread thread_;
};

// Closes whatever an event opened: dialogs are cancelled, other windows
// closed as a window manager's close button does; the main window stays.
gboolean close_what_opened(gpointer) {
  // Held while they are closed: closing one may destroy others.
  GList* windows = gtk_window_list_toplevels();
  g_list_foreach(
      windows, [](gpointer w, gpointer) { g_object_ref(w); }, nullptr);
  for (GList* w = windows; w; w = w->next) {
    GtkWidget* widget = GTK_WIDGET(w->data);
    if (widget == window || !GTK_WIDGET_VISIBLE(widget) || GTK_WINDOW(widget)->type == GTK_WINDOW_POPUP) continue;
    if (GTK_IS_DIALOG(widget)) {
      gtk_dialog_response(GTK_DIALOG(widget), GTK_RESPONSE_CANCEL);
    } else if (widget->window) {
      GdkEvent* close = gdk_event_new(GDK_DELETE);
      close->any.window = GDK_WINDOW(g_object_ref(widget->window));
      gtk_main_do_event(close);
      gdk_event_free(close);
    }
  }
  g_list_foreach(
      windows, [](gpointer w, gpointer) { g_object_unref(w); }, nullptr);
  g_list_free(windows);
  return TRUE;
}

// Real X input at drawing-area positions.
void pointer_to(int x, int y) {
  int ox = 0, oy = 0;
  gdk_window_get_origin(drawingarea->window, &ox, &oy);
  XTestFakeMotionEvent(dpy(), -1, ox + x, oy + y, CurrentTime);
}

void button(int b, bool down) { XTestFakeButtonEvent(dpy(), static_cast<unsigned>(b), down, CurrentTime); }

void modifier(const char* name, bool down) {
  XTestFakeKeyEvent(dpy(), XKeysymToKeycode(dpy(), XStringToKeysym(name)), down, CurrentTime);
}

// A keysym as a key press (with Shift where the keyboard needs it for
// that symbol); false when no key makes it.
bool key(unsigned keysym, bool shift, bool alt, bool control) {
  const KeyCode code = XKeysymToKeycode(dpy(), keysym);
  if (code == 0) return false;
  shift = shift || (XkbKeycodeToKeysym(dpy(), code, 0, 0) != keysym && XkbKeycodeToKeysym(dpy(), code, 0, 1) == keysym);
  if (shift) modifier("Shift_L", true);
  if (alt) modifier("Alt_L", true);
  if (control) modifier("Control_L", true);
  XTestFakeKeyEvent(dpy(), code, True, CurrentTime);
  XTestFakeKeyEvent(dpy(), code, False, CurrentTime);
  // The window reads the modifiers while it handles the key.
  pump();
  if (control) modifier("Control_L", false);
  if (alt) modifier("Alt_L", false);
  if (shift) modifier("Shift_L", false);
  return true;
}

struct event_counts_t {
  int keys = 0, clicks = 0, drags = 0, wheels = 0;
  int total() const { return keys + clicks + drags + wheels; }
};

class RandomEvents : public ::testing::TestWithParam<int> {
 protected:
  Viewer& viewer = Viewer::get();
};

// Events per seed, and the time a seed may take (it stops at either).
constexpr int most_events = 1500;
constexpr double seed_seconds = 40;

TEST_P(RandomEvents, TheWindowAnswersEveryEventAndKeepsRunning) {
  const int seed = GetParam();
  const char* const examples[] = {"decorations.mvr", "formaldehyde_orbitals.mvr", "vibrations.mvr", "trajectory.mvr",
                                  "water.mvr"};
  const std::string example = examples[seed % 5];
  const std::string copy = viewer.dir().file("work/" + example);
  std::filesystem::copy_file(std::string(MIVOR_SOURCE_DIR) + "/examples/" + example, copy,
                             std::filesystem::copy_options::overwrite_existing);
  viewer.open(copy);
  const guint closer = g_timeout_add(20, close_what_opened, nullptr);
  watchdog_t watchdog;
  std::mt19937 random(static_cast<unsigned>(seed));
  const auto below = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  const auto chance = [&](int percent) { return below(100) < percent; };
  const int w = viewer.width(), h = viewer.height();
  const auto anywhere = [&] { pointer_to(below(w), below(h)); };

  // Every key of the key table once, in an order of the seed's, then
  // anything. F10 saves and ends the program: it is left out.
  std::vector<unsigned> keys = key_table_keys();
  keys.erase(std::remove(keys.begin(), keys.end(), 0xffc7u), keys.end());
  std::shuffle(keys.begin(), keys.end(), random);
  event_counts_t sent;
  const auto begin = clock_type::now();
  for (size_t k = 0; sent.total() < most_events && seconds_since(begin) < seed_seconds; ++k) {
    const int kind = k < keys.size() ? 0 : below(100);
    std::string what = "seed " + std::to_string(seed) + ", event " + std::to_string(sent.total()) + ": ";
    if (kind < 40) {
      const bool table = k < keys.size() || chance(85);
      const unsigned keysym =
          table ? keys[k < keys.size() ? k : static_cast<size_t>(below(static_cast<int>(keys.size())))]
                : "hoq"[below(3)];
      const bool shift = chance(30), alt = chance(5), control = !table;
      what += "key " + std::string(XKeysymToString(keysym) ? XKeysymToString(keysym) : "?") + (shift ? " +shift" : "") +
              (alt ? " +alt" : "") + (control ? " +control" : "");
      watchdog.start(what);
      anywhere();
      if (key(keysym, shift, alt, control)) ++sent.keys;
    } else if (kind < 65) {
      const int b = 1 + below(3);
      const bool shift = chance(20), control = chance(20);
      what += "click " + std::to_string(b) + (shift ? " +shift" : "") + (control ? " +control" : "");
      watchdog.start(what);
      anywhere();
      if (shift) modifier("Shift_L", true);
      if (control) modifier("Control_L", true);
      button(b, true);
      button(b, false);
      pump();
      if (control) modifier("Control_L", false);
      if (shift) modifier("Shift_L", false);
      ++sent.clicks;
    } else if (kind < 85) {
      const int b = 1 + below(3), steps = 2 + below(8);
      const bool shift = chance(20), control = chance(30);
      what += "drag " + std::to_string(b) + " over " + std::to_string(steps) + " steps" + (shift ? " +shift" : "") +
              (control ? " +control" : "");
      watchdog.start(what);
      anywhere();
      if (shift) modifier("Shift_L", true);
      if (control) modifier("Control_L", true);
      button(b, true);
      pump();
      for (int s = 0; s < steps; ++s) {
        anywhere();
        pump();
      }
      button(b, false);
      pump();
      if (control) modifier("Control_L", false);
      if (shift) modifier("Shift_L", false);
      ++sent.drags;
    } else {
      const int turns = 1 + below(5), b = chance(50) ? 4 : 5;
      what += "wheel " + std::to_string(b) + " x" + std::to_string(turns);
      watchdog.start(what);
      anywhere();
      for (int t = 0; t < turns; ++t) {
        button(b, true);
        button(b, false);
      }
      ++sent.wheels;
    }
    pump();
    watchdog.done();
  }
  g_source_remove(closer);
  pump();
  const std::vector<std::string> warnings = viewer.take_warnings();
  for (const std::string& text : warnings) std::printf("  warned: %s\n", text.c_str());
  std::printf("seed %d on %s: %d events in %.1f s (%d keys, %d clicks, %d drags, %d wheel turns), %zu warnings\n", seed,
              example.c_str(), sent.total(), seconds_since(begin), sent.keys, sent.clicks, sent.drags, sent.wheels,
              warnings.size());
  EXPECT_GE(sent.keys, static_cast<int>(keys.size()) / 2);
  // The window still opens and shows a molecule.
  viewer.open(viewer.dir().write("work/alive.mvr", "1\nalive\nO 0 0 0\n <END>\n"));
  EXPECT_EQ(m->natom(), 1);
  viewer.take_warnings();
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomEvents, ::testing::Values(1, 2, 3, 4, 5, 6));

// Bytes the program holds on its heap.
long long heap_bytes() {
#if defined(__SANITIZE_ADDRESS__)
  return static_cast<long long>(__sanitizer_get_current_allocated_bytes());
#else
  const struct mallinfo2 info = mallinfo2();
  return static_cast<long long>(info.uordblks + info.hblkhd);
#endif
}

// Two versions of a file: water with two orbitals, two waters with three.
grid_file_layout_t version(int v) {
  grid_file_layout_t layout;
  layout.n = 20, layout.grids = 2 + v, layout.block = 3000;
  if (v == 1) {
    const std::vector<vec3> more = {{3, 0, 0.1173}, {3, 0.7572, -0.4692}, {3, -0.7572, -0.4692}};
    layout.atoms.insert(layout.atoms.end(), more.begin(), more.end());
  }
  return layout;
}

// Whether the molecule on show is version v whole: its atoms and the
// values of its current (last) grid.
bool shows_whole(int v) {
  const grid_file_layout_t layout = version(v);
  if (n_geometries() != 1 || m->xyz != layout.atoms || m->ngrid() != layout.grids) return false;
  const grid_values_t& values = m->grid->grid_values;
  if (values.size() != 8000) return false;
  for (size_t p = 0; p < values.size(); ++p)
    if (values[p] != grid_file_value(layout.grids - 1, static_cast<long long>(p))) return false;
  return true;
}

// Rewrites `path` every 100 ms until told to stop: versions 0 and 1 in
// turn, twice in place (truncated, then written in eight pieces a
// millisecond apart), twice by writing another file and renaming it over.
class rewriter_t {
 public:
  explicit rewriter_t(const std::string& path) : path_(path) {
    for (int v = 0; v < 2; ++v) text_[v] = grid_file_text(version(v));
    thread_ = std::thread([this] { run(); });
  }
  ~rewriter_t() {
    stop_ = true;
    thread_.join();
  }
  int rewrites() const { return rewrites_; }

 private:
  void run() {
    for (int k = 0; !stop_; ++k) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      const std::string& text = text_[k % 2];
      if (k % 4 < 2) {
        const int fd = open(path_.c_str(), O_WRONLY | O_TRUNC);
        const size_t piece = text.size() / 8 + 1;
        for (size_t at = 0; fd >= 0 && at < text.size(); at += piece) {
          if (write(fd, text.data() + at, std::min(piece, text.size() - at)) < 0) break;
          std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        if (fd >= 0) close(fd);
      } else {
        const std::string next = path_ + ".next";
        if (FILE* f = std::fopen(next.c_str(), "wb")) {
          std::fwrite(text.data(), 1, text.size(), f);
          std::fclose(f);
          std::rename(next.c_str(), path_.c_str());
        }
      }
      ++rewrites_;
    }
  }
  std::string path_, text_[2];
  std::atomic<bool> stop_{false};
  std::atomic<int> rewrites_{0};
  std::thread thread_;
};

constexpr double watch_seconds = 60;

TEST(WatchSoak, AFileRewrittenEvery100msIsShownWholeOrNotAtAll) {
  Viewer& viewer = Viewer::get();
  const std::string path = viewer.dir().write("work/watched.mvr", grid_file_text(version(0)));
  viewer.open(path);
  ASSERT_TRUE(shows_whole(0));
  viewer.take_warnings();
  std::mt19937 random(99);
  int looks = 0, reloads = 0, settling = 0, half = 0;
  long long heap_at_start = 0;
  {
    rewriter_t rewriter(path);
    const auto begin = clock_type::now();
    while (seconds_since(begin) < watch_seconds) {
      // The window runs for a moment, then the watch looks, as its timer
      // and its follow-up a moment later do.
      const auto until = clock_type::now() + std::chrono::milliseconds(20 + random() % 130);
      while (clock_type::now() < until) {
        pump();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
      const watched_file_t seen = watched_file;
      ++looks;
      if (check_if_file_changed()) ++settling;
      if (watched_file == seen) continue;
      if (n_geometries() == 1 && m->natom() == 0) continue;  // gave up on a file that kept changing
      ++reloads;
      if (!shows_whole(0) && !shows_whole(1)) {
        ++half;
        ADD_FAILURE() << "half read: " << m->natom() << " atoms, " << m->ngrid() << " grids, "
                      << m->grid->grid_values.size() << " values";
      }
      if (heap_at_start == 0 && seconds_since(begin) > 10) heap_at_start = heap_bytes();
    }
    std::printf("watch soak: %d rewrites in %.0f s, %d looks, %d reloads, %d while being written, %d half read\n",
                rewriter.rewrites(), watch_seconds, looks, reloads, settling, half);
  }
  const long long growth = heap_bytes() - heap_at_start;
  std::printf("heap from 10 s to the end: %+lld kB\n", growth / 1024);
  EXPECT_GT(reloads, 50);
  EXPECT_EQ(viewer.take_warnings(), std::vector<std::string>{});
  EXPECT_LT(growth, 8LL << 20);
}

}  // namespace
