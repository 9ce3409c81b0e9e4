// The geometry sections of a native file, read the way the program reads
// them (markers anywhere in a line, in any case), keeping what other formats
// can hold.
#include "convert/native_in.h"

#include <sys/stat.h>
#include <sys/types.h>

#include "convert/text_lines.h"
#include "formats/element_numbers.h"
#include "formats/safe_file.h"
#include "formats/text_words.h"
#include "molecule/elements.h"

namespace {

bool has(const std::string& line, const char* marker) { return find_nocase(line, marker) != std::string::npos; }

// Steps over a grid section after its "<GRID>" line: the header lines up
// to the ORBOFF line, the lines up to "density", the binary values, then
// the lines up to "</GRID>".
bool skip_grid_section(FILE* file) {
  long long orboff = 0;
  std::string line;
  for (int k = 0; k < 8; ++k) {
    if (!read_line_into(file, line)) return false;
    if (has(line, "ORBOFF")) orboff = parse_long(line.c_str() + line.find('=') + 1);
  }
  while (read_line_into(file, line) && !has(line, "density")) {
    if (has(line, "/grid")) return true;
  }
  if (orboff < 0 || orboff > bytes_left(file)) return false;
  fseeko(file, static_cast<off_t>(orboff), SEEK_CUR);
  while (read_line_into(file, line))
    if (has(line, "/grid")) return true;
  return true;
}

void read_atom_block(FILE* file, geometry_section_t& g) {
  std::string line;
  std::vector<double> charges;
  bool any = false;
  const size_t natoms = static_cast<size_t>(g.rec.natom());
  while (read_line_into(file, line) && !has(line, "</ATOM>") && charges.size() < natoms) {
    const std::optional<double> q = key_dble_value(line, "MULLIKEN_CHARGE");
    any = any || q.has_value();
    charges.push_back(q.value_or(0.0));
  }
  if (any && charges.size() == natoms)
    for (size_t i = 0; i < natoms; ++i) set_atom_mulliken(g.rec, static_cast<int>(i), charges[i]);
}

void read_bond_block(FILE* file, geometry_section_t& g) {
  std::string line;
  g.bonds_final = true;
  while (read_line_into(file, line) && !has(line, "</BOND>")) {
    if (has(line, "AUTOMATIC")) {
      if (parse_int(line.c_str() + line.find('=') + 1) != 0) g.bonds_final = false;
      continue;
    }
    const char* p = line.c_str();
    const int a = parse_int(p, &p), b = parse_int(p, &p), type = parse_int(p, &p);
    const int n = g.rec.natom();
    if (a >= 1 && a <= n && b >= 1 && b <= n && a != b) g.rec.bond.push_back({a - 1, b - 1, type});
  }
}

// One geometry section from its first line; false at the end of the file.
bool read_section(FILE* file, geometry_section_t& g, bool& more, std::string& error) {
  std::string line;
  more = false;
  if (!read_line_into(file, line)) return false;
  if (has(line, "<BREAK>")) return false;
  const long long count = parse_long(line.c_str());
  if (count < 0 || count > bytes_left(file) / 8) {
    error = "the atom count " + std::to_string(count) + " does not fit in the file";
    return false;
  }
  const std::string comment = read_line(file);
  g.comment = std::string(trim(comment));
  atom_appender atoms(g.rec);
  for (long long a = 0; a < count; ++a) {
    if (!read_line_into(file, line)) break;
    const std::vector<std::string_view> w = split_words(line);
    std::string symbol = w.empty() ? std::string() : element_of_label(std::string(w[0]));
    if (symbol.empty()) symbol = w.empty() ? "X" : std::string(w[0]);
    vec3 p;
    for (size_t c = 0; c < 3; ++c) p[c] = c + 1 < w.size() ? parse_double(std::string(w[c + 1]).c_str()) : 0.0;
    atoms.add(symbol, p);
  }
  while (read_line_into(file, line)) {
    if (has(line, "<END>")) {
      more = true;
      return true;
    }
    if (has(line, "<ATOM>")) {
      read_atom_block(file, g);
    } else if (has(line, "<energy>")) {
      g.rec.energy = parse_double(read_line(file).c_str());
      g.rec.flags |= FLAG_ENERGY;
    } else if (has(line, "<BOND>")) {
      read_bond_block(file, g);
    } else if (has(line, "<GRID>")) {
      if (!skip_grid_section(file)) return true;
    }
  }
  return true;
}

}  // namespace

bool read_native(const std::string& path, std::vector<geometry_section_t>& geometries, std::string& error) {
  file_ptr file = open_file_ptr(path, "rb");
  if (!file) {
    error = "can't open " + path;
    return false;
  }
  geometries.clear();
  for (bool more = true; more;) {
    geometry_section_t g;
    if (!read_section(file.get(), g, more, error)) break;
    // A section after the last "<END>" that holds nothing is not a geometry.
    if (!more && g.rec.natom() == 0) break;
    geometries.push_back(std::move(g));
  }
  if (!error.empty()) return false;
  if (geometries.empty()) {
    error = path + " holds no geometry";
    return false;
  }
  return true;
}
