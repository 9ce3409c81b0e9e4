#include "molecule/memory_budget.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <new>
#include <vector>

#include "molecule/large_blocks.h"
#include "support/recording_notifier.h"
#include "support/temp_dir.h"

namespace {

// The user's limit narrows the budget: below what the program holds
// already nothing fits; a far larger one leaves what the system allows;
// one that can't be read is no limit.
TEST(MemoryBudget, TheUsersLimitNarrowsWhatTheSystemAllows) {
  const size_t free = memory_budget();
  EXPECT_GT(free, 0u);
  {
    ScopedEnv limit("MIVOR_MEMORY_LIMIT", "1K");
    EXPECT_EQ(memory_budget(), 0u);
    EXPECT_FALSE(fits_in_memory(1));
  }
  {
    ScopedEnv limit("MIVOR_MEMORY_LIMIT", "64M");
    EXPECT_LT(memory_budget(), size_t{64} << 20);
  }
  for (const char* ignored : {"1000G", "lots", "-5M"}) {
    ScopedEnv limit("MIVOR_MEMORY_LIMIT", ignored);
    EXPECT_GT(memory_budget(), free / 2) << ignored;
  }
}

constexpr size_t MiB = size_t{1} << 20;

// A fake control-group tree: version 2 files at the root and in groups below
// it, version 1 files under memory/, and the membership file naming the group.
struct FakeCgroups {
  TempDir dir;
  std::string membership = dir.write("cgroup", "0::/\n");
  void file(const std::string& path, const std::string& text) {
    const size_t slash = path.rfind('/');
    if (slash != std::string::npos) std::filesystem::create_directories(dir.file(path.substr(0, slash)));
    dir.write(path, text);
  }
  size_t headroom() const { return cgroup_memory_headroom(dir.path(), membership); }
};

// Version 2: the limit less what the group uses beyond the page cache it may
// drop; "max" is no limit; a group below a limited one is held by it, and the
// tighter of the two holds.
TEST(MemoryBudget, ControlGroupVersion2LimitsWhatTheGroupAndItsParentsAllow) {
  FakeCgroups g;
  EXPECT_EQ(g.headroom(), SIZE_MAX);
  g.file("memory.max", "1073741824\n");
  g.file("memory.current", "268435456\n");
  g.file("memory.stat", "anon 1\ninactive_file 134217728\nactive_file 5\n");
  EXPECT_EQ(g.headroom(), 896 * MiB);
  g.file("memory.max", "max\n");
  EXPECT_EQ(g.headroom(), SIZE_MAX);

  g.membership = g.dir.write("cgroup", "12:cpu:/elsewhere\n0::/job/step/\n");
  g.file("job/memory.max", "536870912\n");
  g.file("job/memory.current", "134217728\n");
  g.file("job/step/memory.max", "max\n");
  EXPECT_EQ(g.headroom(), 384 * MiB);
  g.file("job/step/memory.max", "209715200\n");
  g.file("job/step/memory.current", "104857600\n");
  EXPECT_EQ(g.headroom(), 100 * MiB);
  // A usage beyond the limit leaves nothing.
  g.file("job/step/memory.current", "309715200\n");
  EXPECT_EQ(g.headroom(), 0u);
}

// Version 1, read when version 2 sets no limit: its "unlimited" is a number
// near the largest one.
TEST(MemoryBudget, ControlGroupVersion1LimitAndItsUnlimitedValue) {
  FakeCgroups g;
  g.file("memory/memory.limit_in_bytes", "2147483648\n");
  g.file("memory/memory.usage_in_bytes", "1610612736\n");
  g.file("memory/memory.stat", "cache 9\ntotal_inactive_file 536870912\n");
  EXPECT_EQ(g.headroom(), 1024 * MiB);
  g.file("memory/memory.limit_in_bytes", "9223372036854771712\n");
  EXPECT_EQ(g.headroom(), SIZE_MAX);
}

// Files that are missing, empty or hold anything but a number set no limit
// and never make the budget zero; a membership that climbs out of the tree
// names the root.
TEST(MemoryBudget, UnreadableControlGroupFilesAreNoLimit) {
  FakeCgroups g;
  for (const char* garbage : {"", "lots\n", "-5\n", "12 34\n", "99999999999999999999999\n", "0x10\n"}) {
    g.file("memory.max", garbage);
    g.file("memory/memory.limit_in_bytes", garbage);
    EXPECT_EQ(g.headroom(), SIZE_MAX) << garbage;
  }
  g.file("memory.max", "1073741824\n");
  for (const char* garbage : {"", "junk\n", "-5\n", "1e9\n"}) {
    g.file("memory.current", garbage);
    g.file("memory.stat", std::string("inactive_file ") + garbage);
    EXPECT_EQ(g.headroom(), 1024 * MiB) << garbage;
  }
  g.membership = g.dir.write("cgroup", "0::/../../etc\n");
  EXPECT_EQ(g.headroom(), 1024 * MiB);
  g.membership = g.dir.file("absent");
  EXPECT_EQ(g.headroom(), 1024 * MiB);
}

// Memory that runs out inside the work is a message and a false, whether
// the allocator or a container gives up.
TEST(MemoryBudget, RunningOutOfMemoryIsAMessage) {
  RecordingNotifier told;
  EXPECT_TRUE(run_within_memory([] {}, "never"));
  EXPECT_FALSE(run_within_memory([] { throw std::bad_alloc(); }, "ERROR: Not enough memory"));
  EXPECT_FALSE(run_within_memory(
      [] {
        std::vector<double> v;
        v.reserve(v.max_size() + 1);
      },
      "ERROR: Not enough memory"));
  EXPECT_EQ(told.warnings, (std::vector<std::string>{"ERROR: Not enough memory", "ERROR: Not enough memory"}));
}

}  // namespace

namespace {

// Large blocks of every size around the huge-page boundary hold what is put
// in them, side by side, while others come and go: a block given back with
// the wrong size, or an alignment that cuts into a neighbour, shows here.
TEST(LargeBlocks, BlocksOfEverySizeKeepTheirValuesWhileOthersComeAndGo) {
  const size_t huge = size_t{2} << 20;
  std::vector<grid_values_t> kept;
  for (size_t bytes : {size_t{8}, huge - 8, huge, huge + 8, 3 * huge + 4096, 5 * huge}) {
    grid_values_t v(bytes / sizeof(double));
    for (size_t i = 0; i < v.size(); ++i) v[i] = static_cast<double>(i) + 0.5;
    kept.push_back(std::move(v));
    grid_values_t passing(bytes / sizeof(double) + 1, 1.0);  // made and given back between the kept ones
    passing.push_back(2.0);
  }
  for (const grid_values_t& v : kept)
    for (size_t i = 0; i < v.size(); i += 997) ASSERT_EQ(v[i], static_cast<double>(i) + 0.5);
  // Growing moves a block into a larger one and keeps the values.
  grid_values_t grown;
  for (int i = 0; i < 1 << 20; ++i) grown.push_back(i);
  EXPECT_EQ(grown[123456], 123456.0);
  EXPECT_EQ(grown.back(), (1 << 20) - 1.0);
}

}  // namespace
