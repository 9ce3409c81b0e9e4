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
