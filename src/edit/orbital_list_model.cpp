// The orbital list's rules without its widgets. The filter text is scanned
// from left to right: after "#:" each key letter starts a condition whose
// argument runs to the next ";" (or the end); the scan resumes after that
// argument, so letters inside an argument are never taken for keys.
#include "edit/orbital_list_model.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr size_t status_line_max = 81;
constexpr size_t subspace_summary_max = 511;

bool valid_type(int code) { return code >= 0 && code < n_orbital_types; }

// Reads "min:max"; false when either number or the colon is missing.
bool parse_interval(const std::string& arg, double& min, double& max) {
  const char* start = arg.c_str();
  char* end = nullptr;
  min = std::strtod(start, &end);
  if (end == start) return false;
  while (*end == ' ' || *end == '\t') ++end;
  if (*end != ':') return false;
  start = end + 1;
  max = std::strtod(start, &end);
  return end != start;
}

// The type code of a letter of the "i" condition, or -1.
int type_of_filter_letter(char c) {
  switch (c) {
    case 'U':
      return 0;
    case 'F':
      return 1;
    case 'I':
      return 2;
    case '1':
      return 3;
    case '2':
      return 4;
    case '3':
      return 5;
    case 'S':
      return 6;
    case 'D':
      return 7;
    default:
      return -1;
  }
}

// Builds the condition of `key` from its (non-empty) argument; false when the
// argument of an interval can't be read.
bool parse_condition(char key, const std::string& arg, orbital_condition_t& cond) {
  cond.key = key;
  if (key == 'e' || key == 'o') return parse_interval(arg, cond.min, cond.max);
  for (char c : arg) {
    if (key == 's' && c >= '0' && c <= '9') cond.symmetries[static_cast<size_t>(c - '0')] = true;
    const int type = type_of_filter_letter(c);
    if (key == 'i' && type >= 0) cond.types[static_cast<size_t>(type)] = true;
  }
  return true;
}

orbital_filter_t error_filter(const char* message) {
  orbital_filter_t f;
  f.kind = orbital_filter_t::kind_t::error;
  f.error = message;
  return f;
}

orbital_filter_t parse_conditions(const std::string& text) {
  orbital_filter_t f;
  f.kind = orbital_filter_t::kind_t::conditions;
  size_t pos = 2;
  for (;;) {
    const size_t key_pos = text.find_first_of("eosi", pos);
    if (key_pos == std::string::npos) break;
    size_t end = text.find(';', key_pos + 1);
    if (end == std::string::npos) end = text.size();
    const std::string arg = text.substr(key_pos + 1, end - key_pos - 1);
    pos = end;
    // A key without an argument sets no condition.
    if (arg.empty()) continue;
    orbital_condition_t cond;
    if (!parse_condition(text[key_pos], arg, cond)) return error_filter(filter_format_error);
    f.conditions.push_back(cond);
  }
  return f;
}

bool condition_passes(const orbital_condition_t& cond, const orbital_row_t& row) {
  switch (cond.key) {
    case 'e':
      return cond.min < row.energy && row.energy < cond.max;
    case 'o':
      return cond.min < row.occupancy && row.occupancy < cond.max;
    case 's':
      // Only one-digit symmetries can be named.
      return row.symmetry >= 0 && row.symmetry <= 9 && cond.symmetries[static_cast<size_t>(row.symmetry)];
    case 'i':
      return valid_type(row.type) && cond.types[static_cast<size_t>(row.type)];
    default:
      return true;
  }
}

}  // namespace

const char* orbital_type_description(int code) { return orbital_description[valid_type(code) ? code : 0]; }

int orbital_type_from_description(const std::string& description) {
  for (int code = 0; code < n_orbital_types; ++code)
    if (description == orbital_description[code]) return code;
  return -1;
}

int next_orbital_type(int code) { return code >= 1 && code < n_orbital_types - 1 ? code + 1 : 1; }

std::string orbital_status_line(const std::string& mark, int symmetry, int index, double energy, double occupancy,
                                const std::string& type) {
  char line[status_line_max + 1];
  std::snprintf(line, sizeof line, "%1s orbital sym: %2d index: %2d energy: %12.4f occ: %5.2f type: %s", mark.c_str(),
                symmetry, index, energy, occupancy, type.c_str());
  return line;
}

std::string subspace_summary(const mol_data_t& rec) {
  std::array<int, n_orbital_types> counts{};
  for (int g = 0; g < rec.ngrid(); ++g) {
    const auto& name = rec.grid->grid_name[static_cast<size_t>(g)];
    const int type = rec.grid->orb_type[static_cast<size_t>(g)];
    if (name && name->find("Orbital") != std::string::npos && valid_type(type)) ++counts[static_cast<size_t>(type)];
  }
  std::string text = "Subspaces:";
  for (int code = 0; code < n_orbital_types; ++code) {
    if (counts[static_cast<size_t>(code)] == 0) continue;
    char part[32];
    std::snprintf(part, sizeof part, " %s:%d;", orbital_description_short[code], counts[static_cast<size_t>(code)]);
    text += part;
  }
  if (text.size() > subspace_summary_max) text.resize(subspace_summary_max);
  return text;
}

int find_orbital_grid(const mol_data_t& rec, int symmetry, int index) {
  for (int g = 0; g < rec.ngrid(); ++g) {
    const size_t i = static_cast<size_t>(g);
    if (rec.grid->grid_kind[i] == GRID_ORBITAL && rec.grid->orb_sym[i] == symmetry && rec.grid->orb_index[i] == index)
      return g;
  }
  return -1;
}

void move_index_count(mol_data_t& rec, int old_type, int new_type) {
  if (old_type == new_type) return;
  auto& counts = rec.grid.edit().index_counts;
  const int entries = static_cast<int>(counts.size());
  if (old_type >= 0 && old_type < entries && counts[static_cast<size_t>(old_type)] > 0)
    --counts[static_cast<size_t>(old_type)];
  if (new_type >= 0 && new_type < entries) ++counts[static_cast<size_t>(new_type)];
}

int compare_symmetry(int a, int b) { return a > b ? -1 : 1; }
int compare_index(int a, int b) { return a > b ? -1 : 1; }
int compare_energy(double a, double b) { return a > b ? 1 : -1; }
int compare_occupancy(double a, double b) { return a > b ? -1 : 1; }

orbital_filter_t parse_orbital_filter(const std::string& text) {
  if (text.empty() || text[0] != '#') return error_filter(filter_format_error);
  if (text.size() > 1 && text[1] == ':') return parse_conditions(text);
  orbital_filter_t f;
  if (std::sscanf(text.c_str() + 1, "%d %d", &f.symmetry, &f.index) != 2) return error_filter(filter_format_error);
  f.kind = orbital_filter_t::kind_t::jump;
  return f;
}

bool orbital_row_passes(const orbital_filter_t& filter, const orbital_row_t& row) {
  for (const auto& cond : filter.conditions)
    if (!condition_passes(cond, row)) return false;
  return true;
}
