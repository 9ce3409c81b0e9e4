// The Open Babel converters on files Open Babel itself wrote, and the
// program outputs they are told apart by.
#include "convert/babel.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>

#include "convert/convert_support.h"
#include "molecule/mol_data.h"
#include "support/recording_notifier.h"
#include "support/temp_dir.h"

namespace {

// Processor time of the ended child processes so far.
double children_cpu_seconds() {
  rusage u{};
  getrusage(RUSAGE_CHILDREN, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         1e-6 * static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec);
}

class Babel : public ::testing::Test {
 protected:
  void SetUp() override { reset_core_state(); }
  void TearDown() override { close_test_file(); }
  // Copies a fixture into the test's directory, converts it and reads it.
  converter_run_t open(const std::string& converter, const std::string& name) {
    const std::string path = dir.write(name, read_file(fixture(name)));
    const converter_run_t run = convert(converter, path);
    if (run.ok()) read_back(dir.file(name.substr(0, name.find('.')) + ".mvr"));
    return run;
  }
  TempDir dir;
  RecordingNotifier told;
};

TEST_F(Babel, StructureFormatsKeepAtomsBondsAndCharges) {
  ASSERT_TRUE(open("pdb2mvr", "ethanol.pdb").ok());
  ASSERT_EQ(n_geometries(), 1);
  EXPECT_EQ(mol[0].natom(), 9);
  EXPECT_EQ(atom_element(mol[0], 2).name, "O");
  EXPECT_NEAR(mol[0].xyz[2][0], 1.990, 1e-3);
  EXPECT_EQ(mol[0].nbond(), 8);  // bonded by the program itself

  ASSERT_TRUE(open("mol22mvr", "ethanol.mol2").ok());
  EXPECT_TRUE(mol[0].flags & FLAG_MULLIKEN);
  EXPECT_NE(atom_mulliken(mol[0], 2), 0.0);
  EXPECT_EQ(mol[0].nbond(), 8);

  ASSERT_TRUE(open("sdf2mvr", "ethanol.sdf").ok());
  EXPECT_EQ(mol[0].nbond(), 8);
  EXPECT_FALSE(mol[0].flags & FLAG_MULLIKEN);

  // And back: the native file to PDB.
  ASSERT_TRUE(convert("mvr2pdb", dir.file("ethanol.mvr")).ok());
  const std::string pdb = read_file(dir.file("ethanol.pdb"));
  size_t atoms = 0;
  for (size_t at = pdb.find("HETATM"); at != std::string::npos; at = pdb.find("HETATM", at + 1)) ++atoms;
  EXPECT_EQ(atoms, 9u);
}

TEST_F(Babel, EveryModelIsAGeometry) {
  std::string pdb;
  for (int model = 1; model <= 3; ++model) {
    char line[100];
    pdb += "MODEL " + std::to_string(model) + "\n";
    for (int a = 0; a < 2; ++a) {
      std::snprintf(line, sizeof line, "ATOM  %5d  O   HOH A   1    %8.3f%8.3f%8.3f  1.00  0.00           O\n", a + 1,
                    3.0 * a, 0.1 * model, 0.0);
      pdb += line;
    }
    pdb += "ENDMDL\n";
  }
  const std::string path = dir.write("traj.pdb", pdb);
  ASSERT_TRUE(convert("pdb2mvr", path).ok());
  read_back(dir.file("traj.mvr"));
  ASSERT_EQ(n_geometries(), 3);
  EXPECT_NEAR(mol[2].xyz[0][1], 0.3, 1e-9);
}

// A real NWChem 7 output (SCF optimisation of water, made by
// scripts/make_converter_fixtures.sh): Open Babel gives the geometry of each
// step as NWChem printed it (in its own orientation) with the step's energy
// in hartree, the converged step twice as NWChem reports it twice, and no
// charges.
TEST_F(Babel, NWChemOptimisationStepsWithTheirEnergies) {
  ASSERT_TRUE(open("qc2mvr", "h2o_nwchem.out").ok());
  // The energies of NWChem's step table ("@" lines), to its eight decimals.
  const double energies[] = {-76.00532352, -76.01072090, -76.01074617, -76.01074651, -76.01074651};
  ASSERT_EQ(n_geometries(), 5);
  for (int g = 0; g < 5; ++g) {
    EXPECT_NEAR(mol[static_cast<size_t>(g)].energy, energies[g], 1e-9) << g;
    ASSERT_EQ(mol[static_cast<size_t>(g)].natom(), 3);
    EXPECT_FALSE(mol[static_cast<size_t>(g)].flags & FLAG_MULLIKEN);
  }
  EXPECT_EQ(atom_element(mol[0], 0).name, "O");
  EXPECT_EQ(atom_element(mol[0], 2).name, "H");
  EXPECT_DOUBLE_EQ(mol[0].xyz[0][2], 0.12);
  EXPECT_DOUBLE_EQ(mol[0].xyz[1][0], -0.8);
  EXPECT_DOUBLE_EQ(mol[4].xyz[0][2], 0.10227159);
  EXPECT_DOUBLE_EQ(mol[4].xyz[2][0], 0.75410192);
  EXPECT_DOUBLE_EQ(mol[4].xyz[2][2], -0.4711358);
  EXPECT_EQ(mol[0].nbond(), 2);  // bonded by the program itself
}

// Made by scripts/make_output_fixtures.py in the layout of a Gaussian 16
// and an ORCA 6 optimisation of water: every step is a geometry with its
// SCF energy in hartree, read in well under a second (the Gaussian reader
// begins again at the file's start on every call: read once, not forever),
// and the same from a gzipped copy.
TEST_F(Babel, GaussianAndOrcaOptimisationsGiveEveryStepInHartree) {
  ScopedEnv limit("MIVOR_CONVERTER_TIMEOUT", "20");
  const double gaussian[] = {-76.0097683180, -76.0107046391, -76.0107352874, -76.0107356092};
  const double oxygen_z[] = {0.114016, 0.116834, 0.117620, 0.117694};
  const std::string text = read_file(fixture("h2o_g16_opt.log"));
  for (const char* suffix : {"", ".gz"}) {
    const std::string name = std::string("h2o_g16_opt.log") + suffix;
    const std::string path = dir.write(name, compressed(text, suffix));
    const double before = children_cpu_seconds();
    ASSERT_TRUE(convert("qc2mvr", path).ok()) << name;
    EXPECT_LT(children_cpu_seconds() - before, 1.0) << name;  // processor time: the machine may be busy
    read_back(dir.file("h2o_g16_opt.mvr"));
    ASSERT_EQ(n_geometries(), 4) << name;
    for (size_t g = 0; g < 4; ++g) {
      EXPECT_NEAR(mol[g].energy, gaussian[g], 1e-9) << g;
      EXPECT_DOUBLE_EQ(mol[g].xyz[0][2], oxygen_z[g]) << g;
    }
    close_test_file();
  }

  // ORCA's energies are hartree already; its four steps and the final
  // evaluation at the stationary point are all there, each with its own
  // Mulliken charges.
  ASSERT_TRUE(open("qc2mvr", "h2o_orca6_opt.out").ok());
  ASSERT_EQ(n_geometries(), 5);
  for (size_t g = 0; g < 5; ++g) {
    EXPECT_NEAR(mol[g].energy, (g < 4 ? gaussian[g] : gaussian[3]) + 0.048771, 1e-9) << g;
    EXPECT_DOUBLE_EQ(mol[g].xyz[0][2], oxygen_z[std::min<size_t>(g, 3)]) << g;
    EXPECT_EQ(atom_element(mol[g], 1).name, "H");
    EXPECT_NEAR(atom_mulliken(mol[g], 0), -0.33 + 0.01 * static_cast<double>(g), 1e-12) << g;
  }
  close_test_file();

  // GAMESS's reader keeps hartree too.
  const std::string gamess = dir.write("w.out",
                                       " GAMESS VERSION = 30 SEP 2023 (R2)\n\n"
                                       " ATOM      ATOMIC                      COORDINATES (BOHR)\n"
                                       "           CHARGE         X                   Y                   Z\n"
                                       " O           8.0     0.0000000000        0.0000000000        0.2217000000\n"
                                       " H           1.0     0.0000000000        1.4300000000       -0.8869000000\n"
                                       " H           1.0     0.0000000000       -1.4300000000       -0.8869000000\n\n"
                                       "                         TOTAL ENERGY      =      -76.0107356092\n");
  ASSERT_TRUE(convert("qc2mvr", gamess).ok());
  read_back(dir.file("w.mvr"));
  ASSERT_EQ(n_geometries(), 1);
  EXPECT_DOUBLE_EQ(mol[0].energy, -76.0107356092);
}

TEST_F(Babel, ProgramOutputsAreToldByTheirContent) {
  EXPECT_EQ(output_format_of(" Entering Gaussian System, Link 0=g16\n"), "g09");
  EXPECT_EQ(output_format_of("                                 * O   R   C   A *\n"), "orca");
  EXPECT_EQ(output_format_of("          Northwest Computational Chemistry Package (NWChem) 7.0\n"), "nwo");
  EXPECT_EQ(output_format_of("hello\n"), "");
  const converter_run_t run = convert("qc2mvr", dir.write("x.log", "nothing here\n"));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.message, dir.file("x.log") + ": not the output of Gaussian, ORCA, GAMESS, NWChem or Q-Chem");
  EXPECT_EQ(convert("sdf2mvr", dir.write("empty.sdf", "")).status, 1);
}

}  // namespace
