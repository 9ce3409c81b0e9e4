#include "convert/molden.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <tuple>

#include "convert/convert_support.h"
#include "convert/molden_grids.h"
#include "convert/text_lines.h"
#include "document/open_close.h"
#include "document/save.h"
#include "formats/grid_reader.h"
#include "molecule/mol_data.h"
#include "support/recording_notifier.h"
#include "support/temp_dir.h"

namespace {

class Molden : public ::testing::Test {
 protected:
  void SetUp() override { reset_core_state(); }
  void TearDown() override { close_test_file(); }
  // Converts and reads back; the error when the conversion fails.
  std::string run(const std::string& path, const grid_options_t& o) {
    std::string error;
    values.clear();
    if (!convert_molden(path, o, dir.file("out.mvr"), error)) return error;
    values = read_back(dir.file("out.mvr"));
    return "";
  }
  // The grid of `mol[0]` that matches the cube best, and by how much.
  double best_match(const std::string& cube) {
    const std::vector<double> want = cube_values(cube);
    double best = INFINITY;
    for (const auto& v : values) best = std::min(best, difference_up_to_sign(v, want));
    return best;
  }
  TempDir dir;
  RecordingNotifier told;
  std::vector<std::vector<double>> values;
};

// The orbitals on psi4's lattice equal psi4's own cube values (rounded to
// six digits there), with spherical d functions, with Cartesian ones (psi4
// normalises xy, xz, yz like xx), with spherical and Cartesian g functions
// (psi4 normalises every Cartesian g component like xxxx; hydrogen fluoride
// tilted off the axes, so that orbitals mix every component, and one cube
// of a mostly-g orbital) and for both spins of an open shell.
TEST_F(Molden, OrbitalsMatchPsi4OnItsLattice) {
  const struct {
    const char* name;
    std::vector<const char*> cubes;
  } closed[] = {
      {"h2co", {"a_8", "a_9"}},
      {"h2co_cart", {"a_8", "a_9"}},
      {"hf_g", {"a_5", "a_22"}},
      {"hf_g_cart", {"a_5", "a_31"}},
  };
  for (const auto& c : closed) {
    const std::string name = c.name;
    grid_options_t o;
    o.like = fixture(name + "_" + c.cubes[0] + ".cube");
    o.all = true;
    ASSERT_EQ(run(fixture(name + ".molden"), o), "") << name;
    for (const char* cube : c.cubes)
      EXPECT_LT(best_match(fixture(name + "_" + cube + ".cube")), 1e-5) << name << " " << cube;
    EXPECT_TRUE(told.warnings.empty()) << name;
    for (const auto& st : told.statuses) EXPECT_EQ(st.second.find("not orthonormal"), std::string::npos) << name;
  }
  grid_options_t o;
  o.like = fixture("nh2_uhf_a_5.cube");
  ASSERT_EQ(run(fixture("nh2_uhf.molden"), o), "");
  for (const char* cube : {"nh2_uhf_a_5.cube", "nh2_uhf_b_4.cube", "nh2_uhf_b_5.cube"})
    EXPECT_LT(best_match(fixture(cube)), 1e-5) << cube;
}

// Grids and their descriptions: the density first, HOMO-10 … LUMO+10 in
// order of energy, indices within each irreducible representation; the
// density integrates to the number of electrons.
TEST_F(Molden, DensityIntegratesToTheElectronCount) {
  grid_options_t o;
  o.spacing = 0.1;
  o.density_only = true;
  ASSERT_EQ(run(fixture("h2co.molden"), o), "");
  ASSERT_EQ(values.size(), 1u);
  const mol_data_t& r = mol[0];
  double cell = 1;
  for (int a = 0; a < 3; ++a) cell *= r.grid->axis[a][a] / (r.grid->net[a] - 1) / bohr_to_angstrom;
  EXPECT_NEAR(cell, 0.001, 1e-12);
  const double electrons = std::accumulate(values[0].begin(), values[0].end(), 0.0) * cell;
  EXPECT_NEAR(electrons, 16.0, 16.0 * 0.005);

  ASSERT_EQ(run(fixture("h2co.molden"), grid_options_t{}), "");
  const mol_data_t& s = mol[0];
  ASSERT_EQ(s.ngrid(), 20);  // density, 8 occupied, 11 virtual
  EXPECT_EQ(s.grid->grid_name[0], "Density");
  // The HOMO is the second B2 orbital (psi4's Psi_a_8_2-B2); B2 is the
  // second label met in the file.
  EXPECT_EQ(s.grid->orb_sym[8], 2);
  EXPECT_EQ(s.grid->orb_index[8], 2);
  EXPECT_DOUBLE_EQ(s.grid->orb_occ[8], 2.0);
  EXPECT_EQ(s.grid->orb_occ[9], 0.0);
  for (int g = 2; g < s.ngrid(); ++g) EXPECT_LE(s.grid->orb_energy[g - 1], s.grid->orb_energy[g]);
  EXPECT_NEAR(s.grid->axis[0][0] / (s.grid->net[0] - 1), 0.2 * bohr_to_angstrom, 1e-9);
}

// Open shells: beta orbitals in symmetries after the alpha ones, a spin
// density, and a message that says so.
TEST_F(Molden, OpenShellShowsAlphaAndBetaApart) {
  grid_options_t o;
  o.net = 30;
  ASSERT_EQ(run(fixture("nh2_uhf.molden"), o), "");
  const mol_data_t& r = mol[0];
  EXPECT_EQ(r.grid->grid_name[1], "Spin density");
  int alpha = 0, beta = 0;
  for (int g = 0; g < r.ngrid(); ++g)
    if (r.grid->grid_kind[g] == GRID_ORBITAL) (r.grid->orb_sym[g] > 4 ? beta : alpha)++;
  EXPECT_EQ(alpha, 16);  // HOMO-4 … LUMO+10: 5 occupied and 11 virtual
  EXPECT_EQ(beta, 15);   // 4 occupied and 11 virtual
  bool said = false;
  for (const auto& st : told.statuses)
    said = said || st.second.find("Open shell: alpha orbitals in symmetries 1-4, beta orbitals in symmetries 5-8") !=
                       std::string::npos;
  EXPECT_TRUE(said);
  EXPECT_EQ(*std::max_element(r.grid->net.begin(), r.grid->net.end()), 30);
}

// Types assigned to orbitals of any symmetry are saved in the embedded
// orbital file, beyond the eighth symmetry too (triplet O2 in D2h: alpha
// orbitals in symmetries 1-6, beta in 7-12), whether its counts line lists
// every symmetry or, as files for readers of at most eight do, only eight.
TEST_F(Molden, OrbitalTypesOfEverySymmetryAreSaved) {
  grid_options_t o;
  o.net = 8;
  ASSERT_EQ(run(fixture("o2_uhf.molden"), o), "");
  const std::string converted = read_file(dir.file("out.mvr"));
  const std::string all_counts =
      "      12       5       5       2       2       2       2       5       5       2"
      "       2       2       2\n";
  ASSERT_NE(converted.find("#INPORB 2.2\n" + all_counts), std::string::npos);
  std::string eight_counts = converted;
  eight_counts.replace(eight_counts.find(all_counts), all_counts.size(), all_counts.substr(0, 72) + "\n");

  auto orbital_file = [](const std::string& text) {
    const size_t from = text.find("#INDEX\n");
    return from == std::string::npos ? "" : text.substr(from, text.find(" </INPORB>") - from);
  };
  auto block = [](const char* letters) { return std::string("* 1234567890\n0 ") + letters + "\n"; };
  const std::string want = "#INDEX\n" + block("uuuuu") + block("uuuuu") + block("su") + block("uu") + block("uu") +
                           block("uu") + block("uuuuu") + block("uuuuu") + block("uu") + block("ud") + block("uu") +
                           block("uu");
  for (const std::string& text : {converted, eight_counts}) {
    open_file(dir.write("o2.mvr", text), std::nullopt);
    ASSERT_EQ(n_geometries(), 1);
    for (const auto& [sym, index, type] : {std::tuple{3, 1, 6}, std::tuple{10, 2, 7}}) {
      const int g = get_orbital(sym, index);
      ASSERT_GE(g, 0) << sym;
      m->grid.edit().orb_type[static_cast<size_t>(g)] = type;
      m->grid.edit().orb_type_changed[static_cast<size_t>(g)] = 1;
    }
    const std::string saved[] = {dir.file("save1.mvr"), dir.file("save2.mvr"), dir.file("save3.mvr")};
    for (const std::string& path : saved) {
      ASSERT_TRUE(save_zev_file(path));
      open_file(path, std::nullopt);
    }
    const std::string first = read_file(saved[0]);
    EXPECT_EQ(orbital_file(first), want);
    EXPECT_NE(first.find(text.substr(text.find("#INPORB"), text.find("#INDEX") - text.find("#INPORB"))),
              std::string::npos);  // the counts line and the comment as they were
    EXPECT_EQ(m->grid->orb_type[static_cast<size_t>(get_orbital(10, 2))], 7);
    EXPECT_EQ(read_file(saved[1]), read_file(saved[2]));
    EXPECT_EQ(orbital_file(read_file(saved[2])), want);
  }
}

std::string molden_with(const std::string& gto, const std::string& mo) {
  return "[Molden Format]\n[Atoms] AU\nH 1 1 0.0 0.0 0.0\nH 2 1 0.0 0.0 1.4\n[GTO]\n" + gto + "[MO]\n" + mo;
}

const std::string h2_basis = "1 0\ns 1 1.0\n1.0 1.0\n\n2 0\ns 1 1.0\n1.0 1.0\n\n";
const double s12 = std::exp(-0.5 * 1.4 * 1.4);  // overlap of the two 1s

TEST_F(Molden, MismatchedCoefficientsAreWarnedAbout) {
  // Normalised bonding orbital of H2 in a minimal basis: 1/√(2+2S).
  const double c = 1 / std::sqrt(2 + 2 * s12);
  char mo[200];
  std::snprintf(mo, sizeof mo, "Sym= A\nEne= -0.5\nSpin= Alpha\nOccup= 2.0\n1 %.12f\n2 %.12f\n", c, c);
  grid_options_t o;
  o.net = 10;
  ASSERT_EQ(run(dir.write("h2.molden", molden_with(h2_basis, mo)), o), "");
  bool warned = false;
  for (const auto& st : told.statuses) warned = warned || st.second.find("not orthonormal") != std::string::npos;
  EXPECT_FALSE(warned);
  std::snprintf(mo, sizeof mo, "Sym= A\nEne= -0.5\nSpin= Alpha\nOccup= 2.0\n1 %.12f\n2 %.12f\n", 0.8, 0.8);
  ASSERT_EQ(run(dir.write("h2.molden", molden_with(h2_basis, mo)), o), "");
  for (const auto& st : told.statuses) warned = warned || st.second.find("not orthonormal") != std::string::npos;
  EXPECT_TRUE(warned);
}

TEST_F(Molden, BrokenFilesGiveAMessage) {
  const std::string mo = "Sym= A\nEne= -0.5\nSpin= Alpha\nOccup= 2.0\n1 0.5\n2 0.5\n";
  const struct {
    std::string text;
    std::string error;
  } cases[] = {
      {"hello\n", "not a Molden file"},
      {molden_with("1 0\nh 1 1.0\n1.0 1.0\n", mo), "line 7: unknown shell 'h'"},
      {molden_with(h2_basis, "Sym= A\n1 nan\n"), "'nan' is not a number"},
      {molden_with(h2_basis, "Sym= A\n3 0.5\n"), "coefficient of basis function 3, but the basis has 2"},
      {molden_with(h2_basis, "Sym= A\n1e300 0.5\n"), "coefficient of basis function 1e+300, but the basis has 2"},
      {molden_with("1 0\ns 1000000 1.0\n1.0 1.0\n", mo), "1000000 primitives can't fit in the rest of the file"},
      {"[Molden Format]\n[Atoms] AU\nH 1 1 0 0 0\n[MO]\n" + mo, "the file has orbitals ([MO]) but no basis ([GTO])"},
      {molden_with("3 0\ns 1 1.0\n1.0 1.0\n", mo), "basis functions for atom 3, which is not in [Atoms]"},
  };
  for (const auto& c : cases) {
    grid_options_t o;
    o.net = 8;
    const std::string error = run(dir.write("bad.molden", c.text), o);
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
  }
  // A basis of 10⁶ functions is refused before anything is sized by it.
  std::string big = "[Molden Format]\n[Atoms] AU\nH 1 1 0 0 0\n[GTO]\n1 0\n";
  for (int k = 0; k < 5000; ++k) big += "g 1 1.0\n1.0 1.0\n";
  molden_t parsed;
  std::string error;
  EXPECT_FALSE(parse_molden(big, parsed, error));
  EXPECT_NE(error.find("more than 20000 basis functions"), std::string::npos) << error;
}

// Vibrations with intensities and optimisation steps with energies.
TEST_F(Molden, VibrationsAndOptimisationSteps) {
  const std::string text =
      "[Molden Format]\n[FREQ]\n1600.5\n3700.25\n[FR-COORD]\nO 0 0 0\nH 0 1.4 1.1\nH 0 -1.4 1.1\n"
      "[FR-NORM-COORD]\nvibration 1\n0 0 0.1\n0 0.4 -0.5\n0 -0.4 -0.5\nvibration 2\n0 0 0\n0 0.6 0.4\n0 -0.6 0.4\n"
      "[INT]\n70.5\n2.25\n"
      "[GEOCONV]\nenergy\n-76.0\n-76.5\nmax-force\n0.1\n0.01\n"
      "[GEOMETRIES] (XYZ)\n3\n\nO 0 0 0\nH 0 0.8 0.6\nH 0 -0.8 0.6\n3\n\nO 0 0 0\nH 0 0.75 0.58\nH 0 -0.75 0.58\n";
  ASSERT_EQ(run(dir.write("vib.molden", text), grid_options_t{}), "");
  ASSERT_EQ(n_geometries(), 3);
  EXPECT_EQ(mol[0].nvibr(), 2);
  EXPECT_DOUBLE_EQ(mol[0].vib->freq[1], 3700.25);
  EXPECT_DOUBLE_EQ(mol[0].vib->ir_intensity[0], 70.5);
  EXPECT_NEAR(mol[0].xyz[1][1], 1.4 * bohr_to_angstrom, 1e-9);
  EXPECT_DOUBLE_EQ(mol[0].vib->normal_mode[0][1][2], -0.5);
  EXPECT_DOUBLE_EQ(mol[1].energy, -76.0);
  EXPECT_DOUBLE_EQ(mol[2].energy, -76.5);
  EXPECT_DOUBLE_EQ(mol[2].xyz[1][1], 0.75);
}

}  // namespace

namespace {

// mivor-cli convert to a native file keeps the converter's grid values.
TEST(MoldenCli, ConvertToNativeKeepsTheGridValues) {
  TempDir dir;
  ScopedEnv config("MIVOR_DIR", MIVOR_BUILD_RCDIR);
  const std::string in = dir.write("h.molden", read_file(fixture("h2co.molden")));
  const converter_run_t run = run_converter(MIVOR_CLI_BINARY, dir.file("copy.mvr"),
                                            {"convert", in, "--converter-options", "--density --net 20"});
  ASSERT_TRUE(run.ok()) << run.message;
  const std::string text = read_file(dir.file("copy.mvr"));
  EXPECT_EQ(text.find("N_of_Points=0 "), std::string::npos);
  EXPECT_GT(text.size(), 8u * 20 * 10 * 10);
  EXPECT_EQ(text, read_file(dir.file("h.mvr")));
}

}  // namespace
