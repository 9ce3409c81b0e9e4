#include "convert/number_scan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace {

// Numbers as the converters meet them read exactly as strtod reads them.
TEST(NumberScan, ReadsAsTheCLibraryDoes) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> mantissa(-10, 10);
  std::uniform_int_distribution<int> exponent(-310, 300);
  for (int k = 0; k < 20000; ++k) {
    char text[64];
    const char* formats[] = {"%13.5E", "%.17g", "%f", "%.10e", "%.3f"};
    std::snprintf(text, sizeof text, formats[k % 5], mantissa(random) * std::pow(10.0, exponent(random)));
    double got = 0;
    const char* end = scan_double(text, text + std::strlen(text), got);
    EXPECT_EQ(end, text + std::strlen(text)) << text;
    EXPECT_EQ(got, std::strtod(text, nullptr)) << text;
  }
  double v = 0;
  const std::string fortran = "1.5D-03";
  EXPECT_EQ(scan_double(fortran.data(), fortran.data() + fortran.size(), v), fortran.data() + fortran.size());
  EXPECT_EQ(v, 1.5e-3);
  long long n = 0;
  const std::string huge = "99999999999999999999999";
  scan_long(huge.data(), huge.data() + huge.size(), n);
  EXPECT_EQ(n, std::numeric_limits<long long>::max());
}

// However the text is cut into pieces, every number arrives once, in order.
TEST(NumberScan, StreamsAcrossPieceBoundaries) {
  std::string text;
  std::vector<double> want;
  for (int k = 0; k < 3000; ++k) {
    char number[32];
    std::snprintf(number, sizeof number, k % 7 ? "%13.5E" : " %.9f", (k - 1500) * 0.00123);
    text += number;
    text += k % 6 == 5 ? "\n" : (k % 11 ? "" : "\t");
    want.push_back(std::strtod(number, nullptr));
  }
  for (size_t piece : {1u, 7u, 13u, 64u, 4096u, 1u << 21}) {
    FILE* f = fmemopen(text.data(), text.size(), "rb");
    NumberStream numbers(f, piece);
    grid_values_t got;
    while (numbers.next_run(got) > 0) {
    }
    std::fclose(f);
    EXPECT_TRUE(numbers.error().empty()) << piece;
    EXPECT_EQ(std::vector<double>(got.begin(), got.end()), want) << piece;
  }
  std::string bad = text + " 1.0 x2 3.0";
  FILE* f = fmemopen(bad.data(), bad.size(), "rb");
  NumberStream numbers(f, 100);
  grid_values_t got;
  while (numbers.next_run(got) > 0) {
  }
  std::fclose(f);
  EXPECT_EQ(numbers.error(), "'x2' is not a number");
  EXPECT_EQ(got.size(), want.size() + 1);
}

}  // namespace
