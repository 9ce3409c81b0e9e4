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
// read, loops end at the end of the file, and no block reads past a line
// that begins with a marker: a block cut short leaves that line for the
// section reader, so that a damaged block never swallows the next one and
// the coordinate part never reads into the next geometry. What is cut short
// is reported once per file. Positions are counted as the lines go by (a
// line source), so that a file of many small sections costs no system call
// per section.
#include "formats/native_reader.h"

#include <fast_float/fast_float.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>
#include <string_view>
#include <unordered_map>

#include "formats/grid_reader.h"
#include "formats/line_source.h"
#include "formats/text_words.h"
#include "molecule/bonding.h"
#include "molecule/decorations.h"
#include "molecule/elements.h"
#include "molecule/notify.h"

namespace {

const char msg_atoms_missing[] = "WARNING: Broken file; some atoms are missing!\n";
const char msg_displacements_missing[] = "WARNING: Broken file; some vibration displacements are missing!\n";

bool has(const std::string& line, const char* marker) { return find_nocase(line, marker) != std::string::npos; }

// A line without the white space at its ends.
std::string trimmed(const std::string& line) {
  const char* const space = " \t\r\n\v\f";
  const size_t first = line.find_first_not_of(space);
  return first == std::string::npos ? std::string() : line.substr(first, line.find_last_not_of(space) - first + 1);
}

// What reading one file shares across its sections: the warnings given so
// far (each is given once per file), and whether a geometry without a bond
// block of "AUTOMATIC = 0" is bonded automatically.
struct file_reading_t {
  bool bond_automatically = true;
  std::set<std::string> warned;
  void warn(const char* message) {
    if (warned.insert(message).second) make_warning(message);
  }
};

// One section being read: the lines, the record, the bonds of the record
// by atom pair (made when the first bond block comes), and where its
// comment line goes (when anywhere).
struct section_reading_t {
  line_source& in;
  mol_data_t& rec;
  file_reading_t& file;
  std::unique_ptr<bond_index_t> bonds;
  std::string* comment = nullptr;
};

// The next line of a block; false at the end of the file or at a line that
// belongs to the section rather than to the block: one holding "<END>", or
// (unless `free_text`) one that begins with a marker. That line is put back
// for the section reader.
bool next_block_line(line_source& in, std::string& line, bool free_text = false) {
  if (!in.next(line)) return false;
  if (has(line, "<end>") || (!free_text && is_marker_line(line))) {
    in.put_back(std::move(line));
    line.clear();
    return false;
  }
  return true;
}

// The next line of a block, or an empty one where the block is cut short.
std::string block_line(line_source& in, bool free_text = false) {
  std::string line;
  return next_block_line(in, line, free_text) ? line : std::string();
}

// The end of the word that starts at `p`: the first blank or line end
// outside quotes.
const char* word_end(const char* p) {
  bool quoted = false;
  for (; *p; ++p) {
    if (*p == '"')
      quoted = !quoted;
    else if (!quoted && (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r'))
      break;
  }
  return p;
}

// The first four words of a line (null where the line has fewer), found in
// one pass.
void split_words(const char* line, const char* (&words)[4]) {
  const char* p = line;
  for (const char*& w : words) {
    w = get_ptr_ith_word(p, 1);
    p = w;
    if (w) p = word_end(w);
  }
}

// The text of the first word as written (quotes included), up to the second
// word or the line's end.
std::string_view first_word_text(const char* first, const char* second) {
  if (!first) return std::string_view();
  const char* end = second ? second : first + std::strlen(first);
  while (end > first && (end[-1] == ' ' || end[-1] == '\t' || end[-1] == '\n' || end[-1] == '\r')) --end;
  return std::string_view(first, static_cast<size_t>(end - first));
}

// A word as a real; 0 when absent or not a number.
double word_value(const char* word) { return word ? parse_double(word) : 0.0; }

bool ends_word(const char* p, const char* end) {
  return p == end || *p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\0';
}

// Three plain decimal numbers from `p` (the start of the first), each
// filling its word, read where they stand: an atom line's coordinates
// without finding its words first. False for anything else (a word missing,
// or one that is not such a number), which is then read word by word.
bool plain_point(const char* p, const char* end, vec3& point) {
  for (int axis = 0; axis < 3; ++axis) {
    while (p < end && (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r')) ++p;
    if (p == end) return false;
    const fast_float::from_chars_result r = fast_float::from_chars(p, end, point[axis]);
    if (r.ec != std::errc() || !ends_word(r.ptr, end)) return false;
    p = r.ptr;
  }
  return true;
}

// The same for a word of a line that ends at `end`. A plain decimal number
// that fills its word is read by fast_float, which rounds as strtod does;
// anything else (a sign "+", hexadecimal, a word the number does not fill)
// by the C conversion.
double word_value(const char* word, const char* end) {
  if (!word) return 0.0;
  double v;
  const fast_float::from_chars_result r = fast_float::from_chars(word, end, v);
  if (r.ec == std::errc() && ends_word(r.ptr, end)) return v;
  return parse_double(word);
}

// Whether a word is a whole number (nothing but blanks after it).
bool is_number(const char* word) {
  if (!word) return false;
  const char* end;
  parse_double(word, &end);
  return end != word && (*end == '\0' || *end == ' ' || *end == '\t' || *end == '\n' || *end == '\r');
}

// The first three words of a line as a point.
vec3 point_of_line(const char* line) {
  const char* words[4];
  split_words(line, words);
  return {word_value(words[0]), word_value(words[1]), word_value(words[2])};
}

// The next line as a point (three reals); 0 where numbers are missing.
vec3 read_point(line_source& in) { return point_of_line(block_line(in).c_str()); }

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

// One line of the atom block. The name is read first; its value is then
// blanked out, so that a name holding the text of a key ("RED_1",
// "MULLIKEN_CHARGE") is never taken for that key.
void read_atom_line(mol_data_t& rec, int k, std::string line) {
  if (const size_t at = find_key(line, "NAME"); at != std::string::npos) {
    const char* end = nullptr;
    if (auto name = my_read_str_value(line.c_str() + at, &end)) {
      set_atom_name(rec, k, *name);
      std::fill(line.begin() + static_cast<std::ptrdiff_t>(at), line.begin() + (end - line.c_str()), ' ');
    }
  }
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

void read_additional_atom_block(section_reading_t& s) {
  std::string line;
  for (int k = 0; k < s.rec.natom(); ++k) {
    if (!next_block_line(s.in, line) || has(line, "</atom>")) return;
    read_atom_line(s.rec, k, std::move(line));
  }
  // The closing line after the last atom line.
  if (next_block_line(s.in, line) && !has(line, "</atom>")) s.in.put_back(std::move(line));
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

void read_bond_block(section_reading_t& s) {
  std::string line;
  if (!next_block_line(s.in, line)) return;
  if (const size_t at = find_nocase(line, "AUTOMATIC"); at != std::string::npos) {
    const char* key = line.c_str() + at;
    if (std::strchr(key, '=') && my_read_int_value(key) == 0) should_bonding_be_determined = 0;
    if (!next_block_line(s.in, line)) return;
  }
  if (!s.bonds) s.bonds = std::make_unique<bond_index_t>(s.rec);
  // A block without its AUTOMATIC line keeps its first line as a bond.
  do {
    if (has(line, "</bond>")) return;
    bond_t b;
    if (parse_bond_line(line, s.rec.natom(), b)) s.bonds->add(b.a1, b.a2, b.type);
  } while (next_block_line(s.in, line));
}

void read_dipole_block(section_reading_t& s) {
  s.rec.dipole = read_point(s.in);
  s.rec.flags |= FLAG_DIPOLE;
}

// One block of a decoration group: a key line with the colour and the
// group's reals, then one line per point.
void read_decoration_block(section_reading_t& s, const decoration_group_t& g) {
  const std::string keys = block_line(s.in);
  const size_t k = static_cast<size_t>(add_decoration(s.rec, g, {}));
  decoration_data_t& d = s.rec.deco.edit();
  read_color_keys(keys, (d.*g.colors)[k]);
  for (const decoration_real_t& r : g.reals) set_double(keys, r.key, (d.*r.values)[k]);
  for (auto points : g.points) (d.*points)[k] = read_point(s.in);
}

// A text line without its line end; null when empty. The font and the text
// of a text box are free text: only "<END>" cuts them short.
std::optional<std::string> text_line(line_source& in) {
  std::string line = block_line(in, true);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  if (line.empty()) return std::nullopt;
  return line;
}

void read_textbox_block(section_reading_t& s) {
  const std::string keys = block_line(s.in);
  allocate_textbox(s.rec);
  textbox_t& box = s.rec.deco.edit().textbox.back();
  textbox_set_dfault_values(s.rec, s.rec.ntextbox() - 1);
  box.y = 0;
  read_color_keys(keys, box.color, false);
  // X and Y are the first "x" and "y" of the line, in any letter case.
  if (auto x = key_int_value(keys, "x")) box.x = *x;
  if (auto y = key_int_value(keys, "y")) box.y = *y;
  box.font = text_line(s.in);
  box.text = text_line(s.in);
}

// One mode: a key line, then one displacement per atom. A mode cut short
// keeps the displacements it has (the atoms after them do not move in it)
// and is reported; the next block stays whole.
void read_vibration_block(section_reading_t& s) {
  const std::string keys = block_line(s.in);
  vibration_data_t& vib = s.rec.vib.edit();
  vib.freq.push_back(0.0);
  vib.ir_intensity.push_back(0.0);
  vib.raman_intensity.push_back(0.0);
  vib.normal_mode.emplace_back();
  const size_t v = last(s.rec.nvibr());
  set_double(keys, "FREQ", vib.freq[v]);
  if (auto ir = key_dble_value(keys, "IR_INT")) {
    vib.ir_intensity[v] = *ir;
    s.rec.flags |= FLAG_IR;
  }
  if (auto raman = key_dble_value(keys, "RAMAN_INT")) {
    vib.raman_intensity[v] = *raman;
    s.rec.flags |= FLAG_RAMAN;
  }
  std::vector<vec3>& mode = vib.normal_mode[v];
  std::string line;
  while (mode.size() < s.rec.xyz.size() && next_block_line(s.in, line)) mode.push_back(point_of_line(line.c_str()));
  if (mode.size() < s.rec.xyz.size()) s.file.warn(msg_displacements_missing);
}

void read_editable_block(section_reading_t& s) {
  const std::string line = block_line(s.in);
  if (has(line, "yes"))
    s.rec.editable = 1;
  else if (has(line, "no"))
    s.rec.editable = 0;
}

void read_write_block(section_reading_t& s) {
  std::string line = block_line(s.in, true);
  if (!line.empty() && line.back() == '\n') line.pop_back();
  notifier().status(StatusBar::lower, line);
}

double read_real_line(section_reading_t& s) { return parse_double(block_line(s.in).c_str()); }

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
bool read_block(section_reading_t& s, const std::string& line) {
  mol_data_t& rec = s.rec;
  if (has(line, "<atom>")) {
    read_additional_atom_block(s);
  } else if (has(line, "<energy>")) {
    rec.energy = read_real_line(s);
    rec.flags |= FLAG_ENERGY;
  } else if (has(line, "<rms_grad>")) {
    rec.rms_grad = read_real_line(s);
    rec.flags |= FLAG_RMS_GRAD;
  } else if (has(line, "<max_grad>")) {
    rec.max_grad = read_real_line(s);
    rec.flags |= FLAG_MAX_GRAD;
  } else if (has(line, "<bond>")) {
    read_bond_block(s);
  } else if (has(line, "<dipole>")) {
    read_dipole_block(s);
  } else if (const decoration_group_t* g = decoration_block(line)) {
    read_decoration_block(s, *g);
  } else if (has(line, "<textbox>")) {
    read_textbox_block(s);
  } else if (has(line, "<grid>")) {
    read_grid_block(s.in, rec);
  } else if (has(line, "<vibration>")) {
    read_vibration_block(s);
  } else if (has(line, "<editable>")) {
    read_editable_block(s);
  } else if (has(line, "<sleep>")) {
    block_line(s.in);
  } else if (has(line, "<write>")) {
    read_write_block(s);
  } else if (has(line, "<end>")) {
    return false;
  }
  return true;
}

// Skips the binary data of a grid section during the scan for geometry
// starts: the ORBOFF value is the eighth line after the "<GRID>" line, and
// the data follow the next line holding "density" that is not a grid name
// line (a grid may be named "Density"), as the grid reader takes them.
// Lines that end a section before that are left for the scan.
void skip_grid_data(line_source& in) {
  std::string line;
  long long orboff = 0;
  for (long long k = 0;; ++k) {
    if (!in.next(line)) return;
    if (has(line, "<END>") || has(line, "<BREAK>") || (k >= 8 && has(line, "/grid"))) {
      in.put_back(std::move(line));
      return;
    }
    if (k == 7) {
      const char* eq = std::strchr(line.c_str(), '=');
      orboff = eq ? parse_long(eq + 1) : 0;
    } else if (k >= 8 && has(line, "density") && !has(line, "GridName")) {
      break;
    }
  }
  if (orboff > 0) in.seek(in.tell() + std::min<long long>(orboff, in.bytes_left()));
}

// Whether a line looks like an atom line: a symbol and three numbers.
bool looks_like_atom_line(const std::string& line) {
  const char* words[4];
  split_words(line.c_str(), words);
  return words[0] && !is_number(words[0]) && is_number(words[1]) && is_number(words[2]) && is_number(words[3]);
}

std::vector<int64_t> read_geo_positions(line_source& in) {
  std::vector<int64_t> starts(1, in.tell());
  bool last_was_end = false;
  std::string line;
  while (in.next(line)) {
    // Every marker begins with "<": a line without one is no marker.
    if (!std::memchr(line.data(), '<', line.size())) {
      last_was_end = false;
      continue;
    }
    if (has(line, "<BREAK>")) break;
    last_was_end = has(line, "<END>");
    if (last_was_end) starts.push_back(in.tell());
    if (has(line, "<GRID>")) skip_grid_data(in);
  }
  if (last_was_end && starts.size() > 1) starts.pop_back();
  return starts;
}

// The atom count, the comment and up to that many atom lines; a line that
// begins with a marker or holds "<END>" ends the atoms early.
void read_coord_block(section_reading_t& s) {
  std::string line;
  // A section that is only its "<END>" line (or begins with a block) has
  // no atoms, and no comment either.
  if (!s.in.next(line)) return;
  if (has(line, "<END>") || is_marker_line(line)) {
    s.in.put_back(std::move(line));
    return;
  }
  const int n = parse_int(line.c_str());
  if (s.in.next(line)) {
    if (has(line, "<END>"))
      s.in.put_back(std::move(line));
    else if (s.comment)
      *s.comment = trimmed(line);
  }
  // Every atom line holds at least a symbol and a line end, so the rest of
  // the file bounds what the count may reserve.
  const long long most = s.in.bytes_left() / 2;
  std::vector<vec3> points;
  std::vector<uint32_t> which;  // each atom's symbol, as an index into `symbols`
  std::vector<std::string> symbols;
  std::unordered_map<std::string, uint32_t> seen;
  const size_t reserve = static_cast<size_t>(std::max(0LL, std::min<long long>(n, most)));
  std::string last_raw;
  uint32_t last_kind = 0;
  std::vector<std::pair<std::string, uint32_t>> recent;  // symbols as written, and their kinds
  points.reserve(reserve);
  which.reserve(reserve);
  for (int k = 0; k < n; ++k) {
    if (!s.in.next(line)) break;
    // Only a line with "<" can hold a marker: the test costs atom lines
    // nothing.
    if (std::memchr(line.data(), '<', line.size()) && (has(line, "<END>") || is_marker_line(line))) {
      s.in.put_back(std::move(line));
      break;
    }
    // The symbol's word, then the coordinates read where they stand, or
    // word by word when they are not plain numbers.
    const char* const end = line.data() + line.size();
    const char* words[4];
    words[0] = get_ptr_ith_word(line.c_str(), 1);
    words[1] = words[0] ? get_ptr_ith_word(word_end(words[0]), 1) : nullptr;
    vec3 point;
    if (!words[1] || !plain_point(words[1], end, point)) {
      split_words(line.c_str(), words);
      point = {word_value(words[1], end), word_value(words[2], end), word_value(words[3], end)};
    }
    // Atoms of one element come in runs, and a molecule has few elements: a
    // symbol written as the one before, or as one of the first few written,
    // is that one, without a copy or a lookup.
    const std::string_view raw = first_word_text(words[0], words[1]);
    if (which.empty() || raw != last_raw) {
      const auto known = std::find_if(recent.begin(), recent.end(), [&](const auto& r) { return r.first == raw; });
      if (known != recent.end()) {
        last_kind = known->second;
      } else {
        auto it = seen.try_emplace(get_one_word(words[0]), static_cast<uint32_t>(symbols.size())).first;
        if (it->second == symbols.size()) symbols.push_back(it->first);
        last_kind = it->second;
        if (recent.size() < 8) recent.emplace_back(std::string(raw), last_kind);
      }
      last_raw.assign(raw);
    }
    which.push_back(last_kind);
    points.push_back(point);
  }
  const int read = static_cast<int>(points.size());
  // A count far above the atoms read reserved room that is not needed.
  if (points.size() < points.capacity() / 2) {
    points.shrink_to_fit();
    which.shrink_to_fit();
  }
  // The record is fresh: the coordinates and each atom's kind are all its
  // atoms have.
  s.rec.xyz = std::move(points);
  set_atom_symbols(s.rec, symbols, std::move(which));
  if (read < n) {
    s.file.warn(msg_atoms_missing);
  } else if (s.in.next(line)) {
    // More atom lines than the count says: they are not read, but said.
    if (looks_like_atom_line(line)) s.file.warn(msg_atoms_missing);
    s.in.put_back(std::move(line));
  }
}

// Reads the section that starts at `start` into `rec`; its comment line
// goes to `comment` when that is given.
void read_section(line_source& in, int64_t start, mol_data_t& rec, file_reading_t& file,
                  std::string* comment = nullptr) {
  should_bonding_be_determined = 1;
  in.seek(start);
  section_reading_t s{in, rec, file, nullptr, comment};
  read_coord_block(s);
  for (std::string line; in.next(line);)
    if (!read_block(s, line)) break;
  s.bonds.reset();
  if (should_bonding_be_determined && file.bond_automatically) determine_bonding(rec);
}

}  // namespace

bool is_marker_line(const std::string& line) {
  static const char* const markers[] = {"atom",     "energy", "rms_grad", "max_grad", "bond",    "dipole",  "vector",
                                        "triangle", "sphere", "surface",  "cell",     "textbox", "grid",    "vibration",
                                        "editable", "sleep",  "write",    "end",      "break",   "density", "basis"};
  size_t p = line.find_first_not_of(" \t");
  if (p == std::string::npos || line[p] != '<') return false;
  ++p;
  if (p < line.size() && line[p] == '/') ++p;
  const size_t close = line.find('>', p);
  if (close == std::string::npos) return false;
  const std::string word = line.substr(p, close - p);
  for (const char* marker : markers)
    if (word.size() == std::strlen(marker) && find_nocase(word, marker) == 0) return true;
  return false;
}

void parse_zev_file(FILE* file) {
  deallocate_mol_data();
  line_source in(file);
  const std::vector<int64_t> starts = read_geo_positions(in);
  new_mol(static_cast<int>(starts.size()));
  geo_file_position = starts;
  file_reading_t reading;
  for (size_t i = 0; i < starts.size(); ++i) read_section(in, starts[i], mol[i], reading);
  // The stream stands where reading stopped (undo reads on from there).
  in.raw();
  notifier().atom_list(AtomListChange::refilled, -1);
}

void visit_geometry_sections(FILE* file, const std::function<void(size_t, const mol_data_t&)>& visit) {
  // Reading a grid section makes its last grid current: the open file's
  // current grid stays.
  const int current = iorb;
  line_source in(file);
  const std::vector<int64_t> starts = read_geo_positions(in);
  file_reading_t reading;
  reading.bond_automatically = false;
  for (size_t i = 0; i < starts.size(); ++i) {
    mol_data_t rec;
    read_section(in, starts[i], rec, reading);
    visit(i, rec);
  }
  should_bonding_be_determined = 1;
  iorb = current;
}

std::vector<geometry_section_t> read_geometry_sections(FILE* file) {
  line_source in(file);
  const std::vector<int64_t> starts = read_geo_positions(in);
  std::vector<geometry_section_t> sections(starts.size());
  file_reading_t reading;
  reading.bond_automatically = false;
  for (size_t i = 0; i < starts.size(); ++i) {
    read_section(in, starts[i], sections[i].rec, reading, &sections[i].comment);
    sections[i].bonds_final = should_bonding_be_determined == 0;
  }
  should_bonding_be_determined = 1;
  return sections;
}
