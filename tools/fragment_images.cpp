// Makes the palette images of the fragment library with the program's own
// drawing code: each fragment file is drawn as it attaches (its atoms from
// the third on, with a dummy atom where the receiving atom sits), seen from
// where it looks flattest with the attachment pointing left, on white, in an
// offscreen framebuffer four times the image size, then scaled down smoothly
// and saved as PNG.
//
//   fragment_images OUTPUT_FOLDER FRAGMENT_FILE...
// draws offscreen without an X server; see scripts/make_fragment_images.sh.
#include <GL/gl.h>
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "edit/atom_edit.h"
#include "edit/fragment_library.h"
#include "molecule/elements.h"
#include "molecule/mol_data.h"
#include "molecule/settings.h"
#include "render/gl/offscreen_context.h"
#include "render/gl/scene_gl.h"
#include "render/gl/view_gl.h"
#include "render/scene.h"
#include "render/scene_geometry.h"
#include "render/view.h"

namespace {

constexpr int image_size = 48;
constexpr int oversampling = 4;
constexpr int frame_size = image_size * oversampling;

// Turns the points to the view that shows them flattest (least spread
// towards the viewer, the attachment bond weighing more so that it stays in
// the picture), with the attachment at index 0 pointing left.
void orient(std::vector<vec3>& points) {
  constexpr int samples = 4000;
  constexpr double attachment_weight = 4;
  const double golden = M_PI * (3 - std::sqrt(5.0));
  vec3 z{0, 0, 1};
  double best = INFINITY;
  for (int k = 0; k < samples; ++k) {
    // Directions spread evenly over a half sphere (a spiral of points).
    const double h = 1 - (k + 0.5) / samples, r = std::sqrt(1 - h * h);
    const vec3 d{r * std::cos(golden * k), r * std::sin(golden * k), h};
    double spread = attachment_weight * dot(points[0], d) * dot(points[0], d);
    for (const vec3& p : points) spread += dot(p, d) * dot(p, d);
    if (spread < best) best = spread, z = d;
  }
  vec3 x = -(points[0] - z * dot(points[0], z));
  x = norm(x) > 1e-9 ? x / norm(x) : cross(z, {0, 1, 0}) / norm(cross(z, {0, 1, 0}));
  const vec3 y = cross(z, x);
  for (vec3& p : points) p = {dot(p, x), dot(p, y), dot(p, z)};
}

bool draw(const fragment_t& f, const std::string& out) {
  std::vector<vec3> points;
  for (const vec3& q : f.xyz) points.push_back(q - f.xyz[2]);
  orient(points);
  new_mol(1);
  append_atom(*m, "Q", points[0]);
  for (int j = 2; j < f.natom(); ++j) append_atom(*m, f.symbol[static_cast<size_t>(j)], points[static_cast<size_t>(j)]);
  for (const bond_t& b : f.bond)
    if (b.a1 >= 2 && b.a2 >= 2) m->bond.push_back({b.a1 - 1, b.a2 - 1, b.type});
  m->bond.push_back({0, 1, f.attachment_type});

  // Centre the picture on the atoms and let them fill it.
  vec3 lo = m->xyz[0], hi = m->xyz[0];
  for (const vec3& p : m->xyz)
    for (size_t k = 0; k < 3; ++k) lo[k] = std::min(lo[k], p[k]), hi[k] = std::max(hi[k], p[k]);
  const vec3 centre = (lo + hi) * 0.5;
  double reach = 0;
  for (vec3& p : m->xyz) p -= centre, reach = std::max(reach, std::max(std::fabs(p[0]), std::fabs(p[1])));
  view.z_half = Calc_Diameter(*m);
  view.view_scale = view.z_half / (2 * (reach + 0.5));
  view_configure(frame_size, frame_size);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  scene_state.rebuild = 1;
  scene_expose(frame_size, frame_size, nullptr);
  glFinish();

  std::vector<guchar> pixels(static_cast<size_t>(frame_size * frame_size * 3));
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, frame_size, frame_size, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
  // OpenGL rows run bottom up.
  std::vector<guchar> rows(pixels.size());
  const size_t stride = static_cast<size_t>(frame_size) * 3;
  for (size_t r = 0; r < static_cast<size_t>(frame_size); ++r)
    std::copy_n(pixels.begin() + static_cast<long>((frame_size - 1 - r) * stride), stride,
                rows.begin() + static_cast<long>(r * stride));
  GdkPixbuf* big = gdk_pixbuf_new_from_data(rows.data(), GDK_COLORSPACE_RGB, FALSE, 8, frame_size, frame_size,
                                            static_cast<int>(stride), nullptr, nullptr);
  GdkPixbuf* small = gdk_pixbuf_scale_simple(big, image_size, image_size, GDK_INTERP_HYPER);
  const gboolean saved = gdk_pixbuf_save(small, out.c_str(), "png", nullptr, nullptr);
  g_object_unref(small);
  g_object_unref(big);
  return saved;
}

std::string image_name(const std::string& path) {
  const size_t slash = path.rfind('/');
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  return base.substr(0, base.rfind('.')) + ".png";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER FRAGMENT_FILE...\n", argv[0]);
    return 2;
  }
  set_default_settings();
  use_builtin_element_table();
  Input_Data.background_color = {1, 1, 1, 0};
  OffscreenContext context;
  OffscreenFramebuffer frame(frame_size, frame_size);
  if (!context || !frame) {
    std::fprintf(stderr, "%s\n", context ? "no offscreen framebuffer of that size" : context.error().c_str());
    return 1;
  }
  scene_realize();
  view_realize();
  int status = 0;
  for (int i = 2; i < argc; ++i) {
    fragment_t f;
    std::string error;
    const std::string out = std::string(argv[1]) + "/" + image_name(argv[i]);
    if (!load_fragment_from_file(argv[i], f, error)) {
      std::fprintf(stderr, "%s\n", error.c_str());
      status = 1;
    } else if (!draw(f, out)) {
      std::fprintf(stderr, "can't write %s\n", out.c_str());
      status = 1;
    }
  }
  return status;
}
