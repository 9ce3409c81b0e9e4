// The embedded orbital file: the line holding "INPORB", a counts line (the
// number of symmetries in columns 1 to 8, then one 8-column field per
// symmetry), free lines up to "#INDEX", then per symmetry a "* 1234567890"
// line and lines of a digit, a blank and up to ten type letters.
#include "formats/orbital_file.h"

#include <sys/types.h>

#include <algorithm>
#include <cctype>

#include "formats/grid_reader.h"
#include "formats/line_source.h"
#include "formats/text_words.h"

namespace {

// The words that end the grid section (or the geometry) an orbital file
// belongs to, in any letter case, and the one that ends the file's head.
constexpr const char* grid_section_ends[] = {"/grid", "<END>"};
constexpr const char* head_end = "#INDEX";

// Whether a line ends the grid section the orbital file belongs to:
// nothing after it is part of that orbital file.
bool ends_grid_section(const std::string& line) {
  for (const char* word : grid_section_ends)
    if (find_nocase(line, word) != std::string::npos) return true;
  return false;
}

// The next line of the orbital file, or false at its end.
bool orbital_file_line(line_source& in, std::string& line) {
  if (!in.next(line)) return false;
  if (!ends_grid_section(line)) return true;
  in.put_back(std::move(line));
  return false;
}

bool starts_with_digit(const std::string& line) {
  return !line.empty() && std::isdigit(static_cast<unsigned char>(line[0]));
}

// The counts line. Files written for readers that take at most eight
// symmetries list only the first eight counts; a symmetry without a field
// (or with a field that holds no digit) has no count, and its letters are
// counted in its block.
class counts_line {
 public:
  explicit counts_line(const std::string& text) : text_(text) {
    while (!text_.empty() && (text_.back() == '\n' || text_.back() == '\r')) text_.pop_back();
  }
  int symmetries() const { return std::max(0, field(0).value_or(0)); }
  // Orbitals of symmetry s (from 0), or -1 when the line gives none.
  int orbitals(int s) const {
    const std::optional<int> f = field(static_cast<size_t>(s) + 1);
    return f ? std::max(0, *f) : -1;
  }

 private:
  std::optional<int> field(size_t k) const {
    if (k * 8 >= text_.size()) return std::nullopt;
    const std::string f = text_.substr(k * 8, 8);
    if (std::none_of(f.begin(), f.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
      return std::nullopt;
    return parse_int(f.c_str());
  }
  std::string text_;
};

// Reads the block of one symmetry: its "* 1234567890" line (when there is
// one), then every line that starts with a digit; the letters beyond
// `count` (when it is not -1) are dropped rather than given to the next
// symmetry. False when neither comes next (the file has no further block).
bool read_symmetry_block(line_source& in, int count, std::string& letters) {
  std::string line;
  bool any = false;
  if (orbital_file_line(in, line)) {
    if (!line.empty() && line[0] == '*')
      any = true;
    else
      in.put_back(std::move(line));
  }
  while (orbital_file_line(in, line)) {
    if (!starts_with_digit(line)) {
      in.put_back(std::move(line));
      break;
    }
    any = true;
    size_t end = line.size();
    while (end > 2 && std::isspace(static_cast<unsigned char>(line[end - 1]))) --end;
    if (end > 2) letters.append(line, 2, end - 2);
  }
  if (count >= 0 && letters.size() > static_cast<size_t>(count)) letters.resize(static_cast<size_t>(count));
  return any;
}

}  // namespace

orbital_file_t new_orbital_file(const std::string& info, const std::vector<int>& orbitals_per_symmetry) {
  orbital_file_t f;
  char field[16];
  f.head = "#INPORB 2.2\n";
  std::snprintf(field, sizeof field, "%8d", static_cast<int>(orbitals_per_symmetry.size()));
  f.head += field;
  for (int n : orbitals_per_symmetry) {
    std::snprintf(field, sizeof field, "%8d", n);
    f.head += field;
    f.letters.emplace_back(static_cast<size_t>(std::max(n, 0)), 'u');
  }
  f.head += "\n#INFO\n* " + orbital_file_free_line(info) + "\n#INDEX\n";
  return f;
}

std::string orbital_file_free_line(const std::string& text) {
  std::string line = single_line(text);
  std::replace(line.begin(), line.end(), '\0', ' ');
  for (const char* word : grid_section_ends)
    for (size_t at = find_nocase(line, word); at != std::string::npos; at = find_nocase(line, word, at + 1))
      line[at] = ' ';
  for (size_t at = line.find(head_end); at != std::string::npos; at = line.find(head_end, at + 1)) line[at] = ' ';
  return line;
}

std::optional<orbital_file_t> read_orbital_file(FILE* source, const mol_data_t& rec) {
  if (!source ||
      fseeko(source, static_cast<off_t>(rec.grid->grid_data_start + rec.grid->grid_data_size), SEEK_SET) != 0)
    return std::nullopt;
  line_source in(source);
  std::string line;
  do {
    if (!orbital_file_line(in, line)) return std::nullopt;
  } while (find_nocase(line, "INPORB") == std::string::npos);
  // Each line as far as a zero byte: the rest of such a line is not text.
  orbital_file_t f;
  f.head = line.c_str();
  std::string counts;
  orbital_file_line(in, counts);
  f.head += counts.c_str();
  const counts_line per_symmetry(counts);
  while (orbital_file_line(in, line)) {
    f.head += line.c_str();
    if (line.find(head_end) != std::string::npos) break;
  }
  // The first eight symmetries are kept even when their blocks are missing
  // (empty); further ones only as far as the file has blocks for them, so
  // that a claimed number of symmetries sizes nothing.
  for (int s = 0; s < per_symmetry.symmetries(); ++s) {
    std::string letters;
    if (!read_symmetry_block(in, per_symmetry.orbitals(s), letters) && s >= 8) break;
    f.letters.push_back(std::move(letters));
  }
  return f;
}

namespace {

void set_letter(orbital_file_t& file, int symmetry, int index, int type) {
  const int s = symmetry - 1, k = index - 1;
  if (s < 0 || static_cast<size_t>(s) >= file.letters.size() || k < 0 ||
      static_cast<size_t>(k) >= file.letters[static_cast<size_t>(s)].size())
    return;
  file.letters[static_cast<size_t>(s)][static_cast<size_t>(k)] = orb_desc_short[type >= 0 && type < 8 ? type : 0][0];
}

}  // namespace

void apply_changed_types(orbital_file_t& file, const grid_data_t& grid) {
  for (const auto& [symmetry, index, type] : grid.orb_type_set) set_letter(file, symmetry, index, type);
  for (size_t g = 0; g < grid.grid_kind.size(); ++g)
    if (grid.orb_type_changed[g]) set_letter(file, grid.orb_sym[g], grid.orb_index[g], grid.orb_type[g]);
}

std::string type_index_text(const std::vector<std::string>& letters) {
  std::string text;
  for (const std::string& symmetry : letters) {
    text += "* 1234567890";
    for (size_t k = 0; k < symmetry.size(); ++k) {
      if (k % 10 == 0) text += "\n" + std::to_string((k / 10) % 10) + " ";
      text += symmetry[k];
    }
    text += '\n';
  }
  return text;
}

void write_orbital_file(FILE* out, const orbital_file_t& file) {
  std::fputs(file.head.c_str(), out);
  std::fputs(type_index_text(file.letters).c_str(), out);
  std::fputs(" </INPORB>\n", out);
}
