// HDF5 and INPORB orbital files (tests/data/orbital_files, made by the
// program from the inputs beside them): water in C2v with spherical d
// shells, in C1 with Cartesian d shells, and its cation unrestricted in
// C2v. Their grids are those of the Molden files the program wrote of the
// same runs; orbitals keep their irreps, indices and types, and the
// embedded orbital file is one its program reads again.
#include <gtest/gtest.h>
#include <hdf5.h>

#include <nlohmann/json.hpp>

#include <array>
#include <cmath>
#include <filesystem>
#include <functional>
#include <numeric>

#include "convert/convert_support.h"
#include "convert/molden_grids.h"
#include "convert/orbital_file_grids.h"
#include "formats/grid_reader.h"
#include "formats/inporb.h"
#include "formats/orbital_file.h"
#include "formats/safe_file.h"
#include "molecule/mol_data.h"
#include "support/recording_notifier.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

std::string orbital_fixture(const std::string& name) {
  return std::string(MIVOR_SOURCE_DIR) + "/tests/data/orbital_files/" + name;
}

class OrbitalFiles : public ::testing::Test {
 protected:
  void SetUp() override { reset_core_state(); }
  void TearDown() override { close_test_file(); }
  std::vector<std::vector<double>> grids_of(bool ok, const std::string& what, const std::string& error) {
    EXPECT_TRUE(ok) << what << ": " << error;
    return ok ? read_back(dir.file("out.mvr")) : std::vector<std::vector<double>>{};
  }
  std::vector<std::vector<double>> h5(const std::string& path, const grid_options_t& o) {
    std::string error;
    return grids_of(convert_hdf5_orbitals(path, o, dir.file("out.mvr"), error), path, error);
  }
  std::vector<std::vector<double>> molden(const std::string& path, const grid_options_t& o) {
    std::string error;
    return grids_of(convert_molden(path, o, dir.file("out.mvr"), error), path, error);
  }
  std::string status_with(const std::string& part) const {
    for (const auto& st : told.statuses)
      if (st.second.find(part) != std::string::npos) return st.second;
    return {};
  }
  // A copy of a fixture changed through the HDF5 library.
  std::string edited_h5(const std::string& name, const std::function<void(hid_t)>& edit) {
    const std::string copy = dir.file("edited.scf.h5");
    std::filesystem::copy_file(orbital_fixture(name), copy, std::filesystem::copy_options::overwrite_existing);
    const hid_t f = H5Fopen(copy.c_str(), H5F_ACC_RDWR, H5P_DEFAULT);
    EXPECT_GE(f, 0);
    edit(f);
    H5Fclose(f);
    return copy;
  }
  TempDir dir;
  RecordingNotifier told;
};

// Every orbital and density to 1e-6 of the Molden file's; the valence
// orbitals of norm 1 within 1 %; the convention named; irreps, indices
// and types as the file gives them (inactive below the gap, secondary
// above).
TEST_F(OrbitalFiles, HdfGridsAreThoseOfTheMoldenFileOfTheSameRun) {
  grid_options_t o;
  o.all = true;
  for (const char* run : {"water", "cart", "cation"}) {
    const auto want = molden(orbital_fixture(std::string(run) + ".scf.molden"), o);
    told.statuses.clear();
    const auto got = h5(orbital_fixture(std::string(run) + ".scf.h5"), o);
    ASSERT_EQ(got.size(), want.size()) << run;
    EXPECT_LT(largest_difference(got, want), 1e-6) << run;
    EXPECT_NE(status_with("Basis conventions: HDF5 orbital file, under which the orbitals are orthonormal"), "") << run;
    const grid_data_t& g = *mol[0].grid;
    double cell = 1;
    for (int a = 0; a < 3; ++a) cell *= g.axis[a][a] / (g.net[a] - 1) / bohr_to_angstrom;
    for (size_t k = 0; k < g.grid_kind.size(); ++k) {
      if (g.grid_kind[k] != GRID_ORBITAL) continue;
      EXPECT_GE(g.orb_sym[k], 1) << run;
      EXPECT_GE(g.orb_index[k], 1) << run;
      const char type = orb_desc_short[g.orb_type[k]][0];
      EXPECT_EQ(type, g.orb_occ[k] > 0 ? 'i' : 's') << run << " grid " << k;
      if (g.orb_occ[k] > 0 && g.orb_energy[k] > -5) {
        const double norm = std::inner_product(got[k].begin(), got[k].end(), got[k].begin(), 0.0) * cell;
        EXPECT_NEAR(norm, 1.0, 0.01) << run << " grid " << k;
      }
    }
  }
  // The cation's open shell: alpha and beta orbitals, a spin density.
  EXPECT_NE(status_with("Open shell"), "");
  EXPECT_NEAR(mol[0].energy, -75.6, 0.5);
}

// An orbital file evaluates in the basis of its run's HDF5 file, found
// beside it by the project name or given: the grids of the HDF5 file, the
// types it carries, and an embedded orbital file that is the program's own
// again (its orbitals read back to the same numbers), even when its title
// holds the words that end an embedded file or its grid section. A basis of
// another molecule is refused.
TEST_F(OrbitalFiles, OrbitalFilesTakeTheirBasisFromTheRunBesideThem) {
  grid_options_t o;
  const auto want = h5(orbital_fixture("water.scf.h5"), o);
  inporb_t original;
  std::string error;
  const std::string text = read_file(orbital_fixture("water.ScfOrb"));
  ASSERT_TRUE(parse_inporb(text, original, error)) << error;

  // With the HDF5 file beside it, types changed in the file itself.
  std::filesystem::copy_file(orbital_fixture("water.scf.h5"), dir.file("water.scf.h5"));
  std::string changed = text;
  const size_t index = changed.find("#INDEX\n* 1234567890\n0 ");
  ASSERT_NE(index, std::string::npos);
  changed[index + 22 + 2] = '2';  // the third orbital of the first irrep
  const std::string title = "* SCF orbitals\n";
  ASSERT_NE(changed.find(title), std::string::npos);
  changed.replace(changed.find(title), title.size(), "* SCF x#INDEX of /grid <End>\n");
  dir.write("water.ScfOrb", changed);
  ASSERT_TRUE(convert_inporb(dir.file("water.ScfOrb"), std::nullopt, o, dir.file("out.mvr"), error)) << error;
  EXPECT_LT(largest_difference(read_back(dir.file("out.mvr")), want), 1e-12);
  file_ptr native = open_file_ptr(dir.file("out.mvr"), "rb");
  const std::optional<orbital_file_t> embedded = read_orbital_file(native.get(), mol[0]);
  ASSERT_TRUE(embedded);
  EXPECT_EQ(embedded->letters[0].substr(0, 4), "ii2s");
  inporb_t again;
  ASSERT_TRUE(parse_inporb(inporb_of_embedded(*embedded), again, error)) << error;
  EXPECT_EQ(again.title, "SCF x INDEX of  grid  End>");
  EXPECT_EQ(again.nbas, original.nbas);
  ASSERT_EQ(again.spins.size(), 1u);
  for (size_t i = 0; i < original.nbas.size(); ++i)
    for (size_t k = 0; k < original.spins[0].vectors[i].size(); ++k)
      EXPECT_NEAR(again.spins[0].vectors[i][k], original.spins[0].vectors[i][k], 1e-13);
  EXPECT_EQ(again.spins[0].occupations, original.spins[0].occupations);

  // The unrestricted orbital file with its basis given.
  ASSERT_TRUE(convert_inporb(orbital_fixture("cation.UhfOrb"), orbital_fixture("cation.scf.h5"), o, dir.file("out.mvr"),
                             error))
      << error;
  EXPECT_LT(largest_difference(read_back(dir.file("out.mvr")), h5(orbital_fixture("cation.scf.h5"), o)), 1e-12);

  // Another molecule's basis, and none at all.
  EXPECT_FALSE(convert_inporb(orbital_fixture("water.ScfOrb"), orbital_fixture("cart.scf.h5"), o, dir.file("x.mvr"),
                              error));
  EXPECT_NE(error.find("holds the basis of another molecule"), std::string::npos) << error;
  dir.write("lonely.ScfOrb", text);
  EXPECT_FALSE(convert_inporb(dir.file("lonely.ScfOrb"), std::nullopt, o, dir.file("x.mvr"), error));
  EXPECT_NE(error.find("--basis"), std::string::npos) << error;
  EXPECT_FALSE(file_is_readable(dir.file("x.mvr")));
}

// Damaged files: each refused with a message that names what is wrong,
// before anything of the size it claims is allocated.
TEST_F(OrbitalFiles, DamagedFilesAreRefusedWithAReason) {
  grid_options_t o;
  std::string error;
  const auto set_nbas = [](std::array<long long, 4> nbas) {
    return [nbas](hid_t f) {
      const hid_t a = H5Aopen(f, "NBAS", H5P_DEFAULT);
      H5Awrite(a, H5T_NATIVE_LLONG, nbas.data());
      H5Aclose(a);
    };
  };
  // The attribute that names the module which wrote the file, whatever its
  // prefix.
  const auto drop_module = [](hid_t f) {
    std::vector<std::string> names;
    H5Aiterate2(
        f, H5_INDEX_NAME, H5_ITER_NATIVE, nullptr,
        [](hid_t, const char* name, const H5A_info_t*, void* data) -> herr_t {
          const std::string n(name);
          if (n.size() > 7 && n.compare(n.size() - 7, 7, "_MODULE") == 0)
            static_cast<std::vector<std::string>*>(data)->push_back(n);
          return 0;
        },
        &names);
    for (const std::string& n : names) H5Adelete(f, n.c_str());
  };
  const struct {
    std::function<void(hid_t)> edit;
    const char* message;
  } cases[] = {
      {[](hid_t f) { H5Ldelete(f, "MO_VECTORS", H5P_DEFAULT); }, "the dataset MO_VECTORS is missing"},
      {[](hid_t f) { H5Ldelete(f, "PRIMITIVES", H5P_DEFAULT); }, "the dataset PRIMITIVES is missing"},
      {set_nbas({11, 4, 2, 1000000}), "basis functions"},
      {set_nbas({11, 4, 2, 8}), "holds"},
      {drop_module, "the file names no module that wrote it"},
      {[](hid_t f) { H5Adelete(f, "NSYM"); }, "NSYM"},
  };
  for (const auto& c : cases) {
    const std::string path = edited_h5("water.scf.h5", c.edit);
    EXPECT_FALSE(convert_hdf5_orbitals(path, o, dir.file("x.mvr"), error)) << c.message;
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
  }
  dir.write("text.h5", "not an HDF5 file\n");
  EXPECT_FALSE(convert_hdf5_orbitals(dir.file("text.h5"), o, dir.file("x.mvr"), error));
  EXPECT_EQ(error, "not an HDF5 file");
  EXPECT_FALSE(file_is_readable(dir.file("x.mvr")));
}

// Orbital files whose counts disagree with what they hold, or that end
// early, name the line; the writer's text parses back to the same numbers.
TEST(Inporb, CountsAreCheckedAndTheWritersTextReadsBack) {
  std::string error;
  const std::string text = read_file(orbital_fixture("cation.UhfOrb"));
  inporb_t f;
  ASSERT_TRUE(parse_inporb(text, f, error)) << error;
  EXPECT_TRUE(f.unrestricted());
  inporb_t again;
  ASSERT_TRUE(parse_inporb(inporb_text(f), again, error)) << error;
  EXPECT_EQ(again.nbas, f.nbas);
  EXPECT_EQ(again.types, f.types);
  for (size_t s = 0; s < 2; ++s) {
    EXPECT_EQ(again.spins[s].vectors, f.spins[s].vectors);
    EXPECT_EQ(again.spins[s].occupations, f.spins[s].occupations);
  }
  auto refused = [&](std::string damaged) {
    inporb_t g;
    std::string why;
    EXPECT_FALSE(parse_inporb(damaged, g, why));
    return why;
  };
  const size_t counts = text.find('\n', text.find('\n', text.find("#INFO") + 6) + 1) + 1;
  std::string large = text;
  large.replace(counts, 8, "   99999");
  EXPECT_NE(refused(large), "");
  EXPECT_NE(refused(text.substr(0, text.size() / 2)), "");
  // An index that ends before the letters of its first irrep.
  EXPECT_NE(refused(text.substr(0, text.find("#INDEX") + 7)).find("irrep 1 has 0 type letters"), std::string::npos);
  EXPECT_EQ(refused("#INPORB 1.1\n"), "not an orbital file of version 2 (its first line is not \"#INPORB 2.x\")");
}

// mivor-cli orbitals on a converted run: every orbital of its orbital file
// (24 in four irreps, numbers from the file where no grid shows them);
// types set from a script are saved as the viewer saves (grid values kept,
// the counts of each type moved, a second save byte for byte the first)
// and written as the orbital file of the next run; a wrong setting changes
// nothing.
TEST(OrbitalFilesCli, TypesSetFromAScriptAreSavedAndWrittenForTheNextRun) {
  using nlohmann::json;
  TempDir dir;
  std::filesystem::copy_file(orbital_fixture("water.scf.h5"), dir.file("water.scf.h5"));
  ASSERT_TRUE(convert("h52mvr", dir.file("water.scf.h5")).ok());
  const std::string file = dir.file("water.scf.mvr");
  auto cli = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {MIVOR_CLI_BINARY, "orbitals", file});
    return run_program(args, {{"MIVOR_DIR", std::string(MIVOR_BUILD_RCDIR)}, {"HOME", dir.subdir("home")}}, dir.path());
  };
  const program_result listed = cli({});
  ASSERT_EQ(listed.status, 0) << listed.err;
  const json before = json::parse(listed.out)["orbitals"];
  ASSERT_EQ(before.size(), 24u);
  int per_irrep[5] = {0, 0, 0, 0, 0}, on_grids = 0;
  for (const json& o : before) {
    ++per_irrep[o["irrep"].get<int>()];
    EXPECT_FALSE(o["energy"].is_null());
    EXPECT_EQ(o["type"], o["occupation"].get<double>() > 0 ? "i" : "s");
    on_grids += !o["grid"].is_null();
  }
  EXPECT_EQ(std::vector<int>(per_irrep + 1, per_irrep + 5), (std::vector<int>{11, 4, 2, 7}));
  EXPECT_GT(on_grids, 0);
  EXPECT_LT(on_grids, 24);

  const std::vector<std::vector<double>> values = read_back(file);
  close_test_file();
  // HOMO (1b1) and LUMO (4a1) active; an orbital without a grid secondary→deleted.
  const program_result set = cli({"--set-type", "2:1=2", "1:4=2", "1:11=d", "--inporb", dir.file("next.RasOrb")});
  ASSERT_EQ(set.status, 0) << set.err;
  const json after = json::parse(set.out)["orbitals"];
  EXPECT_EQ(after[3]["type"], "2");
  EXPECT_EQ(after[10]["type"], "d");
  EXPECT_EQ(after[11]["type"], "2");
  EXPECT_EQ(read_back(file), values);
  close_test_file();
  const std::string saved = read_file(file);
  EXPECT_NE(saved.find(" N_INDEX= 0 0 4 0 2 0 17\n"), std::string::npos);
  const std::string next = read_file(dir.file("next.RasOrb"));
  EXPECT_EQ(next.substr(next.find("#INDEX")),
            "#INDEX\n* 1234567890\n0 iii2ssssss\n1 d\n* 1234567890\n0 2sss\n* 1234567890\n0 ss\n"
            "* 1234567890\n0 issssss\n");
  inporb_t parsed;
  std::string error;
  EXPECT_TRUE(parse_inporb(next, parsed, error)) << error;

  ASSERT_EQ(cli({"--set-type", "2:1=2"}).status, 0);
  EXPECT_EQ(read_file(file), saved);
  EXPECT_EQ(cli({"--set-type", "9:1=2"}).status, 1);
  EXPECT_EQ(cli({"--set-type", "1:1=x"}).status, 2);
  EXPECT_EQ(read_file(file), saved);
}

}  // namespace
