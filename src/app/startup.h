// The start-up steps that run before the window exists, in their order.
#pragma once

// Steps 1 to 6: switches and configuration directory, input file types,
// element table, fragment library, calculation definitions, settings and
// command line (help and version end the program here).
void run_startup_before_window(int argc, char** argv);
// Opens the file named on the command line, or makes one empty molecule.
void open_cmd_line_file();
// Defaults, then "mivor.rc" from the configuration directory, then the
// command line (which may end the program for help and version).
void load_settings_data(int argc, char** argv);
