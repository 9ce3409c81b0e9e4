#include "convert/text_lines.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "convert/input_file.h"
#include "convert/number_scan.h"

bool read_whole_file(const std::string& path, std::string& out, std::string& error) {
  InputFile file;
  if (!file.open(path, error)) {
    error = path + ": " + error;
    return false;
  }
  out.clear();
  char buffer[1 << 16];
  for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0;) out.append(buffer, got);
  if (std::ferror(file.get())) {
    error = path + ": " + (file.error().empty() ? "can't be read" : file.error());
    return false;
  }
  return true;
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
