// Entry point of the viewer: start-up in its fixed order, the main loop, and
// the orderly end.
#include "app/calc_defs.h"
#include "app/startup.h"
#include "app/startup_problems.h"
#include "molecule/undo.h"

int main(int argc, char** argv) {
  run_startup_before_window(argc, argv);
  open_cmd_line_file();
  print_plugin_warnings();
  // Quitting removes the undo history of the open file.
  remove_backup();
  remove_calc_def_data();
  return 0;
}
