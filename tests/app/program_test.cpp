// The real `mivor` program, started as a user starts it.
#include <gtest/gtest.h>

#include "app/command_line.h"
#include "support/run_program.h"
#include "support/temp_dir.h"
#include "support/x_display.h"

namespace {

class Program : public ::testing::Test {
 protected:
  void SetUp() override {
    config = dir.subdir("config");
    dir.write("config/mivor.rc", "Hide atoms = 1\n");
    work = dir.subdir("work");
  }

  // Starts mivor with MIVOR_DIR naming `config` and HOME an empty folder.
  program_result run(std::vector<std::string> args, bool with_atoms_rc = true) {
    if (with_atoms_rc && !file_exists(config + "/atoms.rc")) dir.write("config/atoms.rc", "");
    args.insert(args.begin(), MIVOR_BINARY);
    // The viewer opens its window on a private display and is closed as a user would.
    return run_program(args, {{"MIVOR_DIR", config}, {"HOME", dir.subdir("home")}}, work, [](int) {});
  }

  TempDir dir;
  std::string config, work;
};

TEST_F(Program, HelpFlagsPrintTheHelpTextAndExitWithZero) {
  for (const char* flag : {"-h", "-?", "-hello"}) {
    const program_result r = run({flag, "file.mvr"});
    EXPECT_EQ(r.status, 0) << flag;
    EXPECT_EQ(r.out, help_text()) << flag;
  }
}

TEST_F(Program, VersionFlagsPrintTheVersionLineAndExitWithZero) {
  for (const char* flag : {"-v", "--version", "-verbose"}) {
    const program_result r = run({flag});
    EXPECT_EQ(r.status, 0) << flag;
    EXPECT_EQ(r.out, "mivor version: 0.8.6 beta\n") << flag;
  }
}

TEST_F(Program, MissingElementTableIsWrittenIntoTheConfigurationDirectory) {
  const program_result r = run({}, false);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "writing atom data in |" + config + "/atoms.rc|\n");
  const std::string table = read_file(config + "/atoms.rc");
  EXPECT_EQ(table.substr(0, 39), "# Configuration file with atom settings");
  EXPECT_NE(table.find("\n\"Xe\"   0.259   0.620   0.690   0.973   1.300    8   17    4    0\n"), std::string::npos);
  // The loaders report the missing description files on standard error.
  EXPECT_NE(r.err.find("ERROR: Can't load fragments\n"), std::string::npos);
  EXPECT_NE(r.err.find("WARNING: Can't find data for calculations\n"), std::string::npos);

  // A second start reads the table instead of writing it.
  EXPECT_EQ(run({}).out, "");
}

TEST_F(Program, CompleteConfigurationStartsWithoutAnyMessage) {
  for (const char* f : {"calculation.rc", "fragments.rc", "plugin.rc"}) dir.write(std::string("config/") + f, "");
  const program_result r = run({"-s", "300", "-b", "black"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
}

TEST_F(Program, OpensTheFileNamedLastAndLeavesNoUndoFileBehind) {
  dir.write("work/water.mvr", "3\nwater\nO 0 0 0.1173\nH 0 0.7572 -0.4692\nH 0 -0.7572 -0.4692\n <END>\n");
  const program_result r = run({"-s", "300", "water.mvr"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err.find("Can't open"), std::string::npos) << r.err;
  EXPECT_FALSE(file_exists(work + "/.water.mvr"));

  // A file that can't be opened is a warning dialog; the program runs on.
  const program_result missing = run({"absent.mvr"});
  EXPECT_EQ(missing.status, 0);
  EXPECT_FALSE(file_exists(work + "/absent.mvr"));
}

TEST_F(Program, DamagedConfigurationFilesStillLetTheProgramStart) {
  std::string junk;
  for (int i = 0; i < 5000; ++i) junk.push_back(static_cast<char>((i * 7919) % 256));
  dir.write("config/mivor.rc", junk + "\nTransparency = 1e999\n" + std::string(20000, 'x'));
  dir.write("config/atoms.rc", junk + "\n\"Xe\" 1 2\n\"\n" + std::string(20000, '"'));
  dir.write("config/plugin.rc", junk + "\nlibpath=\"unterminated forward=\n");
  dir.write("config/calculation.rc", junk + "\nplugin arg1 arg2=\n");
  dir.write("config/fragments.rc", junk);
  const program_result r = run({"--single"});
  EXPECT_EQ(r.status, 0) << r.err;
}

TEST_F(Program, DisplayWithoutOpenGLGivesAMessageNotACrash) {
  dir.write("work/water.mvr", "3\nwater\nO 0 0 0.1173\nH 0 0.7572 -0.4692\nH 0 -0.7572 -0.4692\n <END>\n");
  if (!file_exists(config + "/atoms.rc")) dir.write("config/atoms.rc", "");
  const std::string display = start_x_server({"-extension", "GLX"});
  const program_result r =
      run_program({MIVOR_BINARY, "water.mvr"},
                  {{"MIVOR_DIR", config}, {"HOME", dir.subdir("home")}, {"DISPLAY", display}}, work, [](int) {});
  EXPECT_EQ(r.status, 0) << r.err;
}

}  // namespace
