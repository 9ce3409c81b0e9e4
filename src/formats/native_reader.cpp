// Reader of the native format.
//
// A file is a sequence of geometry sections. A first pass over the lines
// records where each section starts (every line holding "<END>" starts the
// next one; "<BREAK>" ends the list; binary grid data are skipped by their
// byte length). Then each section is read into its record: the coordinate
// part, then blocks found by markers anywhere in a line, in any letter case,
// until the section's "<END>" line.
//
// Nothing the file claims is trusted: atoms are added as their lines are
// read, loops end at the end of the file, and block readers that read until
// a closing line also stop at the "<END>" of their section.
#include "formats/native_reader.h"

#include <sys/types.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <unordered_map>

#include "formats/grid_reader.h"
#include "formats/safe_file.h"
#include "formats/text_words.h"
#include "molecule/bonding.h"
#include "molecule/decorations.h"
#include "molecule/elements.h"
#include "molecule/notify.h"

namespace {

bool has(const std::string& line, const char* marker) { return find_nocase(line, marker) != std::string::npos; }

// Puts a line back so that the next read returns it again.
void unread_line(FILE* file, const std::string& line) { fseeko(file, -static_cast<off_t>(line.size()), SEEK_CUR); }

// Reads the next line of a block; false at the end of the file or at the
// "<END>" of the section, which is left for the section reader.
bool next_block_line(FILE* file, std::string& line) {
  line = read_line(file);
  if (line.empty()) return false;
  if (has(line, "<end>")) {
    unread_line(file, line);
    return false;
  }
  return true;
}

// The next line a block reads; a block cut short by the "<END>" of its
// section gets an empty line and leaves "<END>" for the section reader.
std::string block_line(FILE* file) {
  std::string line;
  return next_block_line(file, line) ? line : std::string();
}

// The first four words of a line (null where the line has fewer), found in
// one pass.
void split_words(const char* line, const char* (&words)[4]) {
  const char* p = line;
  for (const char*& w : words) {
    w = get_ptr_ith_word(p, 1);
    p = w;
    if (!w) continue;
    bool quoted = false;
    for (; *p; ++p) {
      if (*p == '"')
        quoted = !quoted;
      else if (!quoted && (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r'))
        break;
    }
  }
}

// A word as a real; 0 when absent or not a number.
double word_value(const char* word) { return word ? parse_double(word) : 0.0; }

// The first three words of a line as a point.
vec3 point_of_line(const char* line) {
  const char* words[4];
  split_words(line, words);
  return {word_value(words[0]), word_value(words[1]), word_value(words[2])};
}

// The next line as a point (three reals); 0 where numbers are missing.
vec3 read_point(FILE* file) { return point_of_line(block_line(file).c_str()); }

void set_float(const std::string& line, const char* key, float& field) {
  if (auto v = key_dble_value(line, key)) field = narrow_to_float(*v);
}

void set_double(const std::string& line, const char* key, double& field) {
  if (auto v = key_dble_value(line, key)) field = *v;
}

// RED, GREEN, BLUE and (unless null) TRANSPARENCY of a key line.
void read_color_keys(const std::string& line, color_t& c, bool with_alpha = true) {
  set_float(line, "RED", c.red);
  set_float(line, "GREEN", c.green);
  set_float(line, "BLUE", c.blue);
  if (with_alpha) set_float(line, "TRANSPARENCY", c.alpha);
}

size_t last(int count) { return static_cast<size_t>(count - 1); }

void read_additional_atom_block(FILE* file, mol_data_t& rec) {
  std::string line;
  for (int k = 0; k < rec.natom(); ++k) {
    if (!next_block_line(file, line) || has(line, "</atom>")) return;
    if (auto name = key_str_value(line, "NAME")) set_atom_name(rec, k, *name);
    if (auto v = key_dble_value(line, "MULLIKEN_CHARGE")) set_atom_mulliken(rec, k, *v);
    if (auto v = key_dble_value(line, "LOPROP_CHARGE")) set_atom_loprop(rec, k, *v);
    if (auto v = key_int_value(line, "NUMBER")) set_atom_number(rec, k, *v);
    if (auto v = key_int_value(line, "SYMMETRY")) set_atom_symmetry(rec, k, *v);
    if (has(line, "RED") || has(line, "GREEN") || has(line, "BLUE")) {
      color_t c = atom_color(rec, k);
      read_color_keys(line, c, false);
      set_atom_color(rec, k, c);
      rec.flags |= FLAG_ATOM_COLORS;
    }
  }
  // The closing line after the last atom line.
  if (next_block_line(file, line) && !has(line, "</atom>")) unread_line(file, line);
}

// One bond line: atom numbers from 1 and a type; false when it is not one.
bool parse_bond_line(const std::string& line, int natom, bond_t& b) {
  const char* p = line.c_str();
  const char* end;
  long long v[3];
  for (long long& x : v) {
    x = parse_long(p, &end);
    if (end == p) return false;
    p = end;
  }
  if (v[0] < 1 || v[0] > natom || v[1] < 1 || v[1] > natom) return false;
  if (v[2] < NO_BOND || v[2] > LINE_BOND) return false;
  b = {static_cast<int>(v[0] - 1), static_cast<int>(v[1] - 1), static_cast<int>(v[2])};
  return true;
}

void read_bond_block(FILE* file, mol_data_t& rec) {
  std::string line;
  if (!next_block_line(file, line)) return;
  if (const size_t at = find_nocase(line, "AUTOMATIC"); at != std::string::npos) {
    const char* key = line.c_str() + at;
    if (std::strchr(key, '=') && my_read_int_value(key) == 0) should_bonding_be_determined = 0;
    if (!next_block_line(file, line)) return;
  }
  // A block without its AUTOMATIC line keeps its first line as a bond.
  do {
    if (has(line, "</bond>")) return;
    bond_t b;
    if (parse_bond_line(line, rec.natom(), b)) add_bond(rec, b.a1, b.a2, b.type);
  } while (next_block_line(file, line));
}

void read_dipole_block(FILE* file, mol_data_t& rec) {
  rec.dipole = read_point(file);
  rec.flags |= FLAG_DIPOLE;
}

// One block of a decoration group: a key line with the colour and the
// group's reals, then one line per point.
void read_decoration_block(FILE* file, mol_data_t& rec, const decoration_group_t& g) {
  const std::string keys = block_line(file);
  const size_t k = static_cast<size_t>(add_decoration(rec, g, {}));
  decoration_data_t& d = rec.deco.edit();
  read_color_keys(keys, (d.*g.colors)[k]);
  for (const decoration_real_t& r : g.reals) set_double(keys, r.key, (d.*r.values)[k]);
  for (auto points : g.points) (d.*points)[k] = read_point(file);
}

// A text line without its line end; null when empty.
std::optional<std::string> text_line(FILE* file) {
  std::string line = block_line(file);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  if (line.empty()) return std::nullopt;
  return line;
}

void read_textbox_block(FILE* file, mol_data_t& rec) {
  const std::string keys = block_line(file);
  allocate_textbox(rec);
  textbox_t& box = rec.deco.edit().textbox.back();
  textbox_set_dfault_values(rec, rec.ntextbox() - 1);
  box.y = 0;
  read_color_keys(keys, box.color, false);
  // X and Y are the first "x" and "y" of the line, in any letter case.
  if (auto x = key_int_value(keys, "x")) box.x = *x;
  if (auto y = key_int_value(keys, "y")) box.y = *y;
  box.font = text_line(file);
  box.text = text_line(file);
}

void read_vibration_block(FILE* file, mol_data_t& rec) {
  const std::string keys = block_line(file);
  allocate_vibs(rec, rec.nvibr() + 1);
  const size_t v = last(rec.nvibr());
  vibration_data_t& vib = rec.vib.edit();
  set_double(keys, "FREQ", vib.freq[v]);
  if (auto ir = key_dble_value(keys, "IR_INT")) {
    vib.ir_intensity[v] = *ir;
    rec.flags |= FLAG_IR;
  }
  if (auto raman = key_dble_value(keys, "RAMAN_INT")) {
    vib.raman_intensity[v] = *raman;
    rec.flags |= FLAG_RAMAN;
  }
  std::vector<vec3>& mode = vib.normal_mode[v];
  for (vec3& d : mode) {
    const std::string line = block_line(file);
    if (line.empty()) break;
    d = point_of_line(line.c_str());
  }
}

void read_editable_block(FILE* file, mol_data_t& rec) {
  const std::string line = block_line(file);
  if (has(line, "yes"))
    rec.editable = 1;
  else if (has(line, "no"))
    rec.editable = 0;
}

void read_write_block(FILE* file) {
  std::string line = block_line(file);
  if (!line.empty() && line.back() == '\n') line.pop_back();
  notifier().status(StatusBar::lower, line);
}

double read_real_line(FILE* file) { return parse_double(block_line(file).c_str()); }

// The decoration group whose opening marker the line holds (the first in
// the groups' order), or null.
const decoration_group_t* decoration_block(const std::string& line) {
  static const auto markers = [] {
    std::array<std::string, N_DECORATION_GROUPS> m;
    for (size_t g = 0; g < m.size(); ++g) m[g] = "<" + std::string(decoration_groups[g].marker) + ">";
    return m;
  }();
  for (size_t g = 0; g < markers.size(); ++g)
    if (has(line, markers[g].c_str())) return &decoration_groups[g];
  return nullptr;
}

// Dispatches one line of a section on the first marker it holds; false at
// the section's "<END>".
bool read_block(FILE* file, const std::string& line, mol_data_t& rec) {
  if (has(line, "<atom>")) {
    read_additional_atom_block(file, rec);
  } else if (has(line, "<energy>")) {
    rec.energy = read_real_line(file);
    rec.flags |= FLAG_ENERGY;
  } else if (has(line, "<rms_grad>")) {
    rec.rms_grad = read_real_line(file);
    rec.flags |= FLAG_RMS_GRAD;
  } else if (has(line, "<max_grad>")) {
    rec.max_grad = read_real_line(file);
    rec.flags |= FLAG_MAX_GRAD;
  } else if (has(line, "<bond>")) {
    read_bond_block(file, rec);
  } else if (has(line, "<dipole>")) {
    read_dipole_block(file, rec);
  } else if (const decoration_group_t* g = decoration_block(line)) {
    read_decoration_block(file, rec, *g);
  } else if (has(line, "<textbox>")) {
    read_textbox_block(file, rec);
  } else if (has(line, "<grid>")) {
    read_grid_block(file, rec);
  } else if (has(line, "<vibration>")) {
    read_vibration_block(file, rec);
  } else if (has(line, "<editable>")) {
    read_editable_block(file, rec);
  } else if (has(line, "<sleep>")) {
    block_line(file);
  } else if (has(line, "<write>")) {
    read_write_block(file);
  } else if (has(line, "<end>")) {
    return false;
  }
  return true;
}

// Skips the binary data of a grid section during the scan for geometry
// starts: the ORBOFF value is the eighth line after the "<GRID>" line, one
// name line per grid follows (a grid may be named "Density"), and the data
// follow the next line holding "density". Lines that end a section before
// that are left for the scan.
void skip_grid_data(FILE* file) {
  std::string line;
  long long orboff = 0, names = 0;
  for (long long k = 0;; ++k) {
    line = read_line(file);
    if (line.empty()) return;
    if (has(line, "<END>") || has(line, "<BREAK>") || (k >= 8 && has(line, "/grid"))) {
      unread_line(file, line);
      return;
    }
    if (k == 0) {
      names = key_int_value(line, "N_of_Grids").value_or(0);
    } else if (k == 7) {
      const char* eq = std::strchr(line.c_str(), '=');
      orboff = eq ? parse_long(eq + 1) : 0;
    } else if (k >= 8 + names && has(line, "density")) {
      break;
    }
  }
  if (orboff > 0) fseeko(file, static_cast<off_t>(orboff), SEEK_CUR);
}

}  // namespace

int read_geo_positions(FILE* file) {
  geo_file_position.assign(1, static_cast<int64_t>(ftello(file)));
  bool last_was_end = false;
  std::string line;
  while (read_line_into(file, line)) {
    if (has(line, "<BREAK>")) break;
    last_was_end = has(line, "<END>");
    if (last_was_end) geo_file_position.push_back(static_cast<int64_t>(ftello(file)));
    if (has(line, "<GRID>")) skip_grid_data(file);
  }
  if (last_was_end && geo_file_position.size() > 1) geo_file_position.pop_back();
  return static_cast<int>(geo_file_position.size());
}

void read_coord_block(FILE* file, mol_data_t& rec) {
  const int n = parse_int(read_line(file).c_str());
  read_line(file);  // comment
  // Every atom line holds at least a symbol and a line end, so the rest of
  // the file bounds what the count may reserve.
  const long long most = bytes_left(file) / 2;
  std::vector<vec3> points;
  std::vector<uint32_t> which;  // each atom's symbol, as an index into `symbols`
  std::vector<std::string> symbols;
  std::unordered_map<std::string, uint32_t> seen;
  const size_t reserve = static_cast<size_t>(std::max(0LL, std::min<long long>(n, most)));
  points.reserve(reserve);
  which.reserve(reserve);
  std::string line;
  for (int k = 0; k < n; ++k) {
    if (!read_line_into(file, line)) break;
    const char* words[4];
    split_words(line.c_str(), words);
    auto it = seen.try_emplace(get_one_word(words[0]), static_cast<uint32_t>(symbols.size())).first;
    if (it->second == symbols.size()) symbols.push_back(it->first);
    which.push_back(it->second);
    points.push_back({word_value(words[1]), word_value(words[2]), word_value(words[3])});
  }
  const int read = static_cast<int>(points.size());
  rec.xyz = std::move(points);
  allocate_atoms(rec, read);
  set_atom_symbols(rec, symbols, which);
  if (read < n) make_warning("WARNING: Broken file; some atoms are missing!\n");
}

void read_section(FILE* file, int i, mol_data_t& rec) {
  if (i < 0 || i >= n_geometries() || static_cast<size_t>(i) >= geo_file_position.size()) return;
  fseeko(file, static_cast<off_t>(geo_file_position[static_cast<size_t>(i)]), SEEK_SET);
  read_coord_block(file, rec);
  for (std::string line = read_line(file); !line.empty(); line = read_line(file))
    if (!read_block(file, line, rec)) break;
  if (should_bonding_be_determined) determine_bonding(rec);
}

void parse_zev_file(FILE* file) {
  deallocate_mol_data();
  const int n = read_geo_positions(file);
  const std::vector<int64_t> starts = geo_file_position;
  new_mol(n);
  geo_file_position = starts;
  for (int i = 0; i < n; ++i) {
    should_bonding_be_determined = 1;
    read_section(file, i, mol[static_cast<size_t>(i)]);
  }
  notifier().atom_list(AtomListChange::refilled, -1);
}
