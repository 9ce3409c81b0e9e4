// Reals go through fast_float: correctly rounded (the same double strtod
// gives) at several hundred megabytes a second. What it does not take
// (Fortran's "D" exponent, a leading "+") is handled around it.
#include "formats/text_scan.h"

#include <fast_float/fast_float.h>

#include <cctype>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// A word with a Fortran exponent ("1.5D-03"): parsed on a copy with the
// "D" made "e".
const char* fortran_double(const char* p, const char* end, double& out) {
  size_t n = 0;
  while (n < 400 && p + n < end && !is_space(p[n])) ++n;
  char buffer[400];
  std::memcpy(buffer, p, n);
  for (size_t k = 0; k < n; ++k)
    if (buffer[k] == 'd' || buffer[k] == 'D') buffer[k] = 'e';
  const fast_float::from_chars_result r = fast_float::from_chars(buffer, buffer + n, out);
  if (r.ec != std::errc()) return p;
  return p + (r.ptr - buffer);
}

}  // namespace

const char* scan_double(const char* p, const char* end, double& out) {
  while (p < end && is_space(*p)) ++p;
  const char* start = p;
  if (p < end && *p == '+') ++p;
  const fast_float::from_chars_result r = fast_float::from_chars(p, end, out);
  if (r.ec != std::errc()) return start;
  if (r.ptr < end && (*r.ptr == 'd' || *r.ptr == 'D')) {
    const char* q = fortran_double(p, end, out);
    return q == p ? start : q;
  }
  return r.ptr;
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

bool LineCursor::next(std::string_view& line) {
  if (pos_ >= text_.size()) return false;
  last_ = pos_;
  size_t end = text_.find('\n', pos_);
  if (end == std::string_view::npos) end = text_.size();
  line = text_.substr(pos_, end - pos_);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  pos_ = end + 1;
  ++number_;
  return true;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

std::vector<std::string_view> split_words(std::string_view s) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    const size_t start = i;
    while (i < s.size() && !std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    if (i > start) words.push_back(s.substr(start, i - start));
  }
  return words;
}

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool starts_with_nocase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && lower(s.substr(0, prefix.size())) == lower(prefix);
}

bool word_to_double(std::string_view w, double& out) {
  if (w.empty()) return false;
  const char* end = scan_double(w.data(), w.data() + w.size(), out);
  return end == w.data() + w.size() && std::isfinite(out);
}

bool word_to_long(std::string_view w, long long& out) {
  if (w.empty()) return false;
  return scan_long(w.data(), w.data() + w.size(), out) == w.data() + w.size();
}
