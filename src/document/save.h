// The save road that every save command takes: the native file written
// without ever losing the one on disk, then the converter of the chosen type.
#pragma once

#include <string>

// Writes all geometries to `target` through a temporary file in the same
// directory, copying the embedded orbital files from the open file's native
// file; false (and a warning) when the file could not be written.
bool save_zev_file(const std::string& target);
// The type `name` is saved in, from its own extension: n_input_types() (the
// native file only) for a name without one, else as `get_filetype` finds it.
int save_type_of(const std::string& name);
// Writes the native file of `name`, then converts it to `type` when that
// type has a backward converter. A name whose extension is neither the
// native one nor made by the type's converter is refused ("unknown
// filetype") and nothing is written. False when nothing was saved or the
// converter failed (the native file is then saved).
bool mivor_gtk_do_save_file(const std::string& name, int type);
