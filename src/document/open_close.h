// The one road by which a file becomes the current molecule, closing it,
// and the look at the file on disk that reloads it when it changed.
#pragma once

#include <optional>
#include <string>

#include "document/current_file.h"

// Set by a successful native read, consumed by the opener.
extern unsigned char file_open_success;

// Reads the native file `path` into `mol` (replacing all geometries), starts
// the undo history and loads the current grid with its surfaces; warns when
// the file can't be opened. The current grid is the last one, or for a file
// a converter wrote (`converted`) the highest occupied orbital.
void open_zev_file(const std::string& path, bool converted = false);
// Opens `name` (native, or converted by the plug-in of its type).
void open_file(const std::string& name, const std::optional<std::string>& type_description);
// Leaves one empty geometry named "new_file.mvr".
void close_file();
// Reloads the open file when its modification time or size changed. A file
// that is empty or changed within the last moments is being written: true,
// look again soon. A file that changes while it is read is read again; when
// it keeps changing, what was read is not shown.
bool check_if_file_changed();
