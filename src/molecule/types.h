// Small value types shared by the whole program: colours, points, element
// records, bonds, rendered text images and text boxes.
#pragma once

#include <array>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

// A point or vector in ångström (x, y, z), with the arithmetic every layer
// uses. It is an array of three doubles, so it also indexes, iterates and
// compares like one.
struct vec3 : std::array<double, 3> {};

inline vec3 operator+(const vec3& a, const vec3& b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
inline vec3 operator-(const vec3& a, const vec3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
inline vec3 operator-(const vec3& a) { return {-a[0], -a[1], -a[2]}; }
inline vec3 operator*(const vec3& a, double s) { return {a[0] * s, a[1] * s, a[2] * s}; }
inline vec3 operator*(double s, const vec3& a) { return a * s; }
inline vec3 operator/(const vec3& a, double s) { return {a[0] / s, a[1] / s, a[2] / s}; }
inline vec3& operator+=(vec3& a, const vec3& b) { return a = a + b; }
inline vec3& operator-=(vec3& a, const vec3& b) { return a = a - b; }
inline vec3& operator*=(vec3& a, double s) { return a = a * s; }
inline double dot(const vec3& a, const vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
inline vec3 cross(const vec3& a, const vec3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
inline double norm(const vec3& a) { return std::sqrt(dot(a, a)); }
inline double distance(const vec3& a, const vec3& b) { return norm(a - b); }

// Red, green, blue and a fourth component (alpha, written TRANSPARENCY in
// files), each 0 to 1.
struct color_t {
  float red = 0, green = 0, blue = 0, alpha = 0;
  bool operator==(const color_t& o) const {
    return red == o.red && green == o.green && blue == o.blue && alpha == o.alpha;
  }
};

// One element of the element table; atoms carry a copy of it.
struct element_t {
  std::string name;  // symbol, compared case-insensitively; empty: no element
  color_t color;
  float size = 0;       // drawing size ("Atom size"), ångström
  float bond_size = 0;  // bonding radius ("Bond size"), ångström
  int valency = 0;      // maximum bond-order sum
  int table_x = 0;      // column in the periodic-table chooser
  int table_y = 0;      // row in the periodic-table chooser
};

// Bond types, with the names shown to the user in `bond_description`.
enum bond_type_t { NO_BOND = 0, SINGLE_BOND, DOUBLE_BOND, TRIPLE_BOND, PARTIAL_BOND, ONE_AND_HALF_BOND, LINE_BOND };
extern const char* const bond_description[7];

struct bond_t {
  int a1 = 0, a2 = 0;  // atom indices from 0
  int type = SINGLE_BOND;
};

// The order a bond type contributes to valency sums: 1, 2, 3 for single,
// double and triple bonds, 0 for every other type.
inline int bond_order(int type) { return (type >= SINGLE_BOND && type <= TRIPLE_BOND) ? type : 0; }

// A rendered text image: width × height coverage bytes.
struct stxt_t {
  int width = 0, height = 0;
  std::vector<unsigned char> pixels;
};

struct textbox_t {
  int x = 0, y = 0;                 // window pixel position
  std::optional<std::string> text;  // may hold line breaks
  std::optional<std::string> font;  // Pango font description
  color_t color;
  stxt_t image;
};
