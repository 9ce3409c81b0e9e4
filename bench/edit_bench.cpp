// Editing a large molecule: deleting marked atoms, renumbering, adding an
// atom and changing a bond type on 10,000 and 20,000 atoms, each as the
// command the user runs (with its undo snapshot), the snapshot alone, and
// the core step of each command without notifications or snapshot. From
// 10,000 to 20,000 atoms every time should about double, none quadruple.
//
// The undo file goes to $TMPDIR (or /tmp) and is removed between runs.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "document/current_file.h"
#include "document/undo.h"
#include "edit/atom_edit.h"
#include "edit/atom_order.h"
#include "edit/bond_edit.h"
#include "edit/measures.h"
#include "molecule/elements.h"
#include "molecule/mol_data.h"
#include "molecule/settings.h"

namespace {

// A cubic lattice of carbons 1.5 Å apart with a hydrogen beside every
// third, bonded along the rows; a tenth of the atoms marked, spread out.
mol_data_t lattice(int natom) {
  set_default_settings();
  use_builtin_element_table();
  const char* dir = std::getenv("TMPDIR");
  set_input_file_name(std::string(dir ? dir : "/tmp") + "/mivor-bench-edit.mvr");
  mol_data_t rec;
  const int side = static_cast<int>(std::ceil(std::cbrt(natom)));
  for (int i = 0; i < natom; ++i) {
    append_atom(rec, i % 3 == 0 ? "H" : "C", {(i % side) * 1.5, (i / side % side) * 1.5, (i / side / side) * 1.5});
    if (i % side != 0) rec.bond.push_back({i - 1, i, 1});
  }
  for (int i = 0; i < natom; i += 10) rec.marked.push_back((i * 7) % natom);
  return rec;
}

// Runs `command` on a fresh copy of the molecule each time; the copy and
// the removal of the undo file are not timed.
template <typename F>
void run(benchmark::State& state, F command) {
  const mol_data_t original = lattice(static_cast<int>(state.range(0)));
  mol.assign(1, original);
  m = &mol[0];
  for (auto _ : state) {
    state.PauseTiming();
    remove_backup();
    mol[0] = original;
    m = &mol[0];
    state.ResumeTiming();
    command();
  }
  remove_backup();
  state.counters["atoms"] = original.natom();
}

void BM_Snapshot(benchmark::State& state) {
  run(state, [] { append_backup(); });
}
BENCHMARK(BM_Snapshot)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_DeleteMarkedAtoms(benchmark::State& state) {
  run(state, [] { delete_coord(); });
}
BENCHMARK(BM_DeleteMarkedAtoms)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_DeleteOneAtom(benchmark::State& state) {
  run(state, [] {
    m->n_selected = 1;
    m->selected[0] = m->natom() / 2;
    delete_coord();
  });
}
BENCHMARK(BM_DeleteOneAtom)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_RenumberMarkedFirst(benchmark::State& state) {
  run(state, [] { renumber_marked(); });
}
BENCHMARK(BM_RenumberMarkedFirst)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_AddHydrogenToSelectedAtom(benchmark::State& state) {
  run(state, [] {
    m->n_selected = 1;
    m->selected[0] = m->natom() / 2;
    add_atoms(0);
  });
}
BENCHMARK(BM_AddHydrogenToSelectedAtom)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_ChangeBondType(benchmark::State& state) {
  run(state, [] {
    const bond_t& last = m->bond.back();
    m->n_selected = 2;
    m->selected[0] = last.a1;
    m->selected[1] = last.a2;
    step_bond_type(1);
  });
}
BENCHMARK(BM_ChangeBondType)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

// The core steps.

void BM_CoreDeleteMarkedAtoms(benchmark::State& state) {
  run(state, [] { delete_marked_atoms(*m); });
}
BENCHMARK(BM_CoreDeleteMarkedAtoms)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_CoreRenumberMarkedFirst(benchmark::State& state) {
  run(state, [] { renumber_atoms_marked_first(*m); });
}
BENCHMARK(BM_CoreRenumberMarkedFirst)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_CoreAppendAtom(benchmark::State& state) {
  run(state, [] { append_atom(*m, "H", {0.5, 0.5, 0.5}); });
}
BENCHMARK(BM_CoreAppendAtom)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_CoreFindAndSetBondType(benchmark::State& state) {
  run(state, [] {
    const bond_t last = m->bond.back();
    m->bond[static_cast<size_t>(find_bond(*m, last.a1, last.a2))].type = 2;
  });
}
BENCHMARK(BM_CoreFindAndSetBondType)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace
