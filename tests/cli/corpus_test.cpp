// The regression corpus through mivor-cli: every damaged, huge or strange
// file and every unsafe save target ends in its message or its result, and,
// in the normal build, within 5 s of processor time and 500 MB.
#include "support/corpus.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

namespace {

using nlohmann::json;

class Corpus : public ::testing::Test {
 protected:
  // `mivor-cli args`, checked for its exit status and budgets; its output
  // as JSON when it printed some.
  json run(const std::vector<std::string>& args, int status = 0, const std::string& stderr_holds = "") {
    const program_result r = corpus.cli(args);
    const std::string what = args[0] + " " + args[1];
    EXPECT_EQ(r.status, status) << what << ": " << r.err;
    if (!stderr_holds.empty()) {
      EXPECT_NE(r.err.find(stderr_holds), std::string::npos) << what << ": " << r.err;
    }
    expect_within_budget(r, what);
    return r.out.empty() ? json() : json::parse(r.out);
  }
  static std::vector<std::string> messages(const json& doc) { return doc["messages"].get<std::vector<std::string>>(); }

  CorpusFiles corpus;
};

TEST_F(Corpus, HugeFilesOpenWithinTheBudgets) {
  corpus.make({"end_lines.mvr", "atom_lines.mvr", "bonds_many.mvr"});
  const int geometries = sanitized_build ? 100000 : 2000000;
  json doc = run({"info", "end_lines.mvr", "--summary", "--geometry", std::to_string(geometries - 1)});
  EXPECT_EQ(doc["n_geometries"], geometries);
  EXPECT_EQ(doc["geometries"][0]["atoms"], 0);

  doc = run({"info", "atom_lines.mvr", "--summary"});
  EXPECT_EQ(doc["geometries"][0]["atoms"], sanitized_build ? 200000 : 10000000);
  EXPECT_EQ(messages(doc), std::vector<std::string>{"atom_lines.mvr"});

  doc = run({"info", "bonds_many.mvr", "--summary"});
  EXPECT_EQ(doc["geometries"][0]["bonds"], sanitized_build ? 20000 : 320000);
}

TEST_F(Corpus, HeadersThatClaimMoreThanTheFileHoldsAllocateNothing) {
  corpus.make({"cutoff_claim.mvr", "cutoff_claim_1000_atoms.mvr", "orbital_claim.mvr"});
  // 512³ points kept around the atoms, no data: refused from the sizes
  // alone, before the cut-off of 134 million points is made.
  for (const char* name : {"cutoff_claim.mvr", "cutoff_claim_1000_atoms.mvr"}) {
    const json doc = run({"info", name, "--summary"});
    EXPECT_EQ(messages(doc)[0], "ERROR: Ill-defined size of grid data") << name;
    EXPECT_EQ(doc["geometries"][0]["grids"], 0);
    run({"grid", name}, 1, "geometry 0 has no grids");
  }

  // 8 × 99,999,999 orbitals claimed, five listed per symmetry: a save
  // writes what is listed.
  run({"convert", "orbital_claim.mvr", "saved.mvr"});
  const std::string saved = read_file(corpus.file("saved.mvr"));
  EXPECT_LT(saved.size(), 2000u);
  EXPECT_NE(saved.find("* 1234567890\n0 iiiis\n* 1234567890\n"), std::string::npos);
}

TEST_F(Corpus, SurfacesAboveTheBudgetAreRefusedWithTheirSize) {
  corpus.make({"surface_alternating.mvr"});
  const char message[] = "surface too large: 16387064 triangles; raise the isovalue";
  run({"surface", "surface_alternating.mvr"}, 1, message);
  run({"surface", "surface_alternating.mvr", "--level", "0.5", "--ply", "out.ply"}, 1, message);
  EXPECT_FALSE(file_exists(corpus.file("out.ply")));
  // Opened, the file is read and the surface refused.
  const json doc = run({"info", "surface_alternating.mvr", "--summary"});
  EXPECT_EQ(messages(doc)[0], message);
}

TEST_F(Corpus, DamagedBlocksAreReportedAndWhatIsSoundIsKept) {
  corpus.make({"count_too_large.mvr", "count_too_small.mvr", "vibration_short.mvr", "grid_count_large.mvr",
               "grid_count_small.mvr", "grid_count_density.mvr", "grids_mixed.mvr", "textbox_extreme.mvr"});
  const std::string atoms_missing = "WARNING: Broken file; some atoms are missing!\n";
  for (const auto& [name, first_atoms] : {std::pair{"count_too_large.mvr", 3}, std::pair{"count_too_small.mvr", 1}}) {
    const json doc = run({"info", name});
    EXPECT_EQ(messages(doc)[0], atoms_missing) << name;
    ASSERT_EQ(doc["n_geometries"], 2) << name;
    EXPECT_EQ(doc["geometries"][0]["atoms"].size(), size_t(first_atoms)) << name;
    EXPECT_EQ(doc["geometries"][1]["atoms"].size(), 2u) << name;
    EXPECT_EQ(doc["geometries"][1]["atoms"][1]["symbol"], "O") << name;
  }

  json doc = run({"info", "vibration_short.mvr"});
  EXPECT_EQ(messages(doc)[0], "WARNING: Broken file; some vibration displacements are missing!\n");
  const json& modes = doc["geometries"][0]["vibrations"];
  ASSERT_EQ(modes.size(), 2u);
  EXPECT_EQ(modes[0]["displacements"].size(), 2u);
  EXPECT_EQ(modes[1]["freq"], 3000.0);
  EXPECT_EQ(modes[1]["displacements"][2], json::parse("[0, 0, 0.2]"));

  for (const char* name : {"grid_count_large.mvr", "grid_count_small.mvr", "grid_count_density.mvr"}) {
    doc = run({"info", name});
    EXPECT_EQ(messages(doc)[0], "ERROR: Ill-defined number of grids") << name;
    EXPECT_TRUE(doc["geometries"][0]["grid"].is_null()) << name;
    EXPECT_EQ(doc["geometries"][0]["atoms"].size(), 3u) << name;
    run({"grid", name}, 1, "geometry 0 has no grids");
  }

  // Geometries with two and three grids each keep theirs; any grid of
  // either loads.
  doc = run({"info", "grids_mixed.mvr", "--summary"});
  EXPECT_EQ(messages(doc), std::vector<std::string>{"grids_mixed.mvr"});
  EXPECT_EQ(doc["geometries"][0]["grids"], 2);
  EXPECT_EQ(doc["geometries"][1]["grids"], 3);
  EXPECT_EQ(run({"grid", "grids_mixed.mvr"})["n_points"], 27);
  EXPECT_GT(run({"surface", "grids_mixed.mvr", "--geometry", "1", "--grid", "2"})["triangles"], 0);
  EXPECT_GT(run({"surface", "grids_mixed.mvr", "--geometry", "0", "--grid", "1"})["triangles"], 0);

  // Text boxes at the ends of the int range keep their places.
  doc = run({"info", "textbox_extreme.mvr"});
  const json& boxes = doc["geometries"][0]["textboxes"];
  ASSERT_EQ(boxes.size(), 4u);
  EXPECT_EQ(boxes[0]["y"], 2147483647);
  EXPECT_EQ(boxes[1]["x"], -2147483648LL);
  EXPECT_EQ(boxes[2]["x"], 2147483647);
}

TEST_F(Corpus, GridsWithoutNumbersGiveLimitsAndMessages) {
  corpus.make({"grid_nan.mvr", "grid_one_point.mvr", "grid_no_points.mvr"});
  json doc = run({"grid", "grid_nan.mvr"});
  EXPECT_EQ(doc["grid_min"], 0);
  EXPECT_EQ(doc["grid_max"], 0);
  EXPECT_EQ(messages(run({"info", "grid_nan.mvr", "--summary"}))[0], "WARNING: The grid holds no finite values");

  doc = run({"grid", "grid_one_point.mvr"});
  EXPECT_EQ(doc["grid_min"], 0.25);
  EXPECT_EQ(doc["grid_max"], 0.25);
  EXPECT_EQ(run({"surface", "grid_one_point.mvr"})["triangles"], 0);

  run({"grid", "grid_no_points.mvr"}, 1, "grid 0 holds no values: the file keeps only the grid descriptions");
  EXPECT_EQ(run({"info", "grid_no_points.mvr", "--summary"})["geometries"][0]["grids"], 1);
}

TEST_F(Corpus, OnlyRegularFilesAreOpened) {
  const std::string fifo = corpus.file("pipe.mvr"), folder = corpus.dir().subdir("folder.mvr");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& name : {std::string("/dev/zero"), std::string("/dev/urandom"), fifo, folder}) {
    const program_result r = corpus.cli({"info", name});
    EXPECT_EQ(r.status, 1) << name;
    EXPECT_EQ(r.err, "ERROR: Can't open file: " + name + " (not a regular file)\n");
    EXPECT_TRUE(r.out.empty());
  }
}

// Save targets: nothing the user did not name is written, nothing that is
// not a writable regular file is replaced, a link leads to its file.
TEST_F(Corpus, SavesNeverLoseOrMisplaceFiles) {
  corpus.make({"grid_lattice.mvr"});
  const TempDir& dir = corpus.dir();
  dir.write("water.mvr", "3\nwater\nO 0 0 0.1173\nH 0 0.7572 -0.4692\nH 0 -0.7572 -0.4692\n <END>\n");

  const std::string locked = dir.write("locked.mvr", "keep me\n");
  ASSERT_EQ(chmod(locked.c_str(), 0444), 0);
  run({"convert", "water.mvr", "locked.mvr"}, 1, "ERROR: Can't write file: locked.mvr (read-only)");
  EXPECT_EQ(read_file(locked), "keep me\n");

  dir.subdir("real");
  dir.write("real/target.mvr", "old\n");
  ASSERT_EQ(symlink("real/target.mvr", dir.file("link.mvr").c_str()), 0);
  run({"convert", "water.mvr", "link.mvr"});
  struct stat st;
  ASSERT_EQ(lstat(dir.file("link.mvr").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(read_file(dir.file("real/target.mvr")).substr(0, 3), "  3");

  ASSERT_EQ(mkfifo(dir.file("fifo.mvr").c_str(), 0600), 0);
  run({"convert", "water.mvr", "fifo.mvr"}, 1, "(not a regular file)");
  run({"surface", "grid_lattice.mvr", "--ply", "/dev/full"}, 1,
      "ERROR: Can't write file: /dev/full (not a regular file)");
  ASSERT_EQ(stat("/dev/full", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));

  // Only the file name's dot names an extension.
  dir.subdir("v1.0");
  dir.write("v1.mvr", "the user's v1\n");
  run({"convert", "water.mvr", "v1.0/res"});
  EXPECT_TRUE(file_exists(dir.file("v1.0/res.mvr")));
  EXPECT_EQ(read_file(dir.file("v1.mvr")), "the user's v1\n");

  // A type nobody converts to is refused, and nothing is written.
  dir.write("out.mvr", "the user's out\n");
  run({"convert", "water.mvr", "out.xyz"}, 1, "ERROR: Can't open file: unknown filetype!");
  EXPECT_EQ(read_file(dir.file("out.mvr")), "the user's out\n");
  EXPECT_FALSE(file_exists(dir.file("out.xyz")));
}

}  // namespace
