// Bond length, angle and dihedral of the selected atoms, formatted for the
// status bar. The dihedral has the opposite sign of the IUPAC convention:
// for P0 = (1,0,0), P1 = 0, P2 = (0,0,1), P3 = (cos 60°, sin 60°, 1) it is -60.
#include "edit/selection_readout.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {

constexpr double degrees = 57.29577951308232;

// Angle p-q-r at q in degrees. The cosine is clamped so that rounding in
// (nearly) collinear atoms gives 0 or 180 instead of "nan".
double angle(const vec3& p, const vec3& q, const vec3& r) {
  const vec3 a = p - q, b = r - q;
  const double c = dot(a, b) / (norm(a) * norm(b));
  return std::acos(std::clamp(c, -1.0, 1.0)) * degrees;
}

double dihedral(const vec3& p0, const vec3& p1, const vec3& p2, const vec3& p3) {
  const vec3 b1 = p1 - p0, b2 = p2 - p1, b3 = p3 - p2;
  const vec3 n2 = cross(b2, b3);
  return -std::atan2(norm(b2) * dot(b1, n2), dot(cross(b1, b2), n2)) * degrees;
}

std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string format(const char* fmt, ...) {
  va_list args, again;
  va_start(args, fmt);
  va_copy(again, args);
  const int size = std::vsnprintf(nullptr, 0, fmt, args);
  va_end(args);
  std::vector<char> buffer(static_cast<size_t>(std::max(size, 0)) + 1);
  std::vsnprintf(buffer.data(), buffer.size(), fmt, again);
  va_end(again);
  return buffer.data();
}

}  // namespace

std::string selection_status_text(const mol_data_t& rec) {
  const int n = std::min(rec.n_selected, 4);
  for (int k = 0; k < n; ++k) {
    if (rec.selected[static_cast<size_t>(k)] < 0 || rec.selected[static_cast<size_t>(k)] >= rec.natom()) return "";
  }
  const auto at = [&rec](int k) { return static_cast<size_t>(rec.selected[static_cast<size_t>(k)]); };
  const auto sym = [&rec](int k) { return atom_element(rec, rec.selected[static_cast<size_t>(k)]).name.c_str(); };
  const auto num = [&at](int k) { return static_cast<int>(at(k)) + 1; };
  const auto xyz = [&rec, &at](int k) { return rec.xyz[at(k)]; };
  switch (n) {
    case 1:
      return format("%s %d (%f %f %f)", sym(0), num(0), xyz(0)[0], xyz(0)[1], xyz(0)[2]);
    case 2:
      return format("bond: %s %d-%s %d  %f", sym(0), num(0), sym(1), num(1), distance(xyz(0), xyz(1)));
    case 3:
      return format("angle: %s %d-%s %d-%s %d  %f", sym(0), num(0), sym(1), num(1), sym(2), num(2),
                    angle(xyz(0), xyz(1), xyz(2)));
    case 4:
      return format("dihedral:%s %d-%s %d-%s %d-%s %d  %f", sym(0), num(0), sym(1), num(1), sym(2), num(2), sym(3),
                    num(3), dihedral(xyz(0), xyz(1), xyz(2), xyz(3)));
    default:
      return "";
  }
}
