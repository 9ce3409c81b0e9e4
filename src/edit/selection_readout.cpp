// Bond length, angle and dihedral of the selected atoms, formatted for the
// status bar.
#include "edit/selection_readout.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <vector>

#include "edit/measures.h"

namespace {

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
  if (n < 1 || !selection_is_valid(rec, n)) return "";
  const auto at = [&rec](int k) { return rec.selected[static_cast<size_t>(k)]; };
  const auto sym = [&rec, &at](int k) { return atom_element(rec, at(k)).name.c_str(); };
  const auto num = [&at](int k) { return at(k) + 1; };
  const auto xyz = [&rec](int k) { return selected_position(rec, k); };
  switch (n) {
    case 1:
      return atom_position_text(rec, at(0));
    case 2:
      return format("bond: %s %d-%s %d  %f", sym(0), num(0), sym(1), num(1), distance(xyz(0), xyz(1)));
    case 3:
      return format("angle: %s %d-%s %d-%s %d  %f", sym(0), num(0), sym(1), num(1), sym(2), num(2),
                    angle_between(xyz(0), xyz(1), xyz(2)));
    default:
      return format("dihedral:%s %d-%s %d-%s %d-%s %d  %f", sym(0), num(0), sym(1), num(1), sym(2), num(2), sym(3),
                    num(3), dihedral_between(xyz(0), xyz(1), xyz(2), xyz(3)));
  }
}

std::string atom_position_text(const mol_data_t& rec, int i) {
  if (!valid_atom(rec, i)) return "";
  const vec3& p = rec.xyz[static_cast<size_t>(i)];
  return format("%s %d (%f %f %f)", atom_element(rec, i).name.c_str(), i + 1, p[0], p[1], p[2]);
}

std::string watched_text(const mol_data_t& rec, const watch_t& w) {
  const auto& a = w.atom;
  const auto p = [&rec, &a](int k) { return rec.xyz[static_cast<size_t>(a[static_cast<size_t>(k)] - 1)]; };
  if (!watch_is_valid(rec, w)) return "";
  switch (w.kind) {
    case 2:
      return format("bond: %d-%d: %f", a[0], a[1], distance(p(0), p(1)));
    case 3:
      return format("angle: %d-%d-%d: %f", a[0], a[1], a[2], angle_between(p(0), p(1), p(2)));
    default:
      return format("dihedral: %d-%d-%d-%d: %f", a[0], a[1], a[2], a[3], dihedral_between(p(0), p(1), p(2), p(3)));
  }
}
