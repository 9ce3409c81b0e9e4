#include "render/gl/shape_meshes.h"

#include <cmath>

namespace {

void push3(std::vector<float>& v, double x, double y, double z) {
  v.push_back(static_cast<float>(x));
  v.push_back(static_cast<float>(y));
  v.push_back(static_cast<float>(z));
}

// The mesh is one triangle strip: a strip's triangle k is (w[k], w[k+1],
// w[k+2]) for even k and (w[k+1], w[k], w[k+2]) for odd k, so a run of
// strips joins into one with repeated vertices (triangles of no area,
// which draw nothing) and every shape of a list is one draw.

// Appends `run`, a strip meant to start at an even place, after the strip
// so far: the last vertex and the run's first repeated, once more when the
// run would otherwise start at an odd place.
void append_run(std::vector<std::uint32_t>& strip, const std::vector<std::uint32_t>& run) {
  if (run.empty()) return;
  if (!strip.empty()) {
    strip.insert(strip.end(), {strip.back(), run.front()});
    if (strip.size() % 2) strip.push_back(run.front());
  }
  strip.insert(strip.end(), run.begin(), run.end());
}

// A quad strip (s0, s1, s2, s3, …) as OpenGL cuts it: quad k of vertices
// 2k … 2k + 3 into (s2, s0, s3) and (s0, s1, s3). As a triangle strip that
// is (s1, s1, s0, s3, s2, s5, s4, …): the same triangles, each turned the
// same way, the first of each quad starting at another corner.
void add_quad_strip(unit_mesh_t& mesh, const std::vector<std::uint32_t>& v) {
  if (v.size() < 4) return;
  std::vector<std::uint32_t> run{v[1]};
  for (std::size_t k = 0; k + 1 < v.size(); k += 2) run.insert(run.end(), {v[k + 1], v[k]});
  append_run(mesh.strip, run);
}

// A fan around v[0]: the quad strip (v0, v1, v0, v2, …), whose every other
// triangle has no area.
void add_fan(unit_mesh_t& mesh, const std::vector<std::uint32_t>& v) {
  std::vector<std::uint32_t> pairs;
  for (std::size_t k = 1; k < v.size(); ++k) pairs.insert(pairs.end(), {v[0], v[k]});
  add_quad_strip(mesh, pairs);
}

}  // namespace

// Rings from +z (stack 0) to −z; slice angle a places a point at
// (sin a, cos a) times the ring's radius. The caps are fans around the
// poles, the bands between rings quad strips of (lower, upper) pairs.
unit_mesh_t unit_sphere_mesh(int slices, int stacks) {
  unit_mesh_t mesh;
  if (slices < 2 || stacks < 2) return mesh;
  auto point = [&](double x, double y, double z) {
    push3(mesh.points, x, y, z);
    push3(mesh.normals, x, y, z);
  };
  point(0, 0, 1);
  point(0, 0, -1);
  // Rings 1 to stacks − 1 of slices + 1 vertices (the last closes the ring).
  for (int j = 1; j < stacks; ++j) {
    const double s = std::sin(M_PI * j / stacks), c = std::cos(M_PI * j / stacks);
    for (int i = 0; i <= slices; ++i) {
      const double a = 2 * M_PI * (i % slices) / slices;
      point(s * std::sin(a), s * std::cos(a), c);
    }
  }
  auto at = [&](int j, int i) { return static_cast<std::uint32_t>(2 + (j - 1) * (slices + 1) + i); };
  std::vector<std::uint32_t> top{0}, bottom{1};
  for (int i = slices; i >= 0; --i) top.push_back(at(1, i));
  for (int i = 0; i <= slices; ++i) bottom.push_back(at(stacks - 1, i));
  add_fan(mesh, top);
  add_fan(mesh, bottom);
  for (int j = 1; j + 1 < stacks; ++j) {
    std::vector<std::uint32_t> band;
    for (int i = 0; i <= slices; ++i) band.insert(band.end(), {at(j + 1, i), at(j, i)});
    add_quad_strip(mesh, band);
  }
  return mesh;
}

// Rows from z = 0 (radius 1) to z = 1 (radius 1, or 0 for a cone), each
// band a quad strip of (lower, upper) pairs; the normals lean toward +z by
// the slope of the cone.
unit_mesh_t unit_cylinder_mesh(bool cone, int slices, int stacks) {
  unit_mesh_t mesh;
  if (slices < 2 || stacks < 1) return mesh;
  const double delta = cone ? 1 : 0, length = std::sqrt(delta * delta + 1);
  const double xy_normal = 1 / length, z_normal = delta / length;
  for (int j = 0; j <= stacks; ++j) {
    const double z = static_cast<double>(j) / stacks, radius = 1 - delta * z;
    for (int i = 0; i <= slices; ++i) {
      const double a = 2 * M_PI * (i % slices) / slices;
      push3(mesh.points, radius * std::sin(a), radius * std::cos(a), z);
      push3(mesh.normals, xy_normal * std::sin(a), xy_normal * std::cos(a), z_normal);
    }
  }
  for (int j = 0; j < stacks; ++j) {
    std::vector<std::uint32_t> band;
    for (int i = 0; i <= slices; ++i) {
      const auto low = static_cast<std::uint32_t>(j * (slices + 1) + i);
      band.insert(band.end(), {low, low + static_cast<std::uint32_t>(slices + 1)});
    }
    add_quad_strip(mesh, band);
  }
  return mesh;
}

void draw_placed_mesh(const unit_mesh_t& mesh, double sxy, double sz, const double r[9], const vec3& origin,
                      const color_t& rgba) {
  const std::size_t n = mesh.points.size() / 3;
  // Placed once per vertex, then sent in strip order.
  thread_local std::vector<float> points, normals;
  points.resize(3 * n);
  normals.resize(3 * n);
  for (std::size_t k = 0; k < n; ++k) {
    const float* p = &mesh.points[3 * k];
    const float* nm = &mesh.normals[3 * k];
    const double x = p[0] * sxy, y = p[1] * sxy, z = p[2] * sz;
    points[3 * k] = static_cast<float>(origin[0] + r[0] * x + r[1] * y + r[2] * z);
    points[3 * k + 1] = static_cast<float>(origin[1] + r[3] * x + r[4] * y + r[5] * z);
    points[3 * k + 2] = static_cast<float>(origin[2] + r[6] * x + r[7] * y + r[8] * z);
    // Normals go with the inverse of the scale, then the rotation.
    double u = nm[0] / sxy, v = nm[1] / sxy, w = nm[2] / sz;
    const double inv = 1 / std::sqrt(u * u + v * v + w * w);
    u *= inv;
    v *= inv;
    w *= inv;
    normals[3 * k] = static_cast<float>(r[0] * u + r[1] * v + r[2] * w);
    normals[3 * k + 1] = static_cast<float>(r[3] * u + r[4] * v + r[5] * w);
    normals[3 * k + 2] = static_cast<float>(r[6] * u + r[7] * v + r[8] * w);
  }
  glBegin(GL_TRIANGLE_STRIP);
  glColor4f(rgba.red, rgba.green, rgba.blue, rgba.alpha);
  for (std::uint32_t k : mesh.strip) {
    glNormal3fv(&normals[3 * k]);
    glVertex3fv(&points[3 * k]);
  }
  glEnd();
}

void rotation_of(double degrees, double ax, double ay, double r[9]) {
  const double length = std::sqrt(ax * ax + ay * ay);
  const double a = degrees * M_PI / 180, c = std::cos(a), s = std::sin(a);
  const double x = length > 0 ? ax / length : 0, y = length > 0 ? ay / length : 0;
  r[0] = x * x * (1 - c) + c;
  r[1] = x * y * (1 - c);
  r[2] = y * s;
  r[3] = x * y * (1 - c);
  r[4] = y * y * (1 - c) + c;
  r[5] = -x * s;
  r[6] = -y * s;
  r[7] = x * s;
  r[8] = c;
}

const unit_mesh_t& unit_meshes_t::sphere(int slices, int stacks) {
  auto [it, added] = meshes_.try_emplace({0, slices, stacks});
  if (added) it->second = unit_sphere_mesh(slices, stacks);
  return it->second;
}

const unit_mesh_t& unit_meshes_t::cylinder(bool cone, int slices, int stacks) {
  auto [it, added] = meshes_.try_emplace({cone ? 2 : 1, slices, stacks});
  if (added) it->second = unit_cylinder_mesh(cone, slices, stacks);
  return it->second;
}
