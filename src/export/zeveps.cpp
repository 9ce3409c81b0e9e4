// The vector EPS renderer, a painter's algorithm in four steps:
//   1. primitives are collected in view coordinates (rotated when a view is
//      set), each with its farthest point first, and the bounding box grows;
//   2. they are sorted by that point's z, far first, so that nearer ones
//      paint over them; equal keys keep the order in which they were added
//      (a stable sort, O(n log n));
//   3. each bond's ends move to just inside the atoms found at them, so the
//      cylinder starts under the sphere's shading rather than at its centre;
//   4. the box is fitted on the page at a round scale and every primitive is
//      written as one call of the prolog's procedures.
#include "export/zeveps.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <limits>

#include "export/eps_prolog.h"

namespace {

constexpr size_t initial_capacity[4] = {100, 100, 10000, 1000000};
// How far inside an atom a trimmed bond starts, and how near an atom's
// centre a bond end must lie to be trimmed.
constexpr double trim_depth = 0.015;
constexpr double trim_reach = 0.5;
// The page: the picture is fitted into 451 × 681 points, 72 points from the corner.
constexpr double page_width = 451, page_height = 681;
constexpr int page_margin = 72;

bool finite(const vec3& v) { return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]); }

vec3 view_point(const zeveps_ctl_t& ctx, const vec3& p) {
  if (!ctx.use_rot) return p;
  return {dot(ctx.rot[0], p), dot(ctx.rot[1], p), dot(ctx.rot[2], p)};
}

void grow_box(zeveps_ctl_t& ctx, const vec3& p, double r = 0) {
  ctx.max_x = std::max(ctx.max_x, p[0] + r), ctx.min_x = std::min(ctx.min_x, p[0] - r);
  ctx.max_y = std::max(ctx.max_y, p[1] + r), ctx.min_y = std::min(ctx.min_y, p[1] - r);
  ctx.max_z = std::max(ctx.max_z, p[2] + r), ctx.min_z = std::min(ctx.min_z, p[2] - r);
}

void add(zeveps_ctl_t& ctx, const zeveps_prim_t& prim) {
  if (ctx.prims.size() == ctx.prims.capacity()) zeveps_allo(ctx);
  ctx.prims.push_back(prim);
}

// The atom (index into `prims`) whose centre lies within reach of `end`,
// the last in order when several do; -1 when none does. `by_x` lists the
// atoms by the x of their centres.
int atom_at(const std::vector<zeveps_prim_t>& prims, const std::vector<int>& by_x, const vec3& end) {
  auto x_of = [&prims](int i) { return prims[static_cast<size_t>(i)].p[0][0]; };
  auto first =
      std::lower_bound(by_x.begin(), by_x.end(), end[0] - trim_reach, [&](int i, double x) { return x_of(i) < x; });
  int found = -1;
  for (auto it = first; it != by_x.end() && x_of(*it) <= end[0] + trim_reach; ++it)
    if (distance(prims[static_cast<size_t>(*it)].p[0], end) < trim_reach) found = std::max(found, *it);
  return found;
}

// "%.3f " for each number.
void numbers(FILE* f, std::initializer_list<double> values) {
  for (double v : values) std::fprintf(f, "%.3f ", v);
}

void color_words(FILE* f, const vec3& c) {
  const double r = c[0], g = c[1], b = c[2];
  if (std::fabs(r - 1) + std::fabs(g) + std::fabs(b) < 0.01)
    std::fputs("RedColor ", f);
  else if (std::fabs(g - 1) + std::fabs(r) + std::fabs(b) < 0.01)
    std::fputs("GreenColor ", f);
  else if (std::fabs(b - 1) + std::fabs(r) + std::fabs(g) < 0.01)
    std::fputs("BlueColor ", f);
  else
    numbers(f, {r, g, b});
}

// A page side in points: the picture's extent at scale s plus the margin,
// kept within what a bounding box can say.
int page_side(double extent, double s) {
  const double side = extent * s + page_margin;
  return static_cast<int>(std::clamp(side, 0.0, static_cast<double>(std::numeric_limits<int>::max())));
}

void write_primitive(FILE* f, const zeveps_prim_t& q, double ox, double oy) {
  switch (q.kind) {
    case ZEVEPS_ATOM:
      numbers(f, {q.p[0][0] - ox, q.p[0][1] - oy, q.radius, q.c[0][0], q.c[0][1], q.c[0][2]});
      std::fputs("Atom\n", f);
      break;
    case ZEVEPS_BOND: {
      const vec3 &a = q.p[0], &b = q.p[1];
      const double length = distance(a, b);
      const double slant = length > 0 ? (b[2] - a[2]) / length : 0;
      double x2 = b[0] - ox, y2 = b[1] - oy;
      // Seen end-on: a tiny length keeps the direction defined.
      if (std::hypot(b[0] - a[0], b[1] - a[1]) < 0.001) x2 += 0.001, y2 += 0.001;
      numbers(f, {a[0] - ox, a[1] - oy, x2, y2, slant});
      std::fputs(q.dash ? "true Bond\n" : "false Bond\n", f);
      break;
    }
    case ZEVEPS_TRIANGLE:
      numbers(f, {q.p[0][0] - ox, q.p[0][1] - oy, q.p[1][0] - ox, q.p[1][1] - oy, q.p[2][0] - ox, q.p[2][1] - oy,
                  std::max(q.n[0][2], 0.0), std::max(q.n[1][2], 0.0), std::max(q.n[2][2], 0.0)});
      color_words(f, q.c[0]);
      std::fputs("Triangle\n", f);
      break;
    default:
      break;
  }
}

}  // namespace

void zeveps_init(int mode, zeveps_ctl_t& ctx, double red, double green, double blue) {
  ctx = zeveps_ctl_t{};
  ctx.background = {red, green, blue};
  ctx.fill_background = (mode & 4) ? 1 : 0;
  ctx.size_class = (mode & 3) ? (mode & 3) : 1;
  zeveps_allo(ctx);
}

void zeveps_view(const std::array<vec3, 3>& matrix, zeveps_ctl_t& ctx) {
  ctx.rot = matrix;
  ctx.use_rot = 1;
}

void zeveps_allo(zeveps_ctl_t& ctx) {
  const size_t room = ctx.prims.capacity();
  ctx.prims.reserve(room == 0 ? initial_capacity[ctx.size_class & 3] : 2 * room);
}

void zeveps_atom(zeveps_ctl_t& ctx, double radius, const vec3& centre, const vec3& color) {
  zeveps_prim_t a;
  a.kind = ZEVEPS_ATOM;
  a.p[0] = view_point(ctx, centre);
  a.radius = radius;
  a.c[0] = color;
  if (!finite(a.p[0]) || !std::isfinite(radius)) return;
  grow_box(ctx, a.p[0], radius);
  add(ctx, a);
}

void zeveps_bond(zeveps_ctl_t& ctx, int flags, const vec3& p1, const vec3& color1, const vec3& p2, const vec3& color2) {
  zeveps_prim_t b;
  b.kind = ZEVEPS_BOND;
  b.p[0] = view_point(ctx, p1), b.p[1] = view_point(ctx, p2);
  b.c = {color1, color2};
  if (!finite(b.p[0]) || !finite(b.p[1])) return;
  // The farther end first.
  if (b.p[0][2] > b.p[1][2]) std::swap(b.p[0], b.p[1]), std::swap(b.c[0], b.c[1]);
  b.dash = flags & 1;
  grow_box(ctx, b.p[0]);
  grow_box(ctx, b.p[1]);
  add(ctx, b);
}

void zeveps_triangle(zeveps_ctl_t& ctx, const std::array<vec3, 3>& corners, const std::array<vec3, 3>& normals,
                     const vec3& color) {
  zeveps_prim_t t;
  t.kind = ZEVEPS_TRIANGLE;
  t.c[0] = color;
  for (int k = 0; k < 3; ++k) {
    t.p[k] = view_point(ctx, corners[k]);
    const vec3 n = view_point(ctx, normals[k]);
    const double length = norm(n);
    t.n[k] = length > 0 ? n / length : n;
    if (!finite(t.p[k]) || !finite(t.n[k])) return;
  }
  // The farthest corner first; of equal ones the lower-numbered.
  int far = 0;
  if (t.p[1][2] < t.p[far][2]) far = 1;
  if (t.p[2][2] < t.p[far][2]) far = 2;
  std::swap(t.p[0], t.p[far]);
  std::swap(t.n[0], t.n[far]);
  for (const vec3& p : t.p) grow_box(ctx, p);
  add(ctx, t);
}

void zeveps_trim(std::vector<zeveps_prim_t>& prims) {
  std::vector<int> by_x;
  for (size_t i = 0; i < prims.size(); ++i)
    if (prims[i].kind == ZEVEPS_ATOM) by_x.push_back(static_cast<int>(i));
  if (by_x.empty()) return;
  std::stable_sort(by_x.begin(), by_x.end(), [&prims](int a, int b) {
    return prims[static_cast<size_t>(a)].p[0][0] < prims[static_cast<size_t>(b)].p[0][0];
  });
  for (zeveps_prim_t& b : prims) {
    if (b.kind != ZEVEPS_BOND) continue;
    const int i1 = atom_at(prims, by_x, b.p[0]), i2 = atom_at(prims, by_x, b.p[1]);
    if (i1 < 0 || i2 < 0) continue;
    const zeveps_prim_t &a1 = prims[static_cast<size_t>(i1)], &a2 = prims[static_cast<size_t>(i2)];
    const double d = distance(a1.p[0], a2.p[0]);
    if (d <= 0) continue;
    const vec3 u = (a2.p[0] - a1.p[0]) / d;
    b.p[0] = a1.p[0] + u * (a1.radius - trim_depth);
    b.p[1] = a2.p[0] - u * (a2.radius - trim_depth);
  }
}

double zeveps_page_scale(double f) {
  static constexpr double series[] = {0.001, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1, 0.2,  0.5,  1,   2,
                                      5,     10,    20,    50,   100,  200,  500, 1000, 2000, 5000};
  double s = 0.01;  // what a picture too large for the smallest scale gets
  for (double v : series)
    if (v < f) s = v;
  return s;
}

void zeveps_paint(FILE* f, int force_level2, zeveps_ctl_t& ctx) {
  std::vector<zeveps_prim_t>& prims = ctx.prims;
  std::stable_sort(prims.begin(), prims.end(),
                   [](const zeveps_prim_t& a, const zeveps_prim_t& b) { return a.p[0][2] < b.p[0][2]; });
  zeveps_trim(prims);
  // An empty picture is a point at the origin.
  if (prims.empty()) ctx.min_x = ctx.max_x = ctx.min_y = ctx.max_y = 0;
  const double ox = ctx.min_x - 0.1, oy = ctx.min_y - 0.1;
  const double dx = ctx.max_x + 0.1 - ox, dy = ctx.max_y + 0.1 - oy;
  const double s = zeveps_page_scale(std::min(page_width / dx, page_height / dy));
  const int W = page_side(dx, s), H = page_side(dy, s);

  std::fprintf(f, "%%!PS-Adobe-2.0 EPSF\n%%%%BoundingBox: %d %d %d %d\n", page_margin, page_margin, W, H);
  std::fputs(eps_prolog_before_level, f);
  std::fputs(force_level2 ? "/islevel3 false def\n" : "%/islevel3 false def\n", f);
  std::fputs(eps_prolog_after_level, f);
  if (ctx.fill_background) {
    std::fprintf(f, "%.3f %.3f %.3f setrgbcolor\n", ctx.background[0], ctx.background[1], ctx.background[2]);
    std::fprintf(f, "%i %i moveto\n%i %i lineto\n%i %i lineto\n%i %i lineto\nclosepath fill\n", page_margin,
                 page_margin, W, page_margin, W, H, page_margin, H);
  }
  std::fprintf(f, "72 72 translate %.3f %.3f scale\n", s, s);
  for (const zeveps_prim_t& q : prims) write_primitive(f, q, ox, oy);
  std::fputs("end\nshowpage\n", f);
}
