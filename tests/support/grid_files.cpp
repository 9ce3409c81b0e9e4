#include "support/grid_files.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "molecule/lattice.h"

namespace {

// Whether the cut-off keeps point (i, j, k): some atom closer than r along
// each axis, on the lattice of the file as the reader has it (ångström).
bool kept(const grid_file_layout_t& layout, int i, int j, int k) {
  if (layout.cutoff <= 0) return true;
  const lattice_t bohr{{layout.n, layout.n, layout.n}, {-4, -4, -4}, {vec3{8, 0, 0}, vec3{0, 8, 0}, vec3{0, 0, 8}}};
  const lattice_t lattice = bohr.scaled(bohr_to_angstrom);
  const double r = layout.cutoff * bohr_to_angstrom;
  const vec3 p = lattice.at({i, j, k});
  return std::any_of(layout.atoms.begin(), layout.atoms.end(), [&](const vec3& a) {
    return std::fabs(a[0] - p[0]) < r && std::fabs(a[1] - p[1]) < r && std::fabs(a[2] - p[2]) < r;
  });
}

std::string number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4f", v);
  return text;
}

}  // namespace

double grid_file_value(int g, long long p) { return (g + 1) * 1e-3 + static_cast<double>(p) * 1e-9; }

std::string grid_file_text(const grid_file_layout_t& layout) {
  const long long n = layout.n, points = n * n * n;
  const long long size = layout.block > 0 ? layout.block : points, blocks = (points + size - 1) / size;
  std::vector<double> data;
  // Blocks b < B-1 of every grid in turn, then the last blocks.
  for (long long b = 0; b < blocks; ++b) {
    for (int g = 0; g < layout.grids; ++g) {
      const long long from = b * size, to = std::min(points, from + size);
      long long stored = 0;
      for (long long p = from; p < to; ++p) {
        if (!kept(layout, static_cast<int>(p / (n * n)), static_cast<int>(p / n % n), static_cast<int>(p % n))) continue;
        data.push_back(grid_file_value(g, p));
        ++stored;
      }
      const bool final_block = b == blocks - 1 && g == layout.grids - 1;
      if (!final_block) data.insert(data.end(), static_cast<size_t>(to - from - stored), 9e9);
    }
  }
  std::string text = std::to_string(layout.atoms.size()) + "\nwater with orbitals\n";
  const char* symbols[] = {"O", "H", "H"};
  for (size_t a = 0; a < layout.atoms.size(); ++a)
    text += std::string(symbols[std::min<size_t>(a, 2)]) + " " + number(layout.atoms[a][0]) + " " +
            number(layout.atoms[a][1]) + " " + number(layout.atoms[a][2]) + "\n";
  const std::string net = std::to_string(n);
  text += " <GRID>\n N_of_MO=" + std::to_string(layout.grids) + " N_of_Grids=" + std::to_string(layout.grids) +
          " N_of_Points=" + std::to_string(points) + " Block_Size=" + std::to_string(size) +
          " N_Blocks=" + std::to_string(blocks) + " Is_cutoff=" + (layout.cutoff > 0 ? "1" : "0") +
          " CutOff=" + number(layout.cutoff) + " N_P=0" + (layout.cutoff > 0 ? " BOHR" : "") +
          "\n N_INDEX= 0 0 0 0 0 0 0\n Net= " + net + " " + net + " " + net +
          "\n Origin= -4.0 -4.0 -4.0\n Axis_1= 8.0 0 0\n Axis_2= 0 8.0 0\n Axis_3= 0 0 8.0\n ORBOFF = " +
          std::to_string(data.size() * sizeof(double)) + "\n";
  for (int g = 0; g < layout.grids; ++g)
    text += " GridName= Orbital  sym= 1 index=" + std::to_string(g + 1) + " Energ=-0.5 occ=2.0 type=i\n";
  text += " <DENSITY>\n";
  text.append(reinterpret_cast<const char*>(data.data()), data.size() * sizeof(double));
  char counts[32];
  std::snprintf(counts, sizeof counts, "%8d%8d", 1, layout.grids);
  text += " </DENSITY>\n <BASIS>\n </BASIS>\n#INPORB 2.2\n" + std::string(counts) + "\n#INDEX\n* 1234567890";
  for (int g = 0; g < layout.grids; ++g) {
    if (g % 10 == 0) text += "\n" + std::to_string(g / 10 % 10) + " ";
    text += "i";
  }
  text += "\n </INPORB>\n </GRID>\n <END>\n";
  return text;
}

std::string grid_data_of(const std::string& text) {
  const size_t orboff = text.find("ORBOFF =");
  const size_t start = text.find("<DENSITY>\n", orboff);
  if (orboff == std::string::npos || start == std::string::npos) return std::string();
  const long long size = std::atoll(text.c_str() + orboff + 8);
  return text.substr(start + 10, static_cast<size_t>(size));
}
