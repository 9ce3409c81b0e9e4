#include "edit/watched.h"

#include <algorithm>

#include "molecule/notify.h"

std::vector<watch_t> watch;

int n_watched() { return static_cast<int>(watch.size()); }

void add_watched_coord() {
  if (!m || m->n_selected < 2) return;
  watch_t w;
  w.kind = std::min(m->n_selected, 4);
  for (int k = 0; k < w.kind; ++k) {
    const int i = m->selected[static_cast<size_t>(k)];
    if (!valid_atom(*m, i)) return;
    w.atom[static_cast<size_t>(k)] = i + 1;
  }
  watch.push_back(w);
  notifier().values_changed();
}

void remove_watched_coord(int k) {
  if (k < 0 || k >= n_watched()) return;
  watch.erase(watch.begin() + k);
  notifier().values_changed();
}

void remove_all_watched_coords() {
  if (watch.empty()) return;
  watch.clear();
  watch.shrink_to_fit();
  notifier().values_changed();
}

bool watch_is_valid(const mol_data_t& rec, const watch_t& w) {
  if (w.kind < 2 || w.kind > 4) return false;
  for (int k = 0; k < w.kind; ++k)
    if (!valid_atom(rec, w.atom[static_cast<size_t>(k)] - 1)) return false;
  return true;
}

void renumber_watched_atoms(const std::vector<int>& new_index) {
  const auto renumber = [&new_index](watch_t& w) {
    for (int k = 0; k < w.kind && k < 4; ++k) {
      int& number = w.atom[static_cast<size_t>(k)];
      const int old = number - 1;
      if (old < 0 || old >= static_cast<int>(new_index.size()) || new_index[static_cast<size_t>(old)] < 0) return true;
      number = new_index[static_cast<size_t>(old)] + 1;
    }
    return false;
  };
  watch.erase(std::remove_if(watch.begin(), watch.end(), renumber), watch.end());
}
