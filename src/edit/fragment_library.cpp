// The fragment reader trusts nothing in the file: the atom count is checked
// against the lines that follow (nothing is sized from it), coordinates must
// be finite numbers, and bond lines must name two different atoms of the
// fragment and a known bond type. A pair given twice keeps the last type
// (pairs are found by hash, so a long bond block reads in linear time).
#include "edit/fragment_library.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "formats/safe_file.h"
#include "formats/text_words.h"
#include "molecule/bonding.h"

std::vector<fragment_entry_t> frag;
int last_fragment = 0;

namespace {

std::string library_directory;

bool parse_real(const char* word, double& value) {
  if (!word) return false;
  const char* end = word;
  value = parse_double(word, &end);
  return end != word && !line_is_empty(word) &&
         (*end == '\0' || *end == ' ' || *end == '\t' || *end == '\n' || *end == '\r') && std::isfinite(value);
}

// Three integers "a b type"; false when the line holds something else.
bool parse_bond_line(const std::string& line, int (&v)[3]) {
  const char* p = line.c_str();
  for (int& x : v) {
    const char* end = p;
    x = parse_int(p, &end);
    if (end == p) return false;
    p = end;
  }
  return line_is_empty(p);
}

void set_bond(fragment_t& f, bond_index_t& index, int a, int b, int type) {
  if ((a == 0 && b == 2) || (a == 2 && b == 0)) f.attachment_type = type;
  index.add(a, b, type);
}

// Reads the bond block after its "<bond>" line; an empty string when it is
// sound, else what is wrong with it.
std::string read_fragment_bond_block(fragment_t& f, bond_index_t& index, FILE* file, int& line_number) {
  std::string line = read_line(file);  // the block's first line is a header
  if (!line.empty()) ++line_number;
  while (read_line_into(file, line)) {
    ++line_number;
    if (find_nocase(line, "</bond>") != std::string::npos) break;
    if (line_is_empty(line.c_str())) continue;
    int v[3];
    const std::string where = "line " + std::to_string(line_number) + ": ";
    if (!parse_bond_line(line, v)) return where + "a bond needs three integers: atom, atom, type";
    if (v[0] < 1 || v[0] > f.natom() || v[1] < 1 || v[1] > f.natom() || v[0] == v[1])
      return where + "a bond must join two different atoms of the fragment";
    if (v[2] < NO_BOND || v[2] > LINE_BOND) return where + "unknown bond type";
    set_bond(f, index, v[0] - 1, v[1] - 1, v[2]);
  }
  return "";
}

// The fault of the content after the first line, or an empty string.
std::string read_fragment_body(fragment_t& f, FILE* file, int count) {
  if (count < min_fragment_atoms) return "a fragment needs at least three atoms";
  int line_number = 1;
  std::string line;
  if (!read_line_into(file, line)) return "the file ends before its atoms";
  ++line_number;
  for (int i = 0; i < count; ++i) {
    if (!read_line_into(file, line)) return "the file ends before its atoms";
    ++line_number;
    const char* words = line.c_str();
    vec3 p;
    const char* symbol = get_ptr_ith_word(words, 1);
    if (!symbol || !parse_real(get_ptr_ith_word(words, 2), p[0]) || !parse_real(get_ptr_ith_word(words, 3), p[1]) ||
        !parse_real(get_ptr_ith_word(words, 4), p[2]))
      return "line " + std::to_string(line_number) + ": an atom needs a symbol and three coordinates";
    f.symbol.push_back(get_one_word(symbol));
    f.xyz.push_back(p);
  }
  bond_index_t index(f.bond);
  while (read_line_into(file, line)) {
    ++line_number;
    if (find_nocase(line, "<end>") != std::string::npos) break;
    if (find_nocase(line, "<bond>") == std::string::npos) continue;
    const std::string fault = read_fragment_bond_block(f, index, file, line_number);
    if (!fault.empty()) return fault;
  }
  return "";
}

}  // namespace

int n_fragments() { return static_cast<int>(frag.size()); }

int get_last_fragment() { return last_fragment; }

const std::string& fragment_directory() { return library_directory; }

bool read_fragment_list(const std::string& path) {
  frag.clear();
  const size_t slash = path.rfind('/');
  library_directory = slash == std::string::npos ? "." : path.substr(0, slash);
  file_ptr file = open_file_ptr(path, "rb");
  if (!file) return false;
  for (std::string line = read_line(file.get()); !line.empty(); line = read_line(file.get())) {
    // A last line without a line feed is not a complete entry.
    if (line.back() != '\n') break;
    const char* first = get_ptr_ith_word(line.c_str(), 1);
    if (!first) continue;
    frag.push_back({get_one_word(first), get_one_word(get_ptr_ith_word(line.c_str(), 2))});
  }
  return true;
}

void reset_fragment_library() {
  frag.clear();
  last_fragment = 0;
  library_directory.clear();
}

bool load_fragment_from_file(const std::string& path, fragment_t& fragment, std::string& error) {
  fragment = fragment_t{};
  error.clear();
  file_ptr file = open_file_ptr(path, "rb");
  std::string first;
  if (!file || !read_line_into(file.get(), first)) {
    error = fragment_unreadable;
    return false;
  }
  std::string fault;
  if (bytes_left(file.get()) > max_fragment_file_bytes) {
    fault = "the file is too large for a fragment";
  } else {
    fault = read_fragment_body(fragment, file.get(), parse_int(first.c_str()));
  }
  if (fault.empty()) return true;
  fragment = fragment_t{};
  error = std::string(fragment_unreadable) + "\n" + path + ": " + fault;
  return false;
}

bool load_fragment(int k, fragment_t& fragment, std::string& error) {
  if (k < 0 || k >= n_fragments()) {
    error = "No fragment " + std::to_string(k + 1) + " in the fragment library";
    return false;
  }
  return load_fragment_from_file(library_directory + "/" + frag[static_cast<size_t>(k)].file, fragment, error);
}
