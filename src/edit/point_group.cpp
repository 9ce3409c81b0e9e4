// Detection of the D2h subgroup of a molecule.
//
// D2h operations only exist along the coordinate axes through the origin,
// so the molecule is examined twice: as given, and in its principal-axes
// frame (centred on the element-weighted mean, rotated onto the
// eigenvectors of its inertia tensor, then turned about a unique axis so
// that perpendicular elements fall on the coordinate axes). Each
// orientation gets the subgroup search: the seven non-trivial operations
// are tested in a fixed order and each one that holds and is new becomes a
// generator. The orientation with more generators wins; its group is
// checked as a whole (falling back to subgroups), the atoms are averaged
// over it to find the symmetry-unique ones, and it becomes the result.
//
// An operation holds when every atom has an image of its own element
// within the tolerance. Images are looked up in a spatial index with cells
// of the tolerance, so each operation costs one lookup per atom; a lookup
// stops counting after a bounded number of neighbours, and a set whose
// atoms crowd so closely that this bound is hit fails with a message
// rather than taking quadratic time.
#include "edit/point_group.h"

#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <map>

#include "edit/symmetry_elements.h"

double THR_FINDSYM = default_thr_findsym;

void reset_findsym_state() { THR_FINDSYM = default_thr_findsym; }

namespace {

const char* const symbol_table[104] = {
    "X",  "H",  "He", "Li", "Be", "B",  "C",  "N",  "O",  "F",  "Ne", "Na", "Mg", "Al", "Si", "P",  "S",  "Cl",
    "Ar", "K",  "Ca", "Sc", "Ti", "V",  "Cr", "Mn", "Fe", "Co", "Ni", "Cu", "Zn", "Ga", "Ge", "As", "Se", "Br",
    "Kr", "Rb", "Sr", "Y",  "Zr", "Nb", "Mo", "Tc", "Ru", "Rh", "Pd", "Ag", "Cd", "In", "Sn", "Sb", "Te", "I",
    "Xe", "Cs", "Ba", "La", "Ce", "Pr", "Nd", "Pm", "Sm", "Eu", "Gd", "Tb", "Dy", "Ho", "Er", "Tm", "Yb", "Lu",
    "Hf", "Ta", "W",  "Re", "Os", "Ir", "Pt", "Au", "Hg", "Tl", "Pb", "Bi", "Po", "At", "Rn", "Fr", "Ra", "Ac",
    "Th", "Pa", "U",  "Np", "Pu", "Am", "Cm", "Bk", "Cf", "Es", "Fm", "Md", "No", "Lr"};
constexpr int n_symbols = 104;

// Coordinates beyond this (Å) are refused: their squares would lose all
// precision at the tolerances in use.
constexpr double max_coordinate = 1e6;

// Neighbours one operation may visit per atom on average before the set
// counts as too crowded.
constexpr long long visits_per_atom = 256;
long long visit_budget(int n) { return visits_per_atom * n + 65536; }

size_t at(int i) { return static_cast<size_t>(i); }

double distance2(const vec3& a, const vec3& b) {
  const vec3 d = a - b;
  return dot(d, d);
}

std::string printf_text(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string printf_text(const char* format, ...) {
  char buffer[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return buffer;
}

mat3 diagonal_operation(int code) {
  mat3 M = identity_matrix3();
  for (size_t k = 0; k < 3; ++k)
    if (code & (1 << k)) M[k][k] = -1;
  return M;
}

vec3 unit_axis(int k) {
  vec3 e{};
  e[at(k)] = 1;
  return e;
}

// ---- Reading the atoms ----

sym_set_t read_input_findsym(const std::vector<std::string>& labels, const std::vector<vec3>& xyz) {
  sym_set_t set;
  for (const std::string& label : labels) set.label.push_back(label.substr(0, 3));
  set.element = element_numbers_findsym(set.label);
  for (int e : set.element) set.weight.push_back(e);
  set.xyz = xyz;
  return set;
}

// ---- Principal-axes frame ----

// Rotates every atom about coordinate axis `axis` by the angle that takes
// the direction (B, A) = (cos φ, sin φ) onto the B axis.
void turn_about(sym_set_t& set, int axis, double phi) {
  const size_t b = at((axis + 1) % 3), a = at((axis + 2) % 3);
  const double c = std::cos(phi), s = std::sin(phi);
  mat3 T = identity_matrix3();
  T[b][b] = c;
  T[b][a] = s;
  T[a][b] = -s;
  T[a][a] = c;
  for (vec3& p : set.xyz) p = T * p;
  set.rotation = T * set.rotation;
}

void turn_onto_b(sym_set_t& set, int axis, int atom) {
  const vec3& p = set.xyz[at(atom)];
  turn_about(set, axis, std::atan2(p[at((axis + 2) % 3)], p[at((axis + 1) % 3)]));
}

// The highest n in 2 … 8 for which the n-fold rotation about coordinate
// axis k holds; 0 when none does.
int axis_order(const sym_set_t& set, int k) {
  int order = 0;
  for (int n = 2; n <= 8; ++n)
    if (holds_findsym(Cn_axis_findsym(unit_axis(k), n), set)) order = n;
  return order;
}

// Turns the molecule about its only symmetry axis so that the elements
// perpendicular to it lie along the coordinate axes.
void unique_axis_turn(sym_set_t& set, int axis, int order, double tol) {
  const size_t b = at((axis + 1) % 3), a = at((axis + 2) % 3);
  std::vector<double> rho2(set.xyz.size());
  int d = 0;
  for (size_t i = 0; i < set.xyz.size(); ++i) {
    rho2[i] = set.xyz[i][b] * set.xyz[i][b] + set.xyz[i][a] * set.xyz[i][a];
    if (rho2[i] > rho2[at(d)]) d = static_cast<int>(i);
  }
  const double f = rho2[at(d)];
  if (f <= 0.1) return;
  if (order != 2) {
    turn_onto_b(set, axis, d);
    return;
  }
  int count = 0, nearest = -1;
  double best = 0;
  for (size_t i = 0; i < rho2.size(); ++i) {
    if (std::fabs(rho2[i] - f) >= tol) continue;
    ++count;
    const double d2 = distance2(set.xyz[i], set.xyz[at(d)]);
    if (static_cast<int>(i) != d && (nearest < 0 || d2 < best)) {
      nearest = static_cast<int>(i);
      best = d2;
    }
  }
  if (count == 2) return;
  if (nearest < 0) {
    turn_onto_b(set, axis, d);
    return;
  }
  const vec3 mid = (set.xyz[at(d)] + set.xyz[at(nearest)]) * 0.5;
  turn_about(set, axis, std::atan2(mid[a], mid[b]));
  index_findsym(set, tol);
  const vec3 along_b = unit_axis(static_cast<int>(b));
  if (!holds_findsym(mirror_plane_findsym(along_b), set) && !holds_findsym(Cn_axis_findsym(along_b, 2), set))
    turn_onto_b(set, axis, d);
}

void inertia_adjust_findsym(sym_set_t& set, double tol) {
  set.origin = weighted_centre_findsym(set);
  for (vec3& p : set.xyz) p -= set.origin;
  const mat3 V = principal_axes_findsym(set, set.moments);
  set.trace = set.moments[0] + set.moments[1] + set.moments[2];
  // Into the eigenvector frame: the new coordinates are Vᵀ·p.
  for (size_t i = 0; i < 3; ++i)
    for (size_t j = 0; j < 3; ++j) set.rotation[i][j] = V[j][i];
  for (vec3& p : set.xyz) p = set.rotation * p;
  index_findsym(set, tol);

  // Candidate unique axes from degenerate moments.
  const double h = std::max(1.0, set.trace);
  const auto equal = [h](double u, double v) { return std::fabs(u - v) < 0.001 * h; };
  const vec3& l = set.moments;
  std::vector<int> candidates;
  if (equal(l[0], l[1])) {
    candidates = equal(l[1], l[2]) ? std::vector<int>{0, 1, 2} : std::vector<int>{2};
  } else if (equal(l[0], l[2])) {
    candidates = {1};
  } else if (equal(l[1], l[2])) {
    candidates = {0};
  }
  int with_order = 0, axis = -1, order = 0;
  for (int k : candidates) {
    const int n = axis_order(set, k);
    if (n == 0) continue;
    ++with_order;
    axis = k;
    order = n;
  }
  if (with_order == 1) {
    unique_axis_turn(set, axis, order, tol);
    index_findsym(set, tol);
  }
}

// ---- Symmetrisation and unique atoms ----

struct subgroup_result_t {
  bool ok = false;
  std::vector<int> generators;
  std::vector<std::string> unique_labels;
  std::vector<vec3> unique_xyz;
};

std::string not_equivalent(int a, int b) {
  return "Internal error in symmetrize_d2h\n" + printf_text("Atoms %i and %i are not equivalent\n", a + 1, b + 1);
}

const char crowded[] = "Too many atoms lie closer together than the tolerance\n";

// Averages every atom with the images of the others under each member of
// the group, then keeps one atom of each set of images. False, with the
// reason in `diag`, when two atoms of different elements pair.
bool symmetrize_d2h(const sym_set_t& set, const std::vector<int>& members, subgroup_result_t& out, std::string& diag) {
  const double tol = set.tol;
  std::vector<vec3> p = set.xyz;
  // Atoms are indexed where they were last filed; one that has moved more
  // than the tolerance is filed again, so a search within twice the
  // tolerance of the filed places finds every atom within the tolerance.
  std::vector<vec3> filed = p;
  point_grid grid(2 * tol, point_grid::extent_of(p));
  for (int i = 0; i < set.natom(); ++i) grid.insert(i, p[at(i)]);
  const auto refile = [&](int i) {
    if (distance2(p[at(i)], filed[at(i)]) > tol * tol) {
      grid.move(i, filed[at(i)], p[at(i)]);
      filed[at(i)] = p[at(i)];
    }
  };
  std::vector<int> near;
  for (int code : members) {
    long long budget = visit_budget(set.natom());
    for (int k = 0; k < set.natom(); ++k) {
      near.clear();
      grid.for_each_near(apply_operation(code, p[at(k)]), [&](int l) {
        near.push_back(l);
        return --budget >= 0;
      });
      if (budget < 0) {
        diag += crowded;
        return false;
      }
      std::sort(near.begin(), near.end());
      for (int l : near) {
        const vec3 image = apply_operation(code, p[at(k)]);
        if (distance2(p[at(l)], image) >= tol * tol) continue;
        if (set.element[at(l)] != set.element[at(k)]) {
          diag += not_equivalent(k, l);
          return false;
        }
        p[at(l)] = (p[at(l)] + image) * 0.5;
        p[at(k)] = apply_operation(code, p[at(l)]);
        refile(l);
        refile(k);
      }
    }
  }
  for (vec3& q : p)
    for (double& c : q)
      if (std::fabs(c) < 1e-8) c = 0;

  point_grid kept(1e-3, point_grid::extent_of(p));
  for (int i = 0; i < set.natom(); ++i) {
    int twin = -1;
    for (int code : members) {
      kept.for_each_near(apply_operation(code, p[at(i)]), [&](int h) {
        if (distance2(apply_operation(code, p[at(h)]), p[at(i)]) < 1e-6) twin = h;
        return twin < 0;
      });
      if (twin >= 0) break;
    }
    if (twin >= 0 && set.element[at(twin)] != set.element[at(i)]) {
      diag += not_equivalent(twin, i);
      return false;
    }
    if (twin >= 0) continue;
    kept.insert(i, p[at(i)]);
    out.unique_labels.push_back(set.label[at(i)]);
    out.unique_xyz.push_back(p[at(i)]);
  }
  return true;
}

// ---- The subgroup search ----

std::vector<int> closure(const std::vector<int>& generators) {
  std::vector<int> group = {0};
  for (int g : generators) {
    const size_t n = group.size();
    for (size_t i = 0; i < n; ++i) group.push_back(group[i] ^ g);
  }
  return group;
}

bool is_closed(const std::vector<int>& group) {
  for (int a : group)
    for (int b : group)
      if (std::find(group.begin(), group.end(), a ^ b) == group.end()) return false;
  return true;
}

// The generator sets tried, in order, when the whole group fails its check.
std::vector<std::vector<int>> subgroups(const std::vector<int>& g) {
  if (g.size() == 3) {
    const int a = g[0], b = g[1], c = g[2];
    return {{a, b},  {a, c}, {a, b ^ c}, {b, c},  {b, a ^ c},  {a ^ b, c}, {a ^ b, a ^ c}, {a}, {b},
            {a ^ b}, {c},    {a ^ c},    {b ^ c}, {a ^ b ^ c}, {}};
  }
  if (g.size() == 2) return {{g[0]}, {g[1]}, {g[0] ^ g[1]}, {}};
  return {{}};
}

std::string generator_string(const std::vector<int>& generators) {
  std::string text;
  for (int g : generators) text += std::string(operation_name(g)) + " ";
  return text;
}

void print_output_findsym(const subgroup_result_t& r, std::string& diag) {
  if (r.generators.empty()) {
    diag += "Sorry, no symmetry element has been found\n";
    return;
  }
  diag += "Reduced coordinates\n";
  diag += printf_text("%i\nGroup generators: %s\n", static_cast<int>(r.unique_xyz.size()),
                      generator_string(r.generators).c_str());
  for (size_t i = 0; i < r.unique_xyz.size(); ++i) {
    diag += printf_text("%-8s ", r.unique_labels[i].c_str());
    for (double c : r.unique_xyz[i]) diag += printf_text("%15.9f ", c);
    diag += "\n";
  }
}

subgroup_result_t find_point_group_2(const sym_set_t& set, bool quiet, std::string& diag) {
  subgroup_result_t r;
  bool holds[8] = {true};
  for (int code : {3, 5, 6, 7, 4, 2, 1}) holds[code] = holds_findsym(diagonal_operation(code), set);
  if (set.exhausted) {
    diag += crowded;
    return r;
  }
  std::vector<int> generators;
  for (int code : {3, 5, 6, 7, 4, 2, 1}) {
    const std::vector<int> group = closure(generators);
    if (holds[code] && std::find(group.begin(), group.end(), code) == group.end()) generators.push_back(code);
  }
  if (!is_closed(closure(generators))) {
    diag += "Internal error in find_point_group_2\nNot a point group\n";
    return r;
  }
  const auto passes = [&holds](const std::vector<int>& gens) {
    for (int code : closure(gens))
      if (!holds[code]) return false;
    return true;
  };
  if (!passes(generators)) {
    for (const std::vector<int>& sub : subgroups(generators)) {
      if (passes(sub)) {
        generators = sub;
        break;
      }
    }
  }
  // The whole of D2h is always named by its three planes.
  if (generators.size() == 3) generators = {1, 2, 4};
  r.generators = generators;
  if (!symmetrize_d2h(set, closure(generators), r, diag)) return r;
  if (!quiet || generators.empty()) print_output_findsym(r, diag);
  r.ok = true;
  return r;
}

}  // namespace

mat3 identity_matrix3() { return {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}}; }

vec3 operator*(const mat3& M, const vec3& p) { return {dot(M[0], p), dot(M[1], p), dot(M[2], p)}; }

mat3 operator*(const mat3& A, const mat3& B) {
  mat3 C{};
  for (size_t i = 0; i < 3; ++i)
    for (size_t j = 0; j < 3; ++j) C[i][j] = A[i][0] * B[0][j] + A[i][1] * B[1][j] + A[i][2] * B[2][j];
  return C;
}

std::vector<int> element_numbers_findsym(const std::vector<std::string>& labels) {
  std::vector<int> numbers;
  std::map<std::string, int> unmatched;
  for (const std::string& label : labels) {
    int found = -1;
    for (int k = 0; k < n_symbols && found < 0; ++k)
      if (label == symbol_table[k]) found = k;
    for (int k = 0; k < n_symbols && found < 0; ++k)
      if (strcasecmp(label.c_str(), symbol_table[k]) == 0) found = k;
    if (found < 0) {
      const auto it = unmatched.find(label);
      found = it != unmatched.end() ? it->second : n_symbols + static_cast<int>(unmatched.size());
      unmatched.emplace(label, found);
    }
    numbers.push_back(found);
  }
  return numbers;
}

void index_findsym(sym_set_t& set, double tol) {
  set.tol = tol;
  set.grid = point_grid(tol, point_grid::extent_of(set.xyz));
  for (int i = 0; i < set.natom(); ++i) set.grid.insert(i, set.xyz[at(i)]);
}

double match_findsym(const mat3& M, const sym_set_t& set) {
  const double none = 1000;
  long long budget = visit_budget(set.natom());
  double worst = 0;
  for (int k = 0; k < set.natom(); ++k) {
    const vec3 image = M * set.xyz[at(k)];
    const int element = set.element[at(k)];
    double best = 1e6;
    set.grid.for_each_near(image, [&](int l) {
      if (set.element[at(l)] == element) best = std::min(best, distance2(set.xyz[at(l)], image));
      return --budget >= 0;
    });
    if (budget < 0) {
      set.exhausted = true;
      return none;
    }
    const double deviation = best < 1e6 ? std::sqrt(best) : none;
    if (!(deviation < set.tol)) return std::max(deviation, set.tol);
    worst = std::max(worst, deviation);
  }
  return worst;
}

bool holds_findsym(const mat3& M, const sym_set_t& set) { return match_findsym(M, set) < set.tol; }

mat3 Cn_axis_findsym(const vec3& axis, int n) {
  const double theta = 2 * M_PI / n;
  const double c = std::cos(theta), s = std::sin(theta), t = 1 - c;
  const double x = axis[0], y = axis[1], z = axis[2];
  return {{{t * x * x + c, t * x * y - s * z, t * x * z + s * y},
           {t * x * y + s * z, t * y * y + c, t * y * z - s * x},
           {t * x * z - s * y, t * y * z + s * x, t * z * z + c}}};
}

mat3 mirror_plane_findsym(const vec3& normal) {
  mat3 M = identity_matrix3();
  for (size_t i = 0; i < 3; ++i)
    for (size_t j = 0; j < 3; ++j) M[i][j] -= 2 * normal[i] * normal[j];
  return M;
}

namespace {

// The element numbers as masses; alike when every one is 0 (dummy atoms).
std::vector<double> weights_findsym(const sym_set_t& set) {
  double total = 0;
  for (double v : set.weight) total += v;
  if (total > 0) return set.weight;
  return std::vector<double>(set.weight.size(), 1.0);
}

}  // namespace

vec3 weighted_centre_findsym(const sym_set_t& set) {
  const std::vector<double> w = weights_findsym(set);
  vec3 centre{};
  double total = 0;
  for (size_t i = 0; i < w.size(); ++i) {
    centre += set.xyz[i] * w[i];
    total += w[i];
  }
  return total > 0 ? centre / total : centre;
}

mat3 principal_axes_findsym(const sym_set_t& set, vec3& moments) {
  const std::vector<double> w = weights_findsym(set);
  std::array<double, 6> I{};  // xx, xy, yy, xz, yz, zz
  for (size_t i = 0; i < w.size(); ++i) {
    const vec3& p = set.xyz[i];
    const double r2 = dot(p, p);
    I[0] += w[i] * (r2 - p[0] * p[0]);
    I[1] -= w[i] * p[0] * p[1];
    I[2] += w[i] * (r2 - p[1] * p[1]);
    I[3] -= w[i] * p[0] * p[2];
    I[4] -= w[i] * p[1] * p[2];
    I[5] += w[i] * (r2 - p[2] * p[2]);
  }
  mat3 V;
  moments = jacobi_findsym(I, V);
  return V;
}

std::string unusable_coordinates_findsym(const std::vector<vec3>& xyz) {
  for (size_t i = 0; i < xyz.size(); ++i)
    for (double c : xyz[i])
      if (!(std::fabs(c) <= max_coordinate))
        return printf_text("Coordinates of atom %i are out of range\n", static_cast<int>(i) + 1);
  return "";
}

vec3 jacobi_findsym(const std::array<double, 6>& packed, mat3& vectors) {
  double a[3][3] = {
      {packed[0], packed[1], packed[3]}, {packed[1], packed[2], packed[4]}, {packed[3], packed[4], packed[5]}};
  vectors = identity_matrix3();
  const double limit = 1e-20;
  const int pairs[3][2] = {{0, 1}, {0, 2}, {1, 2}};
  // Each sweep at least squares the off-diagonal size; the cap only guards
  // against values that are not numbers.
  for (int sweep = 0; sweep < 100; ++sweep) {
    double largest = 0;
    for (const auto& pq : pairs) largest = std::max(largest, std::fabs(a[pq[0]][pq[1]]));
    if (!(largest > limit)) break;
    for (const auto& pq : pairs) {
      const int p = pq[0], q = pq[1];
      const double apq = a[p][q];
      if (!(std::fabs(apq) > limit)) continue;
      const double theta = (a[q][q] - a[p][p]) / (2 * apq);
      const double t = std::fabs(theta) > 1e150
                           ? 1 / (2 * theta)
                           : (theta >= 0 ? 1 : -1) / (std::fabs(theta) + std::sqrt(theta * theta + 1));
      const double c = 1 / std::sqrt(t * t + 1), s = t * c;
      a[p][p] -= t * apq;
      a[q][q] += t * apq;
      a[p][q] = a[q][p] = 0;
      const int r = 3 - p - q;
      const double arp = a[r][p], arq = a[r][q];
      a[r][p] = a[p][r] = c * arp - s * arq;
      a[r][q] = a[q][r] = s * arp + c * arq;
      for (size_t k = 0; k < 3; ++k) {
        const double vp = vectors[k][at(p)], vq = vectors[k][at(q)];
        vectors[k][at(p)] = c * vp - s * vq;
        vectors[k][at(q)] = s * vp + c * vq;
      }
    }
  }
  return {a[0][0], a[1][1], a[2][2]};
}

findsym_result_t findsym(const std::vector<std::string>& labels, std::vector<vec3>& xyz, double& tol,
                         bool may_transform) {
  findsym_result_t result;
  if (std::isfinite(tol) && tol != 0) THR_FINDSYM = std::clamp(tol, 1e-6, 1.0);
  tol = THR_FINDSYM;
  if (labels.size() != xyz.size() || xyz.empty()) {
    result.diagnostics = xyz.empty() ? "No atoms\n" : "Internal error in findsym\nLabels and atoms differ in number\n";
    return result;
  }
  result.diagnostics = unusable_coordinates_findsym(xyz);
  if (!result.diagnostics.empty()) return result;

  sym_set_t input = read_input_findsym(labels, xyz);
  sym_set_t principal = input;
  index_findsym(input, tol);
  inertia_adjust_findsym(principal, tol);

  std::string& diag = result.diagnostics;
  const subgroup_result_t first = find_point_group_2(principal, true, diag);
  if (!first.ok) return result;
  const subgroup_result_t second = find_point_group_2(input, true, diag);
  const size_t input_generators = second.ok ? second.generators.size() : 0;
  result.gainable = input_generators < first.generators.size();
  if (result.gainable) diag += "Symmetry can be gained by transformation\n";
  result.transformed = result.gainable && may_transform;
  const sym_set_t& chosen = result.transformed ? principal : input;
  subgroup_result_t last = find_point_group_2(chosen, false, diag);
  if (!last.ok) {
    result.transformed = false;
    return result;
  }
  result.status = 0;
  result.generators = generator_string(last.generators);
  result.unique_labels = std::move(last.unique_labels);
  result.unique_xyz = std::move(last.unique_xyz);
  result.origin = chosen.origin;
  result.rotation = chosen.rotation;
  xyz = chosen.xyz;
  return result;
}
