#include "edit/fragment_library.h"

#include <gtest/gtest.h>

#include "app/config_dir.h"
#include "app/config_files.h"
#include "support/recording_notifier.h"
#include "support/temp_dir.h"

namespace {

class FragmentLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_core_state();
    rcdir = dir.path();
  }
  void TearDown() override { reset_core_state(); }
  TempDir dir;
};

TEST_F(FragmentLibrary, OneFragmentPerCompleteLine) {
  dir.write("fragments.rc", "methyl.frg methyl.png\n\n  phenyl.frg\tphenyl.png extra\nlast.frg last.png");
  testing::internal::CaptureStderr();
  load_fragment_data();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  ASSERT_EQ(n_fragments(), 2);
  EXPECT_EQ(frag[0].file, "methyl.frg");
  EXPECT_EQ(frag[0].image, "methyl.png");
  EXPECT_EQ(frag[1].file, "phenyl.frg");
  EXPECT_EQ(frag[1].image, "phenyl.png");
  EXPECT_EQ(get_last_fragment(), 0);
}

TEST_F(FragmentLibrary, MissingFileIsReportedOnStandardError) {
  testing::internal::CaptureStderr();
  load_fragment_data();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "ERROR: Can't load fragments\n");
  EXPECT_EQ(n_fragments(), 0);
}

}  // namespace
