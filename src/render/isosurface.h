// Isosurfaces of the current grid by marching cubes: one pass at +L and one
// at −L, with interpolated normals and an optional second field, into the
// surface store.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "molecule/lattice.h"
#include "render/surface_store.h"

// One surface slot per grid of the geometry; `surf[i]` is the surface of
// grid i or null.
extern std::vector<srf_t*> surf;

// The isolevel range of a grid whose values run from `a` to `b`, and the
// automatic isolevel, as each surface rebuild applies them; a level the user
// has just chosen (`choose_level` false) is kept.
void set_isolevel_range(double a, double b, bool choose_level = true);

// The level chosen automatically for a grid whose values run from a to b.
double automatic_isolevel(double a, double b);

void allocate_msrf(int n);
void deallocate_msrf();
// Rebuilds the surfaces of the current grid at the current isolevel. With
// `choose_level` false (the user has just set the level) the automatic level
// does not replace it.
void make_surfaces(bool choose_level = true);
void do_remove_grid();
// Marching cubes over nx × ny × nz `values` (x slowest, z fastest); `second`
// may be null. Returns 0.
int mcubes(srf_t* surface, int nx, int ny, int nz, const double* values, const double* second, double level,
           const vec3& origin, const vec3& extents, bool two_sided);

// Whether the values are classified four to an instruction where the
// processor has AVX2 (else two); on by default, turned off to check the
// other path on such a processor.
extern bool mcubes_wide_rows;

// What an extraction did: the triangles it made or, refused, those it would
// have made.
struct surface_outcome_t {
  bool refused = false;
  size_t triangles = 0;
};
// Memory a surface takes per triangle while it is made, indexed, sorted and
// drawn: the triangle, the crossing cubes and edge points of the extraction,
// the index with its sort keys, and the drawing's copy.
constexpr size_t surface_bytes_per_triangle = 320;
// `mcubes` refusing, with nothing added, to make more than `max_triangles`.
surface_outcome_t mcubes_within(srf_t* surface, int nx, int ny, int nz, const double* values, const double* second,
                                double level, const vec3& origin, const vec3& extents, bool two_sided,
                                size_t max_triangles);
// The same for values on `lattice`, whose axes lie along x, y and z.
surface_outcome_t mcubes_on_lattice(srf_t* surface, const lattice_t& lattice, const double* values,
                                    const double* second, double level, bool two_sided, size_t max_triangles);
// The outcome of the last `make_surfaces`. Its extraction is refused, with
// the warning "surface too large: N triangles; raise the isovalue", when
// the triangles would not fit in the memory budget.
const surface_outcome_t& last_surface_outcome();
std::string surface_too_large_message(size_t triangles);
// The triangle table: row = cube index, up to five triangles as triples of
// edge numbers, ended by -1, the rest of the row 0.
extern const int32_t cases[256][16];
