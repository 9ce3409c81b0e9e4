// Entry point of the viewer: start-up in its fixed order, the main loop, and
// the orderly end (a calculation still running ends with the window, and
// so do the programs it started).
#include "app/calc_defs.h"
#include "app/calc_process.h"
#include "app/startup_problems.h"
#include "ui/main_window.h"

int main(int argc, char** argv) {
  start_viewer(argc, argv);
  // The start-up problem, if any, is shown once the window stands.
  print_plugin_warnings();
  Start_Gui();
  stop_calculation_process();
  remove_calc_def_data();
  return 0;
}
