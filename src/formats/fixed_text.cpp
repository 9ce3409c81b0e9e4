#include "formats/fixed_text.h"

#include <algorithm>
#include <charconv>

// std::to_chars rounds as printf does.
void append_fixed(std::string& out, double v, int width, int precision) {
  // Any double: a sign, up to 309 digits before the point, the point, the decimals.
  char digits[320 + 16];
  const std::to_chars_result r =
      std::to_chars(digits, digits + sizeof digits, v, std::chars_format::fixed, std::min(precision, 15));
  const size_t n = static_cast<size_t>(r.ptr - digits);
  if (n < static_cast<size_t>(width)) out.append(static_cast<size_t>(width) - n, ' ');
  out.append(digits, n);
}

void append_point(std::string& out, const vec3& p) {
  for (size_t c = 0; c < 3; ++c) {
    out += c == 0 ? " " : "  ";
    append_fixed(out, p[c], 0, 6);
  }
  out += '\n';
}

void append_atom_line(std::string& out, const std::string& word, const vec3& p) {
  out += ' ';
  out += word;
  for (size_t c = 0; c < 3; ++c) {
    out += "  ";
    append_fixed(out, p[c], 15, 9);
  }
  out += '\n';
}
