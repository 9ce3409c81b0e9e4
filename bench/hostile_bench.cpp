// The huge inputs of the regression corpus, timed: 2 million "<END>" lines,
// 10 million one-letter atom lines, a block of 320,000 distinct bonds, and
// the refusal of a 128³ grid whose surface would take 16 million triangles;
// against a plain line-by-line read of the same atom lines, the floor of
// any text reader. And the atom lines written back (540 MB of text), to set
// beside their reading.
//
// The inputs are generated into $TMPDIR (or /tmp) on first use.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "formats/native_reader.h"
#include "formats/native_writer.h"
#include "formats/text_words.h"
#include "molecule/elements.h"
#include "molecule/mol_data.h"
#include "molecule/settings.h"
#include "render/isosurface.h"

namespace {

using file_ptr = std::unique_ptr<FILE, int (*)(FILE*)>;

std::string scratch(const char* name) {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir ? dir : "/tmp") + "/" + name;
}

// `count` copies of `piece` after `head`, written once per run of the
// program.
std::string generated(const char* name, const std::string& head, const std::string& piece, long count) {
  const std::string path = scratch(name);
  file_ptr out(std::fopen(path.c_str(), "wb"), std::fclose);
  std::fputs(head.c_str(), out.get());
  for (long k = 0; k < count; ++k) std::fwrite(piece.data(), 1, piece.size(), out.get());
  std::fputs(" <END>\n", out.get());
  return path;
}

const std::string& end_lines() {
  static const std::string p = generated("mivor-bench-end-lines.mvr", "", " <END>\n", 2000000 - 1);
  return p;
}

const std::string& atom_lines() {
  static const std::string p = generated("mivor-bench-atom-lines.mvr", "10000000\none letter each\n", "H\n", 10000000);
  return p;
}

const std::string& bond_block() {
  static const std::string p = [] {
    std::string head = "1000\nbonds\n";
    for (int k = 0; k < 1000; ++k)
      head += "C " + std::to_string(k % 10 * 2) + " " + std::to_string(k / 10 % 10 * 2) + " " +
              std::to_string(k / 100 * 2) + "\n";
    head += " <BOND>\n AUTOMATIC = 0\n";
    int n = 0;
    for (int i = 1; i <= 1000 && n < 320000; ++i)
      for (int j = i + 1; j <= 1000 && n < 320000; ++j, ++n)
        head += " " + std::to_string(i) + "  " + std::to_string(j) + "  1\n";
    return generated("mivor-bench-bonds.mvr", head + " </BOND>\n", "", 0);
  }();
  return p;
}

void parse(benchmark::State& state, const std::string& path) {
  set_default_settings();
  use_builtin_element_table();
  for (auto _ : state) {
    file_ptr f(std::fopen(path.c_str(), "rb"), std::fclose);
    parse_zev_file(f.get());
    benchmark::DoNotOptimize(mol.data());
  }
  state.counters["geometries"] = n_geometries();
  state.counters["atoms"] = mol.empty() ? 0 : mol[0].natom();
  state.counters["bonds"] = mol.empty() ? 0 : mol[0].nbond();
  deallocate_mol_data();
}

void BM_ParseEndLines2M(benchmark::State& state) { parse(state, end_lines()); }
BENCHMARK(BM_ParseEndLines2M)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ParseAtomLines10M(benchmark::State& state) { parse(state, atom_lines()); }
BENCHMARK(BM_ParseAtomLines10M)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ParseBondBlock320k(benchmark::State& state) { parse(state, bond_block()); }
BENCHMARK(BM_ParseBondBlock320k)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor: the same atom lines read line by line and nothing else done.
void BM_PlainLinesAtomLines10M(benchmark::State& state) {
  const std::string& path = atom_lines();
  for (auto _ : state) {
    file_ptr f(std::fopen(path.c_str(), "rb"), std::fclose);
    std::string line;
    size_t n = 0;
    while (read_line_into(f.get(), line)) ++n;
    benchmark::DoNotOptimize(n);
  }
}
BENCHMARK(BM_PlainLinesAtomLines10M)->Unit(benchmark::kMillisecond)->UseRealTime();

// The 10 million atoms read once, then written as a save writes them.
void BM_WriteAtomLines10M(benchmark::State& state) {
  set_default_settings();
  use_builtin_element_table();
  {
    file_ptr f(std::fopen(atom_lines().c_str(), "rb"), std::fclose);
    parse_zev_file(f.get());
  }
  const std::string path = scratch("mivor-bench-atom-lines-written.mvr");
  for (auto _ : state) {
    file_ptr out(std::fopen(path.c_str(), "wb"), std::fclose);
    write_all_data_to_output(out.get(), 0, nullptr);
  }
  std::remove(path.c_str());
  deallocate_mol_data();
}
BENCHMARK(BM_WriteAtomLines10M)->Unit(benchmark::kMillisecond)->UseRealTime();

// Counting the 16,387,064 triangles of a 128³ grid of alternating values
// and refusing them.
void BM_RefuseSurface128(benchmark::State& state) {
  const int n = 128;
  std::vector<double> values;
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      for (int k = 0; k < n; ++k) values.push_back((i + j + k) % 2 ? -1.0 : 1.0);
  srf_t surface;
  surface_outcome_t outcome;
  for (auto _ : state)
    outcome = mcubes_within(&surface, n, n, n, values.data(), nullptr, 0.25, {}, {1, 1, 1}, true, 1000000);
  state.counters["triangles"] = static_cast<double>(outcome.triangles);
}
BENCHMARK(BM_RefuseSurface128)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
