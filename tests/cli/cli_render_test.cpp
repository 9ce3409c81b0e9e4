// mivor-cli render: pictures of the orbital example without any X display,
// in every format, read back by the programs that use them; and the errors.
#include <gtest/gtest.h>

#include <string>

#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

unsigned byte(const std::string& s, size_t at) { return static_cast<unsigned char>(s.at(at)); }
unsigned be32(const std::string& s, size_t at) {
  return byte(s, at) << 24 | byte(s, at + 1) << 16 | byte(s, at + 2) << 8 | byte(s, at + 3);
}

class CliRender : public ::testing::Test {
 protected:
  void SetUp() override {
    config = dir.subdir("config");
    dir.write("config/mivor.rc", "");
    file = dir.write("orbitals.mvr", read_file(MIVOR_SOURCE_DIR "/examples/formaldehyde_orbitals.mvr"));
  }
  // mivor-cli render FILE … with no X display at all.
  program_result render(std::vector<std::string> args) {
    args.insert(args.begin(), {MIVOR_CLI_BINARY, "render", file});
    return run_program(args, {{"MIVOR_DIR", config}, {"HOME", dir.subdir("home")}, {"DISPLAY", std::nullopt}},
                       dir.path());
  }
  TempDir dir;
  std::string config, file;
};

TEST_F(CliRender, EveryFormatWithoutADisplay) {
  // PNG: the size asked for; Targa: its header and length.
  program_result r = render({"--out", "shot.png", "--size", "320x240"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string png = read_file(dir.file("shot.png"));
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
  EXPECT_EQ(be32(png, 16), 320u);
  EXPECT_EQ(be32(png, 20), 240u);
  r = render({"--out", "shot.tga", "--size", "600x400", "--grid", "3", "--level", "0.05"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string tga = read_file(dir.file("shot.tga"));
  EXPECT_EQ(tga.size(), 18u + 960000u);
  EXPECT_EQ(be32(tga, 12), 0x58029001u);
  r = render({"--out", "shot.jpg", "--background", "black"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(byte(read_file(dir.file("shot.jpg")), 0), 0xffu);

  // EPS and POV-Ray, each read by its own program without error.
  ASSERT_EQ(render({"--out", "shot.eps"}).status, 0);
  ASSERT_EQ(render({"--out", "flat.ps", "--format", "eps2"}).status, 0);
  ASSERT_EQ(render({"--out", "shot.pov"}).status, 0);
  const std::string eps = read_file(dir.file("shot.eps"));
  EXPECT_NE(eps.find(" Triangle\n"), std::string::npos);
  EXPECT_NE(eps.find(" Atom\n"), std::string::npos);
  EXPECT_NE(read_file(dir.file("flat.ps")).find("%--- start configure\n/islevel3 false def\n"), std::string::npos);
  if (file_exists("/usr/bin/gs")) {
    const program_result gs = run_program({"/usr/bin/gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=png16m",
                                           "-dEPSCrop", "-sOutputFile=eps.png", "shot.eps"},
                                          {}, dir.path());
    EXPECT_EQ(gs.status, 0) << gs.out << gs.err;
    EXPECT_EQ((gs.out + gs.err).find("Error"), std::string::npos) << gs.out << gs.err;
  }
  EXPECT_NE(read_file(dir.file("shot.pov")).find("smooth_triangle {"), std::string::npos);
  if (file_exists("/usr/bin/povray")) {
    const program_result pov = run_program({"/usr/bin/povray", "+W320", "+H240", "-D", "+Ishot.pov", "+Opov.png"},
                                           {{"HOME", dir.path()}}, dir.path());
    EXPECT_EQ(pov.status, 0) << pov.err;
    EXPECT_TRUE(file_exists(dir.file("pov.png")));
  }
}

TEST_F(CliRender, ViewPointFileGivesSizeAndView) {
  dir.write("view.txt",
            "screen sizes\n 200.000000 150.000000\nfield sizes\n 3.3 2.5\nscale\n 1.0\nz_depth\n 10.0\n"
            "camera position\n 0.0 0.0\nmatrix \n0 0 1 0\n0 1 0 0\n-1 0 0 0\n0 0 0 1\n");
  ASSERT_EQ(render({"--out", "side.png", "--viewpoint", "view.txt"}).status, 0);
  const std::string png = read_file(dir.file("side.png"));
  EXPECT_EQ(be32(png, 16), 200u);
  EXPECT_EQ(be32(png, 20), 150u);
  // The camera of the scene follows the saved matrix: it looks along model x.
  ASSERT_EQ(render({"--out", "side.pov", "--viewpoint", "view.txt"}).status, 0);
  EXPECT_NE(read_file(dir.file("side.pov")).find("\tlocation <10.000000, 0.000000, 0.000000>\n"), std::string::npos);
}

TEST_F(CliRender, BadRequestsAreRefusedAndKeepEarlierFiles) {
  EXPECT_EQ(render({"--out", "shot.xyz"}).status, 2) << "no format from the extension";
  EXPECT_EQ(render({"--out", "shot.png", "--format", "gif"}).status, 2);
  EXPECT_EQ(render({"--out", "shot.png", "--size", "5000x10"}).status, 2);
  EXPECT_EQ(render({"--out", "shot.png", "--size", "0x10"}).status, 2);
  EXPECT_EQ(render({"--out", "shot.png", "--background", "pink"}).status, 2);
  EXPECT_EQ(render({}).status, 2) << "no --out";
  EXPECT_EQ(render({"--out", "shot.png", "--viewpoint", "missing"}).status, 1);
  EXPECT_EQ(render({"--out", "shot.png", "--grid", "99"}).status, 1);
  // A directory under the target name stays; an earlier picture stays whole.
  dir.subdir("taken.png");
  const program_result r = render({"--out", "taken.png"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("(it is a directory)"), std::string::npos) << r.err;
  dir.write("old.eps", "earlier");
  EXPECT_EQ(render({"--out", "none/old.eps"}).status, 1);
  EXPECT_EQ(read_file(dir.file("old.eps")), "earlier");
}

}  // namespace
