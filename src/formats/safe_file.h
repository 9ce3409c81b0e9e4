// Writing a whole file without ever leaving a half-written one behind.
#pragma once

#include <string>

// Writes `content` to a temporary file in the directory of `path`, checks
// every write, then renames it over `path`. False (and `path` untouched)
// when any step fails.
bool write_file_atomically(const std::string& path, const std::string& content);

// True when `path` can be opened for reading.
bool file_is_readable(const std::string& path);
// True when `path` is a directory.
bool is_directory(const std::string& path);
