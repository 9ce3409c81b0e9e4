#include "formats/file_types.h"

#include <gtest/gtest.h>

#include "app/config_dir.h"
#include "app/config_files.h"
#include "formats/file_names.h"
#include "support/recording_notifier.h"
#include "support/temp_dir.h"

namespace {

class FileTypes : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_core_state();
    lib = dir.subdir("lib");
    dir.write("lib/xyz2mvr", "");
    dir.write("lib/mvr2xyz", "");
  }
  void TearDown() override { reset_core_state(); }

  void read(const std::string& text) { read_input_filetypes(dir.write("plugin.rc", text)); }

  TempDir dir;
  std::string lib;
};

TEST_F(FileTypes, NativeTypeAloneWithoutAPluginFile) {
  read_input_filetypes(dir.file("absent.rc"));
  ASSERT_EQ(n_input_types(), 1);
  EXPECT_EQ(input_filetypes[0].extension, "mvr");
  EXPECT_EQ(input_filetypes[0].description, "Mivor native format");
  EXPECT_FALSE(input_filetypes[0].libpath);
  EXPECT_FALSE(input_filetypes[0].forward);
}

TEST_F(FileTypes, EachNonBlankLineAddsOneTypeInFileOrder) {
  read("LIBPATH=" + lib + " forward=xyz2mvr backward=mvr2xyz extension=xyz description=\"XYZ file\"\n" + "   \t\n" +
       "libpath=" + lib + " extension=mol description=Molecule\n");
  ASSERT_EQ(n_input_types(), 3);
  const input_filetype_t& xyz = input_filetypes[1];
  EXPECT_EQ(xyz.libpath, lib);
  EXPECT_EQ(xyz.forward, "xyz2mvr");
  EXPECT_EQ(xyz.backward, "mvr2xyz");
  EXPECT_EQ(xyz.extension, "xyz");
  EXPECT_EQ(xyz.description, "XYZ file");
  EXPECT_EQ(input_filetypes[2].extension, "mol");
  EXPECT_FALSE(input_filetypes[2].forward);
  EXPECT_EQ(error_config_does_not_exist, 0);
}

TEST_F(FileTypes, LineWithoutLibpathGivesATypeThatMatchesNothing) {
  read("forward=xyz2mvr extension=xyz description=XYZ\n");
  ASSERT_EQ(n_input_types(), 2);
  EXPECT_FALSE(input_filetypes[1].extension);
  EXPECT_FALSE(input_filetypes[1].description);
  EXPECT_FALSE(input_filetypes[1].forward);
  EXPECT_EQ(get_filetype("a.xyz"), 2);
}

TEST_F(FileTypes, UnreadableConvertersAreReportedInFileOrderAndRecordedLastOneWinning) {
  const std::string text = "libpath=" + lib + " forward=missing1 backward=mvr2xyz extension=a\n" + "libpath=" + lib +
                           " forward=xyz2mvr backward=missing2 extension=b\n" + "libpath=" + lib +
                           " forward=xyz2mvr extension=c\n";
  const std::vector<missing_converter_t> missing = read_input_filetypes(dir.write("plugin.rc", text));
  ASSERT_EQ(missing.size(), 2u);
  EXPECT_EQ(missing[0].type, 1);
  EXPECT_FALSE(missing[0].backward);
  EXPECT_EQ(missing[1].type, 2);
  EXPECT_TRUE(missing[1].backward);

  // Start-up records them as problems: the last one wins over an earlier one.
  ScopedEnv e("MIVOR_DIR", dir.path().c_str());
  record_startup_problem(PROBLEM_NO_FRAGMENTS);
  init_input_filetypes();
  EXPECT_EQ(error_config_does_not_exist, PROBLEM_BACKWARD_CONVERTER + 2);
  error_config_does_not_exist = 0;
  read("libpath=" + lib + " forward=missing1 extension=a\n");
  init_input_filetypes();
  EXPECT_EQ(error_config_does_not_exist, PROBLEM_FORWARD_CONVERTER + 1);
}

TEST_F(FileTypes, PluginFileComesFromMivorDirEvenWhenTheSearchChoseAnother) {
  const std::string env = dir.subdir("env");
  dir.write("env/plugin.rc", "libpath=" + lib + " extension=xyz\n");
  ScopedEnv e("MIVOR_DIR", env.c_str());
  rcdir = dir.path();
  init_input_filetypes();
  ASSERT_EQ(n_input_types(), 2);
  EXPECT_EQ(input_filetypes[1].extension, "xyz");

  ScopedEnv none("MIVOR_DIR", nullptr);
  dir.write("plugin.rc", "");
  init_input_filetypes();
  EXPECT_EQ(n_input_types(), 1);
}

TEST_F(FileTypes, TypeOfANameComesFromItsLastExtensionComparedExactly) {
  read("libpath=" + lib + " extension=xyz\nlibpath=" + lib + " extension=gz\n");
  EXPECT_EQ(get_filetype("dir.v2/mol.xyz"), 1);
  EXPECT_EQ(get_filetype("x.tar.gz"), 2);
  EXPECT_EQ(get_filetype("water.mvr"), 0);
  EXPECT_EQ(get_filetype("MOL.XYZ"), 3);      // no type
  EXPECT_EQ(get_filetype("noextension"), 2);  // the last type
  EXPECT_EQ(get_filetype("v1.xyz/noextension"), 2);
  EXPECT_EQ(get_filetype("trailing."), 3);
}

// A compressed file has the type of its content unless a type claims its
// compression suffix; its native file is named without the suffix, a tar
// archive's excepted.
TEST_F(FileTypes, CompressedNamesTakeTheTypeOfTheirContent) {
  read("libpath=" + lib + " extension=cube\nlibpath=" + lib + " extension=xyz\n");
  EXPECT_EQ(get_input_filetype("run.2/water.cube.gz"), 1);
  EXPECT_EQ(get_input_filetype("water.cube.bz2"), 1);
  EXPECT_EQ(get_input_filetype("traj.xyz.xz"), 2);
  EXPECT_EQ(get_input_filetype("water.cube"), 1);
  EXPECT_EQ(get_input_filetype("water.gz"), 3);       // no type inside
  EXPECT_EQ(get_input_filetype("water.cube.GZ"), 3);  // suffixes compare exactly
  EXPECT_EQ(get_filetype("water.cube.gz"), 3);        // saving: no such type
  read("libpath=" + lib + " extension=cube\nlibpath=" + lib + " extension=gz\n");
  EXPECT_EQ(get_input_filetype("water.cube.gz"), 2);  // a type of its own wins
  EXPECT_EQ(make_mivor_file_name("dir.v2/water.cube.gz"), "dir.v2/water.mvr");
  EXPECT_EQ(make_mivor_file_name("traj.xyz.xz"), "traj.mvr");
  EXPECT_EQ(make_mivor_file_name("water.gz"), "water.mvr");
  EXPECT_EQ(make_mivor_file_name("x.tar.bz2"), "x.tar.mvr");
  EXPECT_EQ(make_mivor_file_name("dir.gz/water"), "dir.gz/water.mvr");
  EXPECT_EQ(make_mivor_file_name(".gz"), ".gz.mvr");
}

}  // namespace
