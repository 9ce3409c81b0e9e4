#include <cstdio>

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
