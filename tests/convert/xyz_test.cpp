#include "convert/xyz.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>

#include "convert/convert_support.h"
#include "molecule/elements.h"
#include "molecule/mol_data.h"
#include "support/recording_notifier.h"
#include "support/temp_dir.h"

namespace {

std::string symbol(const geometry_section_t& g, int i) { return atom_element(g.rec, i).name; }

TEST(Xyz, FramesEnergiesAndAtomLabels) {
  std::vector<geometry_section_t> frames;
  std::string error;
  ASSERT_TRUE(
      read_xyz("3\n-76.25\nO 0 0 0\nH1 0.96 0 0\n1 -0.24 0.93 0\n"
               "\n"
               "2\r\nLattice=\"1 0 0\" energy=-1.5e-1 pbc=\"F F F\"\r\ncl 0 0 0\r\nNa 2.5 0 0\r\n"
               "1\nstep 3 of 5\nC 1D-1 0 0",
               frames, error))
      << error;
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(frames[0].rec.energy, -76.25);
  EXPECT_EQ(symbol(frames[0], 1), "H");
  EXPECT_EQ(symbol(frames[0], 2), "H");  // by its atomic number
  EXPECT_EQ(frames[1].rec.energy, -0.15);
  EXPECT_EQ(symbol(frames[1], 0), "Cl");
  EXPECT_EQ(frames[1].rec.xyz[1][0], 2.5);
  EXPECT_FALSE(frames[2].rec.flags & FLAG_ENERGY);
  EXPECT_DOUBLE_EQ(frames[2].rec.xyz[0][0], 0.1);

  EXPECT_EQ(xyz_text({frames[0], frames[2]}),
            "3\nenergy=-76.2500000000\n"
            "O      0.000000000     0.000000000     0.000000000\n"
            "H      0.960000000     0.000000000     0.000000000\n"
            "H     -0.240000000     0.930000000     0.000000000\n"
            "1\nstep 3 of 5\n"
            "C      0.100000000     0.000000000     0.000000000\n");
}

// The comment lines that programs write their energies in, and lines whose
// numbers are not an energy.
TEST(Xyz, EnergiesFromTheCommentFormsOfPrograms) {
  const struct {
    const char* comment;
    double energy;  // NAN: none
  } cases[] = {
      {" -19.98554 ", -19.98554},
      {"Properties=species:S:1:pos:R:3 energy=\"-76.5\" pbc=\"F F F\"", -76.5},
      {"free_energy=-3.0 energy=-2.5", -2.5},
      {" energy: -19.985540123 gnorm: 0.000123 xtb: 6.6.1 (8d0f1dd)", -19.985540123},
      {"Coordinates from ORCA-job h2o_opt E -52.421780091", -52.421780091},
      {"step 4 E=-1.25D+01", -12.5},
      {"mol E = -3.5, converged", -3.5},
      {"Energy -40.125 kcal", -40.125},
      {"SCF Energy: -0.75", -0.75},
      {"step 3 -76.01 0.002", NAN},
      {"E -76.0 (no ORCA marker)", NAN},
      {"Energy(kcal/mol) unknown, E=x 12", NAN},
      {"freeenergy=-1 Etot=-2 e=-3", NAN},
  };
  for (const auto& c : cases) {
    std::vector<geometry_section_t> frames;
    std::string error;
    ASSERT_TRUE(read_xyz("1\n" + std::string(c.comment) + "\nHe 0 0 0\n", frames, error)) << error;
    if (std::isnan(c.energy)) {
      EXPECT_FALSE(frames[0].rec.flags & FLAG_ENERGY) << c.comment;
    } else {
      EXPECT_TRUE(frames[0].rec.flags & FLAG_ENERGY) << c.comment;
      EXPECT_EQ(frames[0].rec.energy, c.energy) << c.comment;
    }
  }
}

TEST(Xyz, BadFilesAreRefusedWithTheLine) {
  const struct {
    const char* text;
    const char* error;
  } cases[] = {
      {"", "no atoms: the file is empty"},
      {"two\nx\n", "line 1: an atom count was expected, not 'two'"},
      {"1000000000\nbig\nC 0 0 0\n", "line 1: 1000000000 atoms can't fit in the rest of the file"},
      {"2\nc\nC 0 0 0\nXq 1 1 1\n", "line 4: 'Xq' is not an element"},
      {"2\nc\nC 0 0 0\nH 1 nan 1\n", "line 4: 'nan' is not a coordinate"},
      {"2\nc\nC 0 0 0\nH 1 1\n", "line 4: an atom line needs a symbol and three coordinates"},
      {"3\nc\nC 0 0 0 extra\nH 1 1 1 \n\n\n", "line 5: an atom line needs a symbol and three coordinates"},
  };
  for (const auto& c : cases) {
    std::vector<geometry_section_t> frames;
    std::string error;
    EXPECT_FALSE(read_xyz(c.text, frames, error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
}

// However many digits a coordinate takes, its line is written whole and
// reads back to the same numbers.
TEST(Xyz, HugeCoordinatesKeepTheirLinesWhole) {
  std::vector<geometry_section_t> frames(1), again;
  atom_appender atoms(frames[0].rec);
  atoms.add("C", {1e300, -2.5, 0});
  atoms.add("H", {0, 0, 1});
  std::string error;
  ASSERT_TRUE(read_xyz(xyz_text(frames), again, error)) << error;
  ASSERT_EQ(again.size(), 1u);
  ASSERT_EQ(again[0].rec.natom(), 2);
  EXPECT_EQ(again[0].rec.xyz[0], (vec3{1e300, -2.5, 0}));
  EXPECT_EQ(again[0].rec.xyz[1], (vec3{0, 0, 1}));
}

// The converters as the program runs them: forward and back, a bad file
// refused with one line and nothing written, a newer native file kept.
TEST(Xyz, ConvertersKeepTheUsersFiles) {
  RecordingNotifier told;
  reset_core_state();
  TempDir dir;
  const std::string xyz = dir.write("w.xyz", "3\n-76.0\nO 0 0 0\nH 0.96 0 0\nH -0.24 0.93 0\n");
  ASSERT_TRUE(convert("xyz2mvr", xyz).ok());
  read_back(dir.file("w.mvr"));
  ASSERT_EQ(mol.size(), 1u);
  EXPECT_EQ(mol[0].natom(), 3);
  EXPECT_EQ(mol[0].energy, -76.0);
  EXPECT_TRUE(mol[0].nbond() == 2);
  close_test_file();

  ASSERT_TRUE(convert("mvr2xyz", dir.file("w.mvr")).ok());
  EXPECT_EQ(read_file(xyz),
            "3\nenergy=-76.0000000000\nO      0.000000000     0.000000000     0.000000000\n"
            "H      0.960000000     0.000000000     0.000000000\n"
            "H     -0.240000000     0.930000000     0.000000000\n");

  const std::string bad = dir.write("bad.xyz", "2\ncomment\nC 0 0 0\n");
  const converter_run_t run = convert("xyz2mvr", bad);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.message, bad + ": the file ends after 1 of 2 atoms of frame 1");
  EXPECT_FALSE(file_exists(dir.file("bad.mvr")));

  // A native file the user changed after the XYZ file is not overwritten.
  const std::string mine = dir.write("mine.xyz", "1\n\nC 0 0 0\n");
  std::filesystem::last_write_time(mine, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
  dir.write("mine.mvr", "  1\nmy work\n C 0 0 0\n <END>\n");
  const converter_run_t refused = convert("xyz2mvr", mine);
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.message.find("is newer than"), std::string::npos);
  EXPECT_EQ(read_file(dir.file("mine.mvr")), "  1\nmy work\n C 0 0 0\n <END>\n");
}

}  // namespace
