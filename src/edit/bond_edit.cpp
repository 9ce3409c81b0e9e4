#include "edit/bond_edit.h"

#include <cstdio>

#include "document/undo.h"
#include "edit/measures.h"
#include "molecule/bonding.h"
#include "molecule/mol_data.h"
#include "molecule/notify.h"

namespace {

constexpr int n_bond_types = 7;

bool pair_selected() { return m && m->n_selected >= 2 && selection_is_valid(*m, 2); }

}  // namespace

int get_bond_type(int a, int b) {
  if (!m) return 0;
  const int k = find_bond(*m, a, b);
  return k >= 0 ? m->bond[static_cast<size_t>(k)].type : 0;
}

void change_bond_type(int t) {
  if (!pair_selected() || t < 0 || t >= n_bond_types) return;
  const int a = m->selected[0], b = m->selected[1];
  const int k = find_bond(*m, a, b);
  if (k >= 0) {
    int& type = m->bond[static_cast<size_t>(k)].type;
    if (type == t) return;
    type = t;
  } else if (t != 0) {
    add_bond(*m, a, b, t);
  } else {
    return;
  }
  notifier().selection_changed();
  append_backup();
  rerender_3d();
  redraw();
}

void step_bond_type(int dir) {
  if (!pair_selected()) return;
  const int type = get_bond_type(m->selected[0], m->selected[1]);
  change_bond_type(((type + dir) % n_bond_types + n_bond_types) % n_bond_types);
}

void lower_bond_type() {
  if (!pair_selected()) return;
  const int k = find_bond(*m, m->selected[0], m->selected[1]);
  std::printf("I = %d\n", k);
  std::fflush(stdout);
  if (k >= 0 && m->bond[static_cast<size_t>(k)].type >= 1) change_bond_type(m->bond[static_cast<size_t>(k)].type - 1);
}
