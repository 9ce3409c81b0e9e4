// Atoms share their element data through kinds (one per symbol). Data of a
// single atom are kept in a kind of its own: an atom that still shares its
// kind, or has the first kind of its symbol (the one atoms added later are
// given), gets a copy, which later changes edit in place; so the other atoms
// of the element, and atoms added later, keep the table's data.
#include "edit/element_edit.h"

#include <algorithm>

#include "document/undo.h"
#include "molecule/elements.h"
#include "molecule/mol_data.h"
#include "molecule/notify.h"

namespace {

size_t at(int i) { return static_cast<size_t>(i); }

bool atom_exists(int atom) { return m && valid_atom(*m, atom) && m->atoms.exists(); }

// The kind only `atom` uses: its own when it is the only user and not the
// first kind of its symbol, else a copy that it alone is given.
element_t& private_kind(int atom) {
  atom_data_t& a = m->atoms.edit();
  const uint32_t k = a.kind[at(atom)];
  const bool shared = k >= a.kinds.size() || find_atom_kind(*m, a.kinds[k].name) == k ||
                      std::count(a.kind.begin(), a.kind.end(), k) > 1;
  if (shared) {
    const uint32_t copy = add_atom_kind(*m, atom_element(*m, atom));
    set_atom_kind(*m, atom, copy);
    return m->atoms.edit().kinds[copy];
  }
  return a.kinds[k];
}

void after_atom_data_changed(int atom) {
  notifier().atom_list(AtomListChange::changed, atom);
  rerender_3d();
  redraw();
}

}  // namespace

periodic_layout_t periodic_table_layout(const std::vector<element_t>& table) {
  periodic_layout_t layout;
  for (size_t j = 1; j < table.size(); ++j) {
    const element_t& el = table[j];
    if (el.table_x < 0 || el.table_y < 0 || el.table_x >= periodic_table_max_side ||
        el.table_y >= periodic_table_max_side)
      continue;
    layout.cells.push_back({static_cast<int>(j), el.table_x, el.table_y});
    layout.columns = std::max(layout.columns, el.table_x + 1);
    layout.rows = std::max(layout.rows, el.table_y + 1);
  }
  return layout;
}

int only_selected_atom() {
  if (!m || m->n_selected != 1 || !valid_atom(*m, m->selected[0])) return -1;
  return m->selected[0];
}

bool change_atom_element(int atom, int j) {
  if (!atom_exists(atom) || j < 0 || j >= number_of_elements()) return false;
  const float alpha = atom_color(*m, atom).alpha;
  const element_t& element = e[at(j)];
  set_atom_symbol(*m, atom, element.name);
  // The kind of that symbol may have been made before the table changed.
  set_element_data(*m, atom);
  const color_t own{element.color.red, element.color.green, element.color.blue, alpha};
  if (!m->atoms->color.empty() || atom_color(*m, atom).alpha != alpha) set_atom_color(*m, atom, own);
  notifier().atoms_changed();
  notifier().selection_changed();
  append_backup();
  after_atom_data_changed(atom);
  return true;
}

void set_atom_custom_color(int atom, float red, float green, float blue) {
  if (!atom_exists(atom)) return;
  set_atom_color(*m, atom, {red, green, blue, atom_color(*m, atom).alpha});
  m->flags |= FLAG_ATOM_COLORS;
  after_atom_data_changed(atom);
}

void set_atom_custom_size(int atom, float size) {
  if (!atom_exists(atom)) return;
  private_kind(atom).size = size;
  after_atom_data_changed(atom);
}

void set_atom_custom_bond_size(int atom, float bond_size) {
  if (!atom_exists(atom)) return;
  private_kind(atom).bond_size = bond_size;
  after_atom_data_changed(atom);
}

void set_atom_custom_valency(int atom, int valency) {
  if (!atom_exists(atom)) return;
  private_kind(atom).valency = valency;
  after_atom_data_changed(atom);
}

bool apply_element_properties(int j, const element_t& edited) {
  if (j < 0 || j >= number_of_elements()) return false;
  element_t& element = e[at(j)];
  element.color = edited.color;
  element.size = edited.size;
  element.bond_size = edited.bond_size;
  element.valency = edited.valency;
  for (mol_data_t& rec : mol) {
    if (!rec.atoms.exists()) continue;
    atom_data_t& a = rec.atoms.edit();
    std::vector<char> of_element(a.kinds.size(), 0);
    for (size_t k = 0; k < a.kinds.size(); ++k) {
      if (find_element(a.kinds[k].name) != j) continue;
      of_element[k] = 1;
      a.kinds[k].color = element.color;
      a.kinds[k].size = element.size;
      a.kinds[k].bond_size = element.bond_size;
      a.kinds[k].valency = element.valency;
    }
    // Atoms with colours of their own take the element's as well.
    for (size_t i = 0; i < a.color.size() && i < a.kind.size(); ++i)
      if (a.kind[i] < of_element.size() && of_element[a.kind[i]]) a.color[i] = element.color;
  }
  notifier().atom_list(AtomListChange::refilled, -1);
  rerender_3d();
  redraw();
  return true;
}
