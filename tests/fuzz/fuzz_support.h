// Shared pieces of the fuzz targets: a silent notifier and a real file
// holding the input, since the readers re-open files by name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Sets up the core once: built-in element table, default settings, a
// notifier that drops everything.
void fuzz_init();
// Writes the input to this process's scratch file and returns its path.
std::string fuzz_write_input(const uint8_t* data, size_t size);
// Writes the input to the scratch file, makes it the open file's name and
// reads it into the geometries; false when the file can't be made.
bool fuzz_parse_input(const uint8_t* data, size_t size);
