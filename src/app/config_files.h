// The configuration files found in the configuration directory at start-up:
// the element table, the fragment library and the plug-in file types.
#pragma once

#include <string>

// Loads "atoms.rc" from the configuration directory, or takes the built-in
// table and writes it there when the file can't be opened.
void load_atom_data();
// "atoms.rc" in the configuration directory.
std::string atoms_rc_path();
// Writes the table in use to "atoms.rc" in the configuration directory;
// false when it could not be written (the file there stays as it was).
bool save_atom_data();
// Reads "fragments.rc" from the configuration directory; a missing file is
// reported on standard error and leaves the library empty.
void load_fragment_data();
// Builds the file types from "plugin.rc" in $MIVOR_DIR when it is set, else in
// the configuration directory. Unreadable converters are recorded as start-up
// problems.
void init_input_filetypes();
