// Names of the open file and of the files that belong to it.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

// The name of the native file that belongs to `name`: its extension (when
// it has one of at most 6 characters after a "." at index 1 or more)
// replaced by ".mvr", else ".mvr" appended.
std::string make_mivor_file_name(const std::string& name);
// Opens the native file of the open file for binary reading; null when it
// can't (the caller closes it).
FILE* open_current_mivor_file();
// The open file's name without its extension plus "_new"; null when no file
// name is set.
std::optional<std::string> nextfname();
// The open file's name, or "newfile.mvr" when none is set.
std::string get_input_filename();
std::string get_current_directory();
int get_file_exist(const std::string& path);
