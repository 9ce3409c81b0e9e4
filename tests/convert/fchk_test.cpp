// Formatted checkpoint files against the Molden files psi4 wrote of the
// same calculations (scripts/make_converter_fixtures.sh): spherical and
// Cartesian shells up to g, an open shell, and SP shells as Gaussian writes
// them; broken files refused with one clear message.
#include "convert/fchk.h"

#include <gtest/gtest.h>

#include "convert/convert_support.h"
#include "convert/fchk_grids.h"
#include "convert/molden_grids.h"
#include "molecule/mol_data.h"
#include "support/recording_notifier.h"
#include "support/temp_dir.h"

namespace {

class Fchk : public ::testing::Test {
 protected:
  void SetUp() override { reset_core_state(); }
  void TearDown() override { close_test_file(); }
  std::vector<std::vector<double>> fchk_grids(const std::string& path, const grid_options_t& o) {
    std::string error;
    EXPECT_TRUE(convert_fchk(path, o, dir.file("out.mvr"), error)) << path << ": " << error;
    return read_back(dir.file("out.mvr"));
  }
  std::vector<std::vector<double>> molden_grids(const std::string& path, const grid_options_t& o) {
    std::string error;
    EXPECT_TRUE(convert_molden(path, o, dir.file("out.mvr"), error)) << path << ": " << error;
    return read_back(dir.file("out.mvr"));
  }
  TempDir dir;
  RecordingNotifier told;
};

// Every orbital and the densities as the Molden file gives them, to 1e-6
// (the checkpoint file holds nine digits); the Cartesian g components in
// the order psi4 writes them, found by the orthonormality test, and that
// named; the energy kept.
TEST_F(Fchk, GridsAreThoseOfTheMoldenFileOfTheSameCalculation) {
  grid_options_t o;
  o.all = true;
  for (const char* name : {"h2o_sph", "h2o_cart", "oh_uhf"}) {
    const auto want = molden_grids(fixture(std::string(name) + ".molden"), o);
    told.statuses.clear();
    const auto got = fchk_grids(fixture(std::string(name) + ".fchk"), o);
    EXPECT_LT(largest_difference(got, want), 1e-6) << name;
    bool named = false;
    for (const auto& st : told.statuses)
      named = named || st.second.find("Basis conventions: psi4, under which") != std::string::npos;
    EXPECT_TRUE(named) << name;
    EXPECT_TRUE(mol[0].flags & FLAG_ENERGY);
  }
  EXPECT_EQ(mol[0].grid->grid_name[1], "Spin density");
  EXPECT_NEAR(mol[0].energy, -74.38192757551305, 1e-6);
  EXPECT_EQ(largest_difference(fchk_grids(fixture("h2o_sp.fchk"), o), fchk_grids(fixture("h2o_sph.fchk"), o)), 0.0);
}

// A broken file: one message that says what is wrong, the converter ends
// with status 1 and leaves no native file.
TEST_F(Fchk, BrokenFilesGiveOneClearMessage) {
  const std::string good = read_file(fixture("oh_uhf.fchk"));
  auto edit = [](std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
  };
  auto edited = [&](const std::string& from, const std::string& to) { return edit(good, from, to); };
  const struct {
    std::string text;
    std::string message;
  } cases[] = {
      {edited("I   N=           5\n           0           0           1          -2           0\n",
              "I   N=           6\n           0           0           1          -2           0           0\n"),
       "'Number of primitives per shell' has 5 values, but the shell types are 6"},
      {edit(edited("R   N=          11\n", "R   N=          10\n"), "\n  2.31099392e+00\n", "\n"),
       "'Alpha MO coefficients' has 121 values, but its orbitals and basis functions make 110"},
      {edited("Alpha MO coefficients                      R   N=         121",
              "Alpha MO coefficients                      R   N=   999999999"),
       "Alpha MO coefficients: 999999999 values can't fit in the rest of the file"},
      {edited("Number of basis functions                  I               11",
              "Number of basis functions                  I               12"),
       "the shells give 11 basis functions, but the file says 12"},
      {edited("           0           0           1          -2", "           0           0           5          -2"),
       "shell 3: shell type 5 is not one of -4 … 4 (s to g)"},
      {edited("Shell to atom map", "Shell to atom list"), "no 'Shell to atom map' array in the file"},
      {good.substr(0, good.find("Beta MO coefficients") + 600), "Beta MO coefficients: the file ends before"},
      {edited("Integer atomic weights                     I   N=           2",
              "Integer atomic weights                     I   N= 9223372036854775807"),
       "Integer atomic weights: the file ends before its values"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(convert_fchk(dir.write("bad.fchk", c.text), grid_options_t{}, dir.file("bad.mvr"), error));
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
  }
  const converter_run_t run = convert("fchk2mvr", dir.write("bad.fchk", cases[1].text));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.message.find("bad.fchk: 'Alpha MO coefficients' has 121 values"), std::string::npos) << run.message;
  EXPECT_FALSE(file_exists(dir.file("bad.mvr")));
}

}  // namespace
