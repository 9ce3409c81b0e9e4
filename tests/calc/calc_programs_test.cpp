// The calculation programs: what they read of xtb's files, and real runs of
// xtb and psi4 on water compared with what those programs say themselves.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <thread>

#include "calc/child_run.h"
#include "calc/jobs.h"
#include "calc/xtb_output.h"
#include "convert/molden_grids.h"
#include "convert/native_in.h"
#include "document/open_close.h"
#include "document/save.h"
#include "edit/orbital_list_model.h"
#include "molecule/mol_data.h"
#include "support/recording_notifier.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

const char distorted_water[] =
    "  3\ndistorted water\n"
    " O 0.0 0.0 0.1\n H 0.0 0.85 -0.5\n H 0.0 -0.7 -0.45\n <END>\n";

// The program's path as the shell finds it; "" when it is not installed.
std::string path_of(const char* program) {
  const std::string command = std::string("command -v ") + program + " 2>/dev/null";
  std::string path;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buffer[4096];
    if (std::fgets(buffer, sizeof buffer, p)) path = buffer;
    pclose(p);
  }
  while (!path.empty() && path.back() == '\n') path.pop_back();
  return path;
}
bool on_path(const char* program) { return !path_of(program).empty(); }

#define SKIP_WITHOUT(program)                                  \
  if (!on_path(program))                                       \
  GTEST_SKIP() << program                                      \
               << " is not installed (Debian package " program \
                  "; scripts/install-deps.sh installs it): the real calculation is not run"

double angle_degrees(const vec3& a, const vec3& centre, const vec3& b) {
  double dot = 0;
  for (int c = 0; c < 3; ++c) dot += (a[c] - centre[c]) * (b[c] - centre[c]);
  return std::acos(dot / (distance(a, centre) * distance(b, centre))) * 180 / M_PI;
}

program_result run_calc(const std::string& name, const std::vector<std::string>& args, const std::string& cwd) {
  std::vector<std::string> argv{std::string(MIVOR_CALC_DIR) + "/" + name};
  argv.insert(argv.end(), args.begin(), args.end());
  return run_program(argv, {{"MIVOR_DIR", std::string(MIVOR_BUILD_RCDIR)}}, cwd);
}

std::vector<geometry_section_t> read_result(const std::string& path) {
  std::vector<geometry_section_t> g;
  std::string error;
  EXPECT_TRUE(read_native(path, g, error)) << error;
  return g;
}

// The results as the window reads them.
class CalcPrograms : public ::testing::Test {
 protected:
  void SetUp() override { reset_core_state(); }
  void TearDown() override { close_test_file(); }
  RecordingNotifier notes;
  TempDir dir;
};

TEST(XtbOutput, StepsAreReadUpToTheLastCompleteFrame) {
  const std::string frame1 =
      "3\n energy: -5.061198006 gnorm: 0.146158262 xtb: 6.5.1\n"
      "O 0.0 0.0 0.1\nH 0.0 0.85 -0.5\nH 0.0 -0.7 -0.45\n";
  const std::string frame2 =
      "3\n energy: -5.069910584 gnorm: 0.034781433 xtb: 6.5.1\n"
      "O 0.0 0.04 0.10\nH 0.0 0.83 -0.49\nH 0.0 -0.72 -0.47\n";
  // xtb is still writing the third frame; a frame with a wild count reads
  // as the end, never as a huge allocation.
  for (const std::string& tail : {std::string("3\n energy: -5.0705 gnorm: 0.0016\nO 0.0 0.05"),
                                  std::string("99999999999\n energy: -1 gnorm: 0\n")}) {
    const std::vector<xtb_step_t> steps = parse_xtb_steps(frame1 + frame2 + tail);
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_DOUBLE_EQ(steps[1].energy, -5.069910584);
    EXPECT_DOUBLE_EQ(steps[1].atoms.xyz[2][1], -0.72);
  }
  const std::vector<geometry_section_t> g = steps_to_geometries(parse_xtb_steps(frame1));
  ASSERT_EQ(g.size(), 1u);
  ASSERT_EQ(g[0].rec.flags & (FLAG_ENERGY | FLAG_RMS_GRAD), FLAG_ENERGY | FLAG_RMS_GRAD);
  EXPECT_DOUBLE_EQ(g[0].rec.energy, -5.061198006);
  EXPECT_NEAR(g[0].rec.rms_grad, 0.146158262 / 3.0, 1e-12);  // gnorm / sqrt(3 N)

  // A mode block that misses an atom is an error, not a short mode.
  const std::string g98 =
      " Frequencies --  1361.4179  2664.0494\n Red. masses --  2.2 1.7\n"
      " Frc consts  --  0 0\n IR Inten    --  133.0250  6.3830\n"
      "  Atom AN      X      Y      Z        X      Y      Z\n"
      "    1   8   0.00  0.05 -0.28     0.00  0.19 -0.10\n"
      "    2   1   0.00  0.27  0.57     0.00 -0.84  0.48\n";
  mol_data_t two, three;
  two.xyz.resize(2);
  three.xyz.resize(3);
  std::string error;
  ASSERT_TRUE(parse_g98_modes(g98, two, error)) << error;
  ASSERT_EQ(two.nvibr(), 2);
  EXPECT_TRUE(two.flags & FLAG_IR);
  EXPECT_DOUBLE_EQ(two.vib->freq[1], 2664.0494);
  EXPECT_DOUBLE_EQ(two.vib->ir_intensity[0], 133.025);
  EXPECT_DOUBLE_EQ(two.vib->normal_mode[1][1][1], -0.84);
  EXPECT_FALSE(parse_g98_modes(g98, three, error));
  EXPECT_EQ(three.nvibr(), 0);
}

// A process that is gone, or has ended and waits to be reaped.
bool process_ended(const std::string& pid_text) {
  std::istringstream stat(read_file("/proc/" + pid_text + "/stat"));
  std::string pid, name, state;
  return !(stat >> pid >> name >> state) || state == "Z";
}

// A program a wrapper runs is stopped past the time limit of calculations
// (asked, then killed), and the run says so; a program it started in turn
// (as a quantum-chemistry driver starts its modules) is stopped with it.
TEST(ChildRun, ProgramPastTheTimeLimitIsStoppedWithWhatItStarted) {
  TempDir dir;
  ScopedEnv limit("MIVOR_CALCULATION_TIMEOUT", "1");
  const auto start = std::chrono::steady_clock::now();
  const run_result_t r = run_program_in({"sh", "-c", "trap '' TERM; sleep 30 & echo $! > started; wait"}, dir.path(),
                                        {}, "o", "e", nullptr);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_TRUE(r.started);
  EXPECT_TRUE(r.timed_out);
  EXPECT_FALSE(r.terminated);
  ASSERT_TRUE(WIFSIGNALED(r.wait_status));
  EXPECT_EQ(WTERMSIG(r.wait_status), SIGKILL);  // it would not end when asked
  EXPECT_LT(seconds, 6.0);
  std::string started = read_file(dir.file("started"));
  while (!started.empty() && started.back() == '\n') started.pop_back();
  ASSERT_FALSE(started.empty());
  const auto ended_by = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (!process_ended(started) && std::chrono::steady_clock::now() < ended_by)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_TRUE(process_ended(started)) << "the program's own child " << started << " still runs";
}

TEST_F(CalcPrograms, WrongCallsChangeNothing) {
  const std::string file = dir.write("water.mvr", distorted_water);
  // An unknown option, a missing file and a bad level: usage or failure,
  // and the file as it was.
  EXPECT_EQ(run_calc("xtb-opt", {"--basis", "x", file}, dir.path()).status, job_usage);
  EXPECT_EQ(run_calc("xtb-freq", {}, dir.path()).status, job_usage);
  const program_result level = run_calc("xtb-opt", {"--level", "ultra", file}, dir.path());
  EXPECT_EQ(level.status, job_failed);
  EXPECT_NE(level.err.find("--level"), std::string::npos) << level.err;
  const program_result basis = run_calc("psi4-orbitals", {"--basis", "sto-3g')\nimport os", file}, dir.path());
  EXPECT_EQ(basis.status, job_failed);
  EXPECT_EQ(run_calc("hdf5-scf", {"--basis", "sto-3g\n&SCF", file}, dir.path()).status, job_failed);
  EXPECT_EQ(run_calc("hdf5-rasscf", {"--nactel", "2 x", file}, dir.path()).status, job_failed);
  // Without a program to run them, the HDF5 calculations say what to set.
  if (!std::getenv("MIVOR_RASSCF_PROGRAM")) {
    const program_result unset = run_calc("hdf5-scf", {file}, dir.path());
    EXPECT_EQ(unset.status, job_failed);
    EXPECT_NE(unset.err.find("set MIVOR_RASSCF_PROGRAM to the command"), std::string::npos) << unset.err;
  }
  EXPECT_EQ(read_file(file), distorted_water);

  // RASSCF needs the orbitals of an INPORB file: a file without grids has none, one
  // made from a Molden file has types but no coefficients.
  const program_result bare = run_calc("hdf5-rasscf", {file}, dir.path());
  EXPECT_EQ(bare.status, job_failed);
  EXPECT_NE(bare.err.find("has no orbital file"), std::string::npos) << bare.err;
  const std::string molden = dir.file("molden.mvr");
  grid_options_t coarse;
  coarse.net = 12;
  std::string error;
  ASSERT_TRUE(convert_molden(MIVOR_SOURCE_DIR "/tests/data/convert/h2o_sph.molden", coarse, molden, error)) << error;
  const std::string converted = read_file(molden);
  const program_result foreign = run_calc("hdf5-rasscf", {molden}, dir.path());
  EXPECT_EQ(foreign.status, job_failed);
  EXPECT_NE(foreign.err.find("no orbitals of an INPORB file"), std::string::npos) << foreign.err;
  EXPECT_EQ(read_file(molden), converted);
}

TEST_F(CalcPrograms, XtbOptimisationReachesXtbsOwnOptimumStepByStep) {
  SKIP_WITHOUT("xtb");
  const std::string file = dir.write("water.mvr", distorted_water);
  const program_result r = run_calc("xtb-opt", {"--charge", "0", "--uhf", "0", "--level", "normal", file}, dir.path());
  ASSERT_EQ(r.status, 0) << r.err;
  open_file(file, std::nullopt);
  ASSERT_GE(n_geometries(), 3);
  for (size_t k = 0; k < mol.size(); ++k) {
    EXPECT_TRUE(mol[k].flags & FLAG_RMS_GRAD) << "step " << k;
    EXPECT_LT(mol[k].energy, -5.0);
    if (k > 0) {
      EXPECT_LE(mol[k].energy, mol[k - 1].energy + 1e-9) << "step " << k;
    }
  }
  const std::vector<geometry_section_t> steps = read_result(file);

  // xtb's own optimisation of the same molecule.
  const std::string own = dir.subdir("own");
  dir.write("own/water.xyz", "3\n\nO 0.0 0.0 0.1\nH 0.0 0.85 -0.5\nH 0.0 -0.7 -0.45\n");
  ASSERT_EQ(run_program({path_of("xtb"), "water.xyz", "--opt", "normal"}, {}, own).status, 0);
  std::istringstream in(read_file(own + "/xtbopt.xyz"));
  std::string line;
  std::getline(in, line);
  std::getline(in, line);
  vec3 atoms[3];
  for (vec3& a : atoms) in >> line >> a[0] >> a[1] >> a[2];
  const std::vector<vec3>& last = steps.back().rec.xyz;
  for (int h : {1, 2}) EXPECT_NEAR(distance(last[0], last[h]), distance(atoms[0], atoms[h]), 0.01);
  EXPECT_NEAR(angle_degrees(last[1], last[0], last[2]), angle_degrees(atoms[1], atoms[0], atoms[2]), 1.0);
}

TEST_F(CalcPrograms, XtbFrequenciesMatchXtbsOwnSpectrum) {
  SKIP_WITHOUT("xtb");
  const std::string file = dir.write("water.mvr", distorted_water);
  const program_result r = run_calc("xtb-freq", {file}, dir.path());
  ASSERT_EQ(r.status, 0) << r.err;
  open_file(file, std::nullopt);
  ASSERT_EQ(n_geometries(), 1);
  ASSERT_EQ(m->nvibr(), 3);

  const std::string own = dir.subdir("own");
  dir.write("own/water.xyz", "3\n\nO 0.0 0.0 0.1\nH 0.0 0.85 -0.5\nH 0.0 -0.7 -0.45\n");
  ASSERT_EQ(run_program({path_of("xtb"), "water.xyz", "--hess"}, {}, own).status, 0);
  // "$vibrational spectrum": the real modes carry a symmetry: mode,
  // symmetry, wave number, IR intensity, two selection rules.
  std::vector<std::pair<double, double>> spectrum;
  std::istringstream in(read_file(own + "/vibspectrum"));
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    std::vector<std::string> w;
    for (std::string word; words >> word;) w.push_back(word);
    if (w.size() == 6 && w[0] != "#") spectrum.emplace_back(std::stod(w[2]), std::stod(w[3]));
  }
  ASSERT_EQ(spectrum.size(), 3u);
  for (size_t k = 0; k < 3; ++k) {
    EXPECT_NEAR(m->vib->freq[k], spectrum[k].first, 1.0);
    EXPECT_NEAR(m->vib->ir_intensity[k], spectrum[k].second, 0.01);
  }
}

TEST_F(CalcPrograms, Psi4OrbitalEnergiesAreThoseOfPsi4) {
  SKIP_WITHOUT("psi4");
  reset_core_state();
  RecordingNotifier notes;
  const std::string file = dir.write("water.mvr", distorted_water);
  const program_result r = run_calc("psi4-orbitals", {file}, dir.path());
  ASSERT_EQ(r.status, 0) << r.err;
  open_file(file, std::nullopt);
  ASSERT_TRUE(m && m->ngrid() > 0);
  std::vector<double> ours;
  for (int k = 0; k < m->ngrid(); ++k)
    if (k < static_cast<int>(m->grid->orb_energy.size()) && m->grid->grid_kind[static_cast<size_t>(k)] == GRID_ORBITAL)
      ours.push_back(m->grid->orb_energy[static_cast<size_t>(k)]);

  // psi4 itself on the input the program writes, its orbital energies as
  // printed ("1Ap   -20.559955 ...").
  std::vector<geometry_section_t> g = read_result(file);
  ASSERT_FALSE(g.empty());
  const std::string own = dir.subdir("own");
  dir.write("own/input.dat", psi4_input_text(g.back().rec, psi4_settings_t{}));
  ASSERT_EQ(run_program({path_of("psi4"), "input.dat", "output.dat"}, {{"PSI_SCRATCH", own}}, own).status, 0);
  std::istringstream in(read_file(own + "/output.dat"));
  std::vector<double> theirs;
  bool in_list = false;
  for (std::string line; std::getline(in, line);) {
    if (line.find("Orbital Energies") != std::string::npos) in_list = true;
    if (line.find("Final Occupation") != std::string::npos) in_list = false;
    if (!in_list) continue;
    std::istringstream words(line);
    for (std::string label, value; words >> label >> value;)
      if (std::isdigit(static_cast<unsigned char>(label[0]))) theirs.push_back(std::stod(value));
  }
  ASSERT_EQ(theirs.size(), 19u);  // 6-31G* on water
  std::sort(theirs.begin(), theirs.end());
  std::sort(ours.begin(), ours.end());
  // The list holds HOMO-10 … LUMO+10: here the 5 occupied and 11 virtual.
  ASSERT_EQ(ours.size(), 16u);
  for (size_t k = 0; k < ours.size(); ++k) EXPECT_NEAR(ours[k], theirs[k], 1e-6) << "orbital " << k;
}

// Water with its twofold axis along z and its plane the yz plane: the
// program finds C2v, its HOMO is 1b1 (symmetry 2) and its LUMO 4a1 (symmetry 1).
const char c2v_water[] =
    "  3\nwater in C2v\n"
    " O 0.0 0.0 0.117790\n H 0.0 0.755453 -0.471161\n H 0.0 -0.755453 -0.471161\n <END>\n";

int type_code(char letter) {
  for (int t = 0; t < n_orbital_types; ++t)
    if (orbital_description_short[t][0] == letter) return t;
  return -1;
}

struct orbital_grid_t {
  int sym = 0, index = 0, type = 0;
  double energy = 0, occ = 0;
};

std::vector<orbital_grid_t> orbital_grids(const mol_data_t& rec) {
  std::vector<orbital_grid_t> out;
  for (size_t k = 0; rec.ngrid() > 0 && k < rec.grid->grid_kind.size(); ++k)
    if (rec.grid->grid_kind[k] == GRID_ORBITAL)
      out.push_back({rec.grid->orb_sym[k], rec.grid->orb_index[k], rec.grid->orb_type[k], rec.grid->orb_energy[k],
                     rec.grid->orb_occ[k]});
  return out;
}

// Sets orbital types (symmetry, index, letter) and saves over the file
// from a script: mivor-cli orbitals --set-type.
void set_orbital_types(const std::string& file, const std::vector<std::tuple<int, int, char>>& types) {
  std::vector<std::string> args = {MIVOR_CLI_BINARY, "orbitals", file, "--set-type"};
  for (const auto& [sym, index, letter] : types)
    args.push_back(std::to_string(sym) + ":" + std::to_string(index) + "=" + letter);
  const program_result r = run_program(args, {{"MIVOR_DIR", std::string(MIVOR_BUILD_RCDIR)}}, ".");
  ASSERT_EQ(r.status, 0) << r.err;
}

// The numbers of the line of `text` that starts with `label`.
std::vector<int> counts_of(const std::string& text, const std::string& label) {
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    std::string word, seen;
    while (seen.size() < label.size() && words >> word) seen += (seen.empty() ? "" : " ") + word;
    if (seen != label) continue;
    std::vector<int> counts;
    for (int n; words >> n;) counts.push_back(n);
    return counts;
  }
  return {};
}

// From one calculation to the next: SCF orbitals of water with
// The run's types, HOMO and LUMO set to RAS2 and saved, RASSCF on them.
// Types without an active orbital, and a basis set that disagrees with
// the orbitals, fail with a reason (RASSCF's own for the basis) and leave
// the file as it was.
TEST_F(CalcPrograms, RasscfTakesTheActiveSpaceOfTheTypesSet) {
  if (!std::getenv("MIVOR_RASSCF_PROGRAM"))
    GTEST_SKIP() << "MIVOR_RASSCF_PROGRAM is not set: the real SCF and RASSCF calculations are not run";
  const std::string file = dir.write("water.mvr", c2v_water);
  const program_result scf = run_calc("hdf5-scf", {"--basis", "STO-3G", file}, dir.path());
  ASSERT_EQ(scf.status, 0) << scf.err;
  open_file(file, std::nullopt);
  ASSERT_TRUE(m && (m->flags & FLAG_ENERGY));
  const double scf_energy = m->energy;
  std::vector<orbital_grid_t> orbitals = orbital_grids(*m);
  ASSERT_EQ(orbitals.size(), 7u);  // STO-3G: every orbital on a grid
  orbital_grid_t homo, lumo;
  homo.energy = -1e9;
  lumo.energy = 1e9;
  for (const orbital_grid_t& o : orbitals) {
    EXPECT_EQ(o.type, type_code(o.occ > 1 ? 'i' : 's')) << o.sym << ":" << o.index;
    if (o.occ > 1 && o.energy > homo.energy) homo = o;
    if (o.occ < 1 && o.energy < lumo.energy) lumo = o;
  }
  EXPECT_EQ(homo.sym, 2);
  EXPECT_EQ(lumo.sym, 1);
  close_test_file();

  const program_result inactive = run_calc("hdf5-rasscf", {"--nactel", "2", file}, dir.path());
  EXPECT_EQ(inactive.status, job_failed);
  EXPECT_NE(inactive.err.find("no orbital is of an active type"), std::string::npos) << inactive.err;

  set_orbital_types(file, {{homo.sym, homo.index, '2'}, {lumo.sym, lumo.index, '2'}});
  const std::string saved = read_file(file);
  const program_result mismatch = run_calc("hdf5-rasscf", {"--nactel", "2", "--basis", "6-31G", file}, dir.path());
  EXPECT_EQ(mismatch.status, job_failed);
  EXPECT_NE(mismatch.err.find("Mismatch in start orbital file"), std::string::npos) << mismatch.err;
  EXPECT_NE(mismatch.err.find("\n4 1 0 2\n"), std::string::npos) << mismatch.err;  // the orbitals' functions
  EXPECT_NE(mismatch.err.find("\n7 2 0 4\n"), std::string::npos) << mismatch.err;  // those of 6-31G
  EXPECT_EQ(read_file(file), saved);

  const program_result ras = run_calc("hdf5-rasscf", {"--nactel", "2", file}, dir.path());
  ASSERT_EQ(ras.status, 0) << ras.err;
  // RASSCF's account of its spaces: one RAS2 orbital in each of the two
  // symmetries, the rest as SCF left them.
  std::vector<int> ras2(4, 0);
  ++ras2[static_cast<size_t>(homo.sym - 1)];
  ++ras2[static_cast<size_t>(lumo.sym - 1)];
  EXPECT_EQ(counts_of(ras.out, "RAS2 orbitals"), ras2) << ras.out;
  EXPECT_EQ(counts_of(ras.out, "Active orbitals"), ras2) << ras.out;
  EXPECT_EQ(counts_of(ras.out, "Inactive orbitals"), (std::vector<int>{3, 0, 0, 1})) << ras.out;

  const std::vector<geometry_section_t> result = read_result(file);
  ASSERT_EQ(result.size(), 1u);
  EXPECT_NE(result[0].comment.find("basis STO-3G"), std::string::npos) << result[0].comment;
  open_file(file, std::nullopt);
  ASSERT_TRUE(m && (m->flags & FLAG_ENERGY));
  EXPECT_LE(m->energy, scf_energy + 1e-9);
  EXPECT_GT(m->energy, scf_energy - 0.05);
  // The natural orbitals: the two active ones share the two electrons, the
  // HOMO's nearly doubly occupied; every other one holds 2 or 0.
  orbitals = orbital_grids(*m);
  ASSERT_EQ(orbitals.size(), 7u);
  double active_electrons = 0;
  for (const orbital_grid_t& o : orbitals) {
    const bool active = (o.sym == homo.sym && o.index == homo.index) || (o.sym == lumo.sym && o.index == lumo.index);
    EXPECT_EQ(o.type, type_code(active ? '2' : o.occ > 1 ? 'i' : 's')) << o.sym << ":" << o.index;
    if (active) {
      active_electrons += o.occ;
      EXPECT_GT(o.occ, 0.0);
      EXPECT_LT(o.occ, 2.0);
      EXPECT_NEAR(o.occ, o.sym == homo.sym ? 2.0 : 0.0, 0.1) << o.sym << ":" << o.index;
    } else {
      EXPECT_NEAR(o.occ, o.occ > 1 ? 2.0 : 0.0, 1e-6) << o.sym << ":" << o.index;
    }
  }
  EXPECT_NEAR(active_electrons, 2.0, 1e-6);
}

}  // namespace
