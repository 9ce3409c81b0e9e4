#include "app/startup_problems.h"

#include <gtest/gtest.h>

#include "app/config_dir.h"
#include "app/config_files.h"
#include "formats/file_types.h"
#include "support/recording_notifier.h"
#include "support/temp_dir.h"

namespace {

class StartupProblems : public ::testing::Test {
 protected:
  void SetUp() override { reset_core_state(); }
  void TearDown() override { reset_core_state(); }
  RecordingNotifier told;
};

const char places[] =
    "- path defined with the MIVOR_DIR environment variable\n"
    "- $HOME/.mivor\n"
    "- /usr/local/share/mivor\n"
    "- directory containing mivor.exe";

TEST_F(StartupProblems, NoProblemShowsNothing) {
  print_plugin_warnings();
  EXPECT_TRUE(told.warnings.empty());
  EXPECT_EQ(startup_warning_text(2), "");
  EXPECT_EQ(startup_warning_text(1024), "");
}

TEST_F(StartupProblems, EachCodeHasItsText) {
  EXPECT_EQ(startup_warning_text(PROBLEM_NO_CONFIG_DIR),
            "Mivor can not find plugin directory. Please locate mivorrc directory in the mivor build directory and "
            "copy its contents to the one of the places:\n\n- path defined with the MIVOR_DIR environment "
            "variable\n- $HOME/.mivor;\n- /usr/local/share/mivor\n- directory containing mivor.exe");
  EXPECT_EQ(startup_warning_text(PROBLEM_NO_FRAGMENTS),
            std::string("mivor can not locate fragments.rc plugin file. If you want to use molecular fragments, "
                        "please locate fragments.rc file and all files listed in it and place them in the mivor "
                        "configuration directory. It should be in one of the following places:\n\n") +
                places);
  EXPECT_EQ(startup_warning_text(PROBLEM_NO_PLUGINS),
            std::string("mivor can not locate plugin.rc plugin file. This prevents mivor to open different file "
                        "formats other than the mvr format. Please make sure that the plugin.rc file is placed in "
                        "the mivor configuration directory. It should be in one of the following places:\n\n") +
                places + ".");
  const std::string calc = startup_warning_text(PROBLEM_NO_CALCULATIONS);
  EXPECT_NE(calc.find("calculation.rc"), std::string::npos);
  EXPECT_NE(calc.find(places), std::string::npos);
}

TEST_F(StartupProblems, ConverterCodesNameTheConverterAsWritten) {
  TempDir dir;
  dir.write("plugin.rc",
            "libpath=/nowhere forward=fw.sh backward=bw.sh extension=a\n"
            "libpath=/nowhere forward=fw2.sh extension=b\n");
  ScopedEnv e("MIVOR_DIR", dir.path().c_str());
  init_input_filetypes();
  const std::string tail =
      " can not be found. Please ensure that the file plugin.rc contains correct path to it. The file plugin.rc "
      "should be in one of the following places:\n\n" +
      std::string(places) + ".";
  EXPECT_EQ(startup_warning_text(PROBLEM_FORWARD_CONVERTER + 1), "Plugin file fw.sh" + tail);
  EXPECT_EQ(startup_warning_text(PROBLEM_BACKWARD_CONVERTER + 1), "Plugin file bw.sh" + tail);
  EXPECT_EQ(error_config_does_not_exist, PROBLEM_FORWARD_CONVERTER + 2);
  print_plugin_warnings();
  ASSERT_EQ(told.warnings.size(), 1u);
  EXPECT_EQ(told.warnings[0], "Plugin file fw2.sh" + tail);
  // A code naming a type that does not exist shows nothing.
  EXPECT_EQ(startup_warning_text(PROBLEM_FORWARD_CONVERTER + 9), "");
}

}  // namespace
