// Reading the native file back for the backward converters: atoms, Mulliken
// charges, bonds and energies of every geometry; grid sections are stepped
// over by their byte count, never read as text.
#pragma once

#include <string>
#include <vector>

#include "convert/native_out.h"

// False with `error` set when the file can't be read or holds no geometry.
bool read_native(const std::string& path, std::vector<out_geometry_t>& geometries, std::string& error);
