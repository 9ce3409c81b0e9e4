// Pictures from the window: the Screenshot dialog driven as a user would,
// the quick-screenshot keys, and pictures made without a window (mivor-cli)
// or as vector EPS compared with what the screen shows.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <regex>
#include <string>

#include "gui/viewer.h"
// After the test framework: the X headers define macros such as None.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <gdk/gdkx.h>

#include "molecule/mol_data.h"
#include "molecule/notify.h"
#include "molecule/settings.h"
#include "support/run_program.h"
#include "ui/main_window.h"

namespace {

// What the dialog driver does with the file chooser when it shows.
struct chooser_plan_t {
  std::string name;  // file name in the working directory
  int format = 0;    // entry of the format combo
  int width = 600, height = 600;
  // Read back after asking for sizes beyond the limits.
  int width_below = 0, width_above = 0;
  bool chooser_seen = false, preview_seen = false;
};

GtkWidget* visible_toplevel(bool (*wanted)(GtkWidget*)) {
  GtkWidget* found = nullptr;
  GList* windows = gtk_window_list_toplevels();
  for (GList* w = windows; w && !found; w = w->next)
    if (GTK_WIDGET_VISIBLE(GTK_WIDGET(w->data)) && wanted(GTK_WIDGET(w->data))) found = GTK_WIDGET(w->data);
  g_list_free(windows);
  return found;
}

bool is_chooser(GtkWidget* w) { return GTK_IS_FILE_CHOOSER_DIALOG(w); }
bool is_preview(GtkWidget* w) {
  return GTK_IS_DIALOG(w) && !GTK_IS_MESSAGE_DIALOG(w) && gtk_window_get_title(GTK_WINDOW(w)) &&
         std::string(gtk_window_get_title(GTK_WINDOW(w))) == "Screenshot";
}

// Fills in the chooser (sizes, format, name) and saves; accepts the preview.
gboolean drive_dialogs(gpointer data) {
  auto* plan = static_cast<chooser_plan_t*>(data);
  if (GtkWidget* preview = visible_toplevel(is_preview)) {
    plan->preview_seen = true;
    gtk_dialog_response(GTK_DIALOG(preview), GTK_RESPONSE_ACCEPT);
    return TRUE;
  }
  GtkWidget* chooser = visible_toplevel(is_chooser);
  if (!chooser) return TRUE;
  // The chooser may still be reading its folder and let a response pass:
  // it is asked again until it closes.
  if (plan->chooser_seen) {
    gtk_dialog_response(GTK_DIALOG(chooser), GTK_RESPONSE_ACCEPT);
    return TRUE;
  }
  plan->chooser_seen = true;
  GList* children =
      gtk_container_get_children(GTK_CONTAINER(gtk_file_chooser_get_extra_widget(GTK_FILE_CHOOSER(chooser))));
  // "Width:", width, "Height:", height, "pixels", format.
  GtkSpinButton* width = GTK_SPIN_BUTTON(g_list_nth_data(children, 1));
  GtkSpinButton* height = GTK_SPIN_BUTTON(g_list_nth_data(children, 3));
  GtkComboBox* format = GTK_COMBO_BOX(g_list_nth_data(children, 5));
  g_list_free(children);
  gtk_spin_button_set_value(width, 500);
  plan->width_below = gtk_spin_button_get_value_as_int(width);
  gtk_spin_button_set_value(width, 5000);
  plan->width_above = gtk_spin_button_get_value_as_int(width);
  gtk_spin_button_set_value(width, plan->width);
  gtk_spin_button_set_value(height, plan->height);
  gtk_combo_box_set_active(format, plan->format);
  gtk_file_chooser_set_current_name(GTK_FILE_CHOOSER(chooser), plan->name.c_str());
  gtk_dialog_response(GTK_DIALOG(chooser), GTK_RESPONSE_ACCEPT);
  return TRUE;
}

// A key pressed while Shift is held down until the window has handled it
// (the window reads the modifiers when it handles the key).
void shifted_key(Viewer& viewer, const char* keysym) {
  viewer.move(5, 5);
  Display* dpy = GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
  const KeyCode shift = XKeysymToKeycode(dpy, XStringToKeysym("Shift_L"));
  const KeyCode code = XKeysymToKeycode(dpy, XStringToKeysym(keysym));
  XTestFakeKeyEvent(dpy, shift, True, CurrentTime);
  XTestFakeKeyEvent(dpy, code, True, CurrentTime);
  XTestFakeKeyEvent(dpy, code, False, CurrentTime);
  viewer.settle();
  XTestFakeKeyEvent(dpy, shift, False, CurrentTime);
  viewer.settle();
}

class Pictures : public ::testing::Test {
 protected:
  void SetUp() override {
    saved = Input_Data;
    Input_Data.grayscale = 0;
    Input_Data.background_color = {1, 1, 1, 0};
    Input_Data.plus_color = {1, 0, 0, 1};
    Input_Data.minus_color = {0, 0.8f, 0, 1};
    path = viewer.dir().write("work/orbitals.mvr", read_file(MIVOR_SOURCE_DIR "/examples/formaldehyde_orbitals.mvr"));
    viewer.open(path);
  }
  void TearDown() override {
    Input_Data = saved;
    rerender_3d();
  }
  // The Screenshot menu, driven by `plan`.
  void save_through_dialog(chooser_plan_t& plan) {
    const guint driver = g_timeout_add(30, drive_dialogs, &plan);
    viewer.activate("_Screenshot", "Screenshot");
    g_source_remove(driver);
    viewer.settle();
  }
  std::string work(const std::string& name) { return viewer.dir().path() + "/work/" + name; }

  Viewer& viewer = Viewer::get();
  input_data_t saved;
  std::string path;
};

TEST_F(Pictures, DialogKeepsSizeLimitsAndWritesLevelTwoPostScriptWithoutPreview) {
  chooser_plan_t plan;
  plan.name = "level2.eps";
  plan.format = 2;  // "postscript level 2 (*.eps)"
  save_through_dialog(plan);
  EXPECT_TRUE(plan.chooser_seen);
  EXPECT_EQ(plan.width_below, 600);
  EXPECT_EQ(plan.width_above, 4000);
  EXPECT_FALSE(plan.preview_seen);
  const std::string eps = read_file(work("level2.eps"));
  EXPECT_NE(eps.find("%--- start configure\n/islevel3 false def\n"), std::string::npos);
  EXPECT_EQ(statusbar_text(statusbar2), "Picture saved to: " + work("level2.eps"));

  // Targa goes through the preview, at the size chosen.
  chooser_plan_t tga;
  tga.name = "big.tga";
  tga.width = 640, tga.height = 610;
  save_through_dialog(tga);
  EXPECT_TRUE(tga.preview_seen);
  EXPECT_EQ(read_file(work("big.tga")).size(), 18u + 640u * 610u * 4u);
  EXPECT_TRUE(viewer.take_warnings().empty());
}

TEST_F(Pictures, QuickScreenshotsNumberTheirFilesAndShowTheScreen) {
  for (const char* name : {"new_file_000.tga", "new_file_001.tga", "new_file_002.tga", "new_file_000.eps",
                           "new_file_001.eps", "new_file_000.pov"})
    std::remove(work(name).c_str());
  for (int i = 0; i < 3; ++i) viewer.key("F5");
  EXPECT_EQ(statusbar_text(statusbar2), "screenshot done");
  const std::string tga = read_file(work("new_file_002.tga"));
  ASSERT_EQ(tga.size(), 18u + 300u * 300u * 4u);
  // The Targa's pixel at an atom, rows from the bottom, blue green red alpha.
  const auto h = viewer.project(m->xyz[2][0], m->xyz[2][1], m->xyz[2][2]);
  const rgb_t screen = viewer.pixel(int(h[0]), int(h[1]));
  const size_t at = 18 + (static_cast<size_t>(299 - int(h[1])) * 300 + static_cast<size_t>(h[0])) * 4;
  EXPECT_TRUE(near_color(screen, static_cast<unsigned char>(tga[at + 2]), static_cast<unsigned char>(tga[at + 1]),
                         static_cast<unsigned char>(tga[at])))
      << screen.r << " " << screen.g << " " << screen.b;

  shifted_key(viewer, "F5");  // PostScript
  shifted_key(viewer, "P");   // PostScript level 2
  viewer.key("p");            // POV-Ray
  EXPECT_NE(read_file(work("new_file_000.eps")).find("%/islevel3 false def\n"), std::string::npos);
  EXPECT_NE(read_file(work("new_file_001.eps")).find("\n/islevel3 false def\n"), std::string::npos);
  EXPECT_NE(read_file(work("new_file_000.pov")).find("smooth_triangle {"), std::string::npos);
}

// A picture read back (a PNG file) as pixels.
struct image_t {
  GdkPixbuf* pixbuf = nullptr;
  explicit image_t(const std::string& file) : pixbuf(gdk_pixbuf_new_from_file(file.c_str(), nullptr)) {}
  ~image_t() {
    if (pixbuf) g_object_unref(pixbuf);
  }
  int width() const { return gdk_pixbuf_get_width(pixbuf); }
  int height() const { return gdk_pixbuf_get_height(pixbuf); }
  rgb_t at(int x, int y) const {
    const guchar* p =
        gdk_pixbuf_get_pixels(pixbuf) + y * gdk_pixbuf_get_rowstride(pixbuf) + x * gdk_pixbuf_get_n_channels(pixbuf);
    return {p[0], p[1], p[2]};
  }
};

TEST_F(Pictures, CommandLinePictureMatchesTheWindow) {
  // The same configuration and size, no display: the same drawing code.
  const program_result r = run_program(
      {MIVOR_CLI_BINARY, "render", path, "--out", work("cli.png"), "--size", "300x300", "--background", "white"},
      {{"MIVOR_DIR", viewer.dir().path() + "/config"}, {"DISPLAY", std::nullopt}}, viewer.dir().path() + "/work");
  ASSERT_EQ(r.status, 0) << r.err;
  // The window draws the settings of the file's configuration too.
  Input_Data = saved;
  Input_Data.background_color = {1, 1, 1, 0};
  rerender_3d();
  invalidate_drawing_area();
  viewer.settle();
  const image_t png(work("cli.png"));
  ASSERT_TRUE(png.pixbuf);
  ASSERT_EQ(png.width(), viewer.width());
  int compared = 0, differing = 0;
  for (int y = 0; y < 300; y += 6)
    for (int x = 0; x < 300; x += 6) {
      const rgb_t w = viewer.pixel(x, y), c = png.at(x, y);
      ++compared;
      differing += !near_color(w, c.r, c.g, c.b, 8);
    }
  EXPECT_LE(differing, compared / 100) << differing << " of " << compared << " pixels differ";
}

// Centre of the pixels of one lobe colour: reddish (0) or greenish (1).
std::array<double, 3> lobe_centre(int lobe, int width, int height, const std::function<rgb_t(int, int)>& pixel) {
  double sx = 0, sy = 0, n = 0;
  for (int y = 0; y < height; y += 2)
    for (int x = 0; x < width; x += 2) {
      const rgb_t p = pixel(x, y);
      const bool is = lobe == 0 ? p.r > p.g + 40 && p.r > p.b + 40 : p.g > p.r + 40 && p.g > p.b + 40;
      if (is) sx += x, sy += y, n += 1;
    }
  return {n ? sx / n / width : 0, n ? sy / n / height : 0, n};
}

TEST_F(Pictures, PostScriptShowsBothLobesWhereTheScreenDoes) {
  std::remove(work("new_file_000.eps").c_str());
  shifted_key(viewer, "F5");
  const std::string eps = read_file(work("new_file_000.eps"));
  ASSERT_EQ(run_program({"/usr/bin/gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=png16m", "-dEPSCrop",
                         "-sOutputFile=" + work("eps.png"), work("new_file_000.eps")},
                        {}, viewer.dir().path())
                .status,
            0);
  const image_t raster(work("eps.png"));
  ASSERT_TRUE(raster.pixbuf);
  // The lobes: present in both, on the same sides of the picture.
  for (int lobe : {0, 1}) {
    const auto screen =
        lobe_centre(lobe, viewer.width(), viewer.height(), [&](int x, int y) { return viewer.pixel(x, y); });
    const auto paper =
        lobe_centre(lobe, raster.width(), raster.height(), [&](int x, int y) { return raster.at(x, y); });
    ASSERT_GT(screen[2], 50) << "lobe " << lobe;
    ASSERT_GT(paper[2], 50) << "lobe " << lobe;
    EXPECT_NEAR(screen[0], paper[0], 0.15) << "lobe " << lobe;
    EXPECT_NEAR(screen[1], paper[1], 0.15) << "lobe " << lobe;
  }
  // The atoms outside the lobes (the hydrogens) are white-grey in both.
  std::smatch scale;
  ASSERT_TRUE(std::regex_search(eps, scale, std::regex(R"(72 72 translate ([0-9.]+) )")));
  const double s = std::stod(scale[1]);
  const std::regex atom(R"(([0-9.]+) ([0-9.]+) [0-9.]+ ([0-9.]+) ([0-9.]+) ([0-9.]+) Atom)");
  int hydrogens = 0;
  for (auto it = std::sregex_iterator(eps.begin(), eps.end(), atom); it != std::sregex_iterator(); ++it) {
    const auto& a = *it;
    if (std::stod(a[3]) < 0.9 || std::stod(a[4]) < 0.9 || std::stod(a[5]) < 0.9) continue;  // white atoms only
    const int x = int(std::stod(a[1]) * s), y = raster.height() - 1 - int(std::stod(a[2]) * s);
    const rgb_t p = raster.at(x, y);
    EXPECT_TRUE(p.r > 200 && std::abs(p.r - p.g) < 20 && std::abs(p.r - p.b) < 20) << p.r << " " << p.g << " " << p.b;
    ++hydrogens;
  }
  EXPECT_EQ(hydrogens, 2);
  for (int i = 0; i < m->natom(); ++i) {
    if (atom_element(*m, i).name != "H") continue;
    const auto w = viewer.project(m->xyz[i][0], m->xyz[i][1], m->xyz[i][2]);
    const rgb_t p = viewer.pixel(int(w[0]), int(w[1]));
    EXPECT_TRUE(p.r > 150 && std::abs(p.r - p.g) < 20 && std::abs(p.r - p.b) < 20) << p.r << " " << p.g << " " << p.b;
  }
}

}  // namespace
