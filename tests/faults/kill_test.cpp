// Saves killed at random moments: `mivor-cli convert` saves a file with
// grids of 100 MB over an older file and is killed (SIGKILL) at a random
// moment of the save, 200 times; each time the target is the old file or
// the new one, byte for byte. (Built with the sanitizers: 50 kills of a
// 24 MB save.) The files lie in memory (/dev/shm where there is one): a
// kill loses nothing the system already holds, and the disk is spared.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <thread>
#include <vector>

#include "faults/faults.h"
#include "support/grid_files.h"
#include "support/temp_dir.h"

extern char** environ;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr int kills = 50, grids = 3;
#else
constexpr int kills = 200, grids = 13;
#endif

// The save, started; its process id.
pid_t start_save(const std::string& source, const std::string& target) {
  setenv("MIVOR_DIR", MIVOR_SOURCE_DIR "/mivorrc", 1);
  const char* argv[] = {MIVOR_CLI_BINARY, "convert", source.c_str(), target.c_str(), nullptr};
  posix_spawn_file_actions_t quiet;
  posix_spawn_file_actions_init(&quiet);
  posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  const int r = posix_spawn(&pid, MIVOR_CLI_BINARY, &quiet, nullptr, const_cast<char**>(argv), environ);
  posix_spawn_file_actions_destroy(&quiet);
  return r == 0 ? pid : -1;
}

int wait_for(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return status;
}

// Whether the file at `path` holds exactly `bytes`.
bool holds(const std::string& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  std::vector<char> buffer(1 << 20);
  size_t at = 0;
  bool same = true;
  for (size_t got; same && (got = std::fread(buffer.data(), 1, buffer.size(), f)) > 0; at += got)
    same = at + got <= bytes.size() && std::memcmp(buffer.data(), bytes.data() + at, got) == 0;
  std::fclose(f);
  return same && at == bytes.size();
}

// Makes `target` the old file again: a new name for the same bytes.
void put_back(const std::string& pristine, const std::string& target) {
  if (std::filesystem::exists(target) && std::filesystem::equivalent(pristine, target)) return;
  const std::string link = target + ".back";
  std::filesystem::remove(link);
  std::filesystem::create_hard_link(pristine, link);
  std::filesystem::rename(link, target);
}

TEST(KilledSaves, EachLeavesTheOldFileOrTheNewOne) {
  const bool shm = std::filesystem::is_directory("/dev/shm");
  const ScopedEnv tmp("TMPDIR", shm ? "/dev/shm" : std::getenv("TMPDIR"));
  TempDir dir;
  grid_file_layout_t layout;
  layout.n = 100, layout.grids = grids, layout.block = 100000;
  const std::string source = dir.write("source.mvr", grid_file_text(layout));
  const std::string pristine = dir.write("pristine.mvr", read_file(source) + "the old file\n");
  const std::string target = dir.file("target.mvr");
  const std::string old = read_file(pristine);

  // The whole save, timed: kills fall anywhere within it.
  put_back(pristine, target);
  const auto begin = std::chrono::steady_clock::now();
  ASSERT_EQ(wait_for(start_save(source, target)), 0);
  const double whole = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  const std::string saved = read_file(target);
  ASSERT_GT(saved.size(), 8u * 100 * 100 * 100 * grids);
  ASSERT_NE(saved, old);
  const std::vector<std::string> names = folder_names(dir.path());

  std::mt19937 random(2024);
  std::uniform_real_distribution<double> moment(0, whole);
  int left_old = 0, left_new = 0, temporaries = 0;
  for (int k = 0; k < kills; ++k) {
    put_back(pristine, target);
    const pid_t pid = start_save(source, target);
    ASSERT_GT(pid, 0);
    std::this_thread::sleep_for(std::chrono::duration<double>(moment(random)));
    kill(pid, SIGKILL);
    wait_for(pid);
    const bool is_old = holds(target, old), is_new = !is_old && holds(target, saved);
    EXPECT_TRUE(is_old || is_new) << "kill " << k << ": " << std::filesystem::file_size(target) << " bytes";
    left_old += is_old;
    left_new += is_new;
    // Only a kill between naming the new file and renaming it can leave it.
    for (const std::string& name : folder_names(dir.path())) {
      if (std::find(names.begin(), names.end(), name) != names.end()) continue;
      EXPECT_EQ(name.rfind(".mivor-", 0), 0u) << name;
      std::filesystem::remove(dir.file(name));
      ++temporaries;
    }
  }
  std::printf("%d kills within %.2f s saves: %d left the old file, %d the new one, %d a named temporary\n", kills,
              whole, left_old, left_new, temporaries);
  EXPECT_GT(left_old, 0);
}

}  // namespace
