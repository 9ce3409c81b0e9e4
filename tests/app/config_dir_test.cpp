#include "app/config_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "molecule/settings.h"
#include "support/recording_notifier.h"
#include "support/temp_dir.h"

namespace {

// Each test builds its own world: a home, a system directory and a working
// directory inside one temporary folder.
class ConfigDir : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_core_state();
    system_config_dir = root.file("system");  // absent unless a test makes it
    saved_installed = installed_config_dirs;
    installed_config_dirs = {root.file("installed")};
  }
  void TearDown() override {
    reset_core_state();
    system_config_dir = "/usr/local/share/mivor";
    installed_config_dirs = saved_installed;
  }

  std::string make_config(const std::string& name, bool with_settings) {
    const std::string d = root.subdir(name);
    if (with_settings) root.write(name + "/mivor.rc", "");
    return d;
  }

  void complete(const std::string& name) {
    for (const char* f : {"calculation.rc", "fragments.rc", "plugin.rc"}) root.write(name + "/" + f, "");
  }

  TempDir root;
  std::vector<std::string> saved_installed;
  ScopedEnv no_mivor_dir{"MIVOR_DIR", nullptr};
  ScopedEnv home{"HOME", root.path().c_str()};
};

TEST_F(ConfigDir, MivorDirWithSettingsIsTaken) {
  const std::string d = make_config("env", true);
  ScopedEnv env("MIVOR_DIR", d.c_str());
  make_config(".mivor", true);
  init_variables();
  EXPECT_EQ(rcdir, d);
  EXPECT_EQ(accept_keys, 1);
  EXPECT_EQ(move_camera, 1);
  EXPECT_EQ(control_pressed, 0);
}

TEST_F(ConfigDir, MivorDirWithoutSettingsFallsThroughToHome) {
  const std::string d = make_config("env", false);
  ScopedEnv env("MIVOR_DIR", d.c_str());
  const std::string h = make_config(".mivor", true);
  complete(".mivor");
  init_variables();
  EXPECT_EQ(rcdir, h);
  EXPECT_EQ(error_config_does_not_exist, 0);
}

TEST_F(ConfigDir, HomeWithoutSettingsFallsThroughToTheSystemDirectory) {
  make_config(".mivor", false);
  std::filesystem::create_directories(system_config_dir);
  init_config_dir_path();
  EXPECT_EQ(rcdir, system_config_dir);
  // The system directory is taken whether or not it holds the settings file.
  EXPECT_EQ(error_config_does_not_exist, 0);
}

// The installation's own configuration comes before the system place, but
// only when it holds the settings file; the default places are the built
// prefix and the share/mivor beside the program's directory.
TEST_F(ConfigDir, InstalledConfigurationPrecedesTheSystemDirectory) {
  std::filesystem::create_directories(system_config_dir);
  make_config("installed", false);
  init_config_dir_path();
  EXPECT_EQ(rcdir, system_config_dir);
  const std::string installed = make_config("installed", true);
  init_config_dir_path();
  EXPECT_EQ(rcdir, installed);
  // A home configuration still comes first.
  const std::string h = make_config(".mivor", true);
  init_config_dir_path();
  EXPECT_EQ(rcdir, h);

  ASSERT_EQ(saved_installed.size(), 2u);
  EXPECT_EQ(saved_installed[0], std::string(MIVOR_INSTALL_PREFIX_FOR_TESTS) + "/share/mivor");
  EXPECT_NE(saved_installed[1].find("/../share/mivor"), std::string::npos);
}

TEST_F(ConfigDir, NoHomeAndNoSystemDirectoryLeaveTheWorkingDirectory) {
  ScopedEnv no_home("HOME", nullptr);
  const std::string cwd = make_config("work", false);
  ScopedCwd in(cwd);
  init_variables();
  EXPECT_EQ(rcdir, std::filesystem::current_path().string());
  EXPECT_EQ(error_config_does_not_exist, PROBLEM_NO_CONFIG_DIR);
}

TEST_F(ConfigDir, WorkingDirectoryWithSettingsIsNoProblem) {
  const std::string cwd = make_config("work", true);
  complete("work");
  ScopedCwd in(cwd);
  init_variables();
  EXPECT_EQ(rcdir, std::filesystem::current_path().string());
  EXPECT_EQ(error_config_does_not_exist, 0);
}

TEST_F(ConfigDir, FirstMissingDescriptionFileDecidesTheProblemCode) {
  const std::string d = make_config("env", true);
  ScopedEnv env("MIVOR_DIR", d.c_str());

  init_variables();
  EXPECT_EQ(error_config_does_not_exist, PROBLEM_NO_CALCULATIONS);

  root.write("env/calculation.rc", "");
  init_variables();
  EXPECT_EQ(error_config_does_not_exist, PROBLEM_NO_FRAGMENTS);  // plugin.rc is missing too

  root.write("env/fragments.rc", "");
  init_variables();
  EXPECT_EQ(error_config_does_not_exist, PROBLEM_NO_PLUGINS);

  root.write("env/plugin.rc", "");
  init_variables();
  EXPECT_EQ(error_config_does_not_exist, 0);
}

TEST_F(ConfigDir, DescriptionFilesAreNotCheckedWithoutAConfigurationDirectory) {
  ScopedEnv no_home("HOME", nullptr);
  ScopedCwd in(make_config("work", false));
  init_variables();
  EXPECT_EQ(error_config_does_not_exist, PROBLEM_NO_CONFIG_DIR);
}

TEST_F(ConfigDir, ConverterProblemsOverwriteEarlierCodesOthersDoNot) {
  record_startup_problem(PROBLEM_NO_FRAGMENTS);
  record_startup_problem(PROBLEM_NO_PLUGINS);
  EXPECT_EQ(error_config_does_not_exist, PROBLEM_NO_FRAGMENTS);
  record_startup_problem(PROBLEM_FORWARD_CONVERTER + 2);
  record_startup_problem(PROBLEM_BACKWARD_CONVERTER + 1);
  EXPECT_EQ(error_config_does_not_exist, PROBLEM_BACKWARD_CONVERTER + 1);
}

}  // namespace
