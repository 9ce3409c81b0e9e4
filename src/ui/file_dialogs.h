// The open and save file choosers with one filter per file type.
#pragma once

#include <optional>
#include <string>

// The chosen file and the description of the chosen filter's type (none for
// "all files"); none when the dialog was cancelled.
struct chosen_file_t {
  std::string name;
  std::optional<std::string> type_description;
  int type = 0;  // index of the chosen type; n_input_types() for "all files"
};
std::optional<chosen_file_t> run_open_dialog();
std::optional<chosen_file_t> run_save_dialog();
