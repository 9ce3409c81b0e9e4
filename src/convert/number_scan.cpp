// Number reading for large text files.
//
// A decimal number with at most 19 significant digits is its digits as an
// integer m and a power of ten e; when m < 2^53 and |e| ≤ 22, m and 10^|e|
// are both exact doubles and one multiplication or division rounds
// correctly, so the result equals what strtod gives. Everything else (more
// digits, large exponents, "nan", "inf") goes to the library's
// correctly rounded std::from_chars.
//
// A stream is read in pieces of a few megabytes cut at the last white space;
// each piece is split into as many parts as there are threads, the parts
// parsed at once into their own lists and joined in order.
#include "convert/number_scan.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <thread>

namespace {

constexpr double pow10_table[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The general case: the library's correctly rounded conversion, on a copy
// of the word with a Fortran "D" exponent made "e" and a leading "+"
// dropped.
const char* slow_double(const char* p, const char* end, double& out) {
  const char* start = p;
  if (p < end && *p == '+') ++p;
  size_t n = 0;
  while (n < 400 && p + n < end && !is_space(p[n])) ++n;
  char buffer[400];
  std::memcpy(buffer, p, n);
  for (size_t k = 0; k < n; ++k)
    if (buffer[k] == 'd' || buffer[k] == 'D') buffer[k] = 'e';
  const std::from_chars_result r = std::from_chars(buffer, buffer + n, out);
  if (r.ec == std::errc::invalid_argument) return start;
  if (r.ec == std::errc::result_out_of_range) {
    char copy[401];
    std::memcpy(copy, buffer, n);
    copy[n] = '\0';
    out = std::strtod(copy, nullptr);  // the overflowed or underflowed value
  }
  return p + (r.ptr - buffer);
}

}  // namespace

const char* scan_double(const char* p, const char* end, double& out) {
  while (p < end && is_space(*p)) ++p;
  const char* start = p;
  bool negative = false;
  if (p < end && (*p == '-' || *p == '+')) negative = *p++ == '-';
  unsigned long long mant = 0;
  int digits = 0, exp10 = 0;
  bool any = false;
  for (; p < end && is_digit(*p); ++p, any = true) {
    if (digits < 19) {
      mant = mant * 10 + static_cast<unsigned>(*p - '0');
      if (mant) ++digits;
    } else {
      ++exp10;
    }
  }
  if (p < end && *p == '.') {
    for (++p; p < end && is_digit(*p); ++p, any = true) {
      if (digits < 19) {
        mant = mant * 10 + static_cast<unsigned>(*p - '0');
        if (mant) ++digits;
        --exp10;
      }
    }
  }
  if (!any) return slow_double(start, end, out);
  if (p < end && (*p == 'e' || *p == 'E' || *p == 'd' || *p == 'D')) {
    const char* q = p + 1;
    bool eneg = false;
    if (q < end && (*q == '-' || *q == '+')) eneg = *q++ == '-';
    if (q < end && is_digit(*q)) {
      int e = 0;
      for (; q < end && is_digit(*q); ++q) e = std::min(e * 10 + (*q - '0'), 100000);
      exp10 += eneg ? -e : e;
      p = q;
    }
  }
  if (mant < (1ULL << 53) && exp10 >= -22 && exp10 <= 22) {
    double v = static_cast<double>(mant);
    v = exp10 < 0 ? v / pow10_table[-exp10] : v * pow10_table[exp10];
    out = negative ? -v : v;
    return p;
  }
  return slow_double(start, end, out);
}

const char* scan_long(const char* p, const char* end, long long& out) {
  while (p < end && is_space(*p)) ++p;
  const char* start = p;
  bool negative = false;
  if (p < end && (*p == '-' || *p == '+')) negative = *p++ == '-';
  if (p >= end || !is_digit(*p)) return start;
  long long v = 0;
  constexpr long long top = std::numeric_limits<long long>::max();
  for (; p < end && is_digit(*p); ++p) v = v > (top - (*p - '0')) / 10 ? top : v * 10 + (*p - '0');
  out = negative ? -v : v;
  return p;
}

bool NumberStream::fill() {
  if (eof_) return false;
  text_.erase(0, pos_);
  pos_ = 0;
  const size_t old = text_.size();
  text_.resize(old + piece_);
  const size_t got = std::fread(text_.data() + old, 1, piece_, file_);
  text_.resize(old + got);
  if (got < piece_) eof_ = true;
  return got > 0;
}

namespace {

// Parses [begin, end) (which starts and ends at word boundaries) into `out`;
// the first bad word, if any, into `bad`.
void parse_part(const char* begin, const char* end, std::vector<double>& out, std::string& bad) {
  for (const char* p = begin;;) {
    while (p < end && is_space(*p)) ++p;
    if (p >= end) return;
    double v;
    const char* q = scan_double(p, end, v);
    if (q == p || (q < end && !is_space(*q)) || !std::isfinite(v)) {
      const char* w = p;
      while (w < end && !is_space(*w) && w - p < 40) ++w;
      bad.assign(p, w);
      return;
    }
    out.push_back(v);
    p = q;
  }
}

}  // namespace

size_t NumberStream::next_run(std::vector<double>& out) {
  // A piece may hold white space only: go on to the next until numbers come
  // or the stream ends.
  for (;;) {
    const size_t added = next_piece(out);
    if (added > 0 || !error_.empty() || (eof_ && pos_ >= text_.size())) return added;
  }
}

size_t NumberStream::next_piece(std::vector<double>& out) {
  if (!error_.empty()) return 0;
  // A piece whose end is a word boundary: the last white space, or the end
  // of the stream.
  size_t end = std::string::npos;
  for (;;) {
    if (pos_ < text_.size()) {
      const size_t ws = eof_ ? std::string::npos : text_.find_last_of(" \t\r\n\f\v");
      if (eof_ || (ws != std::string::npos && ws > pos_)) {
        end = eof_ ? text_.size() : ws;
        break;
      }
    }
    if (!fill() && pos_ >= text_.size()) return 0;
  }
  const unsigned threads = std::max(1u, std::min(std::thread::hardware_concurrency(), 8u));
  const size_t length = end - pos_;
  const unsigned parts = length < (1u << 20) ? 1 : threads;
  const char* base = text_.data();
  std::vector<const char*> cuts(parts + 1);
  cuts[0] = base + pos_;
  cuts[parts] = base + end;
  for (unsigned k = 1; k < parts; ++k) {
    const char* c = std::max(cuts[k - 1], base + pos_ + length * k / parts);
    while (c < base + end && !is_space(*c)) ++c;
    cuts[k] = c;
  }
  std::vector<std::vector<double>> lists(parts);
  std::vector<std::string> bad(parts);
  std::vector<std::thread> workers;
  for (unsigned k = 1; k < parts; ++k)
    workers.emplace_back([&, k] { parse_part(cuts[k], cuts[k + 1], lists[k], bad[k]); });
  parse_part(cuts[0], cuts[1], lists[0], bad[0]);
  for (std::thread& t : workers) t.join();
  pos_ = end;
  size_t added = 0;
  for (unsigned k = 0; k < parts; ++k) {
    out.insert(out.end(), lists[k].begin(), lists[k].end());
    added += lists[k].size();
    if (!bad[k].empty()) {
      error_ = "'" + bad[k] + "' is not a number";
      break;
    }
  }
  return added;
}
