// Bonds: adding and counting them, and automatic bonding from the bonding
// radii and valencies of the element table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "molecule/types.h"

struct mol_data_t;

// Geometries with more atoms than this are not bonded automatically.
constexpr int max_atoms_for_bonding = 300;

// Sets the type of the bond a1–a2 (either order) or appends it.
void add_bond(mol_data_t& rec, int a1, int a2, int type);

// A list of bonds (a record's, a fragment's) by atom pair, for adding many
// at once: each addition finds its pair in a hash table instead of walking
// every bond. It holds while the list changes only through it.
class bond_index_t {
 public:
  explicit bond_index_t(std::vector<bond_t>& bonds);
  explicit bond_index_t(mol_data_t& rec);
  // As `add_bond`.
  void add(int a1, int a2, int type);

 private:
  std::vector<bond_t>& bonds_;
  std::unordered_map<uint64_t, std::size_t> at_;
};
// Distance of atoms i and j; 0 when either does not exist.
double atom_distance(const mol_data_t& rec, int i, int j);
// Bond-order sum of atom i (single 1, double 2, triple 3, others 0).
int get_number_of_bonds_on_atom(int i, const mol_data_t& rec);
// Finds single bonds between close atoms, then raises bonds to double and
// triple bonds while valencies allow (unless only single bonds are wanted).
void determine_bonding(mol_data_t& rec);
