// The undo history: snapshots of all geometries (without grid values)
// appended to a hidden native file next to the open file; undo reads the
// previous snapshot back and cuts the newest one off.
#pragma once

#include <string>

// Number of snapshots in the undo file.
extern int backup_count;

// The undo file of this process: "dir/.name.undo-XXXXXX.mvr" for the open
// file "dir/name.ext" (in the temporary directory when that directory can't
// take it), the X's chosen when it is created, so that it never takes the
// name of a file that exists. Empty while there is none.
std::string get_backup_filename();
// Off, no undo file is written and undo reports the oldest change (for
// programs that only read and convert).
void keep_undo_history(bool on);
// Appends a snapshot of the current state. One that can't be written (a
// full disk) leaves the file as it was and is said once, until a snapshot
// is written again; undo then goes back to the last snapshot written.
void append_backup();
// Deletes the undo file, if it is still the one this process created.
void remove_backup();
// Restores the previous snapshot.
void get_backup();
