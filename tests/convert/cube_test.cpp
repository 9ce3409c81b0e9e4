#include "convert/cube.h"

#include <gtest/gtest.h>

#include <cmath>

#include "convert/convert_support.h"
#include "formats/cube_writer.h"
#include "molecule/mol_data.h"
#include "support/recording_notifier.h"
#include "support/temp_dir.h"

namespace {

class Cube : public ::testing::Test {
 protected:
  void SetUp() override { reset_core_state(); }
  void TearDown() override { close_test_file(); }
  std::string converted(const std::string& cube, const std::optional<std::string>& epot = std::nullopt) {
    std::string error;
    const std::string target = dir.file("out.mvr");
    if (!convert_cube(cube, epot, target, error)) return error;
    return "";
  }
  TempDir dir;
  RecordingNotifier told;
};

// psi4 writes six values a line without breaking at the end of a row: the
// values arrive in lattice order, the density becomes "Density".
TEST_F(Cube, Psi4DensityBecomesADensityGrid) {
  ASSERT_EQ(converted(fixture("h2co_density.cube")), "");
  const auto values = read_back(dir.file("out.mvr"));
  const mol_data_t& r = mol[0];
  EXPECT_EQ(r.natom(), 4);
  EXPECT_EQ(atom_element(r, 1).name, "O");
  EXPECT_NEAR(r.xyz[1][2], 1.139675 * bohr_to_angstrom, 1e-9);
  EXPECT_EQ(r.grid->net, (std::array<int, 3>{11, 19, 18}));
  EXPECT_NEAR(r.grid->origin[0], -2.5 * bohr_to_angstrom, 1e-9);
  EXPECT_NEAR(r.grid->axis[1][1], 0.5 * 18 * bohr_to_angstrom, 1e-9);
  ASSERT_EQ(r.ngrid(), 1);
  EXPECT_EQ(r.grid->grid_name[0], "Density");
  EXPECT_EQ(values[0], cube_values(fixture("h2co_density.cube")));

  // An orbital cube of psi4: an orbital grid with its index.
  ASSERT_EQ(converted(fixture("h2co_a_8.cube")), "");
  read_back(dir.file("out.mvr"));
  ASSERT_EQ(mol[0].ngrid(), 1);
  EXPECT_EQ(mol[0].grid->grid_kind[0], GRID_ORBITAL);
  EXPECT_EQ(mol[0].grid->orb_sym[0], 1);
  EXPECT_EQ(mol[0].grid->orb_index[0], 8);
  EXPECT_EQ(mol[0].grid->orb_type[0], 0);
}

// A Gaussian orbital cube: negative atom count, the orbital list, values of
// the orbitals of each point one after another, rows broken; a negative
// point count puts that axis (and the first the origin and atoms) in
// Ångström. Then the density with its potential.
TEST_F(Cube, OrbitalCubeInAngstromAndDensityWithPotential) {
  const std::string cube = dir.write("mo.cube",
                                     " title\n MO coefficients\n"
                                     "   -1    0.0   0.0   1.0\n"
                                     "   -2    0.529177 0.0 0.0\n"
                                     "    2    0.0   1.0 0.0\n"
                                     "    2    0.0   0.0 1.0\n"
                                     "    8    8.0   0.0 0.0 0.0\n"
                                     "    2   12    7\n"
                                     " 1.0 -1.0 2.0 -2.0\n 3.0 -3.0\n 4.0 -4.0 5.0 -5.0\n 6.0 -6.0\n"
                                     " 7.0 -7.0 8.0 -8.0\n");
  ASSERT_EQ(converted(cube), "");
  const auto values = read_back(dir.file("out.mvr"));
  const mol_data_t& r = mol[0];
  ASSERT_EQ(r.ngrid(), 2);
  EXPECT_EQ(r.grid->orb_index[0], 12);
  EXPECT_EQ(r.grid->orb_index[1], 7);
  EXPECT_NEAR(r.grid->axis[0][0], 0.529177, 1e-9);  // 1 Å between the two points
  EXPECT_NEAR(r.grid->origin[2], 1.0, 1e-9);
  EXPECT_EQ(values[0], (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(values[1], (std::vector<double>{-1, -2, -3, -4, -5, -6, -7, -8}));

  const std::string head =
      " t\n Electron density from Total SCF Density\n    1    0.0 0.0 0.0\n    1 1 0 0\n"
      "    1 0 1 0\n    2 0 0 1\n    1 1.0 0 0 0\n";
  const std::string density = dir.write("d.cube", head + " 0.5 0.25\n");
  const std::string potential =
      dir.write("p.cube", " t\n Electrostatic potential\n" + head.substr(head.find("    1    0.0")) + " -0.1 0.1\n");
  ASSERT_EQ(converted(density, potential), "");
  const auto both = read_back(dir.file("out.mvr"));
  ASSERT_EQ(mol[0].ngrid(), 2);
  EXPECT_EQ(mol[0].grid->grid_kind[1], GRID_EPOT);
  EXPECT_TRUE(mol[0].flags & FLAG_EPOT);
  EXPECT_EQ(both[1], (std::vector<double>{-0.1, 0.1}));
  const std::string other =
      dir.write("q.cube", head.substr(0, head.find("    2 0 0 1")) + "    3 0 0 1\n    1 1.0 0 0 0\n 1 2 3\n");
  EXPECT_NE(converted(density, other).find("the potential must be one grid on the lattice of"), std::string::npos);
}

TEST_F(Cube, BrokenCubesGiveAMessageAndNoFile) {
  const std::string head = "a\nb\n    1    0.0 0.0 0.0\n    2 1 0 0\n    2 0 1 0\n    2 0 0 1\n    1 1.0 0 0 0\n";
  const struct {
    std::string text;
    std::string error;
  } cases[] = {
      {"a\n", "not a cube file: the two comment lines are missing"},
      {"a\nb\n x 0 0 0\n", "not a cube file: line 3 must hold the atom count and the origin"},
      {head + "1.0 2.0 3.0 4.0 5.0 6.0 7.0\n",
       "the file holds only 7 values where its header announces 8 (truncated?)"},
      {head + "1 2 3 4 5 6 7 8 9\n", "the file holds 9 values where its header announces 8"},
      {head + "1 2 3 nan 5 6 7 8\n", "value 4: 'nan' is not a number"},
      {"a\nb\n    1    0.0 0.0 0.0\n 1000 1 0 0\n 1000 0 1 0\n 1000 0 0 1\n    1 1.0 0 0 0\n 1 2\n",
       "the lattice of 1000x1000x1000 points is too large"},
      {"a\nb\n    1    0.0 0.0 0.0\n 100 1 0 0\n 100 0 1 0\n 100 0 0 1\n    1 1.0 0 0 0\n 1 2\n",
       "the file is too short for the 1000000 values its header announces"},
      {"a\nb\n 2000000 0 0 0\n 1 1 0 0\n 1 0 1 0\n 1 0 0 1\n", "the atom count 2000000 does not fit in the file"},
      {"a\nb\n -1 0 0 0\n 1 1 0 0\n 1 0 1 0\n 1 0 0 1\n 1 1.0 0 0 0\n 99999999 1 2\n 1\n",
       "the orbital count 99999999 is not possible here"},
      {"a\nb\n    1 0 0 0\n 1 1 0 0\n 1 0 1 0\n 1 0 0 1\n  200 1.0 0 0 0\n 1\n",
       "atom 1: no element has the number 200.000000"},
  };
  for (const auto& c : cases) {
    const std::string path = dir.write("bad.cube", c.text);
    const std::string error = converted(path);
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
    EXPECT_FALSE(file_exists(dir.file("out.mvr")));
  }
}

// mivor-cli export-grid writes a cube that reads back to the same values.
TEST_F(Cube, ExportedGridIsTheCubeItCameFrom) {
  const std::string mvr = dir.file("d.mvr");
  ASSERT_EQ(converted(fixture("h2co_density.cube")), "");
  std::rename(dir.file("out.mvr").c_str(), mvr.c_str());
  const std::string out = dir.file("again.cube");
  const converter_run_t run = run_converter(MIVOR_CLI_BINARY, out, {"export-grid", mvr, "--grid", "0", "--cube"});
  ASSERT_TRUE(run.ok()) << run.message;
  const std::vector<double> a = cube_values(out), b = cube_values(fixture("h2co_density.cube"));
  ASSERT_EQ(a.size(), b.size());
  for (size_t k = 0; k < a.size(); ++k) ASSERT_NEAR(a[k], b[k], 1e-5 * std::max(1.0, std::fabs(b[k])));
  const std::string text = read_file(out);
  EXPECT_EQ(text.substr(text.find('\n', text.find('\n') + 1) + 1, 89),
            "    4   -2.500000   -4.500000   -4.804937\n   11    0.500000    0.000000    0.000000\n   19");
  const converter_run_t none = run_converter(MIVOR_CLI_BINARY, out, {"export-grid", mvr, "--grid", "3", "--cube"});
  EXPECT_EQ(none.status, 1);
}

TEST(CubeText, HeaderAndRowsAsOtherProgramsReadThem) {
  const grid_values_t v = {1, -2.5e-3, 3, 4, 5, 6, 7, 0.125};
  cube_grid_t g;
  g.title = "t";
  g.comment = "c\nd";
  // An axis of one point gives its edge as its step.
  g.lattice = {{1, 1, 8}, {-1, 0, 0.5}, {vec3{0.2, 0, 0}, vec3{0, 0.2, 0}, vec3{0, 0, 1.75}}};
  g.atoms = {{8, {0, 0, 1}}};
  g.values = &v;
  EXPECT_EQ(cube_text(g),
            "t\nc d\n"
            "    1   -1.000000    0.000000    0.500000\n"
            "    1    0.200000    0.000000    0.000000\n"
            "    1    0.000000    0.200000    0.000000\n"
            "    8    0.000000    0.000000    0.250000\n"
            "    8    8.000000    0.000000    0.000000    1.000000\n"
            "  1.00000E+00 -2.50000E-03  3.00000E+00  4.00000E+00  5.00000E+00  6.00000E+00\n"
            "  7.00000E+00  1.25000E-01\n");
}

}  // namespace
