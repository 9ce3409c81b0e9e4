// The D2h subgroup search: orientations, reports, tolerances, bad input.
#include "edit/point_group.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "edit/symmetry_elements.h"

namespace {

struct atoms_t {
  std::vector<std::string> labels;
  std::vector<vec3> xyz;
};

// Water in the xz plane, two-fold axis along z; values exact in binary.
atoms_t water() { return {{"O", "H", "H"}, {{0, 0, 0.125}, {0.75, 0, -0.5}, {-0.75, 0, -0.5}}}; }

// Benzene in the xy plane, centred, a carbon on the x axis.
atoms_t benzene() {
  atoms_t b;
  for (int k = 0; k < 6; ++k) {
    const double a = k * M_PI / 3;
    b.labels.push_back("C");
    b.xyz.push_back({1.39 * std::cos(a), 1.39 * std::sin(a), 0});
  }
  for (int k = 0; k < 6; ++k) {
    const double a = k * M_PI / 3;
    b.labels.push_back("H");
    b.xyz.push_back({2.47 * std::cos(a), 2.47 * std::sin(a), 0});
  }
  return b;
}

// Turns by fixed angles about three axes, then shifts.
atoms_t turned(atoms_t a) {
  const mat3 R = Cn_axis_findsym({0, 0, 1}, 7) * Cn_axis_findsym({1, 0, 0}, 5) * Cn_axis_findsym({0.6, 0.8, 0}, 9);
  for (vec3& p : a.xyz) p = R * p + vec3{1.5, -2.25, 0.75};
  return a;
}

findsym_result_t run(atoms_t& a, double tol = 0.05) { return findsym(a.labels, a.xyz, tol); }

class Findsym : public ::testing::Test {
 protected:
  void SetUp() override { reset_findsym_state(); }
};

TEST_F(Findsym, WaterInItsFrameKeepsItsCoordinatesAndReportsTheReducedAtoms) {
  atoms_t w = water();
  const findsym_result_t r = run(w);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.generators, "xy y ");
  EXPECT_FALSE(r.transformed);
  EXPECT_EQ(w.xyz, water().xyz);
  // "%-8s " and three "%15.9f " per unique atom, after the count and the
  // generators; the quiet passes wrote nothing.
  EXPECT_EQ(r.diagnostics,
            "Reduced coordinates\n"
            "2\n"
            "Group generators: xy y \n"
            "O            0.000000000     0.000000000     0.125000000 \n"
            "H            0.750000000     0.000000000    -0.500000000 \n");
  EXPECT_EQ(r.unique_labels, (std::vector<std::string>{"O", "H"}));
}

TEST_F(Findsym, BenzeneHasTheWholeGroupAndATurnedCopyGainsItByTransformation) {
  atoms_t b = benzene();
  const findsym_result_t r = run(b);
  EXPECT_EQ(r.generators, "x y z ");
  EXPECT_FALSE(r.transformed);
  // Two carbons and two hydrogens: on the x axis, and at 60°.
  EXPECT_EQ(r.unique_labels, (std::vector<std::string>{"C", "C", "H", "H"}));

  atoms_t t = turned(benzene());
  const atoms_t before = t;
  const findsym_result_t rt = run(t);
  EXPECT_EQ(rt.status, 0);
  EXPECT_EQ(rt.generators, "x y z ");
  EXPECT_TRUE(rt.transformed);
  EXPECT_NE(rt.diagnostics.find("Symmetry can be gained by transformation\n"), std::string::npos);
  // The new coordinates are the old ones centred and turned: rotation·(p − origin).
  vec3 centre{};
  for (size_t i = 0; i < t.xyz.size(); ++i) {
    const vec3 expected = rt.rotation * (before.xyz[i] - rt.origin);
    for (size_t k = 0; k < 3; ++k) EXPECT_NEAR(t.xyz[i][k], expected[k], 1e-9);
    centre += t.xyz[i];
  }
  for (double c : centre) EXPECT_NEAR(c, 0, 1e-9);
  // Distances are kept: a proper rotation, not a reflection.
  EXPECT_NEAR(distance(t.xyz[0], t.xyz[7]), distance(before.xyz[0], before.xyz[7]), 1e-12);
  const mat3& R = rt.rotation;
  EXPECT_NEAR(dot(R[0], cross(R[1], R[2])), 1, 1e-12);
}

TEST_F(Findsym, WithoutSymmetryTheStringIsEmptyAndCoordinatesStay) {
  atoms_t a{{"C", "H", "F", "Cl", "Br"},
            {{0, 0, 0}, {0.6, 0.7, 0.5}, {-1.1, 0.3, 0.2}, {0.4, -1.5, 0.1}, {0.2, 0.4, -1.9}}};
  const atoms_t before = a;
  const findsym_result_t r = run(a);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.generators, "");
  EXPECT_FALSE(r.transformed);
  EXPECT_EQ(a.xyz, before.xyz);
  // Each of the three passes says so, the quiet ones too.
  EXPECT_EQ(r.diagnostics,
            "Sorry, no symmetry element has been found\n"
            "Sorry, no symmetry element has been found\n"
            "Sorry, no symmetry element has been found\n");
}

TEST_F(Findsym, CloseAtomsMergeWhenAlikeAndFailTheSearchWhenNot) {
  // A third hydrogen 0.01 Å from the first: still C2v, one hydrogen in the
  // reduced list.
  atoms_t w = water();
  w.labels.push_back("H");
  w.xyz.push_back({0.76, 0, -0.5});
  const atoms_t before = w;
  findsym_result_t r = run(w);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.generators, "xy y ");
  EXPECT_EQ(r.unique_labels, (std::vector<std::string>{"O", "H"}));
  EXPECT_EQ(w.xyz, before.xyz);  // the averaging works on a copy

  // A fluorine there instead: the detection fails and changes nothing.
  atoms_t f = water();
  f.labels.push_back("F");
  f.xyz.push_back({0.76, 0, -0.5});
  const atoms_t fb = f;
  r = run(f);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.diagnostics.find("Internal error in symmetrize_d2h\nAtoms 2 and 4 are not equivalent\n"),
            std::string::npos);
  EXPECT_EQ(f.xyz, fb.xyz);
}

TEST_F(Findsym, ALooserToleranceFindsWhatADistortionHidesWithoutAveraging) {
  atoms_t w = water();
  w.xyz[1][0] += 0.1;
  const atoms_t before = w;
  findsym_result_t r = run(w, 0.05);
  EXPECT_EQ(r.generators, "y ");
  EXPECT_DOUBLE_EQ(THR_FINDSYM, 0.05);
  r = run(w, 0.15);
  EXPECT_EQ(r.generators, "xy y ");
  EXPECT_DOUBLE_EQ(THR_FINDSYM, 0.15);
  EXPECT_EQ(w.xyz, before.xyz);
}

TEST_F(Findsym, TheToleranceIsClampedAndWrittenBack) {
  atoms_t w = water();
  double tol = 0;
  findsym(w.labels, w.xyz, tol);
  EXPECT_DOUBLE_EQ(tol, default_thr_findsym);
  tol = 5;
  findsym(w.labels, w.xyz, tol);
  EXPECT_DOUBLE_EQ(tol, 1.0);
  tol = 1e-9;
  findsym(w.labels, w.xyz, tol);
  EXPECT_DOUBLE_EQ(tol, 1e-6);
  tol = 0;  // 0 reuses the tolerance of the last run
  findsym(w.labels, w.xyz, tol);
  EXPECT_DOUBLE_EQ(tol, 1e-6);
  tol = NAN;
  findsym(w.labels, w.xyz, tol);
  EXPECT_DOUBLE_EQ(tol, 1e-6);
}

TEST_F(Findsym, LabelsAreNumberedByExactSymbolsAndUnknownOnesStayApart) {
  const std::vector<int> n = element_numbers_findsym(
      {"X", "H", "C", "Cl", "CL", "cl", "B", "Be", "S", "Si", "Nd", "Lr", "Q", "XX", "??", "Q", "D"});
  EXPECT_EQ(n, (std::vector<int>{0, 1, 6, 17, 17, 17, 5, 4, 16, 14, 60, 103, 104, 105, 106, 104, 107}));
  // A chlorine written "CL" pairs with chlorine, not carbon: H–C–CL is not
  // symmetric, H–CL–Cl is.
  atoms_t a{{"H", "C", "CL"}, {{-1, 0, 0}, {0, 0, 0}, {1, 0, 0}}};
  EXPECT_EQ(run(a).generators, "yz z ");  // the axis and two planes: C∞v's part of D2h
  atoms_t b{{"CL", "H", "Cl"}, {{-1, 0, 0}, {0, 0, 0}, {1, 0, 0}}};
  EXPECT_EQ(run(b).generators, "x y z ");
}

TEST_F(Findsym, DegenerateInputGivesAMessageOrAnEmptyResult) {
  atoms_t none;
  findsym_result_t r = run(none);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.diagnostics, "No atoms\n");

  atoms_t one{{"He"}, {{1, 2, 3}}};
  r = run(one);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.generators, "x y z ");
  EXPECT_EQ(one.xyz[0], (vec3{0, 0, 0}));

  atoms_t bad = water();
  bad.xyz[2][1] = NAN;
  const atoms_t bad_before = bad;
  r = run(bad);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.diagnostics, "Coordinates of atom 3 are out of range\n");
  EXPECT_TRUE(std::isnan(bad.xyz[2][1]));
  EXPECT_EQ(bad.xyz[0], bad_before.xyz[0]);

  // Five hydrogens at one point are one atom; twenty thousand are too many
  // to pair up and fail at once rather than taking quadratic time.
  atoms_t five{std::vector<std::string>(5, "H"), std::vector<vec3>(5, vec3{1, 2, 3})};
  r = run(five);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.unique_xyz.size(), 1u);
  atoms_t crowd{std::vector<std::string>(20000, "H"), std::vector<vec3>(20000, vec3{1, 2, 3})};
  r = run(crowd);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.diagnostics.find("Too many atoms lie closer together than the tolerance"), std::string::npos);
}

TEST_F(Findsym, AHundredThousandScatteredAtomsFinishWithoutSymmetry) {
  // A lattice of 47³ atoms 1.5 Å apart, each shaken by up to 0.4 Å.
  std::mt19937 rng(13);
  std::uniform_real_distribution<double> u(-0.4, 0.4);
  atoms_t many;
  for (int i = 0; i < 47 * 47 * 47; ++i) {
    many.labels.push_back(i % 3 ? "C" : "H");
    many.xyz.push_back({1.5 * (i % 47) + u(rng), 1.5 * (i / 47 % 47) + u(rng), 1.5 * (i / 47 / 47) + u(rng)});
  }
  const findsym_result_t r = run(many);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.generators, "");
}

TEST(Zevgrp, ExpandsGeneratorsIntoElementsInBitOrder) {
  std::vector<sym_element_t> e;
  ASSERT_EQ(zevgrp("x y z", e), 8);
  const char* names[] = {"E", "x", "y", "xy", "z", "xz", "yz", "xyz"};
  const sym_kind_t kinds[] = {SYM_IDENTITY, SYM_PLANE, SYM_PLANE, SYM_AXIS,
                              SYM_PLANE,    SYM_AXIS,  SYM_AXIS,  SYM_INVERSION};
  for (size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(e[i].name, names[i]);
    EXPECT_EQ(e[i].kind, kinds[i]);
  }
  EXPECT_EQ(e[1].corners, (std::array<vec3, 4>{vec3{0, 1, 1}, vec3{0, -1, 1}, vec3{0, -1, -1}, vec3{0, 1, -1}}));
  EXPECT_EQ(e[2].corners, (std::array<vec3, 4>{vec3{1, 0, 1}, vec3{-1, 0, 1}, vec3{-1, 0, -1}, vec3{1, 0, -1}}));
  EXPECT_EQ(e[4].corners, (std::array<vec3, 4>{vec3{1, 1, 0}, vec3{-1, 1, 0}, vec3{-1, -1, 0}, vec3{1, -1, 0}}));
  EXPECT_EQ(e[3].corners[0], (vec3{0, 0, -1}));  // "xy" is the axis along z
  EXPECT_EQ(e[3].corners[1], (vec3{0, 0, 1}));
  EXPECT_EQ(e[6].corners[1], (vec3{1, 0, 0}));  // "yz" along x

  EXPECT_EQ(zevgrp("xy", e), 2);
  EXPECT_EQ(zevgrp("xy\ty\n", e), 4);
  EXPECT_EQ(e[3].name, "x");
  for (const char* bad : {"x x", "q", "x y z xy", "E", "xy y x", "x\ry"}) {
    EXPECT_EQ(zevgrp(bad, e), 0) << bad;
    EXPECT_TRUE(e.empty());
  }
  EXPECT_EQ(zevgrp("", e), 1);
}

}  // namespace
