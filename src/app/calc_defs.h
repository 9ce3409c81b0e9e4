// The external calculations listed in "calculation.rc".
#pragma once

#include <optional>
#include <string>
#include <vector>

struct calc_def_t {
  std::optional<std::string> path;  // working directory of the program
  std::string plugin;               // the program to start
  std::optional<std::string> description;
  std::optional<std::string> type;
  std::optional<std::string> file;  // set when the calculation takes an input file
  std::vector<std::string> arg_name;
  std::vector<std::optional<std::string>> arg_value;
  std::vector<std::optional<std::string>> arg_desc;
  int n_args() const { return static_cast<int>(arg_name.size()); }
};

extern std::vector<calc_def_t> calc_defs;
int n_calc_defs();

// Reads "calculation.rc" from the configuration directory; a missing file
// is reported on standard error and leaves no definitions.
void load_calc_def_data();
// Reads the definitions from the file at `path`; false when it can't be opened.
bool read_calc_defs(const std::string& path);
// Frees the definitions and the configuration directory path.
void remove_calc_def_data();
