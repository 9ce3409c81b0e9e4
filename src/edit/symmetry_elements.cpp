#include "edit/symmetry_elements.h"

namespace {

const char* const names[8] = {"E", "x", "y", "xy", "z", "xz", "yz", "xyz"};
// Blanks, tabs and line feeds separate the generators.
const char* const separators = " \t\n";

int bit_count(int code) { return (code & 1) + ((code >> 1) & 1) + ((code >> 2) & 1); }

sym_element_t element_of(int code) {
  sym_element_t e;
  e.code = code;
  e.kind = operation_kind(code);
  e.name = names[code];
  if (e.kind == SYM_PLANE) {
    // The plane's own two coordinates, in x, y, z order.
    const int normal = code == 1 ? 0 : code == 2 ? 1 : 2;
    const int a = normal == 0 ? 1 : 0, b = normal == 2 ? 1 : 2;
    const double pattern[4][2] = {{1, 1}, {-1, 1}, {-1, -1}, {1, -1}};
    for (size_t k = 0; k < 4; ++k) {
      e.corners[k][static_cast<size_t>(a)] = pattern[k][0];
      e.corners[k][static_cast<size_t>(b)] = pattern[k][1];
    }
  } else if (e.kind == SYM_AXIS) {
    // The axis is the coordinate whose sign is kept.
    const size_t along = (code & 1) == 0 ? 0 : (code & 2) == 0 ? 1 : 2;
    e.corners[0][along] = -1;
    e.corners[1][along] = 1;
  }
  return e;
}

}  // namespace

const char* operation_name(int code) { return code >= 0 && code < 8 ? names[code] : ""; }

int operation_code(const std::string& name) {
  for (int c = 0; c < 8; ++c)
    if (name == names[c]) return c;
  return -1;
}

sym_kind_t operation_kind(int code) {
  switch (bit_count(code & 7)) {
    case 0:
      return SYM_IDENTITY;
    case 1:
      return SYM_PLANE;
    case 2:
      return SYM_AXIS;
    default:
      return SYM_INVERSION;
  }
}

vec3 apply_operation(int code, const vec3& p) {
  return {code & 1 ? -p[0] : p[0], code & 2 ? -p[1] : p[1], code & 4 ? -p[2] : p[2]};
}

int zevgrp(const std::string& generators, std::vector<sym_element_t>& elements) {
  elements.clear();
  std::vector<int> gens;
  size_t at = 0;
  while (at < generators.size()) {
    const size_t start = generators.find_first_not_of(separators, at);
    if (start == std::string::npos) break;
    size_t end = generators.find_first_of(separators, start);
    if (end == std::string::npos) end = generators.size();
    const int code = operation_code(generators.substr(start, end - start));
    if (code < 0 || gens.size() == 3) return 0;
    gens.push_back(code);
    at = end;
  }
  const int count = 1 << gens.size();
  std::vector<bool> seen(8, false);
  for (int i = 0; i < count; ++i) {
    int code = 0;
    for (size_t g = 0; g < gens.size(); ++g)
      if (i & (1 << g)) code ^= gens[g];
    if (seen[static_cast<size_t>(code)]) {
      elements.clear();
      return 0;
    }
    seen[static_cast<size_t>(code)] = true;
    elements.push_back(element_of(code));
  }
  return count;
}
