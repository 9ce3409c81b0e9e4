#include "molecule/settings.h"

#include <gtest/gtest.h>

#include <random>

#include "app/config_dir.h"
#include "app/settings_file.h"
#include "render/isosurface.h"
#include "support/recording_notifier.h"
#include "support/temp_dir.h"

namespace {

class Settings : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_core_state();
    rcdir = dir.path();
  }
  void TearDown() override { reset_core_state(); }

  void read(const std::string& text) {
    set_default_settings();
    ASSERT_TRUE(read_settings_file(dir.write("mivor.rc", text)));
  }

  std::string save() {
    testing::internal::CaptureStdout();
    save_settings_data();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "saving settings data in |" + dir.file("mivor.rc") + "|\n");
    return read_file(dir.file("mivor.rc"));
  }

  TempDir dir;
};

const char default_settings_file[] =
    "general settings variables\n"
    "Hide atoms = 0\n"
    "Hide bonds = 0\n"
    "Transparency = 0.300000\n"
    "Background color Red = 1.000000\n"
    "Background color Green = 1.000000\n"
    "Background color Blue = 1.000000\n"
    "Extra color Red = 0.300000\n"
    "Extra color Green = 0.300000\n"
    "Extra color Blue = 0.300000\n"
    "Label color Red = 0.000000\n"
    "Label color Green = 0.000000\n"
    "Label color Blue = 0.000000\n"
    "Plus  color Red = 0.953000\n"
    "Plus  color Green = 0.082000\n"
    "Plus  color Blue = 0.020000\n"
    "Minus color Red = 0.114000\n"
    "Minus color Green = 0.686000\n"
    "Minus color Blue = 0.286000\n"
    "Epot plus  color Red = 0.953000\n"
    "Epot plus  color Green = 0.082000\n"
    "Epot plus  color Blue = 0.020000\n"
    "Epot minus color Red = 0.005000\n"
    "Epot minus color Green = 0.005000\n"
    "Epot minus color Blue = 0.957000\n"
    "Fatness atoms = 1.600000\n"
    "Fatness bonds = 1.600000\n"
    "Animate = 0\n"
    "Initial Screen Size = 800\n"
    "Frequency amplitude = 0.500000\n"
    "Frequency speed = 0.200000\n"
    "Snapshot delay = 0.050000\n"
    "Isolevel value = 0.040000\n"
    "Translation value = 0.200000\n"
    "Angle change value = 2.000000\n"
    "Torsion change value = 2.000000\n"
    "Auto select level = 1\n"
    "Auto rebond = 0\n";

TEST_F(Settings, DefaultsAreWrittenByteForByte) {
  set_default_settings();
  EXPECT_EQ(save(), default_settings_file);
}

TEST_F(Settings, TheBundledSettingsFileHoldsTheDefaults) {
  EXPECT_EQ(read_file(std::string(MIVOR_SOURCE_DIR) + "/mivorrc/mivor.rc"), default_settings_file);
}

TEST_F(Settings, DefaultsOfTheFieldsThatAreNotSaved) {
  set_default_settings();
  const input_data_t& d = Input_Data;
  EXPECT_EQ(d.label_font, "Helvetica 18");
  EXPECT_EQ(d.background_color.alpha, 0.0f);
  EXPECT_EQ(d.level_steps, 100);
  EXPECT_EQ(d.translation_length, 0.0);
  EXPECT_EQ(d.label_flags, 0);
  EXPECT_EQ(d.single_bonds_only, 0);
  EXPECT_EQ(d.plus_color.alpha, 0.7f);
  EXPECT_EQ(d.epot_minus_color.alpha, 0.7f);
}

TEST_F(Settings, WriteReadWriteGivesIdenticalBytes) {
  set_default_settings();
  Input_Data.hide_bonds = 1;
  Input_Data.background_color = {0.1f, 0.25f, 0.5f, 0.9f};
  Input_Data.plus_color = {0.123456f, 0.5f, 0.75f, 0.2f};
  Input_Data.object_color.alpha = 0.45f;
  Input_Data.atom_fatness = 2.125;
  Input_Data.initial_screen_size = 640;
  Input_Data.isolevel = 0.0125;
  Input_Data.auto_rebond = 1;
  Input_Data.label_font = "Serif 30";
  const std::string first = save();

  set_default_settings();
  ASSERT_TRUE(read_settings_file(dir.file("mivor.rc")));
  EXPECT_EQ(Input_Data.hide_bonds, 1);
  EXPECT_FLOAT_EQ(Input_Data.plus_color.red, 0.123456f);
  EXPECT_FLOAT_EQ(Input_Data.plus_color.alpha, 0.45f);  // one alpha for all five colours
  EXPECT_EQ(Input_Data.background_color.alpha, 0.0f);   // not saved
  EXPECT_EQ(Input_Data.label_font, "Helvetica 18");     // not saved
  EXPECT_EQ(Input_Data.initial_screen_size, 640);
  EXPECT_EQ(save(), first);
}

TEST_F(Settings, TransparencyAloneSetsTheAlphaOfAllFiveColours) {
  read("Transparency = 0.5");
  for (const color_t& c : {Input_Data.object_color, Input_Data.plus_color, Input_Data.minus_color,
                           Input_Data.epot_plus_color, Input_Data.epot_minus_color})
    EXPECT_EQ(c.alpha, 0.5f);
  EXPECT_EQ(Input_Data.background_color.alpha, 0.0f);
  EXPECT_EQ(Input_Data.object_color.red, 0.3f);
  EXPECT_EQ(Input_Data.initial_screen_size, 800);
}

TEST_F(Settings, KeysAreCaseSensitiveSubstringsTestedInOrder) {
  read("Epot plus  color Red = 1\n");
  EXPECT_EQ(Input_Data.epot_plus_color.red, 1.0f);
  EXPECT_EQ(Input_Data.plus_color.red, 0.953f);

  read("Epot plus color Red = 1\n");  // one blank: no key
  EXPECT_EQ(Input_Data.epot_plus_color.red, 0.953f);
  EXPECT_EQ(Input_Data.plus_color.red, 0.953f);

  read("hide atoms = 1\n# Hide bonds = 1\n");
  EXPECT_EQ(Input_Data.hide_atoms, 0);
  EXPECT_EQ(Input_Data.hide_bonds, 1);

  // The first key of the test order decides a line holding two keys, and
  // the value is the number after the line's first "=".
  read("Animate = 1 Hide atoms = 2\n");
  EXPECT_EQ(Input_Data.hide_atoms, 1);
  EXPECT_EQ(Input_Data.animate, 0);
}

TEST_F(Settings, LastOccurrenceWinsAndLinesWithoutValueAreSkipped) {
  read("Initial Screen Size = 300\nInitial Screen Size = 500\nInitial Screen Size\nIsolevel value 7\n");
  EXPECT_EQ(Input_Data.initial_screen_size, 500);
  EXPECT_EQ(Input_Data.isolevel, 0.04);

  read("Initial Screen Size = abc\nFatness atoms = x\n");
  EXPECT_EQ(Input_Data.initial_screen_size, 0);
  EXPECT_EQ(Input_Data.atom_fatness, 0.0);
}

TEST_F(Settings, MissingFileKeepsTheDefaults) {
  set_default_settings();
  Input_Data.hide_atoms = 1;
  load_values_from_config_file();
  EXPECT_EQ(Input_Data.hide_atoms, 1);
  EXPECT_FALSE(read_settings_file(dir.file("absent.rc")));
}

TEST_F(Settings, UnwritableDirectoryDropsTheSaveAfterNamingThePath) {
  rcdir = dir.file("no/such/dir");
  set_default_settings();
  testing::internal::CaptureStdout();
  save_settings_data();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "saving settings data in |" + rcdir + "/mivor.rc|\n");
  EXPECT_FALSE(file_exists(rcdir + "/mivor.rc"));
}

TEST_F(Settings, DamagedFilesNeverCrashTheReader) {
  std::mt19937 rng(777);
  const char* keys[] = {"Transparency", "Hide atoms", "Initial Screen Size", "Extra color Red", "Isolevel value"};
  for (int round = 0; round < 300; ++round) {
    std::string text;
    for (int l = static_cast<int>(rng() % 10); l > 0; --l) {
      switch (rng() % 6) {
        case 0:
          text += std::string(keys[rng() % 5]) + " = 1e999\n";
          break;
        case 1:
          text += std::string(keys[rng() % 5]) + " = -99999999999999999999\n";
          break;
        case 2:
          text += std::string(rng() % 4000, 'a') + keys[rng() % 5] + " = 3\n";
          break;
        case 3:
          for (int k = rng() % 80; k > 0; --k) text.push_back(static_cast<char>(rng() % 256));
          break;
        case 4:
          text += std::string(keys[rng() % 5]) + " =\n";
          break;
        default:
          text += std::string(keys[rng() % 5]) + " = nan\n";
          break;
      }
    }
    read(text);
    save();
  }
  read("Extra color Red = 1e300\nInitial Screen Size = 99999999999999\n");
  EXPECT_EQ(Input_Data.initial_screen_size, 2147483647);
  EXPECT_GT(Input_Data.object_color.red, 1e38f);
}

TEST_F(Settings, IsolevelRangeFollowsTheSignsOfTheGridValues) {
  set_default_settings();
  set_isolevel_range(-0.2, 0.1);
  EXPECT_EQ(Input_Data.level_min, 0.0);
  EXPECT_EQ(Input_Data.level_max, 0.1);
  EXPECT_DOUBLE_EQ(Input_Data.isolevel, 0.025);
  EXPECT_DOUBLE_EQ(Input_Data.level_step, 0.001);

  set_isolevel_range(-0.5, -0.1);
  EXPECT_EQ(Input_Data.level_min, 0.1);
  EXPECT_EQ(Input_Data.level_max, 0.5);

  set_isolevel_range(0.2, 0.6);
  EXPECT_EQ(Input_Data.level_min, 0.2);
  EXPECT_DOUBLE_EQ(Input_Data.isolevel, 0.3);

  Input_Data.auto_select_level = 0;
  Input_Data.level_steps = 0;
  Input_Data.isolevel = 0.07;
  Input_Data.level_step = 9;
  set_isolevel_range(0.0, 1.0);
  EXPECT_EQ(Input_Data.isolevel, 0.07);
  EXPECT_EQ(Input_Data.level_step, 9.0);
}

}  // namespace
