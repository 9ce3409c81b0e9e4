// The converters' inner loops: numbers read from cube text, orbitals of
// formaldehyde/cc-pVDZ evaluated on lattices of growing size, and one
// run from its HDF5 orbital file and from its Molden file.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "convert/molden.h"
#include "convert/molden_grids.h"
#include "convert/number_scan.h"
#include "convert/orbital_file_grids.h"
#include "convert/text_lines.h"

namespace {

std::string cube_like_text(size_t values) {
  std::string text;
  char number[32];
  for (size_t k = 0; k < values; ++k) {
    std::snprintf(number, sizeof number, "%13.5E", 1e-3 * static_cast<double>(k % 977) - 0.4);
    text += number;
    if (k % 6 == 5) text += '\n';
  }
  return text;
}

void BM_ScanCubeValues(benchmark::State& state) {
  const std::string text = cube_like_text(1 << 20);
  for (auto _ : state) {
    FILE* f = fmemopen(const_cast<char*>(text.data()), text.size(), "rb");
    NumberStream numbers(f);
    grid_values_t out;
    while (numbers.next_run(out) > 0) {
    }
    std::fclose(f);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
  state.counters["values/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * (1 << 20), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ScanCubeValues)->Unit(benchmark::kMillisecond);

// Density and the 19 orbitals of the default choice on N points per edge.
void BM_MoldenToGrids(benchmark::State& state) {
  const std::string in = MIVOR_SOURCE_DIR "/tests/data/convert/h2co.molden";
  const std::string out = "/tmp/mivor-bench-h2co.mvr";
  grid_options_t o;
  o.net = static_cast<int>(state.range(0));
  std::string error;
  for (auto _ : state)
    if (!convert_molden(in, o, out, error)) state.SkipWithError(error.c_str());
  std::remove(out.c_str());
  state.counters["points"] = static_cast<double>(state.range(0) * state.range(0) * state.range(0));
}
BENCHMARK(BM_MoldenToGrids)->Arg(40)->Arg(60)->Arg(80)->Unit(benchmark::kMillisecond);

// Every orbital of water/cc-pVDZ (C2v) on 60³ points: /0 from the run's
// Molden file, /1 from its HDF5 file (orbitals desymmetrised).
void BM_Hdf5RunToGrids(benchmark::State& state) {
  const bool h5 = state.range(0) == 1;
  const std::string in = std::string(MIVOR_SOURCE_DIR "/tests/data/orbital_files/water.scf.") + (h5 ? "h5" : "molden");
  const std::string out = "/tmp/mivor-bench-hdf5.mvr";
  grid_options_t o;
  o.net = 60;
  o.all = true;
  std::string error;
  for (auto _ : state)
    if (!(h5 ? convert_hdf5_orbitals(in, o, out, error) : convert_molden(in, o, out, error)))
      state.SkipWithError(error.c_str());
  std::remove(out.c_str());
}
BENCHMARK(BM_Hdf5RunToGrids)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
