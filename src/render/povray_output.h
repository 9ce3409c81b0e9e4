// The scene as a POV-Ray 3.7 scene description: a header (the user's
// "header.pov" or a default camera, sky and light) and one text per object,
// written by the same traversal that draws the screen.
#pragma once

#include <cstdio>
#include <string>

#include "render/scene_output.h"
#include "render/view.h"

// Takes the objects of a traversal and writes their POV-Ray text to `file`.
// Every vector is written with commas between its components.
class PovrayOutput final : public ObjectOutput {
 public:
  PovrayOutput(FILE* file, const matrix16& mv) : ObjectOutput(mv), f_(file) {}
  void atom_object(const vec3& centre, double radius, const color_t& c) override;
  void bond_object(const vec3& a, const color_t& ca, const vec3& b, const color_t& cb) override;
  void axis_object(int k, double c, double f) override;
  void dipole_object(const vec3& dipole, double a, const color_t& c) override;
  void arrow_object(const vec3& tail, const vec3& head, double radius, double sharpness, const color_t& c) override;
  void triangle_object(const std::array<vec3, 3>& corners, const vec3& normal, const color_t& c) override;
  void sphere_object(const vec3& centre, double radius, const color_t& c) override;
  void quad_object(const std::array<vec3, 4>& corners, const vec3& normal, const color_t& c, bool cell_face) override;
  void surface_colors(const std::array<color_t, 2>& colors, bool potential) override;
  void surface_triangle(const srf_triangle_t& t, const color_t& c) override;

 private:
  FILE* f_;
};

// The default header for viewing matrix `mv` (column-major) and depth
// `z_half`: global settings, the orthographic camera, sky and light.
std::string povray_default_header(const matrix16& mv, double z_half);
// Copies a header file to `out` line by line, each line cut to 255
// characters (bytes are copied as they are). False when it can't be read.
bool copy_povray_header(const std::string& header_path, FILE* out);

// Writes the whole scene of the current geometry to `path` (atomically):
// "header.pov" of the working directory or the default header for `mvm`
// and the view's depth, then the objects. On failure a warning says why and
// any earlier file at `path` is kept. True when the file was written.
bool initPovray(const std::string& path);
