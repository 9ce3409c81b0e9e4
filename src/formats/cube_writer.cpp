#include "formats/cube_writer.h"

#include <algorithm>
#include <cstdio>

#include "formats/safe_file.h"
#include "formats/text_words.h"

namespace {

std::string header_text(const cube_grid_t& g) {
  std::string out = single_line(g.title) + "\n" + single_line(g.comment) + "\n";
  char line[128];
  const vec3& o = g.lattice.origin;
  std::snprintf(line, sizeof line, "%5d %11.6f %11.6f %11.6f\n", static_cast<int>(g.atoms.size()), o[0], o[1], o[2]);
  out += line;
  for (int a = 0; a < 3; ++a) {
    const vec3 step = g.lattice.step(a);
    std::snprintf(line, sizeof line, "%5d %11.6f %11.6f %11.6f\n", g.lattice.net[static_cast<size_t>(a)], step[0],
                  step[1], step[2]);
    out += line;
  }
  for (const cube_atom_t& atom : g.atoms) {
    std::snprintf(line, sizeof line, "%5d %11.6f %11.6f %11.6f %11.6f\n", atom.number, static_cast<double>(atom.number),
                  atom.xyz[0], atom.xyz[1], atom.xyz[2]);
    out += line;
  }
  return out;
}

size_t row_count(const cube_grid_t& g) {
  const size_t n3 = static_cast<size_t>(std::max(g.lattice.net[2], 0));
  return g.values && n3 > 0 ? g.values->size() / n3 : 0;
}

// The values of rows [from, to) of the third axis.
std::string rows_text(const cube_grid_t& g, size_t from, size_t to) {
  const size_t n3 = static_cast<size_t>(g.lattice.net[2]);
  const grid_values_t& v = *g.values;
  std::string out;
  out.reserve((to - from) * (n3 * 13 + n3 / 6 + 1));
  char number[32];
  for (size_t row = from; row < to; ++row)
    for (size_t k = 0; k < n3; ++k) {
      std::snprintf(number, sizeof number, "%13.5E", v[row * n3 + k]);
      out += number;
      if (k % 6 == 5 || k + 1 == n3) out += '\n';
    }
  return out;
}

}  // namespace

std::string cube_text(const cube_grid_t& g) { return header_text(g) + rows_text(g, 0, row_count(g)); }

bool write_cube(const std::string& path, const cube_grid_t& grid) {
  return write_file_atomically(path, [&grid](FILE* file) {
           const std::string header = header_text(grid);
           if (std::fwrite(header.data(), 1, header.size(), file) != header.size()) return false;
           const size_t rows = row_count(grid);
           for (size_t from = 0; from < rows; from += 4096) {
             const std::string text = rows_text(grid, from, std::min(rows, from + 4096));
             if (std::fwrite(text.data(), 1, text.size(), file) != text.size()) return false;
           }
           return true;
         }) == AtomicWrite::done;
}
