// Picking projects every atom's centre and a point half an atom size away;
// the projected distance between the two is the atom's pick radius. The
// nearest candidate wins, the lower index on a tie.
#include "edit/selection.h"

#include <algorithm>
#include <cmath>

#include "molecule/notify.h"

namespace {

// Whatever changed the sets: refresh the panel and repaint.
void after_change() {
  notifier().selection_changed();
  rerender_3d();
  redraw();
}

}  // namespace

void unmark_all() {
  if (!m) return;
  m->marked.clear();
  after_change();
}

int is_atom_marked(int i) {
  if (!m) return 0;
  return std::find(m->marked.begin(), m->marked.end(), i) != m->marked.end() ? 1 : 0;
}

void mark_atom(int i) {
  if (!(m && valid_atom(*m, i))) return;
  m->marked.push_back(i);
  after_change();
}

void unmark_atom(int k) {
  if (!m || k < 0 || k >= m->n_marked()) return;
  m->marked.erase(m->marked.begin() + k);
  after_change();
}

int pick_atom(int x, int y, int height, const window_projector& project) {
  if (!m) return -1;
  const double cx = x, cy = height - y;
  int best = -1;
  double best_d2 = 3000.0;
  for (int i = 0; i < m->natom(); ++i) {
    const vec3& p = m->xyz[static_cast<size_t>(i)];
    const double half = atom_element(*m, i).size / 2.0;
    double px, py, qx, qy;
    if (!project(p, px, py) || !project({p[0] + half, p[1] + half, p[2] + half}, qx, qy)) continue;
    // Window positions are whole pixels.
    px = std::trunc(px), py = std::trunc(py), qx = std::trunc(qx), qy = std::trunc(qy);
    const double r2 = (qx - px) * (qx - px) + (qy - py) * (qy - py);
    const double d2 = (px - cx) * (px - cx) + (py - cy) * (py - cy);
    if (d2 < r2 && d2 < best_d2) {
      best = i;
      best_d2 = d2;
    }
  }
  return best;
}

void click_select(int b) {
  if (!(m && valid_atom(*m, b)) || m->n_selected > 3) return;
  const auto end = m->selected.begin() + m->n_selected;
  if (std::find(m->selected.begin(), end, b) != end) return;
  m->selected[static_cast<size_t>(m->n_selected++)] = b;
  after_change();
}

void toggle_mark(int b) {
  if (!(m && valid_atom(*m, b))) return;
  const auto it = std::find(m->marked.begin(), m->marked.end(), b);
  if (it != m->marked.end()) {
    unmark_atom(static_cast<int>(it - m->marked.begin()));
  } else {
    mark_atom(b);
  }
}

void clear_selection_or_marks() {
  if (!m) return;
  if (m->n_selected > 0) {
    unselect_all();
    rerender_3d();
    redraw();
  } else if (m->n_marked() > 0) {
    unmark_all();
  }
}

void mark_atoms_in_rectangle(int x0, int y0, int x1, int y1, int window_height, const window_projector& project) {
  if (!m) return;
  const int xmin = std::min(x0, x1), xmax = std::max(x0, x1);
  const int ymin = std::min(y0, y1), ymax = std::max(y0, y1);
  for (int i = 0; i < m->natom(); ++i) {
    double gx, gy;
    if (!project(m->xyz[static_cast<size_t>(i)], gx, gy)) continue;
    gx = std::trunc(gx), gy = std::trunc(gy);
    const double ty = window_height - gy;
    if (gx > xmin && gx < xmax && ty > ymin && ty < ymax && !is_atom_marked(i)) mark_atom(i);
  }
}
