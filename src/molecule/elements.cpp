#include "molecule/elements.h"

#include <strings.h>

#include <unordered_map>

#include "molecule/mol_data.h"

std::vector<element_t> e;
std::vector<int> def_elem;
const std::vector<int> builtin_def_elem = {1, 9, 10, 11, 12, 19, 20};

int number_of_elements() { return static_cast<int>(e.size()); }

void use_builtin_element_table() {
  const auto& table = e_default_table();
  e.assign(table.begin(), table.begin() + n_default_elements);
  def_elem = builtin_def_elem;
}

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
