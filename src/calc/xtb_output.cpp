#include "calc/xtb_output.h"

#include <cmath>
#include <string_view>

#include "convert/text_lines.h"
#include "molecule/elements.h"

namespace {

// The number after `key` in a comment such as " energy: -5.07 gnorm: 0.08".
std::optional<double> value_after(std::string_view line, std::string_view key) {
  const std::vector<std::string_view> words = split_words(line);
  for (size_t i = 0; i + 1 < words.size(); ++i) {
    double v = 0;
    if (words[i] == key && word_to_double(words[i + 1], v)) return v;
  }
  return std::nullopt;
}

// One frame at the cursor; false when the text ends inside it or it does
// not read.
bool read_step(LineCursor& cursor, xtb_step_t& step) {
  std::string_view line;
  long long n = 0;
  if (!cursor.next(line) || !word_to_long(trim(line), n) || n <= 0) return false;
  // Each atom line holds at least eight characters: no more atoms than that.
  if (static_cast<unsigned long long>(n) > cursor.bytes_left() / 8) return false;
  if (!cursor.next(line)) return false;
  const std::optional<double> energy = value_after(line, "energy:");
  const std::optional<double> gnorm = value_after(line, "gnorm:");
  if (!energy || !gnorm) return false;
  step = xtb_step_t{};
  step.energy = *energy;
  step.gnorm = *gnorm;
  atom_appender atoms(step.atoms);
  for (long long a = 0; a < n; ++a) {
    if (!cursor.next(line)) return false;
    const std::vector<std::string_view> w = split_words(line);
    if (w.size() < 4) return false;
    vec3 p;
    for (size_t c = 0; c < 3; ++c)
      if (!word_to_double(w[c + 1], p[c])) return false;
    atoms.add(std::string(w[0]), p);
  }
  return true;
}

}  // namespace

std::vector<xtb_step_t> parse_xtb_steps(const std::string& text) {
  std::vector<xtb_step_t> steps;
  // A frame is complete once its last line has ended.
  const size_t complete = text.rfind('\n');
  if (complete == std::string::npos) return steps;
  LineCursor cursor(std::string_view(text).substr(0, complete + 1));
  xtb_step_t step;
  while (!cursor.at_end() && read_step(cursor, step)) steps.push_back(std::move(step));
  return steps;
}

std::vector<geometry_section_t> steps_to_geometries(const std::vector<xtb_step_t>& steps) {
  std::vector<geometry_section_t> geometries;
  for (size_t k = 0; k < steps.size(); ++k) {
    geometry_section_t g;
    g.comment = "xtb optimisation step " + std::to_string(k);
    g.rec = steps[k].atoms;
    g.rec.energy = steps[k].energy;
    g.rec.rms_grad = steps[k].gnorm / std::sqrt(3.0 * static_cast<double>(steps[k].atoms.natom()));
    g.rec.flags |= FLAG_ENERGY | FLAG_RMS_GRAD;
    geometries.push_back(std::move(g));
  }
  return geometries;
}

namespace {

struct g98_mode_t {
  double freq = 0;
  std::optional<double> ir;
  std::vector<vec3> displacement;
};

bool read_g98_modes(const std::string& text, size_t natoms, std::vector<g98_mode_t>& modes, std::string& error) {
  LineCursor cursor(text);
  std::string_view line;
  while (cursor.next(line)) {
    if (!starts_with_nocase(trim(line), "Frequencies --")) continue;
    // A block of up to three modes: frequencies, then the IR intensities,
    // then one line per atom after the "Atom AN" header.
    std::vector<std::string_view> w = split_words(line);
    const size_t first = modes.size();
    for (size_t i = 2; i < w.size(); ++i) {
      g98_mode_t mode;
      if (!word_to_double(w[i], mode.freq)) break;
      modes.push_back(mode);
    }
    const size_t count = modes.size() - first;
    if (count == 0) break;
    bool atoms_read = false;
    while (!atoms_read && cursor.next(line)) {
      w = split_words(line);
      if (starts_with_nocase(trim(line), "IR Inten")) {
        for (size_t i = 0; i < count && i + 3 < w.size(); ++i) {
          double ir = 0;
          if (word_to_double(w[i + 3], ir)) modes[first + i].ir = ir;
        }
      } else if (starts_with_nocase(trim(line), "Atom AN")) {
        for (size_t a = 0; a < natoms; ++a) {
          if (!cursor.next(line)) break;
          w = split_words(line);
          if (w.size() < 2 + 3 * count) break;
          for (size_t i = 0; i < count; ++i) {
            vec3 d{};
            for (size_t c = 0; c < 3; ++c)
              if (!word_to_double(w[2 + 3 * i + c], d[c])) d[c] = 0;
            modes[first + i].displacement.push_back(d);
          }
        }
        atoms_read = true;
      }
    }
    for (size_t i = first; i < modes.size(); ++i) {
      if (modes[i].displacement.size() != natoms) {
        error = "the normal mode at " + std::to_string(modes[i].freq) + " cm-1 does not list every atom";
        modes.clear();
        return false;
      }
    }
  }
  if (modes.empty()) {
    error = "xtb wrote no normal modes";
    return false;
  }
  return true;
}

}  // namespace

bool parse_g98_modes(const std::string& text, mol_data_t& rec, std::string& error) {
  std::vector<g98_mode_t> modes;
  if (!read_g98_modes(text, static_cast<size_t>(rec.natom()), modes, error)) return false;
  vibration_data_t v;
  bool ir = false;
  for (g98_mode_t& mode : modes) {
    v.freq.push_back(mode.freq);
    v.ir_intensity.push_back(mode.ir.value_or(0.0));
    v.raman_intensity.push_back(0.0);
    v.normal_mode.push_back(std::move(mode.displacement));
    ir = ir || mode.ir.has_value();
  }
  rec.vib.edit() = std::move(v);
  if (ir) rec.flags |= FLAG_IR;
  return true;
}

std::optional<double> xtb_total_energy(const std::string& output) {
  std::optional<double> energy;
  LineCursor cursor(output);
  std::string_view line;
  while (cursor.next(line)) {
    const std::vector<std::string_view> w = split_words(line);
    // "| TOTAL ENERGY   -5.070544400073 Eh   |": the last one counts.
    for (size_t i = 0; i + 2 < w.size(); ++i) {
      double v = 0;
      if (w[i] == "TOTAL" && w[i + 1] == "ENERGY" && word_to_double(w[i + 2], v)) energy = v;
    }
  }
  return energy;
}
