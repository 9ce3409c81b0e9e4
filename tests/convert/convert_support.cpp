#include "convert/convert_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include "document/current_file.h"
#include "document/open_close.h"
#include "formats/grid_reader.h"
#include "formats/safe_file.h"
#include "molecule/mol_data.h"

std::string fixture(const std::string& name) { return std::string(MIVOR_SOURCE_DIR) + "/tests/data/convert/" + name; }

std::vector<std::vector<double>> read_back(const std::string& path) {
  open_file(path, std::nullopt);
  std::vector<std::vector<double>> out;
  if (mol.empty()) return out;
  file_ptr file = open_file_ptr(path, "rb");
  mol_data_t& rec = mol[0];
  for (int g = 0; g < rec.ngrid(); ++g) {
    rec.grid.edit().epot_values.clear();
    read_epoten_grid(file.get(), rec, g);
    out.emplace_back(rec.grid->epot_values.begin(), rec.grid->epot_values.end());
  }
  rec.grid.edit().epot_values.clear();
  return out;
}

std::vector<double> cube_values(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  std::getline(in, line);
  std::getline(in, line);
  long long natoms = 0;
  std::istringstream(line) >> natoms;
  for (int k = 0; k < 3; ++k) std::getline(in, line);
  for (long long k = 0; k < std::llabs(natoms); ++k) std::getline(in, line);
  if (natoms < 0) std::getline(in, line);
  std::vector<double> v;
  for (double x; in >> x;) v.push_back(x);
  return v;
}

converter_run_t convert(const std::string& name, const std::string& file, const std::vector<std::string>& options) {
  return run_converter(std::string(MIVOR_CONVERTER_DIR) + "/" + name, file, options);
}

double difference_up_to_sign(const std::vector<double>& a, const std::vector<double>& b) {
  if (a.size() != b.size()) return INFINITY;
  double plus = 0, minus = 0;
  for (size_t k = 0; k < a.size(); ++k) {
    plus = std::max(plus, std::fabs(a[k] - b[k]));
    minus = std::max(minus, std::fabs(a[k] + b[k]));
  }
  return std::min(plus, minus);
}

double largest_difference(const std::vector<std::vector<double>>& a, const std::vector<std::vector<double>>& b) {
  if (a.size() != b.size()) return INFINITY;
  double worst = 0;
  for (size_t g = 0; g < a.size(); ++g) {
    if (a[g].size() != b[g].size()) return INFINITY;
    for (size_t k = 0; k < a[g].size(); ++k) worst = std::max(worst, std::fabs(a[g][k] - b[g][k]));
  }
  return worst;
}
