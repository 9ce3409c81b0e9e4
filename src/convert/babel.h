// The bridge to the Open Babel library: every format it reads becomes native
// geometries (frames, partial charges and energies kept), and native files
// become the formats it writes.
#pragma once

#include <string>
#include <vector>

#include "formats/geometry_section.h"

// Reads `path` in Open Babel's format `format` ("qc": the output of a
// quantum-chemistry program, told by its content) and writes the native file
// `target`.
bool babel_to_native(const std::string& format, const std::string& path, const std::string& target, std::string& error);
// Writes the geometries to `target` in Open Babel's format `format`.
bool babel_from_native(const std::string& format, const std::vector<geometry_section_t>& geometries,
                       const std::string& target, std::string& error);
// The Open Babel format of a program output, told by its first lines; empty
// when no known program wrote it.
std::string output_format_of(const std::string& head);
