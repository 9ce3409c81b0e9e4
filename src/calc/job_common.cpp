#include <cctype>
#include <cstdio>
#include <cstring>

#include "calc/jobs.h"
#include "convert/native_in.h"
#include "convert/text_lines.h"

std::optional<geometry_section_t> last_geometry(const std::string& file, std::string& error) {
  std::vector<geometry_section_t> geometries;
  if (!read_native(file, geometries, error)) return std::nullopt;
  if (geometries.empty() || geometries.back().rec.natom() == 0) {
    error = "the molecule has no atoms";
    return std::nullopt;
  }
  return std::move(geometries.back());
}

std::string option_text(const job_options_t& options, const char* name, const std::string& fallback) {
  const auto it = options.find(name);
  return it == options.end() || it->second.empty() ? fallback : it->second;
}

std::optional<int> option_int(const job_options_t& options, const char* name, int fallback, int lo, int hi) {
  const std::string text = option_text(options, name, std::to_string(fallback));
  long long v = 0;
  if (!word_to_long(text, v) || v < lo || v > hi) return std::nullopt;
  return static_cast<int>(v);
}

int job_failure(const std::string& job, const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", job.c_str(), message.c_str());
  return job_failed;
}

bool is_input_name(const std::string& s, const char* signs) {
  if (s.empty() || s.size() > 64) return false;
  for (unsigned char c : s)
    if (c == 0 || (!std::isalnum(c) && !std::strchr(signs, c))) return false;
  return true;
}

bool symbols_are_names(const mol_data_t& g) {
  for (int i = 0; i < g.natom(); ++i)
    if (!is_input_name(atom_element(g, i).name, "")) return false;
  return true;
}
