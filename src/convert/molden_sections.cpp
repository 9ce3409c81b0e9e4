#include "convert/molden_sections.h"

#include <algorithm>

std::vector<molden_section_t> molden_sections(std::string_view text, int first_line) {
  std::vector<molden_section_t> out;
  LineCursor lines(text);
  std::string_view line;
  size_t body_start = 0;
  auto close = [&](size_t end) {
    if (!out.empty()) out.back().body = text.substr(body_start, end - body_start);
  };
  while (lines.next(line)) {
    const size_t offset = static_cast<size_t>(line.data() - text.data());
    const std::string_view t = trim(line);
    if (!t.empty() && t.front() == '[' && t.find(']') != std::string_view::npos) {
      close(offset);
      molden_section_t s;
      const size_t end = t.find(']');
      s.name = lower(trim(t.substr(1, end - 1)));
      s.option = lower(trim(t.substr(end + 1)));
      s.first_line = first_line + lines.number();
      out.push_back(s);
      body_start = std::min(text.size(), offset + line.size() + 1);
    }
  }
  close(text.size());
  return out;
}

const molden_section_t* find_section(const std::vector<molden_section_t>& sections, const char* name) {
  for (const molden_section_t& s : sections)
    if (s.name == name) return &s;
  return nullptr;
}

bool SectionReader::fail(const std::string& what) {
  error_ = "line " + std::to_string(first_ + lines_.number() - 1) + ": " + what;
  return false;
}

bool SectionReader::numbers(std::string_view line, std::vector<double>& out, size_t want) {
  out.clear();
  for (std::string_view w : split_words(line)) {
    double v;
    if (!word_to_double(w, v)) return fail("'" + std::string(w.substr(0, 24)) + "' is not a number");
    out.push_back(v);
  }
  if (out.size() < want) return fail("expected " + std::to_string(want) + " numbers");
  return true;
}
