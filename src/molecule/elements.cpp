#include "molecule/elements.h"

#include <strings.h>

#include <cstdio>
#include <memory>
#include <unordered_map>

#include "app/config_dir.h"
#include "formats/safe_file.h"
#include "formats/text_words.h"
#include "molecule/mol_data.h"

std::vector<element_t> e;
std::vector<int> def_elem;
const std::vector<int> builtin_def_elem = {1, 9, 10, 11, 12, 19, 20};

namespace {

const char atoms_rc_header[] =
    "# Configuration file with atom settings\n"
    "# Atom Name, color(3), Atom size, Bond size, Max valency, periodic system coord x, periodic system coord "
    "y, default atoms\n"
    "# Atom name can NOT be altered!\n"
    "#\n"
    "#\n";

std::string atoms_rc_path() { return rcdir + "/atoms.rc"; }

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

int number_of_elements() { return static_cast<int>(e.size()); }

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

void load_atom_data() {
  e.clear();
  def_elem.clear();
  const std::string path = atoms_rc_path();
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!file) {
    const auto& table = e_default_table();
    e.assign(table.begin(), table.begin() + n_default_elements);
    def_elem = builtin_def_elem;
    Write_Atom_data(path);
    return;
  }
  read_atom_data(file.get());
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

void Write_Atom_data(const std::string& path) {
  std::printf("writing atom data in |%s|\n", path.c_str());
  std::fflush(stdout);
  int lines = 0;
  const std::string text = atom_data_text(e, &lines);
  e.resize(static_cast<size_t>(lines));
  write_file_atomically(path, text);
}

void save_atom_data() { Write_Atom_data(atoms_rc_path()); }

namespace {

// Symbol lookups by upper-case symbol, remembering the first element of each
// symbol. Rebuilt whenever the table's symbols differ from those it was
// built from (checked cheaply by count and storage, and fully on a miss).
struct element_index_t {
  const element_t* data = nullptr;
  size_t size = 0;
  std::unordered_map<std::string, int> first;
};
element_index_t element_index;

std::string upper(const std::string& s) {
  std::string u = s;
  for (char& c : u)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return u;
}

void rebuild_element_index() {
  element_index.data = e.data();
  element_index.size = e.size();
  element_index.first.clear();
  for (int k = number_of_elements() - 1; k >= 0; --k) element_index.first[upper(e[static_cast<size_t>(k)].name)] = k;
}

int find_element_linear(const std::string& symbol) {
  for (int k = 0; k < number_of_elements(); ++k)
    if (strcasecmp(e[static_cast<size_t>(k)].name.c_str(), symbol.c_str()) == 0) return k;
  return -1;
}

}  // namespace

int find_element(const std::string& symbol) {
  if (element_index.data != e.data() || element_index.size != e.size()) rebuild_element_index();
  const auto it = element_index.first.find(upper(symbol));
  if (it != element_index.first.end() && it->second < number_of_elements() &&
      strcasecmp(e[static_cast<size_t>(it->second)].name.c_str(), symbol.c_str()) == 0)
    return it->second;
  // The table changed in place: look again, and index it anew.
  const int k = find_element_linear(symbol);
  if (k >= 0 || it != element_index.first.end()) rebuild_element_index();
  return k;
}

void set_element_data(mol_data_t& rec, int i) {
  if (i < 0 || i >= rec.natom()) return;
  element_t& atom = rec.elem[static_cast<size_t>(i)];
  const int k = find_element(atom.name);
  const element_t source = k >= 0 ? e[static_cast<size_t>(k)] : element_t{};
  atom.color.red = source.color.red;
  atom.color.green = source.color.green;
  atom.color.blue = source.color.blue;
  atom.size = source.size;
  atom.bond_size = source.bond_size;
  atom.valency = source.valency;
  atom.table_x = source.table_x;
  atom.table_y = source.table_y;
}
