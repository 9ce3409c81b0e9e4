// A fixture for the editing tests: a fresh core with one geometry, an undo
// file in a temporary folder, a recorder of what the core tells the
// interface, and helpers that build molecules atom by atom.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "document/current_file.h"
#include "document/undo.h"
#include "edit/atom_edit.h"
#include "edit/internal_moves.h"
#include "edit/watched.h"
#include "molecule/mol_data.h"
#include "support/recording_notifier.h"
#include "support/temp_dir.h"

class EditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_core_state();
    remove_all_watched_coords();
    cumulative_move = 0;
    set_input_file_name(dir.file("molecule.mvr"));
    new_mol(1);
  }
  void TearDown() override {
    remove_all_watched_coords();
    close_test_file();
  }

  // Appends atoms given as symbol and position.
  void atoms(std::initializer_list<std::pair<const char*, vec3>> list) {
    for (const auto& [symbol, p] : list) append_atom(*m, symbol, p);
  }
  void bond(int a, int b, int type = 1) { m->bond.push_back({a, b, type}); }
  void select(std::initializer_list<int> list) {
    m->n_selected = 0;
    m->selected.fill(-1);
    for (int i : list) m->selected[static_cast<size_t>(m->n_selected++)] = i;
  }
  void mark(std::initializer_list<int> list) { m->marked.assign(list); }
  std::string symbol(int i) const { return atom_element(*m, i).name; }
  const vec3& at(int i) const { return m->xyz[static_cast<size_t>(i)]; }

  TempDir dir;
  RecordingNotifier told;
};

// Every bond, selected and marked atom and watched value names an atom that
// exists.
inline void expect_consistent(const mol_data_t& rec) {
  for (const bond_t& b : rec.bond) {
    EXPECT_TRUE(valid_atom(rec, b.a1) && valid_atom(rec, b.a2)) << b.a1 << "-" << b.a2;
  }
  for (int k = 0; k < rec.n_selected; ++k) EXPECT_TRUE(valid_atom(rec, rec.selected[static_cast<size_t>(k)]));
  for (int i : rec.marked) EXPECT_TRUE(valid_atom(rec, i));
  for (const watch_t& w : watch) EXPECT_TRUE(watch_is_valid(rec, w));
  EXPECT_EQ(rec.atoms->kind.size(), rec.xyz.size());
}
