// The one road by which a file becomes the current molecule, closing it,
// and the look at the file on disk that reloads it when it changed.
#pragma once

#include <ctime>
#include <optional>
#include <string>

// The open file as the caller named it; "new_file.mvr" after closing.
extern std::string input_file_name;
// The description of the type chosen in the open dialog, or null.
extern std::optional<std::string> input_file_type;
// `input_file_name` up to its last "/".
extern std::string current_directory;

// The file as last opened: modification time 0 means nothing to watch.
struct watched_file_t {
  time_t mtime = 0;
  long long size = 0;
};
extern watched_file_t watched_file;

// Opens `name` (native, or converted by the plug-in of its type).
void open_file(const std::string& name, const std::optional<std::string>& type_description);
// Leaves one empty geometry named "new_file.mvr".
void close_file();
// Reloads the open file when its modification time or size changed.
void check_if_file_changed();
