#include "convert/xyz.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>

#include "convert/text_lines.h"
#include "formats/element_numbers.h"
#include "formats/text_words.h"
#include "molecule/elements.h"

namespace {

// The number at the start of `s` (blanks and an opening quote skipped),
// when it is a word of its own: the text ends after it, or a blank, a quote,
// a comma or a semicolon follows.
std::optional<double> number_at(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  if (!s.empty() && (s.front() == '"' || s.front() == '\'')) s.remove_prefix(1);
  double v;
  if (word_to_double(s.substr(0, s.find_first_of(" \t\"',;")), v)) return v;
  return std::nullopt;
}

// Whether `key` starts a word at `at`: at the start of the line or after a
// blank or a comma.
bool starts_word(std::string_view text, size_t at) {
  return at == 0 || std::isspace(static_cast<unsigned char>(text[at - 1])) || text[at - 1] == ',';
}

// The value after an "energy" key (any case) that starts a word: "energy=X"
// (extended XYZ, the value maybe quoted), "energy: X" (xtb), "Energy X",
// "Energy = X".
std::optional<double> energy_key_value(std::string_view comment) {
  const std::string low = lower(comment);
  for (size_t at = low.find("energy"); at != std::string::npos; at = low.find("energy", at + 1)) {
    if (!starts_word(low, at)) continue;
    std::string_view rest = comment.substr(at + 6);
    const size_t sign = rest.find_first_not_of(" \t");
    if (sign != std::string_view::npos && (rest[sign] == '=' || rest[sign] == ':'))
      rest.remove_prefix(sign + 1);
    else if (sign == 0)
      continue;  // "energy" is only the start of a longer word
    if (const std::optional<double> v = number_at(rest)) return v;
  }
  return std::nullopt;
}

// The value after a word "E": "E=X" or "E = X" anywhere, and "E X" after
// ORCA's "Coordinates from ORCA-job NAME" of its trajectory files.
std::optional<double> e_key_value(std::string_view comment) {
  const size_t orca = comment.find("Coordinates from ORCA-job");
  for (size_t at = comment.find('E'); at != std::string::npos; at = comment.find('E', at + 1)) {
    if (!starts_word(comment, at) || at + 1 >= comment.size()) continue;
    std::string_view rest = comment.substr(at + 1);
    const size_t next = rest.find_first_not_of(" \t");
    if (next == std::string_view::npos) continue;
    if (rest[next] == '=') {
      rest.remove_prefix(next + 1);
    } else if (orca == std::string_view::npos || at < orca || next == 0) {
      continue;
    }
    if (const std::optional<double> v = number_at(rest)) return v;
  }
  return std::nullopt;
}

// The energy a comment line gives: the whole line one number, or the value
// of a key that names it (see above). A line of several numbers without
// such a key gives none: which of them would be the energy is not known.
std::optional<double> comment_energy(std::string_view comment) {
  double v;
  if (word_to_double(trim(comment), v)) return v;
  if (const std::optional<double> e = energy_key_value(comment)) return e;
  return e_key_value(comment);
}

std::string at_line(int n) { return "line " + std::to_string(n) + ": "; }

// Appends printf-style text to `out`, however long it turns out.
__attribute__((format(printf, 2, 3))) void appendf(std::string& out, const char* format, ...) {
  char buffer[512];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (n < 0) return;
  if (static_cast<size_t>(n) < sizeof buffer) {
    out.append(buffer, static_cast<size_t>(n));
    return;
  }
  std::string big(static_cast<size_t>(n) + 1, '\0');
  va_start(args, format);
  std::vsnprintf(big.data(), big.size(), format, args);
  va_end(args);
  big.pop_back();
  out += big;
}

}  // namespace

bool read_xyz(const std::string& text, std::vector<geometry_section_t>& frames, std::string& error) {
  LineCursor lines(text);
  std::string_view line;
  std::string last_label, last_symbol;
  frames.clear();
  while (lines.next(line)) {
    if (trim(line).empty()) continue;
    long long count;
    if (!word_to_long(trim(line), count) || count < 0) {
      error =
          at_line(lines.number()) + "an atom count was expected, not '" + std::string(trim(line).substr(0, 40)) + "'";
      return false;
    }
    // Each atom needs a line of at least a symbol and three numbers.
    if (static_cast<unsigned long long>(count) > lines.bytes_left() / 7) {
      error = at_line(lines.number()) + std::to_string(count) + " atoms can't fit in the rest of the file";
      return false;
    }
    geometry_section_t frame;
    if (!lines.next(line)) {
      error = at_line(lines.number() + 1) + "the file ends before the comment line";
      return false;
    }
    frame.comment = std::string(trim(line));
    if (const std::optional<double> energy = comment_energy(line)) {
      frame.rec.energy = *energy;
      frame.rec.flags |= FLAG_ENERGY;
    }
    frame.rec.xyz.reserve(static_cast<size_t>(count));
    atom_appender atoms(frame.rec);
    for (long long a = 0; a < count; ++a) {
      if (!lines.next(line)) {
        error = "the file ends after " + std::to_string(a) + " of " + std::to_string(count) + " atoms of frame " +
                std::to_string(frames.size() + 1);
        return false;
      }
      const std::vector<std::string_view> w = split_words(line);
      if (w.size() < 4) {
        error = at_line(lines.number()) + "an atom line needs a symbol and three coordinates";
        return false;
      }
      // Labels repeat from frame to frame: the last one's element is kept.
      if (w[0] != last_label) {
        last_label.assign(w[0]);
        last_symbol = element_of_label(last_label);
      }
      if (last_symbol.empty()) {
        error = at_line(lines.number()) + "'" + std::string(w[0].substr(0, 20)) + "' is not an element";
        return false;
      }
      vec3 p;
      for (int c = 0; c < 3; ++c)
        if (!word_to_double(w[static_cast<size_t>(c) + 1], p[static_cast<size_t>(c)])) {
          error = at_line(lines.number()) + "'" + std::string(w[static_cast<size_t>(c) + 1].substr(0, 20)) +
                  "' is not a coordinate";
          return false;
        }
      atoms.add(last_symbol, p);
    }
    frames.push_back(std::move(frame));
  }
  if (frames.empty()) {
    error = "no atoms: the file is empty";
    return false;
  }
  return true;
}

std::string xyz_text(const std::vector<geometry_section_t>& geometries) {
  std::string out;
  for (const geometry_section_t& g : geometries) {
    out += std::to_string(g.rec.natom()) + "\n";
    if (g.rec.flags & FLAG_ENERGY) {
      appendf(out, "energy=%.10f\n", g.rec.energy);
    } else {
      out += single_line(g.comment) + "\n";
    }
    // However long a coordinate's digits run, the line stays whole.
    for (int i = 0; i < g.rec.natom(); ++i) {
      const vec3& p = g.rec.xyz[static_cast<size_t>(i)];
      appendf(out, "%-2s %15.9f %15.9f %15.9f\n", atom_element(g.rec, i).name.c_str(), p[0], p[1], p[2]);
    }
  }
  return out;
}
