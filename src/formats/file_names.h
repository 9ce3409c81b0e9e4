// Names of files: the native file that belongs to a name, and the pieces of
// a path.
#pragma once

#include <string>

// The name of the native file that belongs to `name`: its extension (when
// it has one of at most 6 characters, see `extension_dot`) replaced by
// ".mvr", else ".mvr" appended; always in the directory `name` names. A
// compressed file's name loses its compression suffix first
// (water.cube.gz gives water.mvr), except a tar archive's (x.tar.gz gives
// x.tar.mvr): that holds many files, not one compressed file.
std::string make_mivor_file_name(const std::string& name);
// `name` up to its extension dot (all of it without one).
std::string name_before_extension(const std::string& name);
int get_file_exist(const std::string& path);

// Path pieces: the text from the extension dot (or the end), the directory
// part up to and including the last "/", the part after it, and the name up
// to its extension dot.
const char* get_extension_pointer(const char* name);
std::string get_path_without_file(const std::string& name);
const char* get_filename_pointer_from_path(const char* name);
std::string get_filename_without_extension(const std::string& name);
