// The element table file "atoms.rc": one quoted symbol per line with its
// colour, sizes, valency, chooser position and default-element mark.
#include "formats/element_table_file.h"

#include <cstdio>

#include "formats/safe_file.h"
#include "formats/text_words.h"
#include "molecule/elements.h"

namespace {

const char atoms_rc_header[] =
    "# Configuration file with atom settings\n"
    "# Atom Name, color(3), Atom size, Bond size, Max valency, periodic system coord x, periodic system coord "
    "y, default atoms\n"
    "# Atom name can NOT be altered!\n"
    "#\n"
    "#\n";

bool is_builtin_default(int index) {
  for (int d : builtin_def_elem)
    if (d == index) return true;
  return false;
}

// Reads "%f %f %f %f %f %d %d %d %d" from p; fields after the first that
// can't be read stay zero. Returns the last number (the default-element mark).
int parse_element_numbers(const char* p, element_t& el) {
  float* reals[] = {&el.color.red, &el.color.green, &el.color.blue, &el.size, &el.bond_size};
  for (float* r : reals) {
    const char* end;
    const float v = parse_float(p, &end);
    if (end == p) return 0;
    *r = v;
    p = end;
  }
  int ints[4] = {0, 0, 0, 0};
  for (int& k : ints) {
    const char* end;
    const int v = parse_int(p, &end);
    if (end == p) break;
    k = v;
    p = end;
  }
  el.valency = ints[0];
  el.table_x = ints[1];
  el.table_y = ints[2];
  return ints[3];
}

}  // namespace

void read_atom_data(FILE* file) {
  e.clear();
  def_elem.clear();
  for (std::string line = read_line(file); !line.empty(); line = read_line(file)) {
    std::string text = line;
    if (!text.empty() && text.back() == '\n') text.pop_back();
    if (text.empty() || text[0] == '#' || text.size() <= 5) continue;
    element_t el;
    el.name.push_back(text[1]);
    if (text[2] != '"') el.name.push_back(text[2]);
    const int is_default = parse_element_numbers(text.c_str() + 5, el);
    e.push_back(el);
    if (is_default != 0) def_elem.push_back(number_of_elements() - 1);
  }
}

std::string atom_data_text(const std::vector<element_t>& table, int* lines) {
  std::string out = atoms_rc_header;
  int n = 0;
  char buf[256];
  for (const element_t& el : table) {
    if (el.name.empty()) break;
    std::snprintf(buf, sizeof buf, "\"%s\" %7.3f %7.3f %7.3f %7.3f %7.3f %4d %4d %4d", el.name.c_str(), el.color.red,
                  el.color.green, el.color.blue, el.size, el.bond_size, el.valency, el.table_x, el.table_y);
    out += buf;
    std::snprintf(buf, sizeof buf, " %4d\n", is_builtin_default(n) ? 1 : 0);
    out += buf;
    ++n;
  }
  if (lines) *lines = n;
  return out;
}

bool Write_Atom_data(const std::string& path) {
  std::printf("writing atom data in |%s|\n", path.c_str());
  std::fflush(stdout);
  int lines = 0;
  const std::string text = atom_data_text(e, &lines);
  e.resize(static_cast<size_t>(lines));
  return write_file_atomically(path, text);
}
