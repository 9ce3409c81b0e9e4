// Entry point of the viewer: start-up in its fixed order, the main loop, and
// the orderly end.
#include "app/calc_defs.h"
#include "app/startup_problems.h"
#include "ui/main_window.h"

int main(int argc, char** argv) {
  start_viewer(argc, argv);
  // The start-up problem, if any, is shown once the window stands.
  print_plugin_warnings();
  Start_Gui();
  remove_calc_def_data();
  return 0;
}
