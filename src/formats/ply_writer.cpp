#include "formats/ply_writer.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "formats/safe_file.h"

namespace {

// Little-endian whatever the host's byte order.
void put_u32(std::string& out, uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((v >> shift) & 0xffu));
}

void put_float(std::string& out, double v) {
  const float f = static_cast<float>(v);
  uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  put_u32(out, bits);
}

unsigned char channel(float c) {
  if (!(c > 0)) return 0;
  if (c >= 1) return 255;
  return static_cast<unsigned char>(std::lround(c * 255.0f));
}

// False for NaN, infinities and values beyond the float range.
bool fits_float(double x) { return std::fabs(x) <= FLT_MAX; }

bool corners_fit(const srf_triangle_t& t) {
  for (const fvec3& p : t.v)
    for (double c : p)
      if (!fits_float(c)) return false;
  return true;
}

std::string header(size_t n_triangles) {
  return "ply\n"
         "format binary_little_endian 1.0\n"
         "element vertex " +
         std::to_string(3 * n_triangles) +
         "\n"
         "property float x\nproperty float y\nproperty float z\n"
         "property float nx\nproperty float ny\nproperty float nz\n"
         "property uchar red\nproperty uchar green\nproperty uchar blue\n"
         "element face " +
         std::to_string(n_triangles) +
         "\n"
         "property list uchar int vertex_indices\n"
         "end_header\n";
}

}  // namespace

std::string ply_text(const surface_triangles_t& triangles, const std::array<color_t, 2>& colors) {
  std::vector<const srf_triangle_t*> kept;
  kept.reserve(triangles.size());
  for (const srf_triangle_t& t : triangles)
    if (corners_fit(t)) kept.push_back(&t);

  constexpr size_t vertex_bytes = 6 * 4 + 3, face_bytes = 1 + 3 * 4;
  std::string out = header(kept.size());
  out.reserve(out.size() + kept.size() * (3 * vertex_bytes + face_bytes));
  for (const srf_triangle_t* t : kept) {
    const color_t& c = colors[t->lobe == 1 ? 1 : 0];
    for (int i = 0; i < 3; ++i) {
      for (double x : t->v[i]) put_float(out, x);
      for (double x : t->n[i]) put_float(out, fits_float(x) ? x : 0.0);
      for (float x : {c.red, c.green, c.blue}) out.push_back(static_cast<char>(channel(x)));
    }
  }
  // Faces keep the store's winding, which the extraction makes agree with
  // the outward normals.
  for (size_t f = 0; f < kept.size(); ++f) {
    const uint32_t first = static_cast<uint32_t>(3 * f);
    out.push_back(3);
    for (uint32_t k = 0; k < 3; ++k) put_u32(out, first + k);
  }
  return out;
}

AtomicWrite write_ply(const std::string& path, const surface_triangles_t& triangles,
                      const std::array<color_t, 2>& colors) {
  // Vertex indices are 32-bit signed in the file.
  if (triangles.size() > static_cast<size_t>(INT32_MAX / 3)) return AtomicWrite::not_written;
  return write_text_atomically(path, ply_text(triangles, colors));
}
