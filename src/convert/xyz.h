// XYZ files: every frame (atom count, comment, one line per atom) becomes a
// geometry; an energy in the comment line (a bare number, "energy=" as
// extended XYZ writes it, "energy:" as xtb, "E" after ORCA's "Coordinates
// from ORCA-job", "E=" or "Energy" before a number) becomes the geometry's
// energy. And the way back.
#pragma once

#include <string>
#include <vector>

#include "formats/geometry_section.h"

// Reads XYZ text; false with `error` set (naming the line) when the text is
// not an XYZ file.
bool read_xyz(const std::string& text, std::vector<geometry_section_t>& frames, std::string& error);
// The XYZ text of the geometries: comment "energy=…" when the energy is
// known, else the geometry's comment.
std::string xyz_text(const std::vector<geometry_section_t>& geometries);
