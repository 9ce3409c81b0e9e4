// Automatic bonding.
//
// Pass 1 scans every pair i < j in index order. A pair bonds when no bond
// joins it yet, each axis distance is below 3 Å, the distance is below 1.15
// times the sum of the two bonding radii, and both atoms still have room
// under their valencies. Each new bond counts at once, so a hydrogen bonds
// to the lowest-indexed partner in range.
// Passes 2 and 3 walk all bonds in order and raise single bonds to double,
// then double to triple, while both atoms stay below their valencies.
//
// Bond-order sums are kept per atom and updated as bonds are made, and the
// bonds present before the scan are looked up in a hash set, so the pair
// scan is the only quadratic work.
#include "molecule/bonding.h"

#include <cmath>
#include <cstdint>
#include <unordered_set>
#include <vector>

#include "molecule/mol_data.h"
#include "molecule/settings.h"

namespace {

uint64_t pair_key(int a, int b) {
  if (a > b) std::swap(a, b);
  return (static_cast<uint64_t>(static_cast<uint32_t>(a)) << 32) | static_cast<uint32_t>(b);
}

std::vector<int> bond_order_sums(const mol_data_t& rec) {
  std::vector<int> sums(static_cast<size_t>(rec.natom()), 0);
  for (const bond_t& b : rec.bond) {
    const int order = bond_order(b.type);
    if (valid_atom(rec, b.a1)) sums[static_cast<size_t>(b.a1)] += order;
    if (valid_atom(rec, b.a2) && b.a2 != b.a1) sums[static_cast<size_t>(b.a2)] += order;
  }
  return sums;
}

void find_single_bonds(mol_data_t& rec, std::vector<int>& sums) {
  std::unordered_set<uint64_t> existing;
  existing.reserve(rec.bond.size() * 2);
  for (const bond_t& b : rec.bond) existing.insert(pair_key(b.a1, b.a2));

  const int n = rec.natom();
  std::vector<const element_t*> element(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) element[static_cast<size_t>(i)] = &atom_element(rec, i);
  for (int i = 0; i < n; ++i) {
    const vec3& pi = rec.xyz[static_cast<size_t>(i)];
    const element_t& ei = *element[static_cast<size_t>(i)];
    for (int j = i + 1; j < n; ++j) {
      const vec3& pj = rec.xyz[static_cast<size_t>(j)];
      const double dx = pi[0] - pj[0], dy = pi[1] - pj[1], dz = pi[2] - pj[2];
      if (std::fabs(dx) >= 3.0 || std::fabs(dy) >= 3.0 || std::fabs(dz) >= 3.0) continue;
      const element_t& ej = *element[static_cast<size_t>(j)];
      if (sums[static_cast<size_t>(i)] >= ei.valency || sums[static_cast<size_t>(j)] >= ej.valency) continue;
      if (!existing.empty() && existing.count(pair_key(i, j))) continue;
      const float radii = ei.bond_size + ej.bond_size;
      const double d = std::sqrt(dx * dx + dy * dy + dz * dz);
      if (d < 1.15 * static_cast<double>(radii)) {
        rec.bond.push_back({i, j, SINGLE_BOND});
        ++sums[static_cast<size_t>(i)];
        ++sums[static_cast<size_t>(j)];
      }
    }
  }
}

// Raises every bond of type `from` by one order where both atoms allow it.
void raise_bonds(mol_data_t& rec, std::vector<int>& sums, int from) {
  for (bond_t& b : rec.bond) {
    if (b.type != from || !valid_atom(rec, b.a1) || !valid_atom(rec, b.a2)) continue;
    const size_t a = static_cast<size_t>(b.a1), c = static_cast<size_t>(b.a2);
    if (sums[a] < atom_element(rec, b.a1).valency && sums[c] < atom_element(rec, b.a2).valency) {
      b.type = from + 1;
      ++sums[a];
      if (c != a) ++sums[c];
    }
  }
}

}  // namespace

void add_bond(mol_data_t& rec, int a1, int a2, int type) {
  for (bond_t& b : rec.bond) {
    if ((b.a1 == a1 && b.a2 == a2) || (b.a1 == a2 && b.a2 == a1)) {
      b.type = type;
      return;
    }
  }
  rec.bond.push_back({a1, a2, type});
}

bond_index_t::bond_index_t(std::vector<bond_t>& bonds) : bonds_(bonds) {
  at_.reserve(bonds.size());
  for (size_t k = 0; k < bonds.size(); ++k) at_.try_emplace(pair_key(bonds[k].a1, bonds[k].a2), k);
}

bond_index_t::bond_index_t(mol_data_t& rec) : bond_index_t(rec.bond) {}

void bond_index_t::add(int a1, int a2, int type) {
  const auto [it, fresh] = at_.try_emplace(pair_key(a1, a2), bonds_.size());
  if (fresh)
    bonds_.push_back({a1, a2, type});
  else
    bonds_[it->second].type = type;
}

double atom_distance(const mol_data_t& rec, int i, int j) {
  if (!valid_atom(rec, i) || !valid_atom(rec, j)) return 0.0;
  const vec3& a = rec.xyz[static_cast<size_t>(i)];
  const vec3& b = rec.xyz[static_cast<size_t>(j)];
  const double dx = a[0] - b[0], dy = a[1] - b[1], dz = a[2] - b[2];
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

int get_number_of_bonds_on_atom(int i, const mol_data_t& rec) {
  int sum = 0;
  for (const bond_t& b : rec.bond)
    if (b.a1 == i || b.a2 == i) sum += bond_order(b.type);
  return sum;
}

void determine_bonding(mol_data_t& rec) {
  if (rec.natom() > max_atoms_for_bonding) return;
  std::vector<int> sums = bond_order_sums(rec);
  find_single_bonds(rec, sums);
  if (Input_Data.single_bonds_only) return;
  raise_bonds(rec, sums, SINGLE_BOND);
  raise_bonds(rec, sums, DOUBLE_BOND);
}
