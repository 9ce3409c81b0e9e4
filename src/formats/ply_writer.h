// Isosurface triangles as a binary little-endian PLY file, the mesh format
// that general 3D programs read: one coloured vertex per triangle corner.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "formats/safe_file.h"
#include "molecule/mesh.h"
#include "molecule/types.h"

// The whole file for `triangles`: per vertex float x y z, float nx ny nz and
// uchar red green blue (colors[0] for lobe 0, colors[1] for lobe 1), per face
// a uchar count 3 and three int indices. Triangles with a corner that is not
// a finite float are left out; such normal components are written as 0.
std::string ply_text(const surface_triangles_t& triangles, const std::array<color_t, 2>& colors);

// Writes `ply_text` to `path` without ever leaving a partial file; a mesh
// whose vertices exceed 32-bit indices is not written.
AtomicWrite write_ply(const std::string& path, const surface_triangles_t& triangles,
                      const std::array<color_t, 2>& colors);
