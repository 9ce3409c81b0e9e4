// The full point group.
//
// Every symmetry operation fixes the centre (the element-weighted mean) and
// maps each set of atoms of one element at one distance from the centre
// (a class) onto itself. So the elements can be read off a single class
// that does not lie on one line through the centre: take its first atom a
// and the atom c farthest from the line of a. An n-fold axis either runs
// through a, or takes a to another atom b of the class: for n = 2 it runs
// along a + b (or, when b = −a, through c, along c + d, or along a × c);
// for n ≥ 3 it is one of the at most two axes that turn a onto b by 2π/n,
// found from the chord |b − a|. A mirror plane either takes a to b (normal
// a − b) or contains a, and then c to d (normal c − d) or contains both
// (normal a × c). Improper axes S2n lie along n-fold axes. The candidates
// are O(k) for a class of k atoms; each is tested like `findsym` tests an
// operation, one spatial lookup per atom. When every class lies on a line,
// the only possible directions are two class directions and their cross
// product. The elements found are then named by the usual decision tree:
// several axes of order 3 or more make a cubic or icosahedral group;
// otherwise the axis of highest order, perpendicular two-fold axes and the
// planes decide between the C, D and S families.
#include "edit/schoenflies.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_set>

#include "edit/point_group.h"

int point_group_t::axis_t::order() const {
  for (int n = 8; n >= 2; --n)
    if (orders & (1u << n)) return n;
  return 0;
}

namespace {

// Directions closer than 5° are one element: a wider spread than numeric
// noise, a narrower one than any two elements of a point group (20.9° at
// least, between a two-fold and a three-fold axis of the icosahedron).
const double same_direction = std::cos(5 * M_PI / 180);
const double perpendicular = std::sin(5 * M_PI / 180);

size_t at(int i) { return static_cast<size_t>(i); }

bool parallel(const vec3& u, const vec3& v) { return std::fabs(dot(u, v)) > same_direction; }
bool orthogonal(const vec3& u, const vec3& v) { return std::fabs(dot(u, v)) < perpendicular; }

// Unit candidate directions, each kept once (up to sign).
class directions_t {
 public:
  explicit directions_t(double scale) : tiny_(1e-9 * std::max(scale, 1e-6)) {}
  void add(const vec3& v) {
    const double n = norm(v);
    if (!(n > tiny_)) return;
    vec3 u = v / n;
    for (double c : u) {
      if (std::fabs(c) < 1e-12) continue;
      if (c < 0) u = -u;
      break;
    }
    uint64_t key = 0;
    for (double c : u) key = key * 2000003 + static_cast<uint64_t>(std::llround((c + 1) * 1e6));
    if (seen_.insert(key).second) list.push_back(u);
  }
  std::vector<vec3> list;

 private:
  double tiny_;
  std::unordered_set<uint64_t> seen_;
};

mat3 improper(const vec3& axis, int n) { return mirror_plane_findsym(axis) * Cn_axis_findsym(axis, n); }

// The axes that turn a onto b by 2π/n about the centre (n ≥ 3).
void ngon_axes(const vec3& a, const vec3& b, int n, directions_t& out) {
  const vec3 w = b - a;
  const double s = norm(w);
  const vec3 m = (a + b) * 0.5;
  const double mn = norm(m);
  if (!(s > 0) || !(mn > 0)) return;
  const double radius = 0.5 * (norm(a) + norm(b));
  const double rho = s / (2 * std::sin(M_PI / n));
  if (rho > radius * (1 + 1e-6)) return;
  const double h = std::sqrt(std::max(0.0, radius * radius - rho * rho));
  const double alpha = std::min(1.0, h / mn);
  const double beta = std::sqrt(std::max(0.0, 1 - alpha * alpha));
  const vec3 mh = m / mn;
  const vec3 t = cross(w / s, mh);
  out.add(mh * alpha + t * beta);
  out.add(mh * alpha - t * beta);
}

struct classes_t {
  std::vector<std::vector<int>> sets;  // off-centre atoms of one element at one distance
};

// Off-centre atoms grouped by element and distance from the centre: sorted
// by both, split where the element changes or the distance jumps by the
// tolerance or more.
classes_t find_classes(const sym_set_t& set, const std::vector<int>& off_centre) {
  std::vector<int> order = off_centre;
  std::vector<double> r(set.xyz.size());
  for (int i : order) r[at(i)] = norm(set.xyz[at(i)]);
  std::sort(order.begin(), order.end(), [&](int x, int y) {
    if (set.element[at(x)] != set.element[at(y)]) return set.element[at(x)] < set.element[at(y)];
    return r[at(x)] != r[at(y)] ? r[at(x)] < r[at(y)] : x < y;
  });
  classes_t c;
  for (size_t k = 0; k < order.size(); ++k) {
    const int i = order[k];
    if (k == 0 || set.element[at(i)] != set.element[at(order[k - 1])] || r[at(i)] - r[at(order[k - 1])] >= set.tol)
      c.sets.emplace_back();
    c.sets.back().push_back(i);
  }
  return c;
}

// The atom of `members` farthest from the line of atom a, with that distance.
int farthest_from_line(const sym_set_t& set, const std::vector<int>& members, int a, double& distance) {
  const vec3 u = set.xyz[at(a)] / norm(set.xyz[at(a)]);
  int best = -1;
  distance = 0;
  for (int c : members) {
    const double d = norm(cross(u, set.xyz[at(c)]));
    if (d > distance) {
      distance = d;
      best = c;
    }
  }
  return best;
}

struct candidates_t {
  directions_t axes, normals;
  explicit candidates_t(double scale) : axes(scale), normals(scale) {}
};

// Candidates from one class that does not lie on a line: see the file's
// opening comment.
void class_candidates(const sym_set_t& set, const std::vector<int>& members, int a, int c, candidates_t& out) {
  const vec3& pa = set.xyz[at(a)];
  const vec3& pc = set.xyz[at(c)];
  out.axes.add(pa);
  out.axes.add(pc);
  out.axes.add(cross(pa, pc));
  out.normals.add(cross(pa, pc));
  for (int b : members) {
    const vec3& pb = set.xyz[at(b)];
    out.axes.add(pa + pb);
    out.axes.add(pc + pb);
    out.normals.add(pa - pb);
    out.normals.add(pc - pb);
    if (b != a)
      for (int n = 3; n <= 8; ++n) ngon_axes(pa, pb, n, out.axes);
  }
}

// The elements found, named.
std::string name_group(const point_group_t& g) {
  const auto& axes = g.axes;
  int high = 0;
  bool c5 = false, c4 = false;
  for (const auto& a : axes) {
    high += a.order() >= 3;
    c5 = c5 || (a.orders & (1u << 5));
    c4 = c4 || (a.orders & (1u << 4));
  }
  if (high >= 2) {
    if (c5) return g.inversion ? "Ih" : "I";
    if (c4) return g.inversion ? "Oh" : "O";
    if (g.inversion) return "Th";
    return g.planes.empty() ? "T" : "Td";
  }
  if (axes.empty()) return !g.planes.empty() ? "Cs" : g.inversion ? "Ci" : "C1";
  // The principal axis: highest order; among equals, the one with the
  // improper axis S2n along it (the S4 axis of D2d), then one with a plane
  // perpendicular to it.
  const auto has_sigma_h = [&](const vec3& u) {
    for (const vec3& p : g.planes)
      if (parallel(p, u)) return true;
    return false;
  };
  const auto rank = [&](const point_group_t::axis_t& a) {
    return a.order() * 4 + ((a.improper >> (2 * a.order())) & 1u) * 2 + (has_sigma_h(a.direction) ? 1 : 0);
  };
  const point_group_t::axis_t& principal =
      *std::max_element(axes.begin(), axes.end(), [&](const auto& x, const auto& y) { return rank(x) < rank(y); });
  const int n = principal.order();
  const vec3& u = principal.direction;
  bool perpendicular_c2 = false, sigma_v = false;
  for (const auto& a : axes) perpendicular_c2 = perpendicular_c2 || ((a.orders & 4u) && orthogonal(a.direction, u));
  for (const vec3& p : g.planes) sigma_v = sigma_v || orthogonal(p, u);
  const bool sigma_h = has_sigma_h(u);
  const std::string order = std::to_string(n);
  if (perpendicular_c2) return "D" + order + (sigma_h ? "h" : sigma_v ? "d" : "");
  if (sigma_h) return "C" + order + "h";
  if (sigma_v) return "C" + order + "v";
  if (principal.improper & (1u << (2 * n))) return "S" + std::to_string(2 * n);
  return "C" + order;
}

// Tests the candidates and keeps what holds, one entry per element.
void test_candidates(const sym_set_t& set, const candidates_t& c, point_group_t& g) {
  for (const vec3& u : c.axes.list) {
    point_group_t::axis_t axis{u, 0, 0};
    for (int n = 2; n <= 8; ++n)
      if (holds_findsym(Cn_axis_findsym(u, n), set)) axis.orders |= 1u << n;
    if (!axis.orders) continue;
    const auto same =
        std::find_if(g.axes.begin(), g.axes.end(), [&](const auto& a) { return parallel(a.direction, u); });
    if (same == g.axes.end()) {
      g.axes.push_back(axis);
    } else {
      same->orders |= axis.orders;
    }
  }
  for (auto& axis : g.axes)
    for (int n = 2; n <= 4; ++n)
      if ((axis.orders & (1u << n)) && holds_findsym(improper(axis.direction, 2 * n), set))
        axis.improper |= 1u << (2 * n);
  for (const vec3& v : c.normals.list) {
    if (std::none_of(g.planes.begin(), g.planes.end(), [&](const vec3& p) { return parallel(p, v); }) &&
        holds_findsym(mirror_plane_findsym(v), set))
      g.planes.push_back(v);
  }
  g.inversion = holds_findsym(mirror_plane_findsym({1, 0, 0}) * Cn_axis_findsym({1, 0, 0}, 2), set);
}

}  // namespace

point_group_t schoenflies_point_group(const std::vector<std::string>& labels, const std::vector<vec3>& xyz,
                                      double tol) {
  point_group_t g;
  if (xyz.empty() || labels.size() != xyz.size()) {
    g.problem = xyz.empty() ? "No atoms" : "Labels and atoms differ in number";
    return g;
  }
  g.problem = unusable_coordinates_findsym(xyz);
  if (!g.problem.empty()) {
    g.problem.pop_back();
    return g;
  }
  sym_set_t set;
  set.label = labels;
  set.element = element_numbers_findsym(labels);
  for (int e : set.element) set.weight.push_back(e);
  set.xyz = xyz;
  const vec3 centre = weighted_centre_findsym(set);
  for (vec3& p : set.xyz) p -= centre;
  index_findsym(set, std::clamp(std::isfinite(tol) ? tol : default_thr_findsym, 1e-6, 1.0));

  std::vector<int> off_centre;
  double radius = 0;
  for (int i = 0; i < set.natom(); ++i) {
    const double r = norm(set.xyz[at(i)]);
    radius = std::max(radius, r);
    if (r >= set.tol) off_centre.push_back(i);
  }
  if (off_centre.empty()) {
    g.symbol = "Kh";
    return g;
  }
  const int first = off_centre[0];
  double spread = 0;
  const int second = farthest_from_line(set, off_centre, first, spread);
  if (spread < set.tol) {
    g.inversion = holds_findsym(mirror_plane_findsym({1, 0, 0}) * Cn_axis_findsym({1, 0, 0}, 2), set);
    g.symbol = g.inversion ? "Dinfh" : "Cinfv";
    return g;
  }

  candidates_t c(radius);
  vec3 moments;
  const mat3 V = principal_axes_findsym(set, moments);
  for (size_t k = 0; k < 3; ++k) {
    c.axes.add({V[0][k], V[1][k], V[2][k]});
    c.normals.add({V[0][k], V[1][k], V[2][k]});
  }
  classes_t classes = find_classes(set, off_centre);
  std::stable_sort(classes.sets.begin(), classes.sets.end(),
                   [](const auto& x, const auto& y) { return x.size() < y.size(); });
  bool planar_class = false;
  for (const auto& members : classes.sets) {
    double d = 0;
    const int cc = farthest_from_line(set, members, members[0], d);
    if (d < set.tol) continue;
    class_candidates(set, members, members[0], cc, c);
    planar_class = true;
    break;
  }
  if (!planar_class) {
    // Every class lies on a line through the centre.
    for (const vec3& v : {set.xyz[at(first)], set.xyz[at(second)], cross(set.xyz[at(first)], set.xyz[at(second)])}) {
      c.axes.add(v);
      c.normals.add(v);
    }
  }
  test_candidates(set, c, g);
  if (set.exhausted) {
    g = point_group_t{};
    g.problem = "Too many atoms lie closer together than the tolerance";
    return g;
  }
  g.symbol = name_group(g);
  return g;
}
