// Isosurfaces: marching cubes at ±0.04 with normals on 128³ and 200³ grids
// of an orbital-like field, and the floor of any extraction on the same
// grids (one pass over the values, the triangles written); the whole orbital switch on a 200³ grid read
// from a native file (read, extract, index, depth sort); and the depth sort
// of 500,000 triangles after a rotation.
//
// The field, x·exp(-r²/2) - 0.15·exp(-(x² + (y - 2.5)² + z²)) on
// [-6, 6]³ bohr, is also made by bench/vtk_mcubes.py for the comparison in
// bench/compare_mcubes.sh. The native file goes to $TMPDIR (or /tmp) as
// mivor-bench-orbital200.mvr.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "document/native_file.h"
#include "document/open_close.h"
#include "formats/grid_reader.h"
#include "formats/native_reader.h"
#include "molecule/elements.h"
#include "molecule/mol_data.h"
#include "molecule/settings.h"
#include "render/isosurface.h"
#include "render/surface_store.h"

namespace {

using file_ptr = std::unique_ptr<FILE, int (*)(FILE*)>;

constexpr double half_box = 6;
constexpr double level = 0.04;

double field(double x, double y, double z) {
  const double dy = y - 2.5;
  return x * std::exp(-(x * x + y * y + z * z) / 2) - 0.15 * std::exp(-(x * x + dy * dy + z * z));
}

// n³ values, x slowest and z fastest.
const std::vector<double>& values(int n) {
  static std::map<int, std::vector<double>> made;
  std::vector<double>& v = made[n];
  if (v.empty()) {
    v.resize(static_cast<size_t>(n) * n * n);
    const double step = 2 * half_box / (n - 1);
    size_t p = 0;
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j)
        for (int k = 0; k < n; ++k) v[p++] = field(-half_box + i * step, -half_box + j * step, -half_box + k * step);
  }
  return v;
}

// Rotation by `degrees` about x, then by half of it about y (column-major).
std::array<double, 16> rotated(double degrees) {
  const double a = degrees * M_PI / 180, b = a / 2;
  const double ca = std::cos(a), sa = std::sin(a), cb = std::cos(b), sb = std::sin(b);
  // Ry(b)·Rx(a), columns first.
  return {cb, 0, -sb, 0, sb * sa, ca, cb * sa, 0, sb * ca, -sa, cb * ca, 0, 0, 0, -20, 1};
}

void BM_Mcubes(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<double>& v = values(n);
  const vec3 origin = {-half_box, -half_box, -half_box}, extents = {2 * half_box, 2 * half_box, 2 * half_box};
  std::unique_ptr<msrf_t> store;
  msrf_Init(store, 1);
  long long triangles = 0;
  for (auto _ : state) {
    srf_t* s = msrf_New_Surface(*store);
    mcubes(s, n, n, n, v.data(), nullptr, level, origin, extents, true);
    triangles = s->count();
    state.PauseTiming();
    msrf_Delete_Surface(s);
    state.ResumeTiming();
  }
  state.counters["triangles"] = static_cast<double>(triangles);
  state.counters["triangles_per_s"] =
      benchmark::Counter(static_cast<double>(triangles * state.iterations()), benchmark::Counter::kIsRate);
  msrf_Clean(*store);
}
BENCHMARK(BM_Mcubes)->Arg(128)->Arg(200)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor of any extraction: one pass over the values (their smallest and
// largest) and the writing of as many triangles as the extraction makes, into
// storage kept from one pass to the next, as a new surface takes over the
// storage of the one it replaces.
void BM_OnePassLimit(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<double>& v = values(n);
  size_t triangles = 0;
  {
    std::unique_ptr<msrf_t> store;
    msrf_Init(store, 1);
    srf_t* s = msrf_New_Surface(*store);
    mcubes(s, n, n, n, v.data(), nullptr, level, {-half_box, -half_box, -half_box},
           {2 * half_box, 2 * half_box, 2 * half_box}, true);
    triangles = s->triangles.size();
    msrf_Clean(*store);
  }
  decltype(srf_t::triangles) out;
  for (auto _ : state) {
    double low[4] = {v[0], v[0], v[0], v[0]}, high[4] = {v[0], v[0], v[0], v[0]};
    for (size_t p = 0; p + 4 <= v.size(); p += 4)
      for (int k = 0; k < 4; ++k) {
        low[k] = std::min(low[k], v[p + k]);
        high[k] = std::max(high[k], v[p + k]);
      }
    out.clear();
    out.reserve(triangles);
    srf_triangle_t t;
    t.v[0][0] = static_cast<float>(std::min({low[0], low[1], low[2], low[3]}));
    t.v[0][1] = static_cast<float>(std::max({high[0], high[1], high[2], high[3]}));
    for (size_t i = 0; i < triangles; ++i) out.push_back(t);
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["triangles"] = static_cast<double>(triangles);
}
BENCHMARK(BM_OnePassLimit)->Arg(128)->Arg(200)->Unit(benchmark::kMillisecond)->UseRealTime();

// One geometry with one 200³ orbital grid of the field (file units bohr).
void write_orbital_file(const std::string& path, int n) {
  const std::vector<double>& v = values(n);
  const long long points = static_cast<long long>(v.size());
  file_ptr out(std::fopen(path.c_str(), "wb"), std::fclose);
  std::fprintf(out.get(), "1\nh\nH 0 0 0\n <GRID>\n");
  std::fprintf(out.get(),
               " N_of_MO=1 N_of_Grids=1 N_of_Points=%lld Block_Size=%lld N_Blocks=1 Is_cutoff=0 CutOff=0 N_P=0\n",
               points, points);
  std::fprintf(out.get(), " N_INDEX= 0 0 0 0 0 0 0\n Net= %d %d %d\n Origin= %g %g %g\n", n, n, n, -half_box, -half_box,
               -half_box);
  std::fprintf(out.get(), " Axis_1= %g 0 0\n Axis_2= 0 %g 0\n Axis_3= 0 0 %g\n ORBOFF = %lld\n", 2 * half_box,
               2 * half_box, 2 * half_box, 8 * points);
  std::fprintf(out.get(), " GridName= Orbital  sym= 1 index=1 Energ=-0.5 occ=2.0 type=i\n <DENSITY>\n");
  std::fwrite(v.data(), sizeof(double), v.size(), out.get());
  std::fprintf(out.get(), " </DENSITY>\n </GRID>\n <END>\n");
}

void BM_OrbitalSwitch200(benchmark::State& state) {
  set_default_settings();
  use_builtin_element_table();
  const char* tmp = std::getenv("TMPDIR");
  input_file_name = std::string(tmp ? tmp : "/tmp") + "/mivor-bench-orbital200.mvr";
  write_orbital_file(input_file_name, 200);
  {
    file_ptr f(std::fopen(input_file_name.c_str(), "rb"), std::fclose);
    parse_zev_file(f.get());
  }
  if (!All_Surfaces || All_Surfaces->n_slots() != m->ngrid()) allocate_msrf(m->ngrid());
  Input_Data.auto_select_level = 0;
  Input_Data.isolevel = level;
  double angle = 30;
  for (auto _ : state) {
    iorb = 0;
    read_grid_from_file();
    make_surfaces();
    msrf_Make_Index(*All_Surfaces);
    msrf_Sort(*All_Surfaces, rotated(angle));
    angle += 50;
    benchmark::DoNotOptimize(All_Surfaces->index.data());
  }
  state.counters["triangles"] = All_Surfaces->n_index();
  deallocate_msrf();
  deallocate_mol_data();
}
BENCHMARK(BM_OrbitalSwitch200)->Unit(benchmark::kMillisecond)->UseRealTime();

// 500,000 triangles scattered in a 20 Å box, sorted alternately for two
// orientations 50° apart, so that every sort starts from an order made for
// the other view.
void BM_DepthSort500k(benchmark::State& state) {
  std::unique_ptr<msrf_t> store;
  msrf_Init(store, 1);
  srf_t* s = msrf_New_Surface(*store);
  std::mt19937 random(12345);
  std::uniform_real_distribution<double> coordinate(-10, 10), offset(-0.1, 0.1);
  for (int t = 0; t < 500000; ++t) {
    const vec3 c = {coordinate(random), coordinate(random), coordinate(random)};
    std::array<vec3, 3> v, n;
    for (int k = 0; k < 3; ++k) {
      v[k] = {c[0] + offset(random), c[1] + offset(random), c[2] + offset(random)};
      n[k] = {0, 0, 1};
    }
    srf_Add_Triangle(*s, v, n, {0, 0, 0}, t % 2);
  }
  msrf_Make_Index(*store);
  const std::array<double, 16> views[2] = {rotated(30), rotated(80)};
  msrf_Sort(*store, views[1]);
  int which = 0;
  for (auto _ : state) {
    msrf_Sort(*store, views[which]);
    which ^= 1;
    benchmark::DoNotOptimize(store->index.data());
  }
  state.SetItemsProcessed(state.iterations() * store->n_index());
  msrf_Clean(*store);
}
BENCHMARK(BM_DepthSort500k)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
