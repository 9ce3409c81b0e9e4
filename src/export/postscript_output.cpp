// The PostScript driver: one traversal of the scene into the vector
// renderer, then one painting pass into the file.
#include "export/postscript_output.h"

#include "formats/safe_file.h"
#include "molecule/mol_data.h"
#include "molecule/settings.h"
#include "render/scene.h"

namespace {

struct postscript_state_t {
  zeveps_ctl_t ctl;  // reused by every picture
} state;

vec3 rgb(const color_t& c) { return {c.red, c.green, c.blue}; }

// The objects, bonds before atoms as the painter's ties prefer.
void collect(PostscriptOutput& out) {
  const mol_data_t& rec = *m;
  if (rec.nbond() > 0 && !Input_Data.hide_bonds) draw_bonds(out);
  if (rec.natom() > 0 && !Input_Data.hide_atoms) draw_atoms(out);
  if (rec.nsurf() > 0) draw_surfaces(out);
  if (rec.ntriangle() > 0) draw_triangles(out);
  if (rec.ncell() > 0) draw_cells(out);
  if (rec.ngrid() > 0) draw_grid(out);
}

}  // namespace

void PostscriptOutput::atom_object(const vec3& centre, double radius, const color_t& c) {
  zeveps_atom(ctl_, radius, centre, rgb(c));
}

void PostscriptOutput::bond_object(const vec3& a, const color_t& ca, const vec3& b, const color_t& cb) {
  zeveps_bond(ctl_, 0, a, rgb(ca), b, rgb(cb));
}

void PostscriptOutput::flat_triangle(const std::array<vec3, 3>& corners, const vec3& normal, const color_t& c) {
  const double towards_viewer = ctl_.use_rot ? dot(ctl_.rot[2], normal) : normal[2];
  const vec3 n = towards_viewer < 0 ? -normal : normal;
  zeveps_triangle(ctl_, corners, {n, n, n}, rgb(c));
}

void PostscriptOutput::triangle_object(const std::array<vec3, 3>& corners, const vec3& normal, const color_t& c) {
  flat_triangle(corners, normal, c);
}

void PostscriptOutput::quad_object(const std::array<vec3, 4>& q, const vec3& normal, const color_t& c, bool) {
  flat_triangle({q[0], q[1], q[2]}, normal, c);
  flat_triangle({q[0], q[2], q[3]}, normal, c);
}

void PostscriptOutput::surface_triangle(const srf_triangle_t& t, const color_t& c) {
  zeveps_triangle(ctl_, {t.v[0], t.v[1], t.v[2]}, {t.n[0], t.n[1], t.n[2]}, rgb(c));
}

std::array<vec3, 3> view_rotation(const matrix16& mv) {
  std::array<vec3, 3> r;
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 3; ++col) r[row][col] = mv[col * 4 + row];
  return r;
}

bool initPS(int level, const std::string& path, const matrix16& mv) {
  Input_Data.ps_output = 1;
  zeveps_init(0, state.ctl, 1.0, 0, 0);
  zeveps_view(view_rotation(mv), state.ctl);
  if (m) {
    PostscriptOutput out(state.ctl, mv);
    collect(out);
  }
  const AtomicWrite result = write_file_atomically(path, [level](FILE* f) {
    zeveps_paint(f, level, state.ctl);
    return std::ferror(f) == 0;
  });
  Input_Data.ps_output = 0;
  return report_atomic_write(result, path, "Error: Can't create file");
}
