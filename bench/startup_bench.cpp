// Start-up to the first picture: the viewer starts on a file as `mivor`
// does and ends after its first expose. Prints the time from entering main
// to the end of that expose; run it under `time` for the whole process.
//   xvfb-run -a bench/startup_bench examples/decorations.mvr
#include <gtk/gtk.h>

#include <chrono>
#include <cstdio>

#include "ui/main_window.h"

namespace {

const auto started = std::chrono::steady_clock::now();

gboolean report(gpointer) {
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
  std::printf("first picture after %.1f ms\n", ms);
  gtk_main_quit();
  return FALSE;
}

// Runs as the drawing area's expose begins; the report follows once the
// expose (scene compiled, drawn and swapped) is over.
gboolean on_expose_emitted(GSignalInvocationHint*, guint, const GValue* params, gpointer) {
  if (g_value_get_object(&params[0]) == drawingarea) {
    g_idle_add(report, nullptr);
    return FALSE;
  }
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  start_viewer(argc, argv);
  g_signal_add_emission_hook(g_signal_lookup("expose-event", GTK_TYPE_WIDGET), 0, on_expose_emitted, nullptr, nullptr);
  gtk_main();
  return 0;
}
