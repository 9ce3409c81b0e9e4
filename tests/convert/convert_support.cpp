#include "convert/convert_support.h"

#include <bzlib.h>
#include <gtest/gtest.h>
#include <lzma.h>
#include <zlib.h>

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

std::string compressed(const std::string& text, const std::string& suffix) {
  std::string out(text.size() + text.size() / 100 + 1024, '\0');
  if (suffix == ".gz") {
    z_stream z{};
    deflateInit2(&z, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    z.avail_in = static_cast<uInt>(text.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
  } else if (suffix == ".bz2") {
    unsigned int size = static_cast<unsigned int>(out.size());
    EXPECT_EQ(BZ2_bzBuffToBuffCompress(out.data(), &size, const_cast<char*>(text.data()),
                                       static_cast<unsigned int>(text.size()), 9, 0, 0),
              BZ_OK);
    out.resize(size);
  } else if (suffix == ".xz") {
    size_t size = 0;
    EXPECT_EQ(lzma_easy_buffer_encode(6, LZMA_CHECK_CRC64, nullptr, reinterpret_cast<const uint8_t*>(text.data()),
                                      text.size(), reinterpret_cast<uint8_t*>(out.data()), &size, out.size()),
              LZMA_OK);
    out.resize(size);
  } else {
    out = text;
  }
  return out;
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
