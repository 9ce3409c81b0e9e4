// Checks that every callback handed to GLib or the toolkit, in any folder of
// the sources, goes through the memory guard (`guarded<handler>`), so that
// running out of memory in one is a message rather than an exception crossing
// GLib's C frames.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Scans every source under `src_root` and returns one line per callback
// handed over without the guard, as "FOLDER/FILE:LINE: what"; sorted, empty
// when every callback is guarded.
std::vector<std::string> check_callbacks(const std::filesystem::path& src_root);

// The same for the text of one file, named `name` in the lines returned.
std::vector<std::string> unguarded_callbacks(const std::string& name, const std::string& text);
