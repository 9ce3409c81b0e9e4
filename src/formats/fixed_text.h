// The numbers of native-format lines written as printf's "%W.Pf" writes
// them, byte for byte, but without printf's cost of reading a format: both
// the native writer and the converters make millions of such lines.
#pragma once

#include <string>

#include "molecule/types.h"

// `v` as "%W.Pf" (width W, P decimals).
void append_fixed(std::string& out, double v, int width, int precision);
// " X  Y  Z" with each coordinate as "%.6f", and a line end.
void append_point(std::string& out, const vec3& p);
// An atom line: " WORD  X  Y  Z" with each coordinate as "%15.9f", and a
// line end.
void append_atom_line(std::string& out, const std::string& word, const vec3& p);
