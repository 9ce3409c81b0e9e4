// Molden files as the programs that write them do (fixtures made by
// scripts/make_converter_fixtures.sh and scripts/molden_writers.py from one
// psi4 wavefunction): each writer's convention is found and named, and the
// grids are those of the same wavefunction in the standard form; the
// converter holds to what a correct reader must give: every valence
// orbital of norm 1, a density that integrates to the file's electrons.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

#include "convert/convert_support.h"
#include "convert/molden_grids.h"
#include "formats/grid_reader.h"
#include "molecule/mol_data.h"
#include "support/recording_notifier.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

class MoldenWriters : public ::testing::Test {
 protected:
  void SetUp() override { reset_core_state(); }
  void TearDown() override { close_test_file(); }
  // The grids of a file (read back through the program's reader) and the
  // status message it opens with.
  struct converted_t {
    std::vector<std::vector<double>> values;
    std::vector<bool> valence;  // per grid: an occupied orbital, not of the core
    std::string message;
    double cell = 0;  // bohr³
  };
  converted_t convert(const std::string& path, const grid_options_t& o) {
    converted_t c;
    std::string error;
    told.statuses.clear();
    EXPECT_TRUE(convert_molden(path, o, dir.file("out.mvr"), error)) << path << ": " << error;
    c.values = read_back(dir.file("out.mvr"));
    for (const auto& st : told.statuses)
      if (st.second.find("conventions") != std::string::npos) c.message = st.second;
    const grid_data_t& g = *mol[0].grid;
    c.cell = 1;
    for (int a = 0; a < 3; ++a) c.cell *= g.axis[a][a] / (g.net[a] - 1) / bohr_to_angstrom;
    for (size_t k = 0; k < g.grid_kind.size(); ++k)
      c.valence.push_back(g.grid_kind[k] == GRID_ORBITAL && g.orb_occ[k] > 0 && g.orb_energy[k] > -5);
    return c;
  }
  double integral(const std::vector<double>& v, double cell, bool squared) {
    double sum = 0;
    for (double x : v) sum += squared ? x * x : x;
    return sum * cell;
  }
  // Every valence orbital (core ones, below -5 hartree, are too sharp for
  // the lattice, diffuse virtuals reach beyond it) has norm 1 within 1 %,
  // and the density on a 0.1 bohr lattice integrates to `electrons` within
  // 1 %.
  void expect_sound(const std::string& path, const converted_t& c, double electrons) {
    for (size_t g = 0; g < c.values.size(); ++g) {
      if (!c.valence[g]) continue;
      EXPECT_NEAR(integral(c.values[g], c.cell, true), 1.0, 0.01) << path << " grid " << g;
    }
    grid_options_t o;
    o.spacing = 0.1;
    o.density_only = true;
    const converted_t d = convert(path, o);
    EXPECT_NEAR(integral(d.values[0], d.cell, false), electrons, 0.01 * electrons) << path;
  }
  TempDir dir;
  RecordingNotifier told;
};

// Water with spherical and with Cartesian d, f and g shells, as psi4 1.3
// writes it and rewritten as ORCA (pure f and g signs, unnormalised
// primitives), psi4 before 1.0, Turbomole and CFOUR (Cartesian
// normalisations; a repeated header, capitals, padded lines) write it.
TEST_F(MoldenWriters, EveryWritersConventionGivesTheSameGrids) {
  const struct {
    const char* file;
    const char* reference;
    const char* convention;
  } cases[] = {
      {"h2o_sph", "h2o_sph", "the Molden standard"}, {"h2o_orca", "h2o_sph", "ORCA"},
      {"h2o_psi4_0", "h2o_sph", "psi4 before 1.0"},  {"h2o_cart", "h2o_cart", "psi4 1.3"},
      {"h2o_turbomole", "h2o_cart", "Turbomole"},    {"h2o_cfour", "h2o_cart", "CFOUR"},
  };
  grid_options_t o;
  o.all = true;
  for (const auto& c : cases) {
    const std::string path = fixture(std::string(c.file) + ".molden");
    const converted_t got = convert(path, o);
    EXPECT_NE(got.message.find(std::string("Basis conventions: ") + c.convention + ", under which"), std::string::npos)
        << c.file << ": " << got.message;
    if (std::string(c.file) == c.reference) {
      expect_sound(path, got, 10);
    } else {
      const converted_t want = convert(fixture(std::string(c.reference) + ".molden"), o);
      EXPECT_LT(largest_difference(got.values, want.values), 1e-6) << c.file;
    }
  }
  // mivor-cli info says it too.
  const std::string copy = dir.write("w.molden", read_file(fixture("h2o_turbomole.molden")));
  const program_result r =
      run_program({MIVOR_CLI_BINARY, "info", "--summary", copy}, {{"MIVOR_DIR", MIVOR_BUILD_RCDIR}}, dir.path());
  EXPECT_NE(r.out.find("\"Basis conventions: Turbomole, under which the orbitals are orthonormal\""), std::string::npos)
      << r.out;
}

// Orbitals that fit no known convention: a warning that names the closest,
// and the grids are still written with it.
TEST_F(MoldenWriters, OrbitalsThatFitNoConventionAreWrittenWithAWarning) {
  std::string text = read_file(fixture("h2o_orca.molden"));
  const size_t at = text.find("\n   5 ", text.find("[MO]")) + 1;
  text.replace(at, text.find('\n', at) - at, "   5  0.5");
  grid_options_t o;
  o.net = 20;
  const converted_t got = convert(dir.write("bent.molden", text), o);
  EXPECT_NE(got.message.find("WARNING: the orbitals are not orthonormal in their basis under any known conventions"),
            std::string::npos)
      << got.message;
  EXPECT_NE(got.message.find("with those of ORCA"), std::string::npos) << got.message;
  EXPECT_EQ(got.values.size(), 17u);  // the density and HOMO-4 … LUMO+10
}

// An unrestricted wavefunction as two Molden files one after the other:
// alpha orbitals from the first, beta from the second, the grids of the
// same wavefunction in one file; a second file of other atoms is reported
// and its orbitals left out.
TEST_F(MoldenWriters, MolproOpenShellTakesBetaFromTheSecondFile) {
  grid_options_t o;
  o.all = true;
  const converted_t got = convert(fixture("oh_molpro.molden"), o);
  const converted_t want = convert(fixture("oh_uhf.molden"), o);
  EXPECT_LT(largest_difference(got.values, want.values), 1e-6);
  EXPECT_NE(got.message.find("beta orbitals from the second Molden file in it (line "), std::string::npos)
      << got.message;
  expect_sound(fixture("oh_molpro.molden"), got, 9);

  std::string text = read_file(fixture("oh_molpro.molden"));
  const size_t second = text.find("[Atoms]", text.rfind("[Molden Format]"));
  text.replace(text.find("0.0000000", second), 9, "0.7000000");
  o.all = false;
  o.net = 20;
  const converted_t other = convert(dir.write("other.molden", text), o);
  EXPECT_NE(other.message.find("WARNING: the second Molden file in it (line 202) has other atoms than the first: its "
                               "orbitals are not read"),
            std::string::npos)
      << other.message;
  EXPECT_EQ(other.values.size(), 12u);  // the density and 11 alpha orbitals
}

// Elements from the name column: iodine with an effective core potential
// (psi4 writes its charge, 25, where the atomic number goes) and a ghost
// hydrogen (charge 0), shown as a dummy atom; the core electrons counted
// once whether the charge column, [Core] or [Pseudo] gives them.
TEST_F(MoldenWriters, EcpAndGhostAtomsKeepTheirElements) {
  grid_options_t o;
  o.net = 20;
  const std::string ecp = read_file(fixture("hi_ecp.molden"));
  const std::string core = "the density holds the 26 valence electrons of the file";
  std::string with_core = ecp + "[Core]\n1 : 28\n";
  std::string with_pseudo = ecp + "[Pseudo]\nI 1 25\n";
  with_pseudo.replace(with_pseudo.find("I    1   25"), 11, "I    1   53");
  for (const std::string& text : {ecp, with_core, with_pseudo}) {
    const converted_t got = convert(dir.write("hi.molden", text), o);
    EXPECT_EQ(atom_element(mol[0], 0).name, "I");
    EXPECT_NE(got.message.find("Effective core potentials take 28 core electrons (I 1: 28): " + core),
              std::string::npos)
        << got.message;
  }
  grid_options_t wide;  // iodine's lone pairs reach farther
  wide.margin = 6;
  expect_sound(fixture("hi_ecp.molden"), convert(fixture("hi_ecp.molden"), wide), 26);

  const converted_t ghost = convert(fixture("h2o_ghost.molden"), grid_options_t{});
  ASSERT_EQ(mol[0].natom(), 4);
  EXPECT_EQ(atom_element(mol[0], 3).name, "Q");
  EXPECT_EQ(atom_name(mol[0], 3).value_or(""), "H ghost");
  EXPECT_NE(ghost.message.find("Ghost atoms (basis functions without a nucleus), shown as dummy atoms: H 4"),
            std::string::npos)
      << ghost.message;
  expect_sound(fixture("h2o_ghost.molden"), ghost, 10);
}

}  // namespace

namespace {

// The grid that mivor-cli info calls current on opening `file`.
int current_grid(const TempDir& dir, const std::string& file) {
  const program_result r =
      run_program({MIVOR_CLI_BINARY, "info", file}, {{"MIVOR_DIR", MIVOR_BUILD_RCDIR}}, dir.path());
  const size_t at = r.out.find("\"current\":");
  return at == std::string::npos ? -1 : std::atoi(r.out.c_str() + at + 10);
}

// A file that comes through a converter opens on its highest occupied
// orbital (the alpha one of an open shell), the native file it left on its
// last grid.
TEST(OpeningConverted, ShowsTheHighestOccupiedOrbital) {
  TempDir dir;
  const std::string closed = dir.write("h2co.molden", read_file(fixture("h2co.molden")));
  const std::string open = dir.write("nh2.molden", read_file(fixture("nh2_uhf.molden")));
  EXPECT_EQ(current_grid(dir, closed), 8);  // the density, then HOMO-7 … HOMO
  EXPECT_EQ(current_grid(dir, dir.file("h2co.mvr")), 19);
  EXPECT_EQ(current_grid(dir, open), 6);  // the two densities, then alpha HOMO-4 … HOMO
}

}  // namespace
