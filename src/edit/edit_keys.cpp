#include "edit/edit_keys.h"

#include <algorithm>

#include "document/undo.h"
#include "edit/atom_edit.h"
#include "edit/bond_edit.h"
#include "edit/fragment_insert.h"
#include "edit/fragment_library.h"
#include "edit/watched.h"
#include "molecule/mol_data.h"
#include "molecule/notify.h"

namespace {

// An editable geometry with two selected atoms steps their bond type, with
// one its element; false when neither applies.
bool page_edit(int step) {
  if (!m->editable) return false;
  if (m->n_selected == 2) {
    step_bond_type(step);
  } else if (m->n_selected == 1) {
    change_element_by_one(step);
  } else {
    return false;
  }
  return true;
}

}  // namespace

void key_insert(const key_context_t& c) {
  if (!c.editable) return;
  if (c.n_selected == 0 || (c.n_selected == 1 && !c.shift)) {
    add_fragment(last_fragment);
  } else if (c.n_selected <= 2 && c.shift) {
    add_atoms(1);
  } else if (c.n_selected == 2) {
    step_bond_type(1);
  }
}

void key_delete(const key_context_t& c) {
  if (!c.editable) return;
  if (c.n_selected == 1 || c.marked) {
    delete_coord();
  } else if (c.n_selected == 2) {
    lower_bond_type();
  }
}

PageViewStep page_command(int dir, bool big) {
  if (!m) return PageViewStep::none;
  const int step = dir == 1 ? 1 : -1;
  if (m->ngrid() > 0) {
    // The orbital list walks to the next row (dir 1) or the previous one.
    notifier().orbital_step(dir);
    rerender_3d();
  } else if (big) {
    return PageViewStep::depth;
  } else if (page_edit(step)) {
    rerender_3d();
    redraw();
  } else if (m->nvibr() > 0) {
    ivib = std::clamp(ivib + step, 0, m->nvibr() - 1);
    notifier().mode_shown();
    rerender_3d();
    redraw();
  } else if (n_geometries() > 0) {
    return PageViewStep::geometry;
  }
  return PageViewStep::none;
}

void key_escape(bool editable) {
  remove_all_watched_coords();
  if (editable) clear_drawn_objects();
}

void clear_drawn_objects() {
  if (!m || !m->deco.exists()) return;
  const bool any = m->nvector() + m->ntriangle() + m->nsphere() + m->nsurf() + m->ncell() > 0;
  for (const decoration_group_t& g : decoration_groups) resize_decorations(*m, g, 0);
  if (!any) return;
  notifier().objects_changed();
  notifier().selection_changed();
  append_backup();
  rerender_3d();
}
