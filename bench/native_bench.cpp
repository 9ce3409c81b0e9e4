// Reading native files: a long trajectory parsed with automatic bonding, and
// one 200³ grid read from a file that holds several, against a plain read
// of the same bytes.
//
// The inputs are generated into $TMPDIR (or /tmp) on first use and kept for
// the comparison scripts: mivor-bench-trajectory.mvr (with its XYZ twin
// mivor-bench-trajectory.xyz) and mivor-bench-grids.mvr.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "document/native_file.h"
#include "document/open_close.h"
#include "formats/grid_reader.h"
#include "formats/native_reader.h"
#include "molecule/elements.h"
#include "molecule/mol_data.h"
#include "molecule/notify.h"
#include "molecule/settings.h"

namespace {

using file_ptr = std::unique_ptr<FILE, int (*)(FILE*)>;

std::string scratch(const char* name) {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir ? dir : "/tmp") + "/" + name;
}

constexpr int n_frames = 10000;
constexpr int n_frame_atoms = 100;
constexpr int grid_side = 200;
constexpr int n_grids = 3;

void setup() {
  set_default_settings();
  use_builtin_element_table();
}

// An alkane-like chain of 100 atoms that breathes from frame to frame.
void write_trajectory(const std::string& native, const std::string& xyz) {
  file_ptr out(std::fopen(native.c_str(), "wb"), std::fclose);
  file_ptr twin(std::fopen(xyz.c_str(), "wb"), std::fclose);
  for (int f = 0; f < n_frames; ++f) {
    const double s = 1.0 + 0.01 * std::sin(f * 0.1);
    std::fprintf(out.get(), "  %d\nframe %d\n", n_frame_atoms, f);
    std::fprintf(twin.get(), "%d\nframe %d\n", n_frame_atoms, f);
    for (int i = 0; i < n_frame_atoms; ++i) {
      const int c = i / 3;
      const bool carbon = i % 3 == 0;
      const double x = s * (c * 1.26 + (carbon ? 0.0 : 0.36));
      const double y = s * ((c % 2 ? 0.45 : -0.45) + (carbon ? 0.0 : (i % 3 == 1 ? 0.9 : -0.45)));
      const double z = carbon ? 0.0 : (i % 3 == 1 ? 0.0 : 0.89);
      const char* sym = carbon ? "C" : "H";
      std::fprintf(out.get(), " %s  %15.9f  %15.9f  %15.9f\n", sym, x, y, z);
      std::fprintf(twin.get(), "%s %.9f %.9f %.9f\n", sym, x, y, z);
    }
    std::fprintf(out.get(), "<energy>\n%.8f\n <END>\n", -390.0 - 0.001 * f);
  }
}

void write_grids(const std::string& path) {
  file_ptr out(std::fopen(path.c_str(), "wb"), std::fclose);
  const long long points = 1LL * grid_side * grid_side * grid_side;
  std::fprintf(out.get(), "1\nh\nH 0 0 0\n <GRID>\n");
  std::fprintf(out.get(),
               " N_of_MO=%d N_of_Grids=%d N_of_Points=%lld Block_Size=%lld N_Blocks=1 Is_cutoff=0 CutOff=0 N_P=0\n",
               n_grids, n_grids, points, points);
  std::fprintf(out.get(), " N_INDEX= 0 0 0 0 0 0 0\n Net= %d %d %d\n Origin= -8 -8 -8\n", grid_side, grid_side,
               grid_side);
  std::fprintf(out.get(), " Axis_1= 16 0 0\n Axis_2= 0 16 0\n Axis_3= 0 0 16\n ORBOFF = %lld\n", 8 * points * n_grids);
  for (int g = 0; g < n_grids; ++g)
    std::fprintf(out.get(), " GridName= Orbital  sym= 1 index=%d Energ=-0.5 occ=2.0 type=i\n", g + 1);
  std::fprintf(out.get(), " <DENSITY>\n");
  std::vector<double> values(static_cast<size_t>(points));
  for (int g = 0; g < n_grids; ++g) {
    for (long long p = 0; p < points; ++p) {
      const double x = (p / (grid_side * grid_side)) / 20.0 - 5, y = (p / grid_side % grid_side) / 20.0 - 5,
                   z = (p % grid_side) / 20.0 - 5;
      values[static_cast<size_t>(p)] = (x + g) * std::exp(-(x * x + y * y + z * z) / 4);
    }
    std::fwrite(values.data(), sizeof(double), values.size(), out.get());
  }
  std::fprintf(out.get(), " </DENSITY>\n </GRID>\n <END>\n");
}

const std::string& trajectory() {
  static const std::string path = [] {
    const std::string p = scratch("mivor-bench-trajectory.mvr");
    write_trajectory(p, scratch("mivor-bench-trajectory.xyz"));
    return p;
  }();
  return path;
}

const std::string& grids() {
  static const std::string path = [] {
    const std::string p = scratch("mivor-bench-grids.mvr");
    write_grids(p);
    return p;
  }();
  return path;
}

long long file_size(const std::string& path) {
  file_ptr f(std::fopen(path.c_str(), "rb"), std::fclose);
  std::fseek(f.get(), 0, SEEK_END);
  return std::ftell(f.get());
}

void BM_ParseTrajectory(benchmark::State& state) {
  setup();
  const std::string& path = trajectory();
  for (auto _ : state) {
    file_ptr f(std::fopen(path.c_str(), "rb"), std::fclose);
    parse_zev_file(f.get());
    benchmark::DoNotOptimize(mol.data());
  }
  state.counters["geometries"] = n_geometries();
  state.counters["bonds_first"] = mol.empty() ? 0 : mol[0].nbond();
  state.SetBytesProcessed(state.iterations() * file_size(path));
  deallocate_mol_data();
}
BENCHMARK(BM_ParseTrajectory)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReadOneGrid200(benchmark::State& state) {
  setup();
  input_file_name = grids();
  file_ptr f(std::fopen(input_file_name.c_str(), "rb"), std::fclose);
  parse_zev_file(f.get());
  iorb = 1;
  for (auto _ : state) {
    read_grid_from_file();
    benchmark::DoNotOptimize(m->grid.edit().grid_values.data());
  }
  state.SetBytesProcessed(state.iterations() * 8LL * grid_side * grid_side * grid_side);
  deallocate_mol_data();
}
BENCHMARK(BM_ReadOneGrid200)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor: one fread of the same 64 MB from the page cache.
void BM_PlainRead64MB(benchmark::State& state) {
  const std::string& path = grids();
  const size_t bytes = 8ULL * grid_side * grid_side * grid_side;
  std::vector<double> buffer(bytes / 8);
  const long long start = file_size(path) - static_cast<long long>(n_grids * bytes) - 28;
  for (auto _ : state) {
    file_ptr f(std::fopen(path.c_str(), "rb"), std::fclose);
    std::fseek(f.get(), static_cast<long>(start + static_cast<long long>(bytes)), SEEK_SET);
    benchmark::DoNotOptimize(std::fread(buffer.data(), 1, bytes, f.get()));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<long long>(bytes));
}
BENCHMARK(BM_PlainRead64MB)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
