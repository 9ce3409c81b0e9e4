// POV-Ray scene files: the whole text for a small molecule with every
// decoration, written by hand from the format rules; the user's header;
// failures that must keep an earlier file; and POV-Ray itself reading what
// we write.
#include "render/povray_output.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "molecule/mol_data.h"
#include "molecule/settings.h"
#include "render/isosurface.h"
#include "support/recording_notifier.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

const char default_header[] =
    "global_settings {\n  assumed_gamma 2.2\n  ambient_light color rgb <1, 1, 1>\n}\n\n"
    "camera {\n \torthographic\n \tlocation <0.000000, 0.000000, 10.000000>\n"
    " \tright -x*image_width/image_height\n \tsky <0.000000, 1.000000, 0.000000>\n"
    " \tlook_at <-0.000000, -0.000000, -0.000000>\n \tangle 35\n}\n\n"
    "sky_sphere {pigment {rgb <0.859,0.910,0.831>}}\n\n"
    "light_source\n{  // #1\n  <-0.5,-0.5,1.0>\n  color rgb <1,1,1>\n  parallel\n  point_at <0,0,0>\n"
    "  fade_distance 1\n  fade_power 0\n}\n";

// The objects of the scene built by `decorated_molecule`, in drawing order.
const char atoms_text[] =
    "\nsphere {\n < -1.000000,  0.000000,  0.000000>, 0.500000\n  pigment { color rgb < 0.5000,  0.5000,  0.5000>\n"
    "  }\n}\n"
    "\nsphere {\n <  1.000000,  0.000000,  0.000000>, 0.400000\n  pigment { color rgb < 1.0000,  0.0000,  0.0000>\n"
    "  }\n}\n";
// A double bond is written as two cones, like a single bond.
const char bond_text[] =
    "\ncone {\n <-1.0000000, 0.0000000, 0.0000000>,  0.0800000\n  < 0.0000000, 0.0000000, 0.0000000>,  0.0800000\n"
    " pigment { color rgb < 0.5000,  0.5000,  0.5000>\n  }\n}\n"
    "\ncone {\n < 1.0000000, 0.0000000, 0.0000000>,  0.0800000\n  < 0.0000000, 0.0000000, 0.0000000>,  0.0800000\n"
    " pigment { color rgb < 1.0000,  0.0000,  0.0000>\n  }\n}\n";
// Scene diameter 1.5 × 2 × |arrow end| = 6: radius 0.06, length 3.
const char axes_text[] =
    "\ncone\n{\n <0.0, 0.0, 0.0>, 0.060000\n  <3.000000, 0.0, 0.0>, 0.060000\n pigment { color rgb <1.0, 0.0, 0.0>\n"
    " }\n}\n"
    "\ncone\n{\n <3.000000, 0.0, 0.0>, 0.120000\n  <3.060000, 0.0, 0.0>, 0.0\n pigment { color rgb <1.0, 0.0, 0.0>\n"
    " }\n}\n\n"
    "\ncone\n{\n <0.0, 0.0, 0.0>, 0.060000\n  <0.0, 3.000000, 0.0>, 0.060000\n pigment { color rgb <0.0, 1.0, 0.0>\n"
    " }\n}\n"
    "\ncone\n{\n <0.0, 3.000000, 0.0>, 0.120000\n  <0.0, 3.060000, 0.0>, 0.0\n pigment { color rgb <0.0, 1.0, 0.0>\n"
    " }\n}\n\n"
    "\ncone\n{\n <0.0, 0.0, 0.0>, 0.060000\n  <0.0, 0.0, 3.000000>, 0.060000\n pigment { color rgb <0.0, 0.0, 1.0>\n"
    " }\n}\n"
    "\ncone\n{\n <0.0, 0.0, 3.000000>, 0.120000\n  <0.0, 0.0, 3.060000>, 0.0\n pigment { color rgb <0.0, 0.0, 1.0>\n"
    " }\n}\n\n";
const char dipole_text[] =
    "\ncone\n{\n < 0.0000,  0.0000,  0.0000>,  0.0500\n  < 0.0000,  0.0000,  0.8000>,  0.0500\n"
    " pigment { color rgb < 0.0000,  0.0000,  1.0000>\n }\n}\n\n"
    "\ncone\n{\n < 0.0000,  0.0000,  0.8000>,  0.0825\n  < 0.0000,  0.0000,  1.0000>, 0.0\n"
    " pigment { color rgb < 0.0000,  0.0000,  1.0000>\n }\n}\n\n";
const char arrow_text[] =
    "\ncone\n{\n < 0.0000,  0.0000,  0.0000>,  0.1000\n  < 0.0000,  1.5000,  0.0000>,  0.1000\n"
    " pigment { color rgbt < 1.0000,  1.0000,  0.0000,  0.5000>\n }\n}\n\n"
    "\ncone\n{\n < 0.0000,  1.5000,  0.0000>,  0.1650\n  < 0.0000,  2.0000,  0.0000>, 0.0\n"
    " pigment { color rgbt < 1.0000,  1.0000,  0.0000,  0.5000>\n }\n}\n\n";
const char triangle_text[] =
    "\nsmooth_triangle\n{\n"
    "<-1.0000,  0.0000,  0.0000>, < 0.0000,  0.0000,  2.0000>\n"
    "< 1.0000,  0.0000,  0.0000>, < 0.0000,  0.0000,  2.0000>\n"
    "<-1.0000,  1.0000,  0.0000>, < 0.0000,  0.0000,  2.0000>\n"
    "  pigment{ rgbt < 0.0000,  1.0000,  0.0000,  0.0000> }\n}\n";
const char sphere_text[] =
    "sphere {\n  < 0.0000,  0.0000, -1.0000>  0.5000\n   pigment{ rgbt < 0.0000,  1.0000,  1.0000,  0.2500> }\n}\n";
const char plane_text[] =
    "polygon { 4\n   <-0.6667, -0.6667,  1.0000>\n   <-0.6667,  1.3333,  1.0000>\n   < 1.3333,  1.3333,  1.0000>\n"
    "   < 1.3333, -0.6667,  1.0000>\n   pigment{ rgbt < 1.0000,  0.0000,  1.0000,  0.0000> }\n}\n";
// The first of the cell's six faces (the one on O, P and Q).
const char cell_face_text[] =
    "polygon { 4\n   < 0.0000,  0.0000,  0.0000>\n   < 1.0000,  0.0000,  0.0000>\n   < 1.0000,  1.0000,  0.0000>\n"
    "   < 0.0000,  1.0000,  0.0000>\n   pigment{ rgbt < 0.5000,  0.5000,  0.5000,  0.0000> }\n}\n";
// Farthest triangle first: the positive lobe's at z = -1.
const char surface_text[] =
    "\n#declare colorA =\n texture {\n pigment { rgbt < 1.0000,  0.0000,  0.0000,  0.5000>}\n"
    "finish {ambient 0.2 diffuse 0.8 specular 0.8}\n}"
    "\n#declare colorB =\n texture {\n pigment { rgbt < 0.0000,  0.0000,  1.0000,  0.5000>}\n"
    "finish {ambient 0.2 diffuse 0.8 specular 0.8}\n}"
    "\nsmooth_triangle {\n"
    "<  0.000000,  0.000000, -1.000000>, <  0.000000,   0.000000,   1.000000>\n"
    "<  1.000000,  0.000000, -1.000000>, <  0.000000,   0.000000,   1.000000>\n"
    "<  0.000000,  1.000000, -1.000000>, <  0.000000,   0.000000,   1.000000>\n"
    "texture { colorA }\n}\n"
    "\nsmooth_triangle {\n"
    "<  0.000000,  0.000000,  0.500000>, < -0.600000,  -0.000000,   0.800000>\n"
    "<  1.000000,  0.000000,  0.500000>, < -0.600000,  -0.000000,   0.800000>\n"
    "<  0.000000,  1.000000,  0.500000>, < -0.600000,  -0.000000,   0.800000>\n"
    "texture { colorB }\n}\n";

class Povray : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_core_state();
    new_mol(1);
  }
  void TearDown() override { reset_core_state(); }

  // Two atoms with a double bond, axes, a dipole, one decoration of each
  // kind and one isosurface triangle per lobe.
  static void decorated_molecule() {
    allocate_atoms(*m, 2);
    m->xyz = {vec3{-1, 0, 0}, vec3{1, 0, 0}};
    set_atom_kind(*m, 0, add_atom_kind(*m, element_t{"C", {0.5f, 0.5f, 0.5f, 1}, 1.0f, 0.8f, 4, 0, 0}));
    set_atom_kind(*m, 1, add_atom_kind(*m, element_t{"O", {1, 0, 0, 1}, 0.8f, 0.7f, 2, 0, 0}));
    m->bond = {{0, 1, DOUBLE_BOND}};
    Input_Data.show_axes = 1;
    Input_Data.bond_fatness = 2;
    Input_Data.atom_fatness = 3;  // no effect on the spheres written
    m->flags |= FLAG_DIPOLE;
    m->dipole = {0, 0, 1};
    Input_Data.object_color = {0, 0, 1, 1};
    allocate_vectors(*m, 1);
    m->deco.edit().vector_start[0] = {0, 0, 0};
    m->deco.edit().vector_end[0] = {0, 2, 0};
    m->deco.edit().vector_radius[0] = 0.1;
    m->deco.edit().vector_sharpness[0] = 0.25;
    m->deco.edit().vector_color[0] = {1, 1, 0, 0.5f};
    allocate_triangles(*m, 1);
    m->deco.edit().triangle1[0] = {-1, 0, 0};
    m->deco.edit().triangle2[0] = {1, 0, 0};
    m->deco.edit().triangle3[0] = {-1, 1, 0};
    m->deco.edit().triangle_color[0] = {0, 1, 0, 1};
    allocate_spheres(*m, 1);
    m->deco.edit().sphere_center[0] = {0, 0, -1};
    m->deco.edit().sphere_radius[0] = 0.5;
    m->deco.edit().sphere_color[0] = {0, 1, 1, 0.75f};
    allocate_surfaces(*m, 1);
    m->deco.edit().surf1[0] = {0, 0, 1};
    m->deco.edit().surf2[0] = {1, 0, 1};
    m->deco.edit().surf3[0] = {0, 1, 1};
    m->deco.edit().surf_color[0] = {1, 0, 1, 1};
    allocate_cells(*m, 1);
    m->deco.edit().cell1[0] = {0, 0, 0};
    m->deco.edit().cell2[0] = {1, 0, 0};
    m->deco.edit().cell3[0] = {0, 1, 0};
    m->deco.edit().cell4[0] = {0, 0, 1};
    m->deco.edit().cell_color[0] = {0.5f, 0.5f, 0.5f, 1};
    allocate_grids(*m, 1);
    allocate_msrf(1);
    surf[0] = msrf_New_Surface(*All_Surfaces);
    srf_Add_Triangle(*surf[0], {vec3{0, 0, -1}, vec3{1, 0, -1}, vec3{0, 1, -1}},
                     {vec3{0, 0, 1}, vec3{0, 0, 1}, vec3{0, 0, 1}}, {0, 0, 0}, 0);
    srf_Add_Triangle(*surf[0], {vec3{0, 0, 0.5}, vec3{1, 0, 0.5}, vec3{0, 1, 0.5}},
                     {vec3{-0.6, -0.0, 0.8}, vec3{-0.6, -0.0, 0.8}, vec3{-0.6, -0.0, 0.8}}, {0, 0, 0}, 1);
    Input_Data.plus_color = {1, 0, 0, 0.5f};
    Input_Data.minus_color = {0, 0, 1, 0.5f};
    view.z_half = 5;
    mvm = identity_matrix();
  }

  TempDir dir;
  RecordingNotifier told;
};

size_t count(const std::string& text, const std::string& word) {
  size_t n = 0;
  for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++n;
  return n;
}

TEST_F(Povray, SceneWithEveryDecorationIsWrittenExactly) {
  decorated_molecule();
  ScopedCwd cwd(dir.path());
  ASSERT_TRUE(initPovray("scene.pov"));
  EXPECT_EQ(Input_Data.povray_output, 0);
  const std::string text = read_file(dir.file("scene.pov"));
  const std::string objects_before_cell = std::string(atoms_text) + bond_text + axes_text + dipole_text + arrow_text +
                                          triangle_text + sphere_text + plane_text + cell_face_text;
  ASSERT_EQ(text.substr(0, sizeof default_header - 1), default_header);
  EXPECT_EQ(text.substr(sizeof default_header - 1, objects_before_cell.size()), objects_before_cell);
  EXPECT_EQ(count(text, "polygon { 4\n"), 7u) << "one plane and six cell faces";
  EXPECT_EQ(text.substr(text.size() - (sizeof surface_text - 1)), surface_text);
  EXPECT_TRUE(told.warnings.empty());

  // Hidden atoms and bonds are left out; a vibration frame never is written.
  Input_Data.hide_atoms = Input_Data.hide_bonds = 1;
  allocate_vibs(*m, 1);
  ASSERT_TRUE(initPovray("hidden.pov"));
  const std::string hidden = read_file(dir.file("hidden.pov"));
  EXPECT_EQ(hidden.find("\nsphere {\n <"), std::string::npos);
  EXPECT_EQ(hidden.find("\ncone {\n"), std::string::npos);
  EXPECT_NE(hidden.find(axes_text), std::string::npos);
}

TEST_F(Povray, CameraFollowsTheViewingMatrix) {
  // Turned 90° about x: the screen looks along model -y, with model z up.
  const matrix16 mv{1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0.5, 0, 0, 1};
  const std::string header = povray_default_header(mv, 2);
  EXPECT_NE(header.find("\tlocation <0.000000, 4.000000, 0.000000>\n"), std::string::npos) << header;
  EXPECT_NE(header.find("\tsky <0.000000, 0.000000, -1.000000>\n"), std::string::npos) << header;
  EXPECT_NE(header.find("\tlook_at <-0.500000, -0.000000, -0.000000>\n"), std::string::npos) << header;
}

TEST_F(Povray, HeaderFileReplacesTheDefaultHeaderAndIsCopiedSafely) {
  decorated_molecule();
  ScopedCwd cwd(dir.path());
  // A long line is cut to 255 characters; binary bytes are copied as they are.
  const std::string junk("\x01\xff\x00\x7f", 4);
  dir.write("header.pov", "// mine\n" + std::string(10000, 'a') + "\n" + junk + "\nlast");
  ASSERT_TRUE(initPovray("scene.pov"));
  const std::string text = read_file(dir.file("scene.pov"));
  const std::string header = "// mine\n" + std::string(255, 'a') + "\n" + junk + "\nlast";
  EXPECT_EQ(text.substr(0, header.size()), header);
  EXPECT_EQ(text.substr(header.size(), sizeof atoms_text - 1), atoms_text);
  EXPECT_EQ(text.find("camera"), std::string::npos);
}

TEST_F(Povray, FailuresLeaveThePreviousFileAndSayWhy) {
  decorated_molecule();
  ScopedCwd cwd(dir.path());
  dir.write("old.pov", "previous");
  // A directory in the way, and a folder that can't be written into.
  dir.subdir("folder.pov");
  EXPECT_FALSE(initPovray("folder.pov"));
  ASSERT_EQ(told.warnings.size(), 1u);
  EXPECT_EQ(told.warnings[0], "Error: Can't write file folder.pov (it is a directory)");
  const std::string locked = dir.subdir("locked");
  dir.write("locked/old.pov", "previous");
  chmod(locked.c_str(), 0500);
  if (getuid() != 0) {  // root writes anywhere
    EXPECT_FALSE(initPovray(locked + "/old.pov"));
    EXPECT_EQ(told.warnings.back(), "Can't create file " + locked + "/old.pov");
    EXPECT_EQ(read_file(locked + "/old.pov"), "previous");
  }
  chmod(locked.c_str(), 0700);
  EXPECT_EQ(read_file(dir.file("old.pov")), "previous");
  EXPECT_EQ(Input_Data.povray_output, 0);
}

TEST_F(Povray, PovRayRendersTheSceneWithoutError) {
  if (!file_exists("/usr/bin/povray")) GTEST_SKIP() << "POV-Ray is not installed";
  decorated_molecule();
  m->xyz[1] = {1, -2, 3};  // negative components inside vectors
  ScopedCwd cwd(dir.path());
  ASSERT_TRUE(initPovray("scene.pov"));
  const program_result r = run_program({"/usr/bin/povray", "+W320", "+H240", "-D", "+Iscene.pov", "+Oscene.png"},
                                       {{"HOME", dir.path()}}, dir.path());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err.find("Parse Error"), std::string::npos) << r.err;
  EXPECT_TRUE(file_exists(dir.file("scene.png")));
}

}  // namespace
