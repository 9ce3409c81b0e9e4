// Saving files with grids, in one run:
// - a 100 MB file (13 grids of 100³ points) saved with the syncs to the
//   disk and without them: the share of the time the syncs cost;
// - an 800 MB file (100 grids of 100³ points) saved against `cp` of the
//   same file: the time, and the memory the save takes beyond what the open
//   file holds (its peak set against one grid of 8 MB).
// Medians of five runs each (three for the large file), wall and processor
// time; the files are written into $TMPDIR (or /tmp), on the disk.
#include <malloc.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "document/open_close.h"
#include "document/save.h"
#include "document/undo.h"
#include "formats/safe_file.h"
#include "molecule/elements.h"
#include "molecule/settings.h"

extern char** environ;

namespace {

std::string scratch(const std::string& name) {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir ? dir : "/tmp") + "/" + name;
}

// Water with `grids` orbitals of n³ points, one block per grid.
void write_grid_file(const std::string& path, int n, int grids) {
  FILE* f = std::fopen(path.c_str(), "wb");
  const long long points = 1LL * n * n * n;
  std::fprintf(f,
               "3\nwater\nO 0.0 0.0 0.1173\nH 0.0 0.7572 -0.4692\nH 0.0 -0.7572 -0.4692\n <GRID>\n"
               " N_of_MO=%d N_of_Grids=%d N_of_Points=%lld Block_Size=%lld N_Blocks=1 Is_cutoff=0 CutOff=0.0 N_P=0\n"
               " N_INDEX= 0 0 0 0 0 0 0\n Net= %d %d %d\n Origin= -4.0 -4.0 -4.0\n Axis_1= 8.0 0 0\n"
               " Axis_2= 0 8.0 0\n Axis_3= 0 0 8.0\n ORBOFF = %lld\n",
               grids, grids, points, points, n, n, n, 8 * points * grids);
  for (int g = 0; g < grids; ++g)
    std::fprintf(f, " GridName= Orbital  sym= 1 index=%d Energ=-0.5 occ=2.0 type=i\n", g + 1);
  std::fputs(" <DENSITY>\n", f);
  std::vector<double> values(static_cast<size_t>(points));
  for (int g = 0; g < grids; ++g) {
    for (long long p = 0; p < points; ++p) values[static_cast<size_t>(p)] = (g + 1) * 1e-3 + p * 1e-9;
    std::fwrite(values.data(), sizeof(double), values.size(), f);
  }
  std::fprintf(f, " </DENSITY>\n <BASIS>\n </BASIS>\n </GRID>\n <END>\n");
  std::fclose(f);
}

struct timing_t {
  double wall = 0, cpu = 0;
};

double cpu_of(const rusage& u) {
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

timing_t timed(const std::function<void()>& work) {
  rusage before{}, after{};
  getrusage(RUSAGE_SELF, &before);
  const auto start = std::chrono::steady_clock::now();
  work();
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  getrusage(RUSAGE_SELF, &after);
  return {wall, cpu_of(after) - cpu_of(before)};
}

// `cp from to`, with the child's processor time.
timing_t timed_cp(const std::string& from, const std::string& to) {
  const char* argv[] = {"cp", from.c_str(), to.c_str(), nullptr};
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = -1;
  if (posix_spawnp(&pid, "cp", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) return {};
  int status = 0;
  rusage u{};
  wait4(pid, &status, 0, &u);
  return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), cpu_of(u)};
}

timing_t median(std::vector<timing_t> runs) {
  const auto mid = [&runs](double timing_t::*field) {
    std::vector<double> v;
    for (const timing_t& t : runs) v.push_back(t.*field);
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  };
  return {mid(&timing_t::wall), mid(&timing_t::cpu)};
}

// The resident set in kB ("VmRSS") or its peak ("VmHWM").
long status_kb(const char* key) {
  FILE* f = std::fopen("/proc/self/status", "r");
  char line[256];
  long kb = 0;
  while (f && std::fgets(line, sizeof line, f))
    if (std::string(line).rfind(key, 0) == 0) kb = std::atol(line + std::string(key).size() + 1);
  if (f) std::fclose(f);
  return kb;
}

// Starts the peak of the resident set again from the present, with the
// memory freed before given back, so that what the save takes shows.
void reset_peak() {
  malloc_trim(0);
  if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
    std::fputs("5", f);
    std::fclose(f);
  }
}

void syncs_against_none() {
  const std::string source = scratch("mivor-bench-save-100mb.mvr"), target = scratch("mivor-bench-saved.mvr");
  write_grid_file(source, 100, 13);
  open_file(source, std::nullopt);
  std::vector<timing_t> synced, unsynced;
  for (int run = 0; run < 5; ++run) {
    sync_written_files(true);
    synced.push_back(timed([&] { save_zev_file(target); }));
    sync_written_files(false);
    unsynced.push_back(timed([&] { save_zev_file(target); }));
  }
  sync_written_files(true);
  const timing_t with = median(synced), without = median(unsynced);
  std::printf("save of 104 MB with grids, with the syncs: %.3f s wall, %.3f s cpu\n", with.wall, with.cpu);
  std::printf("                       without the syncs: %.3f s wall, %.3f s cpu\n", without.wall, without.cpu);
  std::printf("the syncs' share of the time: %.0f %% (wall)\n", 100 * (with.wall - without.wall) / with.wall);
  close_file();
  std::remove(source.c_str());
  std::remove(target.c_str());
}

void streamed_against_cp() {
  const std::string source = scratch("mivor-bench-save-800mb.mvr"), target = scratch("mivor-bench-saved.mvr"),
                    copy = scratch("mivor-bench-copied.mvr");
  write_grid_file(source, 100, 100);
  open_file(source, std::nullopt);
  std::vector<timing_t> saves, unsynced, copies;
  long peak_kb = 0;
  for (int run = 0; run < 3; ++run) {
    copies.push_back(timed_cp(source, copy));
    reset_peak();
    const long before = status_kb("VmRSS:");
    saves.push_back(timed([&] { save_zev_file(target); }));
    peak_kb = std::max(peak_kb, status_kb("VmHWM:") - before);
    sync_written_files(false);
    unsynced.push_back(timed([&] { save_zev_file(target); }));
    sync_written_files(true);
  }
  const timing_t save = median(saves), quick = median(unsynced), cp = median(copies);
  std::printf("save of 800 MB (100 grids of 100^3): %.3f s wall, %.3f s cpu; without the syncs %.3f s, %.3f s\n",
              save.wall, save.cpu, quick.wall, quick.cpu);
  std::printf("cp of the same file:                 %.3f s wall, %.3f s cpu\n", cp.wall, cp.cpu);
  std::printf("ratio save/cp: %.2f with the syncs, %.2f without (wall)\n", save.wall / cp.wall, quick.wall / cp.wall);
  std::printf("memory of the save beyond the open file: %ld kB at its peak, %.2f of one grid (7813 kB)\n", peak_kb,
              peak_kb / 7812.5);
  close_file();
  for (const std::string& f : {source, target, copy}) std::remove(f.c_str());
}

}  // namespace

int main() {
  use_builtin_element_table();
  keep_undo_history(false);
  syncs_against_none();
  streamed_against_cp();
}
