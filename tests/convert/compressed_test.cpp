// Compressed inputs: every forward converter reads gzip, bzip2 and xz files
// as it reads the plain file, writes the native file without the
// compression suffix, and refuses damaged data with one line.
#include <gtest/gtest.h>

#include <istream>

#include "convert/convert_support.h"
#include "convert/input_file.h"
#include "formats/file_names.h"
#include "molecule/mol_data.h"
#include "support/recording_notifier.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

class Compressed : public ::testing::Test {
 protected:
  void SetUp() override { reset_core_state(); }
  void TearDown() override { close_test_file(); }
  TempDir dir;
  RecordingNotifier told;
};

// The same cube plain and in each compression: the same values bit for
// bit, the same text, the native file named without the suffix; several
// gzip members one after another read as one file.
TEST_F(Compressed, EveryCompressionConvertsLikeThePlainFile) {
  const std::string cube = read_file(fixture("h2co_density.cube"));
  ASSERT_TRUE(convert("cube2mvr", dir.write("plain.cube", cube)).ok());
  const std::string plain = read_file(dir.file("plain.mvr"));
  const size_t half = cube.size() / 2;
  const struct {
    std::string suffix, data;
  } cases[] = {{".gz", compressed(cube, ".gz")},
               {".bz2", compressed(cube, ".bz2")},
               {".xz", compressed(cube, ".xz")},
               {".gz", compressed(cube.substr(0, half), ".gz") + compressed(cube.substr(half), ".gz")}};
  for (const auto& c : cases) {
    const std::string path = dir.write("plain.cube" + c.suffix, c.data);
    const converter_run_t run = convert("cube2mvr", path);
    ASSERT_TRUE(run.ok()) << c.suffix << ": " << run.message;
    std::string made = read_file(dir.file("plain.mvr"));
    // Only the name of the file it was converted from differs.
    const std::string from = "plain.cube" + c.suffix;
    for (size_t at; (at = made.find(from)) != std::string::npos;) made.replace(at, from.size(), "plain.cube");
    EXPECT_EQ(made, plain) << c.suffix;
  }

  // The text readers (XYZ, Molden) read the whole text through it too.
  const std::string xyz = dir.write("w.xyz.xz", compressed("3\nenergy: -76.5\nO 0 0 0\nH 1 0 0\nH 0 1 0\n", ".xz"));
  ASSERT_TRUE(convert("xyz2mvr", xyz).ok());
  read_back(dir.file("w.mvr"));
  EXPECT_EQ(mol[0].energy, -76.5);
  close_test_file();
  const std::string molden = read_file(fixture("h2co.molden"));
  ASSERT_TRUE(convert("molden2mvr", dir.write("h2co.molden", molden)).ok());
  const std::vector<std::vector<double>> grids = read_back(dir.file("h2co.mvr"));
  close_test_file();
  ASSERT_TRUE(convert("molden2mvr", dir.write("h2co.molden.gz", compressed(molden, ".gz"))).ok());
  EXPECT_EQ(read_back(dir.file("h2co.mvr")), grids);
}

// Damaged data is one line naming the file once and nothing written: a
// truncated stream, a stream cut inside its values (which would otherwise
// read as fewer values), data that is not what the name says, garbage
// after the end.
TEST_F(Compressed, DamagedDataIsOneClearLine) {
  const std::string cube = read_file(fixture("h2co_density.cube"));
  const std::string gz = compressed(cube, ".gz"), xz = compressed(cube, ".xz");
  const struct {
    const char* name;
    std::string data;
    std::string message;
  } cases[] = {
      {"cut.cube.gz", gz.substr(0, gz.size() / 2), "the gzip data ends before its end mark: the file is truncated"},
      {"tail.cube.gz", gz.substr(0, gz.size() - 6), "the gzip data ends before its end mark: the file is truncated"},
      {"head.cube.xz", xz.substr(0, 40), "the xz data ends before its end mark: the file is truncated"},
      {"plain.cube.gz", cube, "is not gzip data, although its name ends in .gz"},
      {"flip.cube.bz2",
       [&] {
         std::string b = compressed(cube, ".bz2");
         b[b.size() / 2] ^= 0x55;
         return b;
       }(),
       "the bzip2 data is damaged"},
      {"more.cube.gz", gz + "trailing words", "the gzip data is damaged (incorrect header check)"},
  };
  for (const auto& c : cases) {
    const std::string path = dir.write(c.name, c.data);
    const converter_run_t run = convert("cube2mvr", path);
    EXPECT_EQ(run.status, 1) << c.name;
    EXPECT_EQ(run.message, path + ": " + c.message) << c.name;
    EXPECT_FALSE(file_exists(make_mivor_file_name(path))) << c.name;
  }
}

// mivor-cli (and the window, by the same road) takes water.cube.gz for a
// cube file: its converter reads it, "info" describes what the file holds,
// and no message is about the compression.
TEST_F(Compressed, InfoOfCompressedFilesIsInfoOfTheirContent) {
  for (const char* name : {"h2co_density.cube", "h2co.molden"}) {
    const std::string plain = dir.write(name, read_file(fixture(name)));
    const std::string gz = dir.write(std::string("z_") + name + ".gz", compressed(read_file(plain), ".gz"));
    const auto info = [&](const std::string& path) {
      return run_program({MIVOR_CLI_BINARY, "info", path, "--summary"}, {{"MIVOR_DIR", MIVOR_BUILD_RCDIR}}, dir.path());
    };
    const program_result a = info(plain), b = info(gz);
    ASSERT_EQ(b.status, 0) << name << ": " << b.err;
    EXPECT_EQ(b.err, a.err) << name;
    std::string expected = a.out;
    for (size_t at; (at = expected.find(plain)) != std::string::npos;) expected.replace(at, plain.size(), gz);
    EXPECT_EQ(b.out, expected) << name;
    const std::string stem = std::string(name).substr(0, std::string(name).find('.'));
    EXPECT_TRUE(file_exists(dir.file("z_" + stem + ".mvr"))) << name;
  }
}

// The stream of a compressed file goes back and on as a plain one: a
// reader that reads ahead and starts again (as Open Babel's Gaussian reader
// does) gets the same text.
TEST(InputFile, CompressedStreamsSeekLikePlainFiles) {
  TempDir dir;
  std::string text;
  for (int i = 0; i < 40000; ++i) text += "line " + std::to_string(i) + "\n";
  const std::string path = dir.write("t.txt.bz2", compressed(text, ".bz2"));
  InputFile file;
  std::string error;
  ASSERT_TRUE(file.open(path, error)) << error;
  EXPECT_TRUE(file.compressed());
  EXPECT_EQ(file.bytes_left(), -1);
  InputFileBuffer buffer(file.get());
  std::istream in(&buffer);
  std::string line;
  for (int i = 0; i < 30000; ++i) std::getline(in, line);
  EXPECT_EQ(line, "line 29999");
  const std::streampos at = in.tellg();
  EXPECT_EQ(static_cast<long long>(at), static_cast<long long>(text.find("line 30000")));
  in.seekg(0);
  std::getline(in, line);
  EXPECT_EQ(line, "line 0");
  in.seekg(at);
  std::getline(in, line);
  EXPECT_EQ(line, "line 30000");
  std::string rest((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(rest, text.substr(text.find("line 30001")));
  EXPECT_TRUE(file.error().empty());
}

}  // namespace
