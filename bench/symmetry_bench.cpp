// Point-group detection on 300 and 3,000 atoms: the D2h subgroup search of
// the window (`findsym`) and the full Schoenflies search of the command
// line, each on a D3h cluster (symmetric, turned out of its frame) and on
// scattered atoms (no symmetry, where most operations fail at once).
// Before running, the inputs are written as XYZ files into $TMPDIR for
// bench/compare_point_group.sh, which runs Open Babel on the same atoms.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "edit/point_group.h"
#include "edit/schoenflies.h"

namespace {

struct atoms_t {
  std::vector<std::string> labels;
  std::vector<vec3> xyz;
};

// n/12 generic seeds (carbon, nitrogen, oxygen) under D3h, turned and
// shifted; or n scattered atoms.
atoms_t make_atoms(int n, bool symmetric) {
  std::mt19937 rng(static_cast<unsigned>(n));
  const double radius = 1.7 * std::cbrt(n);
  std::uniform_real_distribution<double> u(-radius, radius);
  const char* const elements[] = {"C", "N", "O"};
  atoms_t a;
  if (!symmetric) {
    for (int i = 0; i < n; ++i) {
      a.labels.push_back(elements[i % 3]);
      a.xyz.push_back({u(rng), u(rng), u(rng)});
    }
    return a;
  }
  std::vector<mat3> group;
  for (int k = 0; k < 3; ++k)
    for (bool flip : {false, true})
      for (bool mirror : {false, true}) {
        mat3 g = Cn_axis_findsym({0, 0, 1}, 3);
        mat3 p = identity_matrix3();
        for (int j = 0; j < k; ++j) p = g * p;
        if (flip) p = Cn_axis_findsym({1, 0, 0}, 2) * p;
        if (mirror) p = mirror_plane_findsym({0, 0, 1}) * p;
        group.push_back(p);
      }
  const mat3 turn = Cn_axis_findsym({0.6, 0, 0.8}, 7) * Cn_axis_findsym({0, 1, 0}, 11);
  for (int s = 0; s < n / 12; ++s) {
    const vec3 seed{u(rng), u(rng), u(rng)};
    for (const mat3& g : group) {
      a.labels.push_back(elements[s % 3]);
      a.xyz.push_back(turn * (g * seed) + vec3{3, -2, 1});
    }
  }
  return a;
}

void write_xyz(const atoms_t& a, const std::string& name) {
  const char* dir = std::getenv("TMPDIR");
  const std::string path = std::string(dir ? dir : "/tmp") + "/" + name;
  FILE* f = std::fopen(path.c_str(), "w");
  if (!f) return;
  std::fprintf(f, "%zu\n%s\n", a.xyz.size(), name.c_str());
  for (size_t i = 0; i < a.xyz.size(); ++i)
    std::fprintf(f, "%s %.10f %.10f %.10f\n", a.labels[i].c_str(), a.xyz[i][0], a.xyz[i][1], a.xyz[i][2]);
  std::fclose(f);
}

void BM_Findsym(benchmark::State& state) {
  const atoms_t a = make_atoms(static_cast<int>(state.range(0)), state.range(1) != 0);
  std::string generators;
  for (auto _ : state) {
    std::vector<vec3> xyz = a.xyz;
    double tol = 0.05;
    generators = findsym(a.labels, xyz, tol).generators;
    benchmark::DoNotOptimize(xyz.data());
  }
  state.SetLabel(generators.empty() ? "no symmetry" : generators);
}
BENCHMARK(BM_Findsym)
    ->ArgNames({"atoms", "symmetric"})
    ->ArgsProduct({{300, 3000}, {1, 0}})
    ->Unit(benchmark::kMillisecond);

void BM_FullPointGroup(benchmark::State& state) {
  const atoms_t a = make_atoms(static_cast<int>(state.range(0)), state.range(1) != 0);
  std::string symbol;
  for (auto _ : state) {
    symbol = schoenflies_point_group(a.labels, a.xyz, 0.05).symbol;
    benchmark::DoNotOptimize(symbol.data());
  }
  state.SetLabel(symbol);
}
BENCHMARK(BM_FullPointGroup)
    ->ArgNames({"atoms", "symmetric"})
    ->ArgsProduct({{300, 3000}, {1, 0}})
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  for (int n : {300, 3000})
    for (bool symmetric : {true, false})
      write_xyz(make_atoms(n, symmetric),
                "mivor-bench-symmetry-" + std::to_string(n) + (symmetric ? "-d3h" : "-scattered") + ".xyz");
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
