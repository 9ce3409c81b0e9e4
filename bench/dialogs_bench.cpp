// The window of all orbitals and the xyz editor on large inputs, in the
// real window: run under xvfb-run (Mesa llvmpipe).
//   xvfb-run -a -s "-screen 0 1280x1024x24" bench/dialogs_bench
// Prints, for 30 orbitals on an 80³ grid: the time to open the window, to
// the first full picture of every tile in view, the longest time the main
// loop was kept busy meanwhile, and the median time of one scroll step;
// for 10,000 atoms: opening the xyz editor and one typed coordinate shown.
#include <gtk/gtk.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "document/open_close.h"
#include "edit/coordinate_edit.h"
#include "formats/safe_file.h"
#include "molecule/mol_data.h"
#include "molecule/settings.h"
#include "ui/main_window.h"
#include "ui/widgets.h"

namespace {

using clock_type = std::chrono::steady_clock;

double ms_since(clock_type::time_point t) {
  return std::chrono::duration<double, std::milli>(clock_type::now() - t).count();
}

std::string scratch(const char* name) {
  const char* tmp = std::getenv("TMPDIR");
  return std::string(tmp ? tmp : "/tmp") + "/" + name;
}

// Formaldehyde with 30 orbital-like fields on an 80³ lattice (bohr).
std::string write_orbitals() {
  const std::string path = scratch("mivor-bench-multiview.mvr");
  constexpr int n = 80, grids = 30;
  const long long points = 1LL * n * n * n;
  file_ptr out(std::fopen(path.c_str(), "wb"), std::fclose);
  std::fprintf(out.get(), "4\nformaldehyde\nC 0 0 0\nO 0 0 1.21\nH 0 0.94 -0.54\nH 0 -0.94 -0.54\n <GRID>\n");
  std::fprintf(out.get(),
               " N_of_MO=%d N_of_Grids=%d N_of_Points=%lld Block_Size=%lld N_Blocks=1 Is_cutoff=0 CutOff=0 N_P=0\n",
               grids, grids, points, points);
  std::fprintf(out.get(), " N_INDEX= 0 0 0 0 0 0 0\n Net= %d %d %d\n Origin= -8 -8 -8\n", n, n, n);
  std::fprintf(out.get(), " Axis_1= 16 0 0\n Axis_2= 0 16 0\n Axis_3= 0 0 16\n ORBOFF = %lld\n", 8 * points * grids);
  for (int g = 0; g < grids; ++g)
    std::fprintf(out.get(), " GridName= Orbital  sym= 1 index=%d Energ=%f occ=2.0 type=i\n", g + 1, -1.0 + 0.05 * g);
  std::fprintf(out.get(), " <DENSITY>\n");
  std::vector<double> values(static_cast<size_t>(points));
  for (int g = 0; g < grids; ++g) {
    const double k = 0.3 + 0.05 * g;
    for (long long p = 0; p < points; ++p) {
      const double x = (p / (n * n)) * 0.2 - 8, y = (p / n % n) * 0.2 - 8, z = (p % n) * 0.2 - 8;
      values[static_cast<size_t>(p)] = std::sin(k * (x + y + z)) * std::exp(-(x * x + y * y + z * z) / 6);
    }
    std::fwrite(values.data(), sizeof(double), values.size(), out.get());
  }
  std::fprintf(out.get(), " </DENSITY>\n </GRID>\n <END>\n");
  return path;
}

// 10,000 atoms on a lattice 3 Å apart (no bonds between them).
std::string write_atoms() {
  const std::string path = scratch("mivor-bench-10000.mvr");
  file_ptr out(std::fopen(path.c_str(), "wb"), std::fclose);
  std::fprintf(out.get(), "10000\nlattice\n");
  for (int i = 0; i < 10000; ++i)
    std::fprintf(out.get(), "C %f %f %f\n", 3.0 * (i % 22), 3.0 * (i / 22 % 22), 3.0 * (i / 484));
  std::fprintf(out.get(), " <END>\n");
  return path;
}

void drain() {
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
  gdk_window_process_all_updates();
  gdk_flush();
}

// The longest time between two ticks of a 5 ms timer: how long the main
// loop was kept from the window.
struct busy_meter_t {
  clock_type::time_point last = clock_type::now();
  double longest = 0;
} meter;

gboolean tick(gpointer) {
  const double gap = ms_since(meter.last);
  meter.longest = std::max(meter.longest, gap);
  meter.last = clock_type::now();
  return TRUE;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

void bench_multiview(const std::string& file) {
  open_file(file, std::nullopt);
  drain();
  const guint timer = g_timeout_add(5, tick, nullptr);
  const auto start = clock_type::now();
  mivor_gtk_show_multiorb_window();
  gdk_window_process_all_updates();
  gdk_flush();
  const double opened = ms_since(start);
  meter.last = clock_type::now();
  meter.longest = 0;
  while (multiview_tiles_waiting() > 0) gtk_main_iteration_do(TRUE);
  drain();
  const double full = ms_since(start);
  g_source_remove(timer);
  std::printf(
      "multiview, 30 orbitals of 80^3: window %.1f ms, first full picture %.1f ms, main loop busy at most "
      "%.1f ms at a time\n",
      opened, full, meter.longest);

  GtkWidget* scrolled = nullptr;
  GList* top = gtk_container_get_children(GTK_CONTAINER(multi_view_win));
  GList* inner = gtk_container_get_children(GTK_CONTAINER(top->data));
  scrolled = GTK_WIDGET(inner->data);
  g_list_free(inner);
  g_list_free(top);
  GtkAdjustment* v = gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(scrolled));
  std::vector<double> steps;
  for (double y = 0; y + v->page_size < v->upper; y += 125) {
    const auto t = clock_type::now();
    gtk_adjustment_set_value(v, y + 125);
    drain();
    steps.push_back(ms_since(t));
  }
  std::printf("multiview scroll step (half a tile): median %.1f ms over %zu steps, slowest %.1f ms\n", median(steps),
              steps.size(), steps.empty() ? 0 : *std::max_element(steps.begin(), steps.end()));
  mivor_gtk_show_multiorb_window();
  drain();
}

void bench_xyz_editor(const std::string& file) {
  open_file(file, std::nullopt);
  drain();
  std::vector<double> opening, update, shown;
  for (int r = 0; r < 5; ++r) {
    auto t = clock_type::now();
    callback_xyz_edit();
    drain();
    opening.push_back(ms_since(t));
    t = clock_type::now();
    set_atom_coordinate(5000, 0, r % 2 ? "1.5" : "2.5");
    update.push_back(ms_since(t));
    drain();
    shown.push_back(ms_since(t));
    // Closed as its OK button does, so that the next round opens it anew.
    if (atom_treeview) mivor_destroy_xyz_edit_dialog(gtk_widget_get_toplevel(atom_treeview));
    drain();
  }
  std::printf(
      "xyz editor, 10,000 atoms: opening median %.1f ms; one typed coordinate: atom, row and snapshot "
      "median %.1f ms, with the main view redrawn %.1f ms\n",
      median(opening), median(update), median(shown));
}

}  // namespace

int main(int argc, char** argv) {
  const std::string orbitals = write_orbitals(), atoms = write_atoms();
  static char arg0[] = "mivor", arg1[] = "-s", arg2[] = "800";
  char* args[] = {arg0, arg1, arg2, nullptr};
  (void)argc;
  (void)argv;
  start_viewer(3, args);
  drain();
  bench_multiview(orbitals);
  bench_xyz_editor(atoms);
  return 0;
}
