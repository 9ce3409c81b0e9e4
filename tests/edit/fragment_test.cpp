#include <algorithm>
#include <cmath>
#include <set>

#include "app/config_dir.h"
#include "app/config_files.h"
#include "edit/bond_edit.h"
#include "edit/edit_fixture.h"
#include "edit/fragment_insert.h"
#include "edit/fragment_library.h"
#include "edit/measures.h"

namespace {

class Fragments : public EditTest {
 protected:
  // The repository's library.
  void use_library() {
    rcdir = MIVOR_SOURCE_DIR "/mivorrc";
    load_fragment_data();
    ASSERT_GE(n_fragments(), 20);
  }
  // Methane with the carbon at the origin.
  void methane() {
    const double a = 1.09 / std::sqrt(3.0);
    atoms({{"C", {0, 0, 0}}, {"H", {a, a, a}}, {"H", {-a, -a, a}}, {"H", {-a, a, -a}}, {"H", {a, -a, -a}}});
    for (int h = 1; h <= 4; ++h) bond(0, h);
  }
  // Every bond among atoms from `first` on has the length of the fragment
  // file's bond between the corresponding atoms (file atom j is molecule
  // atom base + j); every new atom keeps 1.0 Å from the `old` atoms.
  void expect_fragment_geometry(const fragment_t& f, int base, int first, int old) {
    for (const bond_t& b : f.bond) {
      if (b.a1 < first || b.a2 < first) continue;
      EXPECT_NEAR(get_bond_length(base + b.a1, base + b.a2), distance(f.xyz[size_t(b.a1)], f.xyz[size_t(b.a2)]), 0.05);
    }
    for (int i = base + first; i < m->natom(); ++i)
      for (int j = 0; j < old; ++j) EXPECT_GE(get_bond_length(i, j), 1.0) << i << " " << j;
  }
  std::string fragment_file(const std::string& body) {
    const std::string path = dir.write("test.frg", body);
    return path;
  }
  std::string load_error(const std::string& body) {
    fragment_t f;
    std::string error;
    EXPECT_FALSE(load_fragment_from_file(fragment_file(body), f, error));
    EXPECT_TRUE(f.xyz.empty());
    return error;
  }
};

TEST_F(Fragments, ReaderTakesAtomsAndBondsAndRefusesWhatAFileCannotHold) {
  fragment_t f;
  std::string error;
  ASSERT_TRUE(load_fragment_from_file(
      fragment_file("4\nfree text\nC -1.5 0 0\nH -1.09 0 0\nO 0 0 0\nH 0.3 0.9 0\nignored\n<BOND>\nheader\n"
                    "2 3 1\n3 4 2\n4 3 1\n\n</Bond>\n<end>\n9 9 9\n"),
      f, error));
  ASSERT_EQ(f.natom(), 4);
  EXPECT_EQ(f.symbol[2], "O");
  ASSERT_EQ(f.bond.size(), 2u);
  EXPECT_EQ(f.bond[1].type, 1);  // the pair given twice keeps the last type
  EXPECT_EQ(f.attachment_type, 1);

  const std::string prefix = "ERROR: Can't load fragment!\n" + dir.file("test.frg") + ": ";
  EXPECT_EQ(load_error(""), "ERROR: Can't load fragment!");
  EXPECT_EQ(load_error("2\nx\nC 0 0 0\nH 1 0 0\n"), prefix + "a fragment needs at least three atoms");
  EXPECT_EQ(load_error("2000000000\nx\nC 0 0 0\n"), prefix + "the file ends before its atoms");
  EXPECT_EQ(load_error("3\nx\nC 0 0 0\nH 1 zero 0\nH 2 0 0\n"),
            prefix + "line 4: an atom needs a symbol and three coordinates");
  EXPECT_EQ(load_error("3\nx\nC 0 0 0\nH 1 0 nan\nH 2 0 0\n"),
            prefix + "line 4: an atom needs a symbol and three coordinates");
  EXPECT_EQ(load_error("3\nx\nC 0 0 0\nH 1 0 0\nH 2 0 0\n<bond>\n\n1 4 1\n"),
            prefix + "line 8: a bond must join two different atoms of the fragment");
  EXPECT_EQ(load_error("3\nx\nC 0 0 0\nH 1 0 0\nH 2 0 0\n<bond>\n\n1 2 x\n"),
            prefix + "line 8: a bond needs three integers: atom, atom, type");
  EXPECT_EQ(load_error("3\nx\nC 0 0 0\nH 1 0 0\nH 2 0 0\n<bond>\n\n1 2 7\n"), prefix + "line 8: unknown bond type");
  EXPECT_EQ(load_error("3\nx\nC 0 0 0\nH 1 0 0\nH 2 0 0\n<bond>\n\n2 2 1\n"),
            prefix + "line 8: a bond must join two different atoms of the fragment");
}

TEST_F(Fragments, BadLibrariesLeaveTheMoleculeAlone) {
  methane();
  const int snapshots = backup_count;
  // Empty library: nothing happens.
  add_fragment(0);
  do_key_insert();  // no fragment chosen yet: a hydrogen
  EXPECT_EQ(m->natom(), 6);
  delete_atom(5);

  rcdir = dir.path();
  dir.write("fragments.rc", "missing.frg missing.png\nshort.frg short.png\n");
  dir.write("short.frg", "2\nx\nC 0 0 0\nH 1 0 0\n");
  load_fragment_data();
  ASSERT_EQ(n_fragments(), 2);
  select({0});
  add_fragment(0);
  add_fragment(1);
  add_fragment(7);
  EXPECT_EQ(m->natom(), 5);
  ASSERT_EQ(told.warnings.size(), 2u);
  EXPECT_EQ(told.warnings[0], "ERROR: Can't load fragment!");
  EXPECT_NE(told.warnings[1].find("at least three atoms"), std::string::npos);
  EXPECT_EQ(told.statuses.back().second, "No fragment 8 in the library");
  EXPECT_EQ(get_last_fragment(), 1);
  EXPECT_EQ(backup_count, snapshots + 1);  // the hydrogen's only
}

TEST_F(Fragments, EveryLibraryFragmentInsertsAloneAndInPlaceOfAHydrogen) {
  use_library();
  for (int k = 0; k < n_fragments(); ++k) {
    SCOPED_TRACE(frag[size_t(k)].file);
    fragment_t f;
    std::string error;
    ASSERT_TRUE(load_fragment(k, f, error)) << error;

    // Alone into an empty molecule: atoms 1 … N-1 at the file's positions.
    deallocate_atoms(*m);
    m->bond.clear();
    add_fragment(k);
    ASSERT_EQ(m->natom(), f.natom() - 1);
    EXPECT_EQ(m->xyz[0], f.xyz[1]);
    expect_fragment_geometry(f, -1, 1, 0);

    // Alone beside methane.
    deallocate_atoms(*m);
    m->bond.clear();
    methane();
    add_fragment(k);
    ASSERT_EQ(m->natom(), 5 + f.natom() - 1);
    expect_fragment_geometry(f, 4, 1, 5);

    // In place of the first hydrogen of methane (carbon selected first).
    deallocate_atoms(*m);
    m->bond.clear();
    methane();
    const vec3 hydrogen = at(1);
    select({0, 1});
    add_fragment(k);
    ASSERT_EQ(m->natom(), 4 + f.natom() - 2);
    // The group's first atom bonds to the carbon where the hydrogen was,
    // at the file's distance from the attachment point.
    const double length = distance(f.xyz[0], f.xyz[2]);
    EXPECT_NEAR(get_bond_length(0, 4), length, 1e-9);
    EXPECT_NEAR(dot(at(4) / length, hydrogen / 1.09), 1.0, 1e-9);
    EXPECT_EQ(get_bond_type(0, 4), f.attachment_type);
    expect_fragment_geometry(f, 2, 2, 4);
    expect_consistent(*m);
    EXPECT_EQ(m->n_selected, 0);
  }
  EXPECT_EQ(get_last_fragment(), n_fragments() - 1);
}

TEST_F(Fragments, AttachingToASymmetricCentrePointsAwayFromItsNeighbours) {
  use_library();
  methane();
  select({0});
  add_fragment(0);  // methyl on the carbon of methane
  // Four atoms added (carbon and its hydrogens), one bond to them.
  ASSERT_EQ(m->natom(), 9);
  EXPECT_EQ(get_bond_type(0, 5), 1);
  EXPECT_EQ(m->nbond(), 4 + 1 + 3);
  // The new carbon stands opposite one hydrogen, the farthest it can be
  // from all four.
  double closest = 180;
  for (int h = 1; h <= 4; ++h) closest = std::min(closest, get_angle_value(h, 0, 5));
  EXPECT_NEAR(closest, 70.53, 0.01);

  // Two neighbours in a line (carbon dioxide): a right angle to both.
  deallocate_atoms(*m);
  m->bond.clear();
  atoms({{"C", {0, 0, 0}}, {"O", {1.16, 0, 0}}, {"O", {-1.16, 0, 0}}});
  bond(0, 1, 2);
  bond(0, 2, 2);
  select({0});
  add_fragment(0);
  EXPECT_NEAR(get_angle_value(1, 0, 3), 90, 1e-6);
}

TEST_F(Fragments, RotationTurnsTheSecondDirectionOntoTheFirst) {
  const auto times = [](const matrix3& r, const vec3& v) {
    return vec3{r[0][0] * v[0] + r[0][1] * v[1] + r[0][2] * v[2], r[1][0] * v[0] + r[1][1] * v[1] + r[1][2] * v[2],
                r[2][0] * v[0] + r[2][1] * v[1] + r[2][2] * v[2]};
  };
  for (const auto& [a, b] : std::vector<std::pair<vec3, vec3>>{
           {{1, 2, 3}, {-3, 0.5, 2}}, {{0, 0, 1}, {0, 0, -2}}, {{1, 0, 0}, {2, 0, 0}}, {{0, 1, 1}, {0, -1, 1}}}) {
    const vec3 turned = times(build_rotation_matrix(a, b), b / norm(b));
    for (size_t k = 0; k < 3; ++k) EXPECT_NEAR(turned[k], a[k] / norm(a), 1e-9);
  }
  // Opposite along an axis: a reflection of that axis.
  EXPECT_EQ(build_rotation_matrix({0, 0, 1}, {0, 0, -1})[2][2], -1);
  EXPECT_EQ(build_rotation_matrix({0, 0, 1}, {0, 0, -1})[0][0], 1);
}

}  // namespace
