// The undo history: snapshots of all geometries (without grid values)
// appended to a hidden native file next to the open file; undo reads the
// previous snapshot back and cuts the newest one off.
#pragma once

#include <string>

// Number of snapshots in the undo file.
extern int backup_count;

// "dir/.name.mvr" for the open file "dir/name.ext".
std::string get_backup_filename();
// Appends a snapshot of the current state.
void append_backup();
// Deletes the undo file.
void remove_backup();
// Restores the previous snapshot.
void get_backup();

// Path pieces: the text from the last "." (or the end), the directory part
// up to and including the last "/", the part after it, and the name up to
// its last ".".
const char* get_extension_pointer(const char* name);
std::string get_path_without_file(const std::string& name);
const char* get_filename_pointer_from_path(const char* name);
std::string get_filename_without_extension(const std::string& name);
