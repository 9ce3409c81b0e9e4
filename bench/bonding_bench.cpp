// Automatic bonding on a 300-atom molecule (the largest that is bonded) and
// on many small geometries, as a trajectory of 50-atom frames.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "molecule/bonding.h"
#include "molecule/elements.h"
#include "molecule/mol_data.h"
#include "molecule/settings.h"

namespace {

// A hydrocarbon-like cluster: carbons on a diamond-like lattice, hydrogens
// beside them, with a small deterministic jitter.
mol_data_t cluster(int natom, int seed) {
  mol_data_t rec;
  allocate_atoms(rec, natom);
  const int side = static_cast<int>(std::ceil(std::cbrt(natom / 2.0)));
  for (int i = 0; i < natom; ++i) {
    const int cell = i / 2;
    const double jitter = 0.02 * std::sin(i * 12.9898 + seed * 78.233);
    const double x = (cell % side) * 1.54, y = (cell / side % side) * 1.54, z = (cell / side / side) * 1.54;
    const bool carbon = i % 2 == 0;
    rec.xyz[static_cast<size_t>(i)] = carbon ? vec3{x + jitter, y, z} : vec3{x + 0.63, y + 0.63, z + 0.63 + jitter};
    set_atom_symbol(rec, i, carbon ? "C" : "H");
  }
  return rec;
}

void setup_tables() {
  set_default_settings();
  use_builtin_element_table();
}

void BM_Bonding300Atoms(benchmark::State& state) {
  setup_tables();
  const mol_data_t start = cluster(300, 1);
  for (auto _ : state) {
    mol_data_t rec = start;
    determine_bonding(rec);
    benchmark::DoNotOptimize(rec.bond.data());
  }
  state.counters["bonds"] = [&] {
    mol_data_t rec = start;
    determine_bonding(rec);
    return rec.nbond();
  }();
}
BENCHMARK(BM_Bonding300Atoms)->Unit(benchmark::kMicrosecond);

void BM_Bonding10000Geometries50Atoms(benchmark::State& state) {
  setup_tables();
  std::vector<mol_data_t> frames;
  for (int g = 0; g < 10000; ++g) frames.push_back(cluster(50, g));
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<mol_data_t> work = frames;
    state.ResumeTiming();
    for (mol_data_t& rec : work) determine_bonding(rec);
    benchmark::DoNotOptimize(work.data());
  }
}
BENCHMARK(BM_Bonding10000Geometries50Atoms)->Unit(benchmark::kMillisecond);

}  // namespace
