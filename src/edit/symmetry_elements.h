// The operations of the group D2h as the symmetry code names them: each is
// coded by the coordinates whose sign it changes (x = 1, y = 2, z = 4), so
// the product of two is the exclusive-or of their codes. `zevgrp` expands a
// generator string ("xy y ") into the group's elements with the points that
// draw them (planes as squares, axes as segments).
#pragma once

#include <array>
#include <string>
#include <vector>

#include "molecule/types.h"

enum sym_kind_t { SYM_IDENTITY = 0, SYM_AXIS = 1, SYM_PLANE = 2, SYM_INVERSION = 3 };

// "E", "x", "y", "xy", "z", "xz", "yz", "xyz" for codes 0 … 7.
const char* operation_name(int code);
// The code of a name, or -1.
int operation_code(const std::string& name);
// Identity, two-fold axis ("xy", "xz", "yz"), mirror plane ("x", "y", "z")
// or inversion ("xyz").
sym_kind_t operation_kind(int code);
// The point S·p of operation `code`.
vec3 apply_operation(int code, const vec3& p);

struct sym_element_t {
  int code = 0;
  sym_kind_t kind = SYM_IDENTITY;
  std::string name;
  // A plane's square: (±1, ±1) in its own coordinate plane, in the order
  // (1, 1), (−1, 1), (−1, −1), (1, −1) over its two coordinates in x, y, z
  // order. An axis: the points −1 and +1 on it, then the origin twice.
  std::array<vec3, 4> corners{};
};

// Expands the generators (tokens separated by blanks, tabs or line feeds)
// into the group they generate: element i is the product of the generators
// whose bit is set in i. Returns the number of elements (1, 2, 4 or 8); 0,
// with no elements, for an unknown token, more than three generators or
// generators that repeat an element.
int zevgrp(const std::string& generators, std::vector<sym_element_t>& elements);
