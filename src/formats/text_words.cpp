#include "formats/text_words.h"

#include <stdio.h>

#include <cctype>
#include <cerrno>
#include <cfloat>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

unsigned char ascii_lower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c | 0x20) : c; }

bool is_blank(unsigned char c) { return c == ' ' || c == '\t'; }
bool is_separator(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool is_printable(unsigned char c) { return c >= 33 && c <= 126; }

// The text after the first "=" at or after p, or null.
const char* after_equals(const char* p) {
  if (!p) return nullptr;
  const char* eq = std::strchr(p, '=');
  return eq ? eq + 1 : nullptr;
}

// Copies the word at p: double quotes open and close stretches (the quotes
// are dropped); the word ends where the stop rule for unquoted or quoted
// characters says. `end` (optional) receives where it ended.
std::string copy_word(const char* p, bool (*stop_unquoted)(unsigned char), bool (*stop_quoted)(unsigned char),
                      const char** end = nullptr) {
  std::string out;
  bool quoted = false;
  for (; *p; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (c == '"') {
      quoted = !quoted;
      continue;
    }
    if (quoted ? stop_quoted(c) : stop_unquoted(c)) break;
    out.push_back(static_cast<char>(c));
  }
  if (end) *end = p;
  return out;
}

// Names and symbols are byte strings: bytes beyond ASCII (UTF-8 or any
// other encoding) belong to a word like letters do; blanks, control
// characters and DEL end it.
bool ends_unquoted_word(unsigned char c) { return c <= 32 || c == 127; }

}  // namespace

std::string read_line(FILE* file) {
  std::string line;
  read_line_into(file, line);
  return line;
}

bool read_line_into(FILE* file, std::string& line) {
  line.clear();
  if (!file) return false;
  // getline keeps its buffer between calls; the program is single-threaded.
  static char* buffer = nullptr;
  static size_t capacity = 0;
  const ssize_t n = getline(&buffer, &capacity, file);
  if (n <= 0) return false;
  line.assign(buffer, static_cast<size_t>(n));
  return true;
}

std::optional<std::string> my_read_str_value(const char* p, const char** end) {
  if (end) *end = p;
  if (!p || !*p) return std::nullopt;
  const char* v = after_equals(p);
  if (!v) return std::nullopt;
  while (is_blank(static_cast<unsigned char>(*v))) ++v;
  if (end) *end = v;
  if (!*v) return std::nullopt;
  const unsigned char first = static_cast<unsigned char>(*v);
  if (!is_printable(first) && first < 128) return std::string();
  return copy_word(
      v, ends_unquoted_word, [](unsigned char c) { return (c < 32 && c != '\t') || c == 127; }, end);
}

int my_read_int_value(const char* p) {
  const char* v = after_equals(p);
  return v ? parse_int(v) : 0;
}

double my_read_dble_value(const char* p) {
  const char* v = after_equals(p);
  return v ? parse_double(v) : 0.0;
}

const char* get_ptr_ith_word(const char* line, int i) {
  if (!line || i < 1) return nullptr;
  const char* p = line;
  for (int word = 1;; ++word) {
    while (*p && is_separator(static_cast<unsigned char>(*p))) ++p;
    if (!*p) return nullptr;
    if (word == i) return p;
    bool quoted = false;
    for (; *p; ++p) {
      if (*p == '"')
        quoted = !quoted;
      else if (!quoted && is_separator(static_cast<unsigned char>(*p)))
        break;
    }
  }
}

std::string get_one_word(const char* p) {
  if (!p) return std::string();
  return copy_word(p, ends_unquoted_word, [](unsigned char c) { return c < 8 || c == 127; });
}

void strdiet(std::string& s) {
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
  size_t end = s.size();
  while (end > 0 && is_blank(static_cast<unsigned char>(s[end - 1]))) --end;
  size_t begin = 0;
  while (begin < end && is_blank(static_cast<unsigned char>(s[begin]))) ++begin;
  s = s.substr(begin, end - begin);
}

int line_is_empty(const char* s) {
  if (!s) return 1;
  for (; *s; ++s)
    if (static_cast<unsigned char>(*s) > 32) return 0;
  return 1;
}

size_t find_nocase(const std::string& hay, const char* needle, size_t from) {
  const size_t n = std::strlen(needle);
  if (n == 0) return from <= hay.size() ? from : std::string::npos;
  if (hay.size() < n) return std::string::npos;
  const unsigned char first = ascii_lower(static_cast<unsigned char>(needle[0]));
  const unsigned char* h = reinterpret_cast<const unsigned char*>(hay.data());
  const bool letter = first >= 'a' && first <= 'z';
  for (size_t i = from, last = hay.size() - n; i <= last; ++i) {
    if (!letter) {
      // Markers start with "<" or "/": jump to the next candidate.
      const void* hit = std::memchr(h + i, first, last - i + 1);
      if (!hit) return std::string::npos;
      i = static_cast<size_t>(static_cast<const unsigned char*>(hit) - h);
    } else if (ascii_lower(h[i]) != first) {
      continue;
    }
    size_t k = 1;
    while (k < n && ascii_lower(h[i + k]) == ascii_lower(static_cast<unsigned char>(needle[k]))) ++k;
    if (k == n) return i;
  }
  return std::string::npos;
}

int parse_int(const char* s, const char** end) {
  char* stop = nullptr;
  errno = 0;
  const long v = std::strtol(s, &stop, 10);
  if (end) *end = stop;
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return static_cast<int>(v);
}

long long parse_long(const char* s, const char** end) {
  char* stop = nullptr;
  const long long v = std::strtoll(s, &stop, 10);
  if (end) *end = stop;
  return v;
}

double parse_double(const char* s, const char** end) {
  char* stop = nullptr;
  const double v = std::strtod(s, &stop);
  if (end) *end = stop;
  return v;
}

float parse_float(const char* s, const char** end) {
  char* stop = nullptr;
  const float v = std::strtof(s, &stop);
  if (end) *end = stop;
  return v;
}

float narrow_to_float(double v) {
  if (v > FLT_MAX) return FLT_MAX;
  if (v < -FLT_MAX) return -FLT_MAX;
  return static_cast<float>(v);
}

size_t find_key(const std::string& line, const char* key, bool word_start) {
  for (size_t at = find_nocase(line, key); at != std::string::npos; at = find_nocase(line, key, at + 1)) {
    const unsigned char before = at > 0 ? static_cast<unsigned char>(line[at - 1]) : ' ';
    if (!word_start || (!std::isalnum(before) && before != '_')) return at;
  }
  return std::string::npos;
}

std::optional<double> key_dble_value(const std::string& line, const char* key, bool word_start) {
  const size_t at = find_key(line, key, word_start);
  if (at == std::string::npos) return std::nullopt;
  return my_read_dble_value(line.c_str() + at);
}

std::optional<int> key_int_value(const std::string& line, const char* key, bool word_start) {
  const size_t at = find_key(line, key, word_start);
  if (at == std::string::npos) return std::nullopt;
  return my_read_int_value(line.c_str() + at);
}

std::optional<std::string> key_str_value(const std::string& line, const char* key) {
  const size_t at = find_key(line, key);
  if (at == std::string::npos) return std::nullopt;
  return my_read_str_value(line.c_str() + at);
}

std::string single_line(const std::string& s) {
  std::string out = s;
  for (char& c : out)
    if (c == '\n' || c == '\r') c = ' ';
  return out;
}
