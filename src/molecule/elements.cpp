#include "molecule/elements.h"

#include <strings.h>

#include <algorithm>
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

namespace {

// Copies the table's data for the kind's symbol into it (not the symbol and
// not the fourth colour component).
void fill_from_table(element_t& kind) {
  const int k = find_element(kind.name);
  const element_t source = k >= 0 ? e[static_cast<size_t>(k)] : element_t{};
  kind.color.red = source.color.red;
  kind.color.green = source.color.green;
  kind.color.blue = source.color.blue;
  kind.size = source.size;
  kind.bond_size = source.bond_size;
  kind.valency = source.valency;
  kind.table_x = source.table_x;
  kind.table_y = source.table_y;
}

uint32_t kind_for_symbol(mol_data_t& rec, const std::string& symbol) {
  const uint32_t k = find_atom_kind(rec, symbol);
  if (k != no_atom_kind) return k;
  element_t kind;
  kind.name = symbol;
  fill_from_table(kind);
  return add_atom_kind(rec, kind);
}

}  // namespace

void set_element_data(mol_data_t& rec, int i) {
  if (!valid_atom(rec, i) || !rec.atoms.exists()) return;
  atom_data_t& a = rec.atoms.edit();
  const uint32_t k = a.kind[static_cast<size_t>(i)];
  if (k < a.kinds.size()) fill_from_table(a.kinds[k]);
}

void set_atom_symbol(mol_data_t& rec, int i, const std::string& symbol) {
  if (valid_atom(rec, i)) set_atom_kind(rec, i, kind_for_symbol(rec, symbol));
}

void set_atom_symbols(mol_data_t& rec, const std::vector<std::string>& symbols, std::vector<uint32_t> which) {
  std::vector<uint32_t> kind_of(symbols.size());
  for (size_t s = 0; s < symbols.size(); ++s) kind_of[s] = kind_for_symbol(rec, symbols[s]);
  if (std::min(which.size(), rec.xyz.size()) == 0) return;
  // The symbol indices become the kinds in place: a large geometry needs
  // no second array of them.
  for (uint32_t& w : which) w = w < kind_of.size() ? kind_of[w] : no_atom_kind;
  which.resize(rec.xyz.size(), no_atom_kind);
  rec.atoms.edit().kind = std::move(which);
}

void atom_appender::add(const std::string& symbol, const vec3& p) {
  if (!any_ || symbol != last_) {
    kind_ = kind_for_symbol(rec_, symbol);
    last_ = symbol;
    any_ = true;
  }
  const int i = rec_.natom();
  allocate_atoms(rec_, i + 1);
  rec_.xyz[static_cast<size_t>(i)] = p;
  set_atom_kind(rec_, i, kind_);
}

void refresh_atom_elements(mol_data_t& rec) {
  if (!rec.atoms.exists()) return;
  for (element_t& kind : rec.atoms.edit().kinds) fill_from_table(kind);
}
