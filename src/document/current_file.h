// The open file: its name and type as the user chose them, its directory,
// what the file watch last saw of it, and the names derived from it.
#pragma once

#include <cstdio>
#include <ctime>
#include <optional>
#include <string>

#include "formats/safe_file.h"

// The open file as the caller named it; "new_file.mvr" after closing.
extern std::string input_file_name;
// The description of the type chosen in the open dialog, or null.
extern std::optional<std::string> input_file_type;
// `input_file_name` up to its last "/".
extern std::string current_directory;

// The file as last opened: modification time 0 means nothing to watch.
// What tells a rewrite of the watched file: its time to the nanosecond, its
// size and its inode (a file replaced by a rename is a new inode), so that
// a rewrite of the same size within one second is still seen.
struct watched_file_t {
  time_t mtime = 0;
  long mtime_ns = 0;
  long long size = 0;
  unsigned long long inode = 0;
  bool operator==(const watched_file_t& o) const {
    return mtime == o.mtime && mtime_ns == o.mtime_ns && size == o.size && inode == o.inode;
  }
  bool operator!=(const watched_file_t& o) const { return !(*this == o); }
};
// The state of `name` on disk (all zero when it can't be seen).
watched_file_t file_state(const std::string& name);
extern watched_file_t watched_file;

// Sets `input_file_name` and `current_directory` for `name`.
void set_input_file_name(const std::string& name);
// Remembers the modification time and size of `name` (nothing to watch when
// it can't be seen).
void remember_file_state(const std::string& name);

// The open file's name, or "newfile.mvr" when none is set.
std::string get_input_filename();
std::string get_current_directory();
// The open file's name without its extension plus "_new"; null when no file
// name is set.
std::optional<std::string> nextfname();
// Opens the native file of the open file for binary reading; null when it
// can't.
file_ptr open_current_mivor_file();

// No open file, nothing watched.
void reset_current_file();
