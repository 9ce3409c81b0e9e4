#include "gui/viewer.h"

#include <gtest/gtest.h>
// After the test framework: the X headers define macros such as None.
#include <GL/glu.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <gdk/gdkx.h>
#include <gtk/gtkgl.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "document/open_close.h"
#include "gui/widget_events.h"
#include "render/gl/view_gl.h"
#include "support/x_display.h"
#include "ui/gl_scope.h"
#include "ui/main_window.h"
#include "ui/menus.h"

namespace {

std::vector<std::string> warnings_seen;

// Closes every message dialog as soon as it shows, keeping its text.
gboolean close_dialogs(gpointer) {
  GList* windows = gtk_window_list_toplevels();
  for (GList* w = windows; w; w = w->next) {
    GtkWidget* widget = GTK_WIDGET(w->data);
    if (GTK_IS_MESSAGE_DIALOG(widget) && GTK_WIDGET_VISIBLE(widget)) {
      gchar* text = nullptr;
      g_object_get(widget, "text", &text, nullptr);
      warnings_seen.push_back(text ? text : "");
      g_free(text);
      gtk_dialog_response(GTK_DIALOG(widget), GTK_RESPONSE_CLOSE);
    }
  }
  g_list_free(windows);
  return TRUE;
}

Display* x_display() { return GDK_DISPLAY_XDISPLAY(gdk_display_get_default()); }

}  // namespace

Viewer& Viewer::get() {
  // The viewer lives until the process ends (its window can't be torn down
  // and made again); its folder goes when the process exits, so that test
  // runs leave nothing behind in the temporary folder.
  static Viewer* viewer = new Viewer();
  static const bool cleanup = std::atexit([] {
    std::error_code ec;
    std::filesystem::remove_all(viewer->dir().path(), ec);
  }) == 0;
  (void)cleanup;
  return *viewer;
}

Viewer::Viewer() {
  use_private_x_display();
  const std::string config = dir_.subdir("config");
  for (const auto& entry : std::filesystem::directory_iterator(MIVOR_SOURCE_DIR "/mivorrc")) {
    std::filesystem::copy(entry.path(), config + "/" + entry.path().filename().string());
  }
  // The build's plugin.rc and calculation.rc, which point at the built
  // converters and calculation programs.
  for (const char* rc : {"/plugin.rc", "/calculation.rc"})
    std::filesystem::copy(std::string(MIVOR_BUILD_RCDIR) + rc, config + rc,
                          std::filesystem::copy_options::overwrite_existing);
  setenv("MIVOR_DIR", config.c_str(), 1);
  setenv("HOME", dir_.subdir("home").c_str(), 1);
  if (chdir(dir_.subdir("work").c_str()) != 0) std::abort();
  static char arg0[] = "mivor", arg1[] = "-s", arg2[] = "300";
  static char* argv[] = {arg0, arg1, arg2, nullptr};
  g_timeout_add(20, close_dialogs, nullptr);
  start_viewer(3, argv);
  settle(300);
}

void Viewer::settle(int ms) {
  for (int round = 0; round < 2; ++round) {
    XSync(x_display(), False);
    while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
    gdk_window_process_all_updates();
    std::this_thread::sleep_for(std::chrono::milliseconds(ms / 2));
  }
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}

void Viewer::open(const std::string& path) {
  // Each test starts from the view of a fresh window.
  {
    GlScope gl(drawingarea);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    view_realize();
    set_scale();
  }
  open_file(path, std::nullopt);
  invalidate_drawing_area();
  settle();
}

void Viewer::move(int x, int y) {
  int ox = 0, oy = 0;
  gdk_window_get_origin(drawingarea->window, &ox, &oy);
  XTestFakeMotionEvent(x_display(), -1, ox + x, oy + y, CurrentTime);
  settle(20);
}

void Viewer::press(int button) {
  XTestFakeButtonEvent(x_display(), static_cast<unsigned>(button), True, CurrentTime);
  settle(20);
}

void Viewer::release(int button) {
  XTestFakeButtonEvent(x_display(), static_cast<unsigned>(button), False, CurrentTime);
  settle(20);
}

void Viewer::click(int button, int x, int y) {
  move(x, y);
  press(button);
  release(button);
  settle();
}

void Viewer::drag(int button, const std::vector<std::array<int, 2>>& points) {
  move(points.front()[0], points.front()[1]);
  press(button);
  for (size_t i = 1; i < points.size(); ++i) move(points[i][0], points[i][1]);
  release(button);
  settle();
}

void Viewer::key(const char* keysym, bool shift) {
  // Without a window manager, keys go to the window under the pointer.
  move(5, 5);
  Display* dpy = x_display();
  const KeyCode shift_code = XKeysymToKeycode(dpy, XStringToKeysym("Shift_L"));
  const KeyCode code = XKeysymToKeycode(dpy, XStringToKeysym(keysym));
  if (shift) XTestFakeKeyEvent(dpy, shift_code, True, CurrentTime);
  XTestFakeKeyEvent(dpy, code, True, CurrentTime);
  XTestFakeKeyEvent(dpy, code, False, CurrentTime);
  if (shift) {
    // The window reads Shift from the pointer state while it handles the
    // key: keep it held until then, as a hand does.
    settle();
    XTestFakeKeyEvent(dpy, shift_code, False, CurrentTime);
  }
  settle();
}

void Viewer::click_widget(GtkWidget* widget, int x, int y) {
  // A window that grew to take a shown widget settles its size first.
  settle(300);
  ::click_widget(widget, 1, x, y);
}

void Viewer::activate(const char* menu, const char* label) {
  GtkWidget* item = find_menu_item(menu, label);
  if (!item) {
    ADD_FAILURE_AT(__FILE__, __LINE__);
    return;
  }
  gtk_menu_item_activate(GTK_MENU_ITEM(item));
  settle();
}

rgb_t Viewer::pixel(int x, int y) {
  if (x < 0 || y < 0 || x >= width() || y >= height()) return {-1, -1, -1};
  return widget_pixel(drawingarea, x, y);
}

rgb_t Viewer::pixel_of(GtkWidget* widget, int x, int y) {
  if (x < 0 || y < 0 || x >= widget->allocation.width || y >= widget->allocation.height) return {-1, -1, -1};
  return widget_pixel(widget, x, y);
}

int Viewer::width() { return drawingarea->allocation.width; }
int Viewer::height() { return drawingarea->allocation.height; }

std::array<double, 16> Viewer::modelview() {
  std::array<double, 16> mv{};
  GlScope gl(drawingarea);
  if (gl) glGetDoublev(GL_MODELVIEW_MATRIX, mv.data());
  return mv;
}

std::array<double, 2> Viewer::project(double x, double y, double z) {
  GlScope gl(drawingarea);
  std::array<double, 16> model{}, projection{};
  std::array<int, 4> viewport{};
  glGetDoublev(GL_MODELVIEW_MATRIX, model.data());
  glGetDoublev(GL_PROJECTION_MATRIX, projection.data());
  glGetIntegerv(GL_VIEWPORT, viewport.data());
  double wx = 0, wy = 0, wz = 0;
  gluProject(x, y, z, model.data(), projection.data(), viewport.data(), &wx, &wy, &wz);
  return {wx, height() - wy};
}

std::vector<std::string> Viewer::take_warnings() {
  std::vector<std::string> w;
  w.swap(warnings_seen);
  return w;
}

bool near_color(const rgb_t& p, int r, int g, int b, int tolerance) {
  return std::abs(p.r - r) <= tolerance && std::abs(p.g - g) <= tolerance && std::abs(p.b - b) <= tolerance;
}
