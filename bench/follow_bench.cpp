// Following a calculation's file: the one-second look when nothing changed
// (its share of a core is the time per look divided by one second), and
// the reload after the program rewrote a 1,000-atom, 100-geometry file
// (shown at the next look: at most one second plus this time).
//
// The input is generated into $TMPDIR (or /tmp) as mivor-bench-follow.mvr.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "document/current_file.h"
#include "document/open_close.h"
#include "molecule/elements.h"
#include "molecule/mol_data.h"
#include "molecule/settings.h"

namespace {

constexpr int n_geometries_written = 100;
constexpr int n_atoms = 1000;

std::string follow_file() {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir ? dir : "/tmp") + "/mivor-bench-follow.mvr";
}

// An optimisation's file: a 10×10×10 block of carbon atoms that relaxes
// step by step, with the energy of each step.
void write_optimisation(const std::string& path, int stamp) {
  std::string text;
  text.reserve(static_cast<size_t>(n_geometries_written) * n_atoms * 56);
  char line[128];
  for (int g = 0; g < n_geometries_written; ++g) {
    const double s = 1.5 + 0.1 * std::exp(-0.05 * g);
    std::snprintf(line, sizeof line, "  %d\nstep %d of run %d\n", n_atoms, g, stamp);
    text += line;
    for (int i = 0; i < n_atoms; ++i) {
      std::snprintf(line, sizeof line, " C %15.9f %15.9f %15.9f\n", s * (i % 10), s * (i / 10 % 10), s * (i / 100));
      text += line;
    }
    std::snprintf(line, sizeof line, " <ENERGY>\n %.10f\n </ENERGY>\n <END>\n", -1000.0 - 0.01 * g);
    text += line;
  }
  const std::string tmp = path + ".tmp";
  FILE* out = std::fopen(tmp.c_str(), "wb");
  if (!out) std::abort();
  std::fwrite(text.data(), 1, text.size(), out);
  std::fclose(out);
  if (std::rename(tmp.c_str(), path.c_str()) != 0) std::abort();
}

void open_followed_file() {
  set_default_settings();
  use_builtin_element_table();
  write_optimisation(follow_file(), 0);
  open_file(follow_file(), std::nullopt);
}

// A look at an unchanged file: no reading.
void BM_FollowLookUnchanged(benchmark::State& state) {
  open_followed_file();
  for (auto _ : state) check_if_file_changed();
  if (n_geometries() != n_geometries_written) state.SkipWithError("the file did not open");
}
BENCHMARK(BM_FollowLookUnchanged)->Unit(benchmark::kMicrosecond);

// A look after the program rewrote the file: the whole file read again.
void BM_FollowLookAfterRewrite(benchmark::State& state) {
  open_followed_file();
  int stamp = 1;
  for (auto _ : state) {
    state.PauseTiming();
    write_optimisation(follow_file(), stamp++);
    // A rewrite within the same second as the last one must still be seen.
    struct timespec times[2] = {{0, UTIME_OMIT}, {watched_file.mtime + stamp, 0}};
    utimensat(AT_FDCWD, follow_file().c_str(), times, 0);
    state.ResumeTiming();
    check_if_file_changed();
  }
  if (n_geometries() != n_geometries_written || m->natom() != n_atoms) state.SkipWithError("the file did not reload");
}
BENCHMARK(BM_FollowLookAfterRewrite)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
