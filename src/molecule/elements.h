// The element table: colour, sizes, bonding radius and valency of every
// element, built in and replaceable by the user's "atoms.rc".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "molecule/types.h"

struct mol_data_t;

// The built-in table: 112 records followed by one all-zero record.
const std::vector<element_t>& e_default_table();
// Number of real records in the built-in table.
constexpr int n_default_elements = 112;
// The table in use (without a closing record).
extern std::vector<element_t> e;
// Elements offered when an atom's element is stepped through (indices into e).
extern std::vector<int> def_elem;
// The built-in default elements: H, C, N, O, F, S, CL.
extern const std::vector<int> builtin_def_elem;

int number_of_elements();
// The built-in table and default elements become the ones in use.
void use_builtin_element_table();

// Index of the element whose symbol matches `symbol` ignoring case, or -1.
int find_element(const std::string& symbol);
// Copies the element data for the symbol of atom i of `rec` into its
// element copy (not the symbol and not the fourth colour component); an
// unknown symbol gets all zeros.
void set_element_data(mol_data_t& rec, int i);
// Gives atom i the symbol `symbol` with a copy of that element's data (all
// zeros for an unknown symbol).
void set_atom_symbol(mol_data_t& rec, int i, const std::string& symbol);
// The same for atoms 0, 1, … of `which` at once: atom i gets the symbol
// symbols[which[i]] (each distinct symbol is looked up once).
void set_atom_symbols(mol_data_t& rec, const std::vector<std::string>& symbols, std::vector<uint32_t> which);
// Appends atoms to a record one after another, each with a copy of its
// element's data; a symbol like the one before costs no lookup.
class atom_appender {
 public:
  explicit atom_appender(mol_data_t& rec) : rec_(rec) {}
  void add(const std::string& symbol, const vec3& p);

 private:
  mol_data_t& rec_;
  std::string last_;
  uint32_t kind_ = 0;
  bool any_ = false;
};
// Copies the table's data again into every atom of `rec`, after the table
// changed.
void refresh_atom_elements(mol_data_t& rec);
