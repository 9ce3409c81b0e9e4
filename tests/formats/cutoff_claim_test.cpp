// The fewest points a cut-off keeps, against the mask the reader makes: a
// bound that is ever too large would refuse a sound file.
#include "formats/cutoff_claim.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "formats/grid_reader.h"
#include "molecule/mol_data.h"

namespace {

// Kept points of the mask at index `first` and after.
long long kept_from(const lattice_t& lattice, const std::vector<vec3>& atoms, double r, long long first) {
  mol_data_t rec;
  rec.xyz = atoms;
  grid_data_t& g = rec.grid.edit();
  g.lattice() = lattice;
  g.n_points = static_cast<int>(lattice.points());
  g.is_cutoff = 1;
  g.cutoff_radius = r;
  build_cutoff_mask(rec);
  return std::count(g.cutoff_mask.begin() + first, g.cutoff_mask.end(), uint8_t{1});
}

TEST(CutoffClaim, NeverMoreThanTheMaskKeepsAndExactForOneAtomOnAnAlignedLattice) {
  // One atom inside a lattice along the coordinate axes: its box exactly,
  // from any point index on.
  const lattice_t aligned{{9, 7, 5}, {-2, -1.5, -1}, {vec3{4, 0, 0}, vec3{0, 3, 0}, vec3{0, 0, 2}}};
  for (long long first : {0LL, 100LL, 157LL, 314LL}) {
    EXPECT_EQ(fewest_kept_points(aligned, {vec3{0.3, 0.2, -0.1}}, 1.1, first),
              kept_from(aligned, {vec3{0.3, 0.2, -0.1}}, 1.1, first))
        << first;
  }
  // Far from every point, or with no radius: nothing.
  EXPECT_EQ(fewest_kept_points(aligned, {vec3{50, 0, 0}}, 1.1, 0), 0);
  EXPECT_EQ(fewest_kept_points(aligned, {vec3{0, 0, 0}}, 0, 0), 0);
  EXPECT_EQ(fewest_kept_points(aligned, {vec3{0, 0, 0}}, std::nan(""), 0), 0);

  // Skewed, rotated, flat and one-point lattices with many atoms: never
  // above the mask, and not nothing where an atom sits inside.
  std::mt19937 random(7);
  std::uniform_real_distribution<double> any(-3, 3);
  for (int trial = 0; trial < 300; ++trial) {
    lattice_t l;
    l.net = {1 + static_cast<int>(random() % 12), 1 + static_cast<int>(random() % 12),
             1 + static_cast<int>(random() % 12)};
    l.origin = {any(random), any(random), any(random)};
    for (vec3& a : l.axis) a = {any(random), any(random), any(random)};
    if (trial % 5 == 0) l.axis[trial % 3] = {0, 0, 0};
    std::vector<vec3> atoms(1 + random() % 6);
    for (vec3& x : atoms) x = {any(random), any(random), any(random)};
    atoms.push_back(l.at({l.net[0] / 2, l.net[1] / 2, l.net[2] / 2}));
    const double r = 0.2 + std::fabs(any(random));
    const long long first = trial % 2 ? static_cast<long long>(random() % static_cast<unsigned>(l.points())) : 0;
    const long long bound = fewest_kept_points(l, atoms, r, first), kept = kept_from(l, atoms, r, first);
    EXPECT_LE(bound, kept) << "trial " << trial;
    if (first == 0) {
      EXPECT_GT(bound, 0) << "trial " << trial;
    }
  }
}

}  // namespace
