// Symmetry operations on the current geometry and the analysis that draws
// the elements found.
#include "edit/symmetry_ops.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "document/open_close.h"
#include "document/undo.h"
#include "molecule/bonding.h"
#include "molecule/decorations.h"
#include "molecule/elements.h"
#include "molecule/mol_data.h"
#include "molecule/settings.h"
#include "render/view.h"
#include "support/recording_notifier.h"
#include "support/temp_dir.h"

namespace {

class SymmetryOps : public ::testing::Test {
 protected:
  void SetUp() override { reset_core_state(); }
  void TearDown() override { close_test_file(); }

  // Opens a native file of these atoms (bonded as read), so that snapshots
  // go to an undo file of the test's own.
  void open(const std::string& atoms, int n) {
    open_file(dir.write("mol.mvr", std::to_string(n) + "\nmolecule\n" + atoms + " <END>\n"), std::nullopt);
    ASSERT_NE(m, nullptr);
    ASSERT_EQ(m->natom(), n);
  }
  void select(std::initializer_list<int> atoms) {
    m->n_selected = 0;
    m->selected.fill(-1);
    for (int i : atoms) m->selected[static_cast<size_t>(m->n_selected++)] = i;
  }
  bool has_atom_at(const std::string& symbol, const vec3& p) const {
    for (int i = 0; i < m->natom(); ++i)
      if (atom_element(*m, i).name == symbol && distance(m->xyz[static_cast<size_t>(i)], p) < 1e-6) return true;
    return false;
  }
  bool bonded(int a, int b) const {
    for (const bond_t& bond : m->bond)
      if ((bond.a1 == a && bond.a2 == b) || (bond.a1 == b && bond.a2 == a)) return true;
    return false;
  }
  std::string last_status() const { return told.statuses.empty() ? "" : told.statuses.back().second; }

  TempDir dir;
  RecordingNotifier told;
};

const char benzene[] =
    "C 1.39 0 0\nC 0.695 1.2038 0\nC -0.695 1.2038 0\nC -1.39 0 0\nC -0.695 -1.2038 0\nC 0.695 -1.2038 0\n"
    "H 2.47 0 0\nH 1.235 2.1391 0\nH -1.235 2.1391 0\nH -2.47 0 0\nH -1.235 -2.1391 0\nH 1.235 -2.1391 0\n";

TEST_F(SymmetryOps, AnOperationTheMoleculeAlreadyHasAddsNothing) {
  open(benzene, 12);
  const int snapshots = backup_count;
  // A zero translation, the two-fold axis through opposite carbons, the
  // molecular plane and the inversion through a dummy atom at the centre.
  Input_Data.translation_length = 0;
  select({0, 3});
  symmetry_key(false);
  EXPECT_EQ(m->natom(), 12);
  EXPECT_EQ(last_status(), "Translation added no atom: every image overlaps an atom");
  symmetry_key(true);
  EXPECT_EQ(m->natom(), 12);
  EXPECT_EQ(last_status(), "Rotation added no atom: every image overlaps an atom");
  select({0, 1, 2});
  mivor_gtk_alpply_symmetry();
  EXPECT_EQ(m->natom(), 12);
  allocate_atoms(*m, 13);
  set_atom_symbol(*m, 12, "X");
  select({12});
  mivor_gtk_alpply_symmetry();
  EXPECT_EQ(m->natom(), 13);
  EXPECT_EQ(last_status(), "Inversion added no atom: every image overlaps an atom");
  // Each operation that ran is one undo step.
  EXPECT_EQ(backup_count, snapshots + 4);
}

TEST_F(SymmetryOps, AThreeFoldTurnAboutTheCarbonsRebuildsStaggeredEthane) {
  // Ethane's skeleton with one hydrogen on each carbon, anti to each other.
  const double r = 1.0183, h = 1.1573;
  const std::string atoms = "C 0 0 0.765\nC 0 0 -0.765\nH " + std::to_string(r) + " 0 " + std::to_string(h) + "\nH " +
                            std::to_string(-r) + " 0 " + std::to_string(-h) + "\n";
  for (int rebond : {0, 1}) {
    open(atoms, 4);
    Input_Data.auto_rebond = rebond;
    set_atom_name(*m, 2, "H1");
    set_atom_mulliken(*m, 2, 0.125);
    set_atom_number(*m, 2, 7);
    select({0, 1});
    mivor_gtk_set_vec_rot(3);
    do_symmetry();
    ASSERT_EQ(m->natom(), 8);
    EXPECT_EQ(last_status(), "Rotation added 4 atoms");
    for (int k = 0; k < 3; ++k) {
      const double a = 2 * M_PI * k / 3;
      EXPECT_TRUE(has_atom_at("H", {r * std::cos(a), r * std::sin(a), h})) << k;
      EXPECT_TRUE(has_atom_at("H", {-r * std::cos(a), -r * std::sin(a), -h})) << k;
    }
    // Images in source order within each power of the rotation, copying
    // the source's data.
    EXPECT_EQ(atom_name(*m, 4).value_or(""), "H1");
    EXPECT_EQ(atom_mulliken(*m, 4), 0.125);
    EXPECT_EQ(atom_number(*m, 4), 7);
    EXPECT_FALSE(atom_name(*m, 5).has_value());
    // The carbons define the axis and are no sources: their bonds to the
    // hydrogens are not copied, but rebonding finds all seven.
    EXPECT_EQ(m->nbond(), rebond ? 7 : 3);
    for (int i = 4; i < 8; ++i) EXPECT_EQ(bonded(i, i < 6 ? (i == 4 ? 0 : 1) : (i == 6 ? 0 : 1)), rebond == 1) << i;
    close_test_file();
  }
}

// Propane's central CH2 lies in the mirror plane x = 0; one methyl group.
const char half_propane[] =
    "C 0 0 0.5\nH 0 0.88 1.13\nH 0 -0.88 1.13\nC 1.27 0 -0.16\nH 1.27 0 -1.25\nH 1.9 0.88 0.2\nH 1.9 -0.88 0.2\n";

TEST_F(SymmetryOps, ReflectingHalfAMoleculeCopiesOrRecomputesItsBonds) {
  for (int rebond : {0, 1}) {
    open(half_propane, 7);
    ASSERT_EQ(m->nbond(), 6);
    Input_Data.auto_rebond = rebond;
    select({0, 1, 2});
    do_symmetry();
    ASSERT_EQ(m->natom(), 11);
    EXPECT_TRUE(has_atom_at("C", {-1.27, 0, -0.16}));
    EXPECT_TRUE(has_atom_at("H", {-1.9, 0.88, 0.2}));
    if (rebond) {
      EXPECT_EQ(m->nbond(), 10);
      EXPECT_TRUE(bonded(0, 7));
    } else {
      // The methyl's own bonds go with it, with their types; its bond to
      // the central carbon, which has no image, does not.
      EXPECT_EQ(m->nbond(), 9);
      EXPECT_TRUE(bonded(7, 8));
      EXPECT_FALSE(bonded(0, 7));
    }
    EXPECT_EQ(m->n_selected, 3);  // the selection stays
    close_test_file();
  }
}

TEST_F(SymmetryOps, OnlyMarkedAtomsAreImagedAndInversionKeepsBonds) {
  open(half_propane, 7);
  Input_Data.auto_rebond = 1;
  m->marked = {3, 4, 0};
  select({0});
  do_symmetry();
  // The centre is no source; the marked methyl carbon and one hydrogen are
  // imaged through it, with the bond between them, never rebonded.
  ASSERT_EQ(m->natom(), 9);
  EXPECT_TRUE(has_atom_at("C", {-1.27, 0, 1.16}));
  EXPECT_TRUE(has_atom_at("H", {-1.27, 0, 2.25}));
  EXPECT_EQ(m->nbond(), 7);
  EXPECT_TRUE(bonded(7, 8));
  EXPECT_EQ(m->marked, (std::vector<int>{3, 4, 0}));
}

TEST_F(SymmetryOps, AMoleculeTooLargeForRebondingKeepsItsBondsAndCopiesThem) {
  // 310 carbons in a bonded row along x, and one more off it.
  new_mol(1);
  allocate_atoms(*m, 311);
  for (int i = 0; i < 311; ++i) {
    set_atom_symbol(*m, i, "C");
    m->xyz[static_cast<size_t>(i)] = i < 310 ? vec3{1.5 * i, 0, 0} : vec3{0, 3, 0};
    if (i > 0 && i < 310) add_bond(*m, i - 1, i, SINGLE_BOND);
  }
  Input_Data.auto_rebond = 1;
  Input_Data.translation_length = 6;
  m->marked = {5, 6};
  select({0, 310});
  EXPECT_EQ(do_translation(), 2);
  EXPECT_TRUE(has_atom_at("C", {7.5, 6, 0}));
  EXPECT_EQ(m->nbond(), 310);
  EXPECT_TRUE(bonded(311, 312));
}

TEST_F(SymmetryOps, CoincidentDefiningAtomsChangeNothingAndSaySo) {
  open("C 0 0 0\nC 0 0 0\nC 1 1 0\nO 2 2 0\nH 0 1 0\n", 5);
  const int snapshots = backup_count;
  Input_Data.translation_length = 1.5;
  select({0, 1});
  symmetry_key(false);
  EXPECT_EQ(last_status(), "The two selected atoms coincide: they define no translation");
  symmetry_key(true);
  EXPECT_EQ(last_status(), "The two selected atoms coincide: they define no rotation axis");
  select({0, 2, 3});
  do_symmetry();
  EXPECT_EQ(last_status(), "The three selected atoms lie on one line: they define no mirror plane");
  select({0, 2, 3, 4});
  do_symmetry();
  EXPECT_EQ(m->natom(), 5);
  EXPECT_EQ(backup_count, snapshots);
}

TEST_F(SymmetryOps, TransformsFollowTheirDefinitions) {
  const vec3 turned = transform_n_fold(4, 1, {0, 0, 1}, {0, 0, 2}, {1, 0, 5});
  EXPECT_NEAR(turned[0], 0, 1e-12);
  EXPECT_NEAR(turned[1], 1, 1e-12);
  EXPECT_NEAR(turned[2], 5, 1e-12);
  vec3 out;
  transform_mirror({0, 0, 1}, {1, 0, 1}, {0, 1, 1}, {2, 3, 4}, out);
  EXPECT_EQ(out, (vec3{2, 3, -2}));
  // Collinear points: the foot on their line, so a half turn about it.
  transform_mirror({0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {1, 1, 0}, out);
  EXPECT_EQ(out, (vec3{1, -1, 0}));
  // One point three times: the point itself is the foot.
  transform_mirror({1, 1, 1}, {1, 1, 1}, {1, 1, 1}, {2, 1, 1}, out);
  EXPECT_EQ(out, (vec3{0, 1, 1}));
}

// Water in the xz plane, two-fold axis along z.
const char water[] = "O 0 0 0.1173\nH 0.7572 0 -0.4692\nH -0.7572 0 -0.4692\n";

TEST_F(SymmetryOps, TheAnalysisDrawsTheMirrorPlanesAndTwoFoldAxesFound) {
  open(water, 3);
  add_sphere(*m, {1, 1, 1}, 0.5);
  add_triangle(*m, {0, 0, 0}, {1, 0, 0}, {0, 1, 0});
  allocate_textbox(*m);
  const int snapshots = backup_count;
  Input_Data.force_symmetry = 1;
  do_symmetry();
  EXPECT_EQ(Input_Data.force_symmetry, 0);
  EXPECT_EQ(last_status(), "xy y ");
  EXPECT_EQ(backup_count, snapshots + 1);
  // The other decorations are gone, text boxes stay.
  EXPECT_EQ(m->nsphere() + m->ntriangle() + m->ncell(), 0);
  EXPECT_EQ(m->ntextbox(), 1);
  // E, xy, y, x: planes y = 0 and x = 0 through three corners of their
  // squares, the axis along z from −3 to +3.
  ASSERT_EQ(m->nsurf(), 2);
  EXPECT_EQ(m->deco->surf1[0], (vec3{1, 0, 1}));
  EXPECT_EQ(m->deco->surf2[0], (vec3{-1, 0, 1}));
  EXPECT_EQ(m->deco->surf3[0], (vec3{-1, 0, -1}));
  EXPECT_EQ(m->deco->surf1[1], (vec3{0, 1, 1}));
  EXPECT_EQ(m->deco->surf3[1], (vec3{0, -1, -1}));
  ASSERT_EQ(m->nvector(), 1);
  EXPECT_EQ(m->deco->vector_start[0], (vec3{0, 0, -3}));
  EXPECT_EQ(m->deco->vector_end[0], (vec3{0, 0, 3}));
  EXPECT_EQ(m->deco->vector_radius[0], 0.025);
  EXPECT_EQ(m->deco->vector_sharpness[0], 0);
  EXPECT_EQ(m->deco->vector_color[0].alpha, 1.0f);
  EXPECT_EQ(m->deco->surf_color[0], Input_Data.object_color);

  // Turned out of its frame, the molecule is turned back and says so.
  for (vec3& p : m->xyz) p = vec3{p[1] + 2, p[2], p[0]};
  m->flags |= FLAG_DIPOLE;
  m->dipole = {0, 1, 0};
  do_symmetry();
  EXPECT_EQ(m->nsurf(), 2);
  EXPECT_EQ(m->nvector(), 1);
  // The oxygen is on the two-fold axis, now a coordinate axis, and the
  // dipole, along that axis before, turned with the atoms.
  const vec3 o = m->xyz[0];
  EXPECT_NEAR(norm(cross(o, m->deco->vector_end[0])), 0, 1e-9);
  EXPECT_NEAR(norm(m->dipole), 1, 1e-12);
  EXPECT_NEAR(norm(cross(m->dipole, o)), 0, 1e-9);

  // With a grid, which can't turn with them, the atoms stay where they are.
  m->xyz = {{2, 0.1173, 0}, {2, -0.4692, 0.7572}, {2, -0.4692, -0.7572}};
  const std::vector<vec3> before = m->xyz;
  allocate_grids(*m, 1);
  do_symmetry();
  EXPECT_EQ(m->xyz, before);
  // Only the plane z = 0 of its D2h part holds where it stands.
  EXPECT_EQ(last_status(),
            "z (turned to its principal axes the molecule would show more; with grids it stays in place)");
  EXPECT_EQ(m->nsurf(), 1);
}

TEST_F(SymmetryOps, AFailedAnalysisLeavesEverythingAlone) {
  open("O 0 0 0\nF 0.01 0 0\nH 1 0 0\n", 3);
  add_sphere(*m, {1, 1, 1}, 0.5);
  const std::vector<vec3> before = m->xyz;
  const int snapshots = backup_count;
  do_symmetry();
  EXPECT_EQ(last_status(), "Symmetry analysis failed: Atoms 1 and 2 are not equivalent");
  EXPECT_EQ(m->xyz, before);
  EXPECT_EQ(m->nsphere(), 1);
  EXPECT_EQ(backup_count, snapshots);

  // A molecule without symmetry is told so; an empty one fails.
  close_test_file();
  open("C 0 0 0\nH 0.6 0.7 0.5\nF -1.1 0.3 0.2\nCl 0.4 -1.5 0.1\nBr 0.2 0.4 -1.9\n", 5);
  do_symmetry();
  EXPECT_EQ(last_status(), "No symmetry element has been found");
  EXPECT_EQ(m->nsurf() + m->nvector(), 0);
  deallocate_atoms(*m);
  do_symmetry();
  EXPECT_EQ(last_status(), "Symmetry analysis failed: No atoms");
}

}  // namespace
