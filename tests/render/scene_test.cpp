// The scene traversal, checked on what it hands to a recording output:
// which primitives, in which order, with which colours and offsets.
#include "render/scene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "molecule/decorations.h"
#include "molecule/elements.h"
#include "molecule/settings.h"
#include "render/colors.h"
#include "render/scene_geometry.h"
#include "support/recording_notifier.h"
#include "support/recording_output.h"

namespace {

void expect_vec(const vec3& got, const vec3& want, double tol = 1e-9) {
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(got[k], want[k], tol) << "component " << k;
}

class Scene : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_core_state();
    reset_scene_state();
    new_mol(1);
    Input_Data.atom_fatness = 1.5;
    Input_Data.bond_fatness = 2;
  }
  void TearDown() override {
    reset_core_state();
    reset_scene_state();
  }
  void atoms(const std::vector<std::pair<std::string, vec3>>& list) {
    allocate_atoms(*m, static_cast<int>(list.size()));
    for (size_t i = 0; i < list.size(); ++i) {
      set_atom_symbol(*m, static_cast<int>(i), list[i].first);
      m->xyz[i] = list[i].second;
    }
  }
  // The multiple-bond offset seen in the first stroke of the bond a1–a2's first half.
  vec3 first_stroke_offset(const RecordingOutput& out) {
    return out.only("cylinder").at(0).a - (m->xyz[static_cast<size_t>(m->bond[0].a1)]);
  }
  RecordingOutput out;
};

// The static offset rule for reference point R: in the plane of A, B, R.
vec3 planar_offset(const vec3& A, const vec3& B, const vec3& R) {
  const vec3 n = np3(A, B, np3(A, B, R)) - A;
  return n * (1 / (15 * norm(n)));
}

TEST_F(Scene, BondTypesDrawTheirStrokes) {
  atoms({{"C", {0, 0, 0}}, {"O", {2, 0, 0}}});
  m->bond = {{0, 1, NO_BOND}};
  draw_bonds(out);
  EXPECT_TRUE(out.calls.empty());

  m->bond[0].type = SINGLE_BOND;
  draw_bonds(out);
  const auto cyl = out.only("cylinder");
  ASSERT_EQ(cyl.size(), 2u);
  EXPECT_EQ(out.calls[0].op, "color");
  EXPECT_EQ(out.calls[0].c, atom_color(*m, 0));
  EXPECT_EQ(out.calls[2].c, atom_color(*m, 1));
  expect_vec(cyl[1].a, {1, 0, 0});
  expect_vec(cyl[1].b - cyl[1].a, {1, 0, 0});
  EXPECT_DOUBLE_EQ(cyl[0].r1, 0.1);
  EXPECT_DOUBLE_EQ(cyl[0].length, 1);

  // Partial: ten dashes per half, each a twentieth of the bond long.
  out.calls.clear();
  m->bond[0].type = PARTIAL_BOND;
  draw_bonds(out);
  const auto dash = out.only("cylinder");
  ASSERT_EQ(dash.size(), 20u);
  expect_vec(dash[3].a, {0.3, 0, 0});
  expect_vec(dash[13].a, {1.3, 0, 0});
  EXPECT_DOUBLE_EQ(dash[13].length, 0.05);

  out.calls.clear();
  m->bond[0].type = TRIPLE_BOND;
  draw_bonds(out);
  EXPECT_EQ(out.only("cylinder").size(), 6u);
}

// The window may skip the back faces of closed tubes only: sticks from atom
// to atom whose ends, offsets included, lie well inside both spheres.
TEST_F(Scene, BondSticksAreClosedTubesOnlyWhenBothSpheresSwallowTheirEnds) {
  atoms({{"C", {0, 0, 0}}, {"H", {1.1, 0, 0}}, {"O", {-1.2, 0, 0}}});
  m->bond = {{0, 1, SINGLE_BOND}, {0, 2, DOUBLE_BOND}};
  auto closed_sticks = [&] {
    out.calls.clear();
    draw_scene(out);
    EXPECT_FALSE(out.closed) << "the hint outlives the bonds";
    std::string s;
    for (const call_t& c : out.only("cylinder")) s += c.closed ? '1' : '0';
    return s;
  };
  EXPECT_EQ(closed_sticks(), "111111");

  m->bond[1].type = PARTIAL_BOND;  // dashes have open ends
  EXPECT_EQ(closed_sticks(), "11" + std::string(20, '0'));

  m->bond[1].type = DOUBLE_BOND;
  Input_Data.hide_atoms = 1;
  EXPECT_EQ(closed_sticks(), "000000");

  // Sticks as thick as the small hydrogen, and a double bond whose offset
  // strokes reach the edge of its atoms.
  Input_Data.hide_atoms = 0;
  Input_Data.bond_fatness = 3;
  EXPECT_EQ(closed_sticks(), "000000");
}

TEST_F(Scene, DoubleBondWithoutNeighboursUsesTheFixedFarPoint) {
  atoms({{"C", {0, 0, 0}}, {"C", {1.3, 0.2, 0.1}}});
  m->bond = {{0, 1, DOUBLE_BOND}};
  draw_bonds(out);
  const vec3 o = planar_offset(m->xyz[0], m->xyz[1], {10, 20, 30});
  const auto cyl = out.only("cylinder");
  ASSERT_EQ(cyl.size(), 4u);
  expect_vec(cyl[0].a, o);
  expect_vec(cyl[1].a, o * (-1));
  EXPECT_NEAR(norm(o), 1.0 / 15, 1e-12);
}

TEST_F(Scene, CollinearNeighbourFallsBackToTheDiagonalPoint) {
  atoms({{"C", {0, 0, 0}}, {"C", {1.3, 0, 0}}, {"C", {2.6, 0, 0}}});
  m->bond = {{0, 1, DOUBLE_BOND}, {1, 2, SINGLE_BOND}};
  const vec3 A = m->xyz[0], B = m->xyz[1];
  const vec3 n = np3(A, B, {0.5774, 0.5774, 0.5774}) - A;
  const vec3 want = n * (1 / (15 * norm(n)));
  draw_bonds(out);
  expect_vec(first_stroke_offset(out), want);

  // The one-and-half bond takes the same fallback; its solid stroke lies at −o.
  out.calls.clear();
  m->bond[0].type = ONE_AND_HALF_BOND;
  draw_bonds(out);
  const auto cyl = out.only("cylinder");
  ASSERT_EQ(cyl.size(), 20u + 2u + 2u);  // and the single bond 1–2
  expect_vec(cyl[0].a, want);
  expect_vec(cyl[20].a, want * (-1));
  expect_vec(cyl[21].a, B - want);
}

TEST_F(Scene, DottedBondsAreTwoColouredLinesAndAtomsShrink) {
  atoms({{"C", {0, 0, 0}}, {"N", {2, 0, 0}}});
  m->bond = {{0, 1, TRIPLE_BOND}};
  Input_Data.dotted_bonds = 1;
  draw_bonds(out);
  EXPECT_EQ(out.ops(), "lighting begin color vertex vertex color vertex vertex end lighting ");
  EXPECT_EQ(out.calls[2].c, atom_color(*m, 0));
  EXPECT_EQ(out.calls[5].c, atom_color(*m, 1));
  expect_vec(out.calls[4].a, {1, 0, 0});

  out.calls.clear();
  draw_atoms(out);
  EXPECT_DOUBLE_EQ(out.only("sphere")[0].r1, 1.5 * atom_element(*m, 0).size / 30);
}

TEST_F(Scene, AtomsCarryMaterialMarksAndSelection) {
  atoms({{"C", {0, 0, 0}}, {"H", {1, 0, 0}}, {"H", {0, 1, 0}}});
  m->marked = {1};
  m->n_selected = 2;
  m->selected = {2, 0, -1, -1};
  Input_Data.material_style = 0;
  draw_atoms(out);
  EXPECT_TRUE(out.only("material").empty());
  EXPECT_EQ(out.ops(),
            "color sphere lighting color sphere lighting "  // atom 0, second selected
            "color color sphere "                           // atom 1, marked
            "color sphere lighting color sphere lighting ");
  EXPECT_EQ(out.calls[3].c, (color_t{1, 0, 1, 1}));
  EXPECT_EQ(out.calls[7].c, (color_t{0, 1, 1, 1}));
  EXPECT_EQ(out.calls[12].c, (color_t{0, 0, 1, 1}));
  EXPECT_DOUBLE_EQ(out.calls[4].r1, 1.5 * atom_element(*m, 0).size / 3 + 0.02);
  EXPECT_EQ(out.calls[4].value, 0);
  EXPECT_EQ(out.calls[4].slices, 20);

  out.calls.clear();
  Input_Data.material_style = 3;
  draw_atoms(out);
  EXPECT_EQ(out.calls[0].op, "material");
  EXPECT_EQ(out.calls[0].value, 3);
}

TEST_F(Scene, GrayscaleTurnsEveryColourGrey) {
  atoms({{"O", {0, 0, 0}}});
  Input_Data.grayscale = 1;
  add_sphere(*m, {0, 0, 0}, 1);
  m->deco.edit().sphere_color[0] = {1, 0.5f, 0, 0.25f};
  draw_atoms(out);
  draw_spheres(out);
  const auto colours = out.only("color");
  ASSERT_EQ(colours.size(), 2u);
  const color_t o = atom_color(*m, 0);
  const float g = grayscale(o.red, o.green, o.blue);
  EXPECT_EQ(colours[0].c, (color_t{g, g, g, o.alpha}));
  const float s = grayscale(1, 0.5f, 0);
  EXPECT_EQ(colours[1].c, (color_t{s, s, s, 0.25f}));
  EXPECT_EQ(colours[1].value, 1);
  // Decoration spheres are twice as finely divided.
  EXPECT_EQ(out.only("sphere")[1].slices, 30);
}

TEST_F(Scene, VibrationFrameIgnoresHideSwitchesUnlessAnExportIsOpen) {
  atoms({{"C", {0, 0, 0}}, {"O", {1.2, 0, 0}}});
  m->bond = {{0, 1, SINGLE_BOND}};
  allocate_vibs(*m, 1);
  m->vib.edit().freq[0] = 1000;
  m->vib.edit().normal_mode[0] = {{1, 0, 0}, {0, 1, 0}};
  Input_Data.hide_atoms = Input_Data.hide_bonds = 1;
  Input_Data.vibration_speed = 2;
  Input_Data.vibration_amplitude = 0.5;
  draw_scene(out);
  // Phase −0.2: atoms displaced by −0.1 along their modes.
  const auto spheres = out.only("sphere");
  ASSERT_EQ(spheres.size(), 2u);
  expect_vec(spheres[0].a, {-0.1, 0, 0});
  expect_vec(spheres[1].a, {1.2, -0.1, 0});
  EXPECT_EQ(out.only("cylinder").size(), 2u);

  Input_Data.povray_output = 1;
  out.calls.clear();
  draw_scene(out);
  EXPECT_TRUE(out.calls.empty());
  Input_Data.hide_atoms = 0;
  draw_scene(out);
  expect_vec(out.only("sphere")[0].a, {0, 0, 0});
}

TEST_F(Scene, VibrationPhaseTurnsBackBeyondOne) {
  Input_Data.vibration_speed = 3;
  RecordingOutput sink;
  for (int k = 0; k < 3; ++k) draw_vibrations(sink);
  EXPECT_NEAR(scene_state.vibration_phase, -0.9, 1e-12);
  EXPECT_EQ(scene_state.vibration_direction, 0);
  draw_vibrations(sink);
  EXPECT_EQ(scene_state.vibration_direction, 1);
  draw_vibrations(sink);
  EXPECT_NEAR(scene_state.vibration_phase, -0.9, 1e-12);
}

TEST_F(Scene, AnimatedDoubleBondOffsetIsNormalToTheNeighbourPlane) {
  atoms({{"C", {0, 0, 0}}, {"C", {1.4, 0, 0}}, {"H", {-0.5, -0.9, 0}}});
  m->bond = {{0, 1, DOUBLE_BOND}, {0, 2, SINGLE_BOND}};
  draw_bonds_xyz(out, m->xyz);
  expect_vec(first_stroke_offset(out), {0, 0, 1.0 / 15});  // out of the molecule's plane
}

TEST_F(Scene, SceneListOrderAndDepthMask) {
  atoms({{"C", {0, 0, 0}}});
  Input_Data.show_axes = 1;
  m->flags |= FLAG_DIPOLE;
  m->dipole = {0, 0, 2};
  add_cell(*m, {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1});
  add_surface(*m, {0, 0, 0}, {1, 0, 0}, {0, 1, 0});
  add_sphere(*m, {0, 0, 0}, 1);
  add_triangle(*m, {0, 0, 0}, {1, 0, 0}, {0, 1, 0});
  add_vector(*m, {0, 0, 0}, {0, 0, 1});
  allocate_grids(*m, 1);
  set_go_selected(GO_TRIANGLE, 0);
  draw_scene(out);
  std::string ops = out.ops();
  const auto at = [&](const std::string& s, size_t from = 0) { return ops.find(s, from); };
  const size_t axes = at("lighting color cylinder cylinder color");
  const size_t triangle = at("begin normal vertex vertex vertex end");
  const size_t sphere = at("sphere", triangle);
  const size_t plane_then_cell = at("begin normal vertex vertex vertex vertex end color begin", sphere);
  const size_t grid = at("depth");
  ASSERT_NE(grid, std::string::npos);
  EXPECT_LT(at("sphere"), axes);
  EXPECT_LT(axes, triangle);
  EXPECT_LT(triangle, sphere);
  EXPECT_LT(sphere, plane_then_cell);
  EXPECT_LT(plane_then_cell, grid);
  EXPECT_EQ(ops.substr(grid), "depth depth lighting color begin vertex vertex vertex end lighting ");
  EXPECT_EQ(out.only("depth").back().value, 1);
  EXPECT_EQ(out.only("begin").size(), 1u + 1u + 6u + 1u);

  // The axes: x rotated onto +x at half the diameter, cone at its end.
  const auto cyl = out.only("cylinder");
  const double f = 0.5 * Calc_Diameter(*m);
  expect_vec(cyl[0].b, {f, 0, 0});
  expect_vec(cyl[1].a, {f, 0, 0});
  EXPECT_DOUBLE_EQ(cyl[1].r2, 0);
  EXPECT_DOUBLE_EQ(cyl[1].length, 10 * 0.01 * 2 * f);
}

TEST_F(Scene, NothingWithoutAGeometryAndMultiviewSkipsOtherBonds) {
  atoms({{"C", {0, 0, 0}}, {"H", {1, 0, 0}}, {"H", {0, 1, 0}}});
  m->bond = {{0, 1, SINGLE_BOND}, {0, 2, PARTIAL_BOND}};
  draw_molecule_for_multiview(out);
  EXPECT_EQ(out.only("sphere").size(), 3u);
  EXPECT_EQ(out.only("sphere")[0].slices, 7);
  EXPECT_EQ(out.only("cylinder").size(), 2u);

  deallocate_mol_data();
  out.calls.clear();
  draw_scene(out);
  EXPECT_TRUE(out.calls.empty());
}

}  // namespace
