#include "convert/orca_steps.h"

#include "convert/text_lines.h"

namespace {

// An atom line of a coordinate block: a symbol and three numbers.
bool atom_line(std::string_view line, vec3& p) {
  const std::vector<std::string_view> w = split_words(line);
  if (w.size() != 4) return false;
  for (size_t c = 0; c < 3; ++c)
    if (!word_to_double(w[c + 1], p[c])) return false;
  return true;
}

// A line of the Mulliken block: atom number, symbol, ":" and the charge.
bool charge_line(std::string_view line, double& q) {
  const std::vector<std::string_view> w = split_words(line);
  return w.size() == 4 && w[2] == ":" && word_to_double(w[3], q);
}

}  // namespace

std::vector<program_step_t> orca_steps(const std::string& text) {
  std::vector<program_step_t> steps;
  LineCursor lines(text);
  std::string_view line;
  while (lines.next(line)) {
    if (line.find("CARTESIAN COORDINATES (ANGSTROEM)") != std::string_view::npos) {
      program_step_t step;
      lines.next(line);  // the line of dashes under the title
      vec3 p;
      while (lines.next(line)) {
        if (!atom_line(line, p)) {
          lines.back();
          break;
        }
        step.xyz.push_back(p);
      }
      if (!step.xyz.empty()) steps.push_back(std::move(step));
    } else if (line.find("MULLIKEN ATOMIC CHARGES") != std::string_view::npos && !steps.empty() &&
               steps.back().mulliken.empty()) {
      lines.next(line);  // dashes
      std::vector<double> charges;
      double q;
      while (lines.next(line)) {
        if (!charge_line(line, q)) {
          lines.back();
          break;
        }
        charges.push_back(q);
      }
      if (charges.size() == steps.back().xyz.size()) steps.back().mulliken = std::move(charges);
    } else if (line.find("FINAL SINGLE POINT ENERGY") != std::string_view::npos && !steps.empty() &&
               !steps.back().energy) {
      const std::vector<std::string_view> w = split_words(line);
      double e;
      if (!w.empty() && word_to_double(w.back(), e)) steps.back().energy = e;
    }
  }
  return steps;
}
