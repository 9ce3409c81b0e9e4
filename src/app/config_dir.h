// Finding the configuration directory at start-up, checking the plug-in
// description files in it, and the start-up problem code they leave.
#pragma once

#include <string>
#include <vector>

// Start-up problem codes (shown as one dialog when the main loop starts).
enum startup_problem_t {
  PROBLEM_NONE = 0,
  PROBLEM_NO_CONFIG_DIR = 1,
  PROBLEM_NO_CALCULATIONS = 4,
  PROBLEM_NO_FRAGMENTS = 8,
  PROBLEM_NO_PLUGINS = 16,
  PROBLEM_FORWARD_CONVERTER = 1024,   // + index of the input type
  PROBLEM_BACKWARD_CONVERTER = 2048,  // + index of the input type
};

// The configuration directory, without a trailing slash.
extern std::string rcdir;
extern int error_config_does_not_exist;

// The fixed system-wide place searched third ("/usr/local/share/mivor");
// tests point it elsewhere.
extern std::string system_config_dir;

// The configuration of this installation, searched just before the system
// place: share/mivor of the prefix the program was built for, and the
// share/mivor beside the directory that holds the program itself. A
// directory counts only when it holds the settings file. Tests empty it.
extern std::vector<std::string> installed_config_dirs;

// Global switches, the configuration directory, then the check of the
// plug-in description files when a directory was found.
void init_variables();
// Searches MIVOR_DIR, $HOME/.mivor, the installation's places, the system
// place and the working directory, in that order, and sets `rcdir`.
void init_config_dir_path();
// Records problem code 4, 8 or 16 for the first of "calculation.rc",
// "fragments.rc" and "plugin.rc" that is not readable in `rcdir`.
void check_plugin_files();
// Records a problem code: the codes 1, 4, 8 and 16 only while none is set.
void record_startup_problem(int code);

// No configuration directory and no start-up problem.
void reset_config_dir();
