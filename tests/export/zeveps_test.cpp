// The vector EPS renderer: whole files for small scenes written by hand
// from the rules (page fit, order, bond trimming, shades and colour words),
// and Ghostscript reading the pictures of a whole scene.
#include "export/zeveps.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <limits>
#include <regex>
#include <string>

#include "export/postscript_output.h"
#include "molecule/mol_data.h"
#include "molecule/settings.h"
#include "render/isosurface.h"
#include "support/recording_notifier.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

// What zeveps_paint writes for `ctl`.
std::string paint(zeveps_ctl_t& ctl, int level2 = 0) {
  char* data = nullptr;
  size_t size = 0;
  FILE* f = open_memstream(&data, &size);
  zeveps_paint(f, level2, ctl);
  std::fclose(f);
  std::string text(data, size);
  std::free(data);
  return text;
}

// The lines after the prolog (from the scale line on).
std::string body(const std::string& eps) { return eps.substr(eps.find("72 72 translate")); }

const vec3 grey{0.5, 0.5, 0.5};

TEST(Zeveps, SingleAtomPictureIsExact) {
  zeveps_ctl_t ctl;
  zeveps_init(0, ctl, 1.0, 0, 0);
  zeveps_atom(ctl, 0.5, {0, 0, 0}, {0.2, 0.4, 0.6});
  EXPECT_EQ(paint(ctl), read_file(MIVOR_SOURCE_DIR "/tests/data/eps/single_atom.eps"));
  // The level-2 variant differs in the configure line only.
  const std::string level2 = paint(ctl, 1);
  EXPECT_NE(level2.find("%--- start configure\n/islevel3 false def\n/bondwidth"), std::string::npos);
  EXPECT_EQ(level2.find("%/islevel3"), std::string::npos);
}

TEST(Zeveps, PageScaleIsTheLargestRoundValueBelowTheFit) {
  EXPECT_EQ(zeveps_page_scale(375.8), 200);
  EXPECT_EQ(zeveps_page_scale(200), 100) << "strictly below";
  EXPECT_EQ(zeveps_page_scale(0.0021), 0.002);
  EXPECT_EQ(zeveps_page_scale(0.001), 0.01) << "a picture too large for every scale";
  EXPECT_EQ(zeveps_page_scale(-3), 0.01);
  EXPECT_EQ(zeveps_page_scale(1e9), 5000);
}

TEST(Zeveps, BondsAreTrimmedIntoTheirAtomsAndEndOnBondsKeepADirection) {
  zeveps_ctl_t ctl;
  zeveps_init(0, ctl, 1.0, 0, 0);
  // Added bond first: with equal depths the order of adding stays.
  zeveps_bond(ctl, 0, {0, 0, 0}, grey, {2, 0, 0}, {1, 0, 0});
  zeveps_atom(ctl, 0.5, {0, 0, 0}, grey);
  zeveps_atom(ctl, 0.4, {2, 0, 0}, {1, 0, 0});
  // Box x -0.5 … 2.4, y ±0.5; fit min(451/3.1, 681/1.2) = 145.5 gives scale 100.
  const std::string eps = paint(ctl);
  EXPECT_NE(eps.find("%%BoundingBox: 72 72 382 192\n"), std::string::npos);
  EXPECT_EQ(body(eps),
            "72 72 translate 100.000 100.000 scale\n"
            "1.085 0.600 2.215 0.600 0.000 false Bond\n"
            "0.600 0.600 0.500 0.500 0.500 0.500 Atom\n"
            "2.600 0.600 0.400 1.000 0.000 0.000 Atom\n"
            "end\nshowpage\n");

  // Pointing at the viewer, dashed, no atoms: not trimmed, the far end first.
  zeveps_init(0, ctl, 1.0, 0, 0);
  zeveps_bond(ctl, 1, {0, 0, 1}, {1, 0, 0}, {0, 0, 0}, grey);
  EXPECT_EQ(body(paint(ctl)),
            "72 72 translate 2000.000 2000.000 scale\n"
            "0.100 0.100 0.101 0.101 1.000 true Bond\n"
            "end\nshowpage\n");
  // A bond of no length has no slant.
  zeveps_init(0, ctl, 1.0, 0, 0);
  zeveps_bond(ctl, 0, {1, 1, 1}, grey, {1, 1, 1}, grey);
  EXPECT_NE(paint(ctl).find("0.100 0.100 0.101 0.101 0.000 false Bond\n"), std::string::npos);
}

TEST(Zeveps, TrianglesSortFarFirstWithShadesAndColourWords) {
  zeveps_ctl_t ctl;
  zeveps_init(0, ctl, 1.0, 0, 0);
  const vec3 up{0, 0, 1}, down{0, 0, -1};
  // Near (z = 1), its second and third corners the farthest: the second goes first.
  zeveps_triangle(ctl, {vec3{0, 0, 1.5}, vec3{1, 0, 1}, vec3{0, 1, 1}}, {up, vec3{0, 0, 2}, vec3{0, 3, 4}},
                  {0.995, 0, 0});
  // Far (z = -1), facing away: shades 0.
  zeveps_triangle(ctl, {vec3{0, 0, -1}, vec3{1, 0, -1}, vec3{0, 1, -1}}, {down, down, down}, {0, 1, 0});
  // Middle: a colour of its own.
  zeveps_triangle(ctl, {vec3{0, 0, 0}, vec3{1, 0, 0}, vec3{0, 1, 0}}, {up, up, up}, {0.25, 0.5, 0.75});
  const std::string eps = paint(ctl);
  EXPECT_EQ(body(eps),
            "72 72 translate 200.000 200.000 scale\n"
            "0.100 0.100 1.100 0.100 0.100 1.100 0.000 0.000 0.000 GreenColor Triangle\n"
            "0.100 0.100 1.100 0.100 0.100 1.100 1.000 1.000 1.000 0.250 0.500 0.750 Triangle\n"
            "1.100 0.100 0.100 0.100 0.100 1.100 1.000 1.000 0.800 RedColor Triangle\n"
            "end\nshowpage\n");
}

TEST(Zeveps, ViewRotationTurnsPointsAndNormals) {
  zeveps_ctl_t ctl;
  zeveps_init(0, ctl, 1.0, 0, 0);
  // A quarter turn about z as OpenGL stores it: x goes to y.
  const matrix16 mv{0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 7, 8, 9, 1};
  zeveps_view(view_rotation(mv), ctl);
  zeveps_atom(ctl, 0.5, {1, 0, 0}, {0, 0, 1});
  ASSERT_EQ(ctl.count(), 1);
  EXPECT_NEAR(ctl.prims[0].p[0][0], 0, 1e-12);
  EXPECT_NEAR(ctl.prims[0].p[0][1], 1, 1e-12);
  EXPECT_EQ(ctl.min_y, 0.5);
  // Points that are not numbers never reach the page.
  zeveps_atom(ctl, 0.5, {std::nan(""), 0, 0}, grey);
  zeveps_bond(ctl, 0, {0, 0, 0}, grey, {std::numeric_limits<double>::infinity(), 0, 0}, grey);
  EXPECT_EQ(ctl.count(), 1);
}

TEST(Zeveps, EmptyPictureIsAValidPage) {
  zeveps_ctl_t ctl;
  zeveps_init(4, ctl, 0.2, 0.4, 0.6);  // background painted
  const std::string eps = paint(ctl);
  EXPECT_NE(eps.find("%%BoundingBox: 72 72 472 472\n"), std::string::npos);
  EXPECT_NE(eps.find("0.200 0.400 0.600 setrgbcolor\n72 72 moveto\n472 72 lineto\n472 472 lineto\n72 472 lineto\n"
                     "closepath fill\n72 72 translate 2000.000 2000.000 scale\nend\n"),
            std::string::npos);
}

// A scene with every kind of primitive, written by the driver and read by
// Ghostscript: no PostScript error, and everything drawn inside the box.
class Postscript : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_core_state();
    new_mol(1);
    allocate_atoms(*m, 2);
    m->xyz = {vec3{-1, 0, 0}, vec3{1, 0.5, 0.3}};
    set_atom_kind(*m, 0, add_atom_kind(*m, element_t{"C", {0.5f, 0.5f, 0.5f, 1}, 1.0f, 0.8f, 4, 0, 0}));
    set_atom_kind(*m, 1, add_atom_kind(*m, element_t{"O", {1, 0, 0, 1}, 0.8f, 0.7f, 2, 0, 0}));
    m->bond = {{0, 1, TRIPLE_BOND}};
    allocate_surfaces(*m, 1);
    m->deco.edit().surf1[0] = {0, 0, -1};
    m->deco.edit().surf2[0] = {1, 0, -1};
    m->deco.edit().surf3[0] = {0, 1, -1.2};
    m->deco.edit().surf_color[0] = {1, 0, 1, 1};
    allocate_cells(*m, 1);
    m->deco.edit().cell1[0] = {2, 0, 0};
    m->deco.edit().cell2[0] = {3, 0, 0};
    m->deco.edit().cell3[0] = {2, 1, 0};
    m->deco.edit().cell4[0] = {2, 0, 1};
    m->deco.edit().cell_color[0] = {0, 0, 1, 1};
    allocate_grids(*m, 1);
    allocate_msrf(1);
    surf[0] = msrf_New_Surface(*All_Surfaces);
    srf_Add_Triangle(*surf[0], {vec3{0, -1, 0}, vec3{1, -1, 0}, vec3{0, -2, 0.5}},
                     {vec3{0, 0, 1}, vec3{0, 0.6, 0.8}, vec3{0.6, 0, 0.8}}, {0, 0, 0}, 1);
    Input_Data.plus_color = {1, 0, 0, 0.5f};
    Input_Data.minus_color = {0, 1, 0, 0.5f};
  }
  void TearDown() override { reset_core_state(); }
  TempDir dir;
  RecordingNotifier told;
};

TEST_F(Postscript, DriverWritesEveryObjectAndGhostscriptReadsIt) {
  const matrix16 turned{0.8, 0, -0.6, 0, 0, 1, 0, 0, 0.6, 0, 0.8, 0, 0, 0, 0, 1};
  for (int level : {0, 1}) {
    const std::string path = dir.file("scene" + std::to_string(level) + ".eps");
    ASSERT_TRUE(initPS(level, path, turned));
    EXPECT_EQ(Input_Data.ps_output, 0);
    const std::string eps = read_file(path);
    auto count = [&eps](const char* word) {
      size_t n = 0;
      for (size_t at = eps.find(word); at != std::string::npos; at = eps.find(word, at + 1)) ++n;
      return n;
    };
    // Every bond type is one bond; each plane two triangles, each cell twelve.
    EXPECT_EQ(count(" Bond\n"), 1u);
    EXPECT_EQ(count(" Atom\n"), 2u);
    EXPECT_EQ(count(" Triangle\n"), 2u + 12u + 1u);
    EXPECT_NE(eps.find("GreenColor Triangle\n"), std::string::npos) << "the surface in its lobe's colour";
    if (!file_exists("/usr/bin/gs")) continue;
    const program_result r = run_program({"/usr/bin/gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=png16m",
                                          "-dEPSCrop", "-sOutputFile=" + path + ".png", path},
                                         {}, dir.path());
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ((r.out + r.err).find("Error"), std::string::npos) << r.out << r.err;
    std::smatch declared;
    ASSERT_TRUE(std::regex_search(eps, declared, std::regex(R"(%%BoundingBox: 72 72 (\d+) (\d+))")));
    const int W = std::stoi(declared[1]), H = std::stoi(declared[2]);
    // The cropped raster at 72 dpi is the box; PNG keeps width and height at bytes 16 to 23.
    const std::string png = read_file(path + ".png");
    ASSERT_GT(png.size(), 24u);
    auto be32 = [&png](size_t at) {
      return (static_cast<unsigned char>(png[at]) << 24) | (static_cast<unsigned char>(png[at + 1]) << 16) |
             (static_cast<unsigned char>(png[at + 2]) << 8) | static_cast<unsigned char>(png[at + 3]);
    };
    EXPECT_EQ(be32(16), W - 72);
    EXPECT_EQ(be32(20), H - 72);
    // What is drawn lies inside the box (Ghostscript's box device measures
    // smooth shading as the whole page, so only the flat variant).
    if (level != 1) continue;
    const program_result box =
        run_program({"/usr/bin/gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=bbox", path}, {}, dir.path());
    std::smatch drawn;
    ASSERT_TRUE(std::regex_search(box.err, drawn, std::regex(R"(%%BoundingBox: (\d+) (\d+) (\d+) (\d+))"))) << box.err;
    EXPECT_GE(std::stoi(drawn[1]), 72);
    EXPECT_GE(std::stoi(drawn[2]), 72);
    EXPECT_LE(std::stoi(drawn[3]), W);
    EXPECT_LE(std::stoi(drawn[4]), H);
  }
  EXPECT_TRUE(told.warnings.empty());
}

TEST_F(Postscript, FailuresLeaveThePreviousFileAndSayWhy) {
  dir.subdir("picture.eps");
  EXPECT_FALSE(initPS(0, dir.file("picture.eps"), identity_matrix()));
  ASSERT_EQ(told.warnings.size(), 1u);
  EXPECT_EQ(told.warnings[0], "Error: Can't write file " + dir.file("picture.eps") + " (it is a directory)");
  EXPECT_FALSE(initPS(0, dir.file("missing/picture.eps"), identity_matrix()));
  EXPECT_EQ(told.warnings.back(), "Error: Can't create file");
  EXPECT_EQ(Input_Data.ps_output, 0);
}

}  // namespace
