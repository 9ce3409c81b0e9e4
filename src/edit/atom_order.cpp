#include "edit/atom_order.h"

#include "document/undo.h"
#include "edit/watched.h"
#include "molecule/notify.h"

std::vector<int> keep_atoms(mol_data_t& rec, const std::vector<int>& order) {
  const int n = rec.natom();
  std::vector<int> new_index(static_cast<size_t>(n), -1);
  std::vector<int> kept;
  kept.reserve(order.size());
  for (int i : order) {
    if (!valid_atom(rec, i) || new_index[static_cast<size_t>(i)] >= 0) continue;
    new_index[static_cast<size_t>(i)] = static_cast<int>(kept.size());
    kept.push_back(i);
  }
  reorder_atoms(rec, kept);

  const auto renamed = [&new_index, n](int i) { return i >= 0 && i < n ? new_index[static_cast<size_t>(i)] : -1; };
  std::vector<bond_t> bonds;
  bonds.reserve(rec.bond.size());
  for (const bond_t& b : rec.bond) {
    const int a1 = renamed(b.a1), a2 = renamed(b.a2);
    if (a1 >= 0 && a2 >= 0) bonds.push_back({a1, a2, b.type});
  }
  rec.bond = std::move(bonds);

  std::vector<char> seen(kept.size(), 0);
  std::vector<int> marks;
  for (int i : rec.marked) {
    const int k = renamed(i);
    if (k < 0 || seen[static_cast<size_t>(k)]) continue;
    seen[static_cast<size_t>(k)] = 1;
    marks.push_back(k);
  }
  rec.marked = std::move(marks);
  rec.n_selected = 0;
  rec.selected.fill(-1);
  if (&rec == m) renumber_watched_atoms(new_index);
  return new_index;
}

std::vector<int> marked_first_order(const mol_data_t& rec) {
  std::vector<int> order;
  order.reserve(static_cast<size_t>(rec.natom()));
  std::vector<char> placed(static_cast<size_t>(rec.natom()), 0);
  for (int i : rec.marked) {
    if (!valid_atom(rec, i) || placed[static_cast<size_t>(i)]) continue;
    placed[static_cast<size_t>(i)] = 1;
    order.push_back(i);
  }
  for (int i = 0; i < rec.natom(); ++i)
    if (!placed[static_cast<size_t>(i)]) order.push_back(i);
  return order;
}

void renumber_atoms_marked_first(mol_data_t& rec) {
  keep_atoms(rec, marked_first_order(rec));
  rec.marked.clear();
}

void renumber_marked() {
  if (!m) return;
  renumber_atoms_marked_first(*m);
  after_atoms_changed();
}

void after_atoms_changed() {
  notifier().atom_list(AtomListChange::refilled, -1);
  notifier().atoms_changed();
  notifier().selection_changed();
  append_backup();
  rerender_3d();
  redraw();
}
