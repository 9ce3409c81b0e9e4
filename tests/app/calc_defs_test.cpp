#include "app/calc_defs.h"

#include <gtest/gtest.h>

#include "app/config_dir.h"
#include "support/recording_notifier.h"
#include "support/temp_dir.h"

namespace {

class CalcDefs : public ::testing::Test {
 protected:
  void SetUp() override { reset_core_state(); }
  void TearDown() override { reset_core_state(); }
  TempDir dir;
};

TEST_F(CalcDefs, DefiningLinesKeepFileOrderAndNumberedArguments) {
  ScopedEnv env("MIVOR_DIR", "/env/dir");
  ASSERT_TRUE(
      read_calc_defs(dir.write("calculation.rc",
                               "# plugin=commented\n"
                               "\n"
                               "PLUGIN=/bin/opt path=/work description=\"Optimise geometry\" type=opt file=Input "
                               "arg1=-n arg_val1=4 arg_des1=\"Cores\" arg2=-q\n"
                               "something else\n"
                               "plugin=/bin/energy\n")));
  ASSERT_EQ(n_calc_defs(), 2);
  const calc_def_t& opt = calc_defs[0];
  EXPECT_EQ(opt.plugin, "/bin/opt");
  EXPECT_EQ(opt.path, "/work");
  EXPECT_EQ(opt.description, "Optimise geometry");
  EXPECT_EQ(opt.type, "opt");
  EXPECT_EQ(opt.file, "Input");
  ASSERT_EQ(opt.n_args(), 2);
  EXPECT_EQ(opt.arg_name[0], "-n");
  EXPECT_EQ(opt.arg_value[0], "4");
  EXPECT_EQ(opt.arg_desc[0], "Cores");
  EXPECT_EQ(opt.arg_name[1], "-q");
  EXPECT_FALSE(opt.arg_value[1]);
  EXPECT_FALSE(opt.arg_desc[1]);

  const calc_def_t& energy = calc_defs[1];
  EXPECT_EQ(energy.plugin, "/bin/energy");
  EXPECT_EQ(energy.path, "/env/dir");  // no path key: MIVOR_DIR
  EXPECT_FALSE(energy.file);
  EXPECT_EQ(energy.n_args(), 0);
}

TEST_F(CalcDefs, MissingFileWarnsOnStandardErrorAndLeavesNone) {
  rcdir = dir.path();
  testing::internal::CaptureStderr();
  load_calc_def_data();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "WARNING: Can't find data for calculations\n");
  EXPECT_EQ(n_calc_defs(), 0);
  remove_calc_def_data();
  EXPECT_TRUE(rcdir.empty());
}

}  // namespace
