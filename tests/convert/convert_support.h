// What the converter tests share: reading a native file back through the
// program's own reader, the values of a cube file, running a converter.
#pragma once

#include <string>
#include <vector>

#include "formats/converters.h"

// The fixtures made by scripts/make_converter_fixtures.sh.
std::string fixture(const std::string& name);
// Opens the native file through the program's reader (its geometries land
// in `mol`) and returns the stored values of every grid of geometry 0.
std::vector<std::vector<double>> read_back(const std::string& path);
// The values of a cube file (everything after its header).
std::vector<double> cube_values(const std::string& path);
// Runs a converter of the build by its name ("xyz2mvr") on `file`.
converter_run_t convert(const std::string& name, const std::string& file, const std::vector<std::string>& options = {});
// `text` compressed as a file with the compression suffix `suffix` (".gz",
// ".bz2", ".xz") holds it; `text` itself for "".
std::string compressed(const std::string& text, const std::string& suffix);
// Largest |a - s·b| over the points, with the sign s (±1) that fits best.
double difference_up_to_sign(const std::vector<double>& a, const std::vector<double>& b);
// Largest difference between the values of two sets of grids (infinite
// when their shapes differ).
double largest_difference(const std::vector<std::vector<double>>& a, const std::vector<std::vector<double>>& b);
