// The settings file "mivor.rc" in the configuration directory.
#pragma once

#include <string>

// Reads "mivor.rc" in the configuration directory over the current values; a
// missing file changes nothing.
void load_values_from_config_file();
// Reads settings from the file at `path`; false when it can't be opened.
bool read_settings_file(const std::string& path);
// Writes the saved fields to "mivor.rc" in the configuration directory;
// false (and a warning) when the file could not be written.
bool save_settings_data();
// The text of "mivor.rc" for the current settings.
std::string settings_file_text();
