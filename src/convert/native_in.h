// Reading the native file back for the backward converters: atoms, Mulliken
// charges, bonds and energies of every geometry; grid sections are stepped
// over by their byte count, never read as text.
#pragma once

#include <string>
#include <vector>

#include "formats/geometry_section.h"

// False with `error` set when the file can't be read or holds no geometry.
bool read_native(const std::string& path, std::vector<geometry_section_t>& geometries, std::string& error);
