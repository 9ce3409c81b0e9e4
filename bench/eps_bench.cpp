// The EPS picture of an orbital-like scene: 200,000 isosurface triangles
// (two lobes of a sphere mesh) and a few atoms, collected, sorted and
// written to a file; reports the file size.
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <string>

#include "export/postscript_output.h"
#include "molecule/mol_data.h"
#include "render/isosurface.h"

namespace {

// n triangles on two spheres of radius 1 at x = ±1.2, lobe 0 and lobe 1.
void orbital_scene(int n) {
  new_mol(1);
  allocate_atoms(*m, 2);
  m->xyz = {vec3{-0.6, 0, 0}, vec3{0.6, 0, 0}};
  const uint32_t carbon = add_atom_kind(*m, element_t{"C", {0.5f, 0.5f, 0.5f, 1}, 1.0f, 0.8f, 4, 0, 0});
  for (int i = 0; i < 2; ++i) set_atom_kind(*m, i, carbon);
  m->bond = {{0, 1, SINGLE_BOND}};
  allocate_grids(*m, 1);
  allocate_msrf(1);
  surf[0] = msrf_New_Surface(*All_Surfaces);
  const int bands = static_cast<int>(std::sqrt(n / 4.0));
  for (int t = 0; t < n; ++t) {
    const int lobe = t % 2, k = t / 2;
    const double a = 2 * M_PI * (k % (2 * bands)) / (2 * bands), b = M_PI * ((k / (2 * bands)) % bands) / bands;
    const double d = M_PI / bands;
    const vec3 c{lobe ? 1.2 : -1.2, 0, 0};
    auto at = [&](double u, double v) {
      return vec3{std::sin(v) * std::cos(u), std::sin(v) * std::sin(u), std::cos(v)};
    };
    const vec3 p0 = at(a, b), p1 = at(a + d, b), p2 = at(a, b + d);
    srf_Add_Triangle(*surf[0], {c + p0, c + p1, c + p2}, {p0, p1, p2}, {0, 0, 0}, lobe);
  }
}

void BM_EpsOfOrbitalPicture(benchmark::State& state) {
  orbital_scene(200000);
  const matrix16 mv{0.8, 0, -0.6, 0, 0, 1, 0, 0, 0.6, 0, 0.8, 0, 0, 0, 0, 1};
  const std::string path = "/tmp/mivor_eps_bench_" + std::to_string(getpid()) + ".eps";
  for (auto _ : state) {
    All_Surfaces->sorted = 0;  // the picture sorts the surfaces for its view, as after a turn
    benchmark::DoNotOptimize(initPS(0, path, mv));
  }
  struct stat st {};
  stat(path.c_str(), &st);
  state.counters["file_MB"] = static_cast<double>(st.st_size) / 1e6;
  unlink(path.c_str());
}
BENCHMARK(BM_EpsOfOrbitalPicture)->Unit(benchmark::kMillisecond);

}  // namespace
