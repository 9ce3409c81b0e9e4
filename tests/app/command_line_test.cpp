#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "molecule/settings.h"
#include "support/recording_notifier.h"

namespace {

class CommandLine : public ::testing::Test {
 protected:
  void SetUp() override { reset_core_state(); }
  void TearDown() override { reset_core_state(); }

  CommandLineAction parse(std::vector<std::string> words) {
    args = std::move(words);
    args.insert(args.begin(), "mivor");
    argv.clear();
    for (auto& a : args) argv.push_back(a.data());
    return parse_command_line(static_cast<int>(argv.size()), argv.data(), Input_Data);
  }

  std::string file() const { return init_filename ? init_filename : "(none)"; }

  std::vector<std::string> args;
  std::vector<char*> argv;
};

TEST_F(CommandLine, NoArgumentsMeansNoFile) {
  EXPECT_EQ(parse({}), CommandLineAction::run);
  EXPECT_EQ(file(), "(none)");
  EXPECT_EQ(Input_Data.animate, 0);
}

TEST_F(CommandLine, TheLastArgumentIsTheFileUnlessAFlagUsedIt) {
  parse({"file.mvr"});
  EXPECT_EQ(file(), "file.mvr");
  parse({"-m", "file.mvr"});
  EXPECT_EQ(file(), "file.mvr");
  EXPECT_EQ(Input_Data.animate, 1);
  parse({"file.mvr", "-m"});
  EXPECT_EQ(file(), "(none)");
  parse({"-s", "600"});
  EXPECT_EQ(file(), "(none)");
  EXPECT_EQ(Input_Data.initial_screen_size, 600);
  parse({"-s", "500", "a.mvr"});
  EXPECT_EQ(file(), "a.mvr");
  EXPECT_EQ(Input_Data.initial_screen_size, 500);
  parse({"ignored.mvr", "other.mvr"});
  EXPECT_EQ(file(), "other.mvr");
  // The file name points into the argument vector.
  EXPECT_EQ(init_filename, argv.back());
}

TEST_F(CommandLine, ValuesSetSizeIsolevelTransparencyAndBackground) {
  parse({"-l", "0.02", "-t", "0.6", "-b", "black", "x.mvr"});
  EXPECT_EQ(Input_Data.isolevel, 0.02);
  EXPECT_EQ(Input_Data.object_color.alpha, 0.6f);
  EXPECT_EQ(Input_Data.plus_color.alpha, 0.7f);  // isosurface colours keep theirs
  EXPECT_EQ(Input_Data.background_color, (color_t{0, 0, 0, 0}));
  EXPECT_EQ(file(), "x.mvr");

  parse({"-b", "grey"});
  EXPECT_EQ(Input_Data.background_color, (color_t{0.5f, 0.5f, 0.5f, 0}));
  parse({"-b", "white"});
  EXPECT_EQ(Input_Data.background_color, (color_t{1, 1, 1, 0}));
  Input_Data.background_color.alpha = 0.25f;
  parse({"-b", "red", "x.mvr"});
  EXPECT_EQ(Input_Data.background_color, (color_t{0.8f, 0.8f, 0.8f, 0.25f}));
  EXPECT_EQ(file(), "x.mvr");
}

TEST_F(CommandLine, FlagsWithoutUsableValuesChangeNothing) {
  parse({"-s"});
  EXPECT_EQ(Input_Data.initial_screen_size, 800);
  EXPECT_EQ(file(), "(none)");
  parse({"-s", "big", "-l", "low"});
  EXPECT_EQ(Input_Data.initial_screen_size, 800);
  EXPECT_EQ(Input_Data.isolevel, 0.04);
  parse({"-s", "0"});
  EXPECT_EQ(Input_Data.initial_screen_size, 800);
  parse({"-s", "-5"});
  EXPECT_EQ(Input_Data.initial_screen_size, 800);
  parse({"-s", "99999999999999999"});
  EXPECT_EQ(Input_Data.initial_screen_size, 2147483647);
}

TEST_F(CommandLine, ValuesAreScannedAgainAsArguments) {
  // "-m" is the value of -b and, beginning with "-", also a flag.
  parse({"-b", "-m"});
  EXPECT_EQ(Input_Data.animate, 1);
  EXPECT_EQ(Input_Data.background_color.red, 0.8f);
  // A negative isolevel is read, then ignored as an unknown flag.
  parse({"-l", "-0.5", "f.mvr"});
  EXPECT_EQ(Input_Data.isolevel, -0.5);
  EXPECT_EQ(file(), "f.mvr");
}

TEST_F(CommandLine, SingleBondsAndUnknownFlags) {
  parse({"--single", "--colour", "-x", "f.mvr"});
  EXPECT_EQ(Input_Data.single_bonds_only, 1);
  EXPECT_EQ(file(), "f.mvr");
  parse({"f.mvr", "-x"});
  EXPECT_EQ(file(), "(none)");
}

TEST_F(CommandLine, HelpAndVersionAreRecognisedBySecondCharacter) {
  for (const char* a : {"-h", "-?", "-hello", "-help"}) EXPECT_EQ(parse({a}), CommandLineAction::help) << a;
  for (const char* a : {"-v", "--version", "-verbose"}) EXPECT_EQ(parse({a}), CommandLineAction::version) << a;
  EXPECT_EQ(parse({"--help"}), CommandLineAction::run);
  EXPECT_EQ(parse({"-m", "-v", "-h"}), CommandLineAction::version);
}

TEST(HelpText, IsTheUsageSummary) {
  EXPECT_EQ(help_text(),
            " Visualization of geometry, molecular orbitals and densities\n"
            "Usage: mivor [-flag value] [filename]\n"
            "Available flags: \n"
            " -h                     : this help \n"
            " -?                     : this help \n"
            " -m                     : start in animation mode \n"
            " -s integer             : set initial screen size\n"
            " -l real                : isovalue level \n"
            " -v, --version          : version \n"
            " -t real (0.0-1.0)      : transparency level \n"
            " -b white|grey|black    : background \n"
            " --single               : determine single bonds only \n");
  EXPECT_EQ(version_text(), "mivor version: 0.8.6 beta\n");
}

}  // namespace
