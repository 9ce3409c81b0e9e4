// POV-Ray text of the scene. The number formats are those of the stored
// scene files; vectors always carry commas, because POV-Ray reads
// "<1.0 -2.0 3.0>" as the two-component "<1.0-2.0, 3.0>".
#include "render/povray_output.h"

#include <optional>
#include <utility>

#include "formats/safe_file.h"
#include "molecule/mol_data.h"
#include "molecule/notify.h"
#include "molecule/settings.h"
#include "render/scene.h"

namespace {

const char* const header_file = "header.pov";
// Longest header line copied; the rest of a longer line is dropped.
constexpr size_t header_line_max = 255;
constexpr double bond_radius = 0.08;

// The pigment of axis k in the three-component vector form.
const char* const axis_rgb[3] = {"1.0, 0.0, 0.0", "0.0, 1.0, 0.0", "0.0, 0.0, 1.0"};

// "<x, y, z>" of axis k's point at distance d, the other components "0.0".
std::string axis_point(int k, double d) {
  char value[64];
  std::snprintf(value, sizeof value, "%f", d);
  std::string s = "<";
  for (int i = 0; i < 3; ++i) s += std::string(i ? ", " : "") + (i == k ? value : "0.0");
  return s + ">";
}

// A shaft (apex_radius given) or a head (apex_radius none: a point).
void cone_text(FILE* f, const vec3& base, double base_radius, const vec3& apex, std::optional<double> apex_radius,
               const color_t& c, bool with_transparency) {
  std::fprintf(f, "\ncone\n{\n <%7.4f, %7.4f, %7.4f>, %7.4f\n", base[0], base[1], base[2], base_radius);
  if (!apex_radius)
    std::fprintf(f, "  <%7.4f, %7.4f, %7.4f>, 0.0\n", apex[0], apex[1], apex[2]);
  else
    std::fprintf(f, "  <%7.4f, %7.4f, %7.4f>, %7.4f\n", apex[0], apex[1], apex[2], *apex_radius);
  if (with_transparency)
    std::fprintf(f, " pigment { color rgbt <%7.4f, %7.4f, %7.4f, %7.4f>\n }\n}\n\n", c.red, c.green, c.blue,
                 1 - c.alpha);
  else
    std::fprintf(f, " pigment { color rgb <%7.4f, %7.4f, %7.4f>\n }\n}\n\n", c.red, c.green, c.blue);
}

void write_scene(FILE* f) {
  if (!copy_povray_header(header_file, f)) std::fputs(povray_default_header(mvm, view.z_half).c_str(), f);
  PovrayOutput out(f, mvm);
  draw_picture(out);
}

}  // namespace

void PovrayOutput::atom_object(const vec3& p, double radius, const color_t& c) {
  std::fprintf(f_, "\nsphere {\n <%10.6f,%10.6f,%10.6f>, %f\n  pigment { color rgb <%7.4f, %7.4f, %7.4f>\n  }\n}\n",
               p[0], p[1], p[2], radius, c.red, c.green, c.blue);
}

void PovrayOutput::bond_object(const vec3& a, const color_t& ca, const vec3& b, const color_t& cb) {
  const vec3 mid = (a + b) * 0.5;
  for (const auto& [end, c] : {std::pair{a, ca}, std::pair{b, cb}}) {
    std::fprintf(f_,
                 "\ncone {\n <%10.7f,%10.7f,%10.7f>, %10.7f\n  <%10.7f,%10.7f,%10.7f>, %10.7f\n pigment { color rgb "
                 "<%7.4f, %7.4f, %7.4f>\n  }\n}\n",
                 end[0], end[1], end[2], bond_radius, mid[0], mid[1], mid[2], bond_radius, c.red, c.green, c.blue);
  }
}

void PovrayOutput::axis_object(int k, double c, double f) {
  if (k < 0 || k > 2) return;
  std::fprintf(f_, "\ncone\n{\n <0.0, 0.0, 0.0>, %f\n  %s, %f\n pigment { color rgb <%s>\n }\n}\n", c,
               axis_point(k, f).c_str(), c, axis_rgb[k]);
  std::fprintf(f_, "\ncone\n{\n %s, %f\n  %s, 0.0\n pigment { color rgb <%s>\n }\n}\n\n", axis_point(k, f).c_str(),
               2 * c, axis_point(k, f + c).c_str(), axis_rgb[k]);
}

void PovrayOutput::dipole_object(const vec3& D, double a, const color_t& c) {
  cone_text(f_, {0, 0, 0}, a, D * 0.8, a, c, false);
  cone_text(f_, D * 0.8, 1.65 * a, D, std::nullopt, c, false);
}

void PovrayOutput::arrow_object(const vec3& tail, const vec3& head, double radius, double s, const color_t& c) {
  const vec3 neck = tail + (head - tail) * (1 - s);
  cone_text(f_, tail, radius, neck, radius, c, true);
  cone_text(f_, neck, 1.65 * radius, head, std::nullopt, c, true);
}

void PovrayOutput::triangle_object(const std::array<vec3, 3>& corners, const vec3& n, const color_t& c) {
  std::fputs("\nsmooth_triangle\n{\n", f_);
  for (const vec3& p : corners)
    std::fprintf(f_, "<%7.4f, %7.4f, %7.4f>, <%7.4f, %7.4f, %7.4f>\n", p[0], p[1], p[2], n[0], n[1], n[2]);
  std::fprintf(f_, "  pigment{ rgbt <%7.4f, %7.4f, %7.4f, %7.4f> }\n}\n", c.red, c.green, c.blue, 1 - c.alpha);
}

void PovrayOutput::sphere_object(const vec3& p, double radius, const color_t& c) {
  std::fprintf(f_, "sphere {\n  <%7.4f, %7.4f, %7.4f> %7.4f\n   pigment{ rgbt <%7.4f, %7.4f, %7.4f, %7.4f> }\n}\n",
               p[0], p[1], p[2], radius, c.red, c.green, c.blue, 1 - c.alpha);
}

void PovrayOutput::quad_object(const std::array<vec3, 4>& corners, const vec3&, const color_t& c, bool) {
  std::fputs("polygon { 4\n", f_);
  for (const vec3& p : corners) std::fprintf(f_, "   <%7.4f, %7.4f, %7.4f>\n", p[0], p[1], p[2]);
  std::fprintf(f_, "   pigment{ rgbt <%7.4f, %7.4f, %7.4f, %7.4f> }\n}\n", c.red, c.green, c.blue, 1 - c.alpha);
}

void PovrayOutput::surface_colors(const std::array<color_t, 2>& colors, bool potential) {
  const char* const names[2] = {"colorA", "colorB"};
  for (int k = 0; k < 2; ++k) {
    const color_t& c = colors[k];
    if (potential)
      std::fprintf(f_, "\n#declare %s =\n texture {\n pigment { rgb <%7.4f, %7.4f, %7.4f>}\n", names[k], c.red, c.green,
                   c.blue);
    else
      std::fprintf(f_, "\n#declare %s =\n texture {\n pigment { rgbt <%7.4f, %7.4f, %7.4f, %7.4f>}\n", names[k], c.red,
                   c.green, c.blue, 1 - c.alpha);
    std::fputs("finish {ambient 0.2 diffuse 0.8 specular 0.8}\n}", f_);
  }
}

void PovrayOutput::surface_triangle(const srf_triangle_t& t, const color_t&) {
  std::fputs("\nsmooth_triangle {\n", f_);
  for (int k = 0; k < 3; ++k) {
    const vec3 &p = t.v[k], &n = t.n[k];
    std::fprintf(f_, "<%10.6f,%10.6f,%10.6f>, <%10.6f, %10.6f, %10.6f>\n", p[0], p[1], p[2], n[0], n[1], n[2]);
  }
  std::fputs(t.lobe == 0 ? "texture { colorA }\n}\n" : "texture { colorB }\n}\n", f_);
}

std::string povray_default_header(const matrix16& mv, double z_half) {
  // The camera looks along the screen's viewing direction from twice the
  // scene depth, at the point the centre of the view shows.
  const float t0 = static_cast<float>(mv[12]), t1 = static_cast<float>(mv[13]), t2 = static_cast<float>(mv[14]);
  const float m[12] = {static_cast<float>(mv[0]), static_cast<float>(mv[1]), static_cast<float>(mv[2]),  0,
                       static_cast<float>(mv[4]), static_cast<float>(mv[5]), static_cast<float>(mv[6]),  0,
                       static_cast<float>(mv[8]), static_cast<float>(mv[9]), static_cast<float>(mv[10]), 0};
  const float look[3] = {-(m[0] * t0 + m[1] * t1 + m[2] * t2), -(m[4] * t0 + m[5] * t1 + m[6] * t2),
                         -(m[8] * t0 + m[9] * t1 + m[10] * t2)};
  // POV-Ray's coordinates are left-handed: the right vector is turned round
  // so that the picture is not the mirror image of the screen (and has the
  // image's aspect ratio), and the sky is the screen's up direction.
  char camera[640];
  std::snprintf(camera, sizeof camera,
                "camera {\n \torthographic\n \tlocation <%f, %f, %f>\n \tright -x*image_width/image_height\n"
                " \tsky <%f, %f, %f>\n \tlook_at <%f, %f, %f>\n \tangle 35\n}\n\n",
                2 * z_half * mv[2], 2 * z_half * mv[6], 2 * z_half * mv[10], mv[1], mv[5], mv[9], look[0], look[1],
                look[2]);
  return std::string("global_settings {\n  assumed_gamma 2.2\n  ambient_light color rgb <1, 1, 1>\n}\n\n") + camera +
         "sky_sphere {pigment {rgb <0.859,0.910,0.831>}}\n\n"
         "light_source\n{  // #1\n  <-0.5,-0.5,1.0>\n  color rgb <1,1,1>\n  parallel\n  point_at <0,0,0>\n"
         "  fade_distance 1\n  fade_power 0\n}\n";
}

bool copy_povray_header(const std::string& header_path, FILE* out) {
  file_ptr in = open_file_ptr(header_path, "rb");
  if (!in) return false;
  char buffer[65536];
  size_t column = 0;  // characters of the current line copied so far
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, in.get())) > 0) {
    size_t start = 0;
    for (size_t i = 0; i < n; ++i) {
      if (buffer[i] == '\n') {
        column = 0;
        continue;
      }
      if (column++ < header_line_max) continue;
      // Past the line's limit: copy what came before, skip this byte.
      std::fwrite(buffer + start, 1, i - start, out);
      start = i + 1;
    }
    std::fwrite(buffer + start, 1, n - start, out);
  }
  return true;
}

bool initPovray(const std::string& path) {
  Input_Data.povray_output = 1;
  const AtomicWrite result = write_file_atomically(path, [](FILE* f) {
    write_scene(f);
    return std::ferror(f) == 0;
  });
  Input_Data.povray_output = 0;
  return report_atomic_write(result, path, "Can't create file " + path);
}
