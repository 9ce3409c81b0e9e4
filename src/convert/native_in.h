// Reading the native file back for the backward converters and the
// calculations, with the program's own reader.
#pragma once

#include <string>
#include <vector>

#include "formats/geometry_section.h"

// Every geometry with its comment line, atoms (labels such as "C12" named
// by their element's symbol), charges, bonds (final when the file says so;
// no automatic bonding) and energy. False with `error` set (not naming the
// file: the caller does) when the file can't be read or holds no geometry.
bool read_native(const std::string& path, std::vector<geometry_section_t>& geometries, std::string& error);
