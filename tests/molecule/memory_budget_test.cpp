#include "molecule/memory_budget.h"

#include <gtest/gtest.h>

#include <new>
#include <vector>

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
