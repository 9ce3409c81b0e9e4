// The full point group on molecules built from the operations of their
// groups: each base molecule is the orbit of a few generic atoms under a
// group's generators, so its group is known by construction; an exhaustive
// search of every operation that maps the atoms onto themselves confirms
// it. Each is examined as built and as randomly turned and shifted copies.
// Open Babel's point-group code runs on the same set as a peer, in a child
// process; its results are reported, not asserted.
#include "edit/schoenflies.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "edit/point_group.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

struct molecule_t {
  std::string name;
  std::string group;
  std::vector<std::string> labels;
  std::vector<vec3> xyz;
};

const double phi = (1 + std::sqrt(5.0)) / 2;

vec3 unit(vec3 v) { return v / norm(v); }
mat3 C(int n, const vec3& axis = {0, 0, 1}) { return Cn_axis_findsym(unit(axis), n); }
mat3 sigma(const vec3& normal) { return mirror_plane_findsym(unit(normal)); }
mat3 S(int n, const vec3& axis = {0, 0, 1}) { return sigma(axis) * C(n, axis); }
const mat3 inversion = {{{-1, 0, 0}, {0, -1, 0}, {0, 0, -1}}};
// The vertical plane at angle a from x (its normal lies in xy).
mat3 vertical(double a) { return sigma({-std::sin(a), std::cos(a), 0}); }

bool same(const mat3& A, const mat3& B) {
  for (size_t i = 0; i < 3; ++i)
    for (size_t j = 0; j < 3; ++j)
      if (std::fabs(A[i][j] - B[i][j]) > 1e-6) return false;
  return true;
}

// Every product of the generators.
std::vector<mat3> closure(const std::vector<mat3>& generators) {
  std::vector<mat3> group = {identity_matrix3()};
  for (size_t k = 0; k < group.size(); ++k)
    for (const mat3& g : generators) {
      const mat3 p = g * group[k];
      bool known = false;
      for (const mat3& q : group) known = known || same(p, q);
      if (!known) group.push_back(p);
    }
  return group;
}

// The orbits of the seed atoms under the group of the generators.
molecule_t build(const std::string& group, const std::vector<mat3>& generators,
                 const std::vector<std::pair<std::string, vec3>>& seeds, const std::string& name = "") {
  molecule_t m{name.empty() ? group : name, group, {}, {}};
  for (const mat3& g : closure(generators))
    for (const auto& [label, p] : seeds) {
      const vec3 q = g * p;
      bool known = false;
      for (size_t i = 0; i < m.xyz.size(); ++i) known = known || (m.labels[i] == label && distance(m.xyz[i], q) < 1e-6);
      if (!known) {
        m.labels.push_back(label);
        m.xyz.push_back(q);
      }
    }
  return m;
}

// Seeds of four elements in no special place: no two atoms of a molecule
// come closer than 0.35 Å, and each molecule has no more symmetry than its
// group even at a tolerance of 0.2 Å.
const std::vector<std::pair<std::string, vec3>> generic = {
    {"C", {-1.27, 0.32, 2.21}}, {"O", {-2.55, -2.23, 0.23}}, {"N", {1.82, 0.48, 0.89}}, {"F", {-0.40, 2.14, -3.14}}};

std::vector<molecule_t> base_molecules() {
  const double pi = M_PI;
  const vec3 x{1, 0, 0}, y{0, 1, 0}, z{0, 0, 1}, d{1, 1, 1};
  std::vector<molecule_t> list = {
      build("C1", {}, generic),
      build("Cs", {sigma(z)}, generic),
      build("Ci", {inversion}, generic),
      build("C2", {C(2)}, generic),
      build("C3", {C(3)}, generic),
      build("C2v", {C(2), sigma(y)}, {{"O", {0, 0, 0.1173}}, {"H", {0.7572, 0, -0.4692}}}, "water"),
      build("C2v", {C(2), sigma(y)}, generic),
      build("C3v", {C(3), sigma(y)}, {{"N", {0, 0, 0.12}}, {"H", {0.94, 0, -0.27}}}, "ammonia"),
      build("C4v", {C(4), sigma(y)}, generic),
      build("C5v", {C(5), sigma(y)}, generic),
      build("C2h", {C(2), sigma(z)}, generic),
      build("C3h", {C(3), sigma(z)}, generic),
      build("D2", {C(2), C(2, x)}, generic),
      build("D3", {C(3), C(2, x)}, generic),
      build("D2d", {C(2), C(2, x), vertical(pi / 4)}, generic),
      build("D3d", {C(3), C(2, x), vertical(pi / 6)}, generic),
      build("D3d", {C(3), C(2, x), vertical(pi / 6)}, {{"C", {0, 0, 0.765}}, {"H", {0, 1.017, 1.157}}},
            "staggered ethane"),
      build("D4d", {C(4), C(2, x), vertical(pi / 8)}, generic),
      build("D2h", {C(2), C(2, x), sigma(z)}, generic),
      build("D2h", {C(2), C(2, x), sigma(z)}, {{"C", {0.667, 0, 0}}, {"H", {1.23, 0.92, 0}}}, "ethylene"),
      build("D3h", {C(3), C(2, x), sigma(z)}, generic),
      build("D4h", {C(4), C(2, x), sigma(z)}, generic),
      build("D5h", {C(5), C(2, x), sigma(z)}, generic),
      build("D6h", {C(6), C(2, x), sigma(z)}, {{"C", {1.39, 0, 0}}, {"H", {2.47, 0, 0}}}, "benzene"),
      build("D6h", {C(6), C(2, x), sigma(z)}, generic),
      build("S4", {S(4)}, generic),
      build("S6", {S(6)}, generic),
      build("T", {C(3, d), C(2)}, generic),
      build("Td", {C(3, d), C(2), sigma({1, -1, 0})}, {{"C", {0, 0, 0}}, {"H", {0.63, 0.63, 0.63}}}, "methane"),
      build("Td", {C(3, d), C(2), sigma({1, -1, 0})}, generic),
      build("Th", {C(3, d), C(2), inversion}, generic),
      build("O", {C(4), C(3, d)}, generic),
      build("Oh", {C(4), C(3, d), inversion}, {{"S", {0, 0, 0}}, {"F", {1.56, 0, 0}}}, "SF6"),
      build("Oh", {C(4), C(3, d), inversion}, generic),
      build("I", {C(5, {0, 1, phi}), C(3, d)}, generic),
      build("Ih", {C(5, {0, 1, phi}), C(3, d), inversion}, {{"B", {0, 0.85, 0.85 * phi}}, {"H", {0, 1.5, 1.5 * phi}}},
            "B12H12 skeleton"),
      build("Ih", {C(5, {0, 1, phi}), C(3, d), inversion}, {{"C", {0, 0.7, 2.1 * phi}}}, "C60"),
      {"HCN", "Cinfv", {"H", "C", "N"}, {{0, 0, -1.63}, {0, 0, -0.57}, {0, 0, 0.59}}},
      {"CO2", "Dinfh", {"O", "C", "O"}, {{0, 0, -1.16}, {0, 0, 0}, {0, 0, 1.16}}},
  };
  return list;
}

// A random rotation (a unit quaternion) and shift.
molecule_t moved(molecule_t m, std::mt19937& rng) {
  std::normal_distribution<double> g;
  double q[4] = {g(rng), g(rng), g(rng), g(rng)};
  const double n = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
  for (double& c : q) c /= n;
  const double w = q[0], a = q[1], b = q[2], c = q[3];
  const mat3 R = {{{1 - 2 * (b * b + c * c), 2 * (a * b - c * w), 2 * (a * c + b * w)},
                   {2 * (a * b + c * w), 1 - 2 * (a * a + c * c), 2 * (b * c - a * w)},
                   {2 * (a * c - b * w), 2 * (b * c + a * w), 1 - 2 * (a * a + b * b)}}};
  std::uniform_real_distribution<double> shift(-20, 20);
  const vec3 t{shift(rng), shift(rng), shift(rng)};
  for (vec3& p : m.xyz) p = R * p + t;
  m.name += " (moved)";
  return m;
}

// What the exhaustive search counts: operations, proper ones, reflections,
// two-fold rotations, and whether the inversion is among them.
struct signature_t {
  int order = 0, proper = 0, reflections = 0, two_fold = 0;
  bool inversion = false;
  bool operator==(const signature_t& o) const {
    return order == o.order && proper == o.proper && reflections == o.reflections && two_fold == o.two_fold &&
           inversion == o.inversion;
  }
};

std::ostream& operator<<(std::ostream& out, const signature_t& s) {
  return out << "{order " << s.order << ", proper " << s.proper << ", planes " << s.reflections << ", C2 " << s.two_fold
             << ", i " << s.inversion << "}";
}

signature_t expected_signature(const std::string& group) {
  // order, proper, reflections, two-fold rotations, inversion
  static const std::map<std::string, signature_t> table = {
      {"C1", {1, 1, 0, 0, false}},   {"Cs", {2, 1, 1, 0, false}},    {"Ci", {2, 1, 0, 0, true}},
      {"C2", {2, 2, 0, 1, false}},   {"C3", {3, 3, 0, 0, false}},    {"C2v", {4, 2, 2, 1, false}},
      {"C3v", {6, 3, 3, 0, false}},  {"C4v", {8, 4, 4, 1, false}},   {"C5v", {10, 5, 5, 0, false}},
      {"C2h", {4, 2, 1, 1, true}},   {"C3h", {6, 3, 1, 0, false}},   {"D2", {4, 4, 0, 3, false}},
      {"D3", {6, 6, 0, 3, false}},   {"D2d", {8, 4, 2, 3, false}},   {"D3d", {12, 6, 3, 3, true}},
      {"D4d", {16, 8, 4, 5, false}}, {"D2h", {8, 4, 3, 3, true}},    {"D3h", {12, 6, 4, 3, false}},
      {"D4h", {16, 8, 5, 5, true}},  {"D5h", {20, 10, 6, 5, false}}, {"D6h", {24, 12, 7, 7, true}},
      {"S4", {4, 2, 0, 1, false}},   {"S6", {6, 3, 0, 0, true}},     {"T", {12, 12, 0, 3, false}},
      {"Td", {24, 12, 6, 3, false}}, {"Th", {24, 12, 3, 3, true}},   {"O", {24, 24, 0, 9, false}},
      {"Oh", {48, 24, 9, 9, true}},  {"I", {60, 60, 0, 15, false}},  {"Ih", {120, 60, 15, 15, true}},
  };
  return table.at(group);
}

// Every orthogonal map about the centroid that takes the atoms onto atoms
// of their elements: the images of two reference atoms fix it (with its
// determinant), so all pairs of candidate images are tried.
signature_t exhaustive_signature(const molecule_t& m) {
  const size_t n = m.xyz.size();
  vec3 c{};
  for (const vec3& p : m.xyz) c += p;
  c = c / static_cast<double>(n);
  std::vector<vec3> p;
  for (const vec3& q : m.xyz) p.push_back(q - c);
  size_t a = 0, b = 0;
  for (size_t i = 0; i < n; ++i)
    if (norm(p[i]) > norm(p[a])) a = i;
  for (size_t i = 0; i < n; ++i)
    if (norm(cross(p[i], p[a])) > norm(cross(p[b], p[a]))) b = i;
  const vec3 pa = p[a], pb = p[b], pc = cross(pa, pb);
  // The inverse of P by cofactors.
  const double det = dot(pa, cross(pb, pc));
  const vec3 r0 = cross(pb, pc) / det, r1 = cross(pc, pa) / det, r2 = cross(pa, pb) / det;
  const mat3 Pinv = {r0, r1, r2};
  signature_t s;
  for (size_t i = 0; i < n; ++i) {
    if (m.labels[i] != m.labels[a] || std::fabs(norm(p[i]) - norm(pa)) > 1e-6) continue;
    for (size_t j = 0; j < n; ++j) {
      if (m.labels[j] != m.labels[b] || std::fabs(distance(p[i], p[j]) - distance(pa, pb)) > 1e-6 ||
          std::fabs(norm(p[j]) - norm(pb)) > 1e-6)
        continue;
      for (int sign : {1, -1}) {
        const vec3 qc = cross(p[i], p[j]) * sign;
        const mat3 Q = {{{p[i][0], p[j][0], qc[0]}, {p[i][1], p[j][1], qc[1]}, {p[i][2], p[j][2], qc[2]}}};
        const mat3 M = Q * Pinv;
        bool maps = true;
        for (size_t k = 0; k < n && maps; ++k) {
          const vec3 image = M * p[k];
          bool found = false;
          for (size_t l = 0; l < n && !found; ++l) found = m.labels[l] == m.labels[k] && distance(image, p[l]) < 1e-6;
          maps = found;
        }
        if (!maps) continue;
        ++s.order;
        const double trace = M[0][0] + M[1][1] + M[2][2];
        const bool proper = sign > 0;
        s.proper += proper;
        s.two_fold += proper && std::fabs(trace + 1) < 1e-6;
        s.reflections += !proper && std::fabs(trace - 1) < 1e-6;
        s.inversion = s.inversion || (!proper && std::fabs(trace + 3) < 1e-6);
      }
    }
  }
  return s;
}

// Open Babel's answer: "crash" when its process did not end normally,
// "timeout" when it took more than two seconds.
std::string peer_point_group(const char* peer, const molecule_t& m, TempDir& dir) {
  std::string xyz = std::to_string(m.xyz.size()) + "\n" + m.name + "\n";
  char line[128];
  for (size_t i = 0; i < m.xyz.size(); ++i) {
    std::snprintf(line, sizeof line, "%s %.10f %.10f %.10f\n", m.labels[i].c_str(), m.xyz[i][0], m.xyz[i][1],
                  m.xyz[i][2]);
    xyz += line;
  }
  const std::string file = dir.write("peer.xyz", xyz);
  const program_result r = run_program({"/usr/bin/timeout", "2", peer, file}, {}, dir.path());
  if (r.status == 124) return "timeout";
  if (r.status != 0) return "crash";
  return r.out.substr(0, r.out.find('\n'));
}

TEST(Schoenflies, FindsTheGroupOfEachMoleculeAsBuiltAndMoved) {
  std::mt19937 rng(2024);
  std::vector<molecule_t> set;
  for (const molecule_t& m : base_molecules()) {
    set.push_back(m);
    set.push_back(moved(m, rng));
  }
  ASSERT_GE(set.size(), 40u);
  int right = 0;
  for (const molecule_t& m : set) {
    if (m.group != "Cinfv" && m.group != "Dinfh") {
      EXPECT_EQ(exhaustive_signature(m), expected_signature(m.group)) << m.name;
    }
    const point_group_t g = schoenflies_point_group(m.labels, m.xyz, 0.05);
    EXPECT_EQ(g.symbol, m.group) << m.name;
    right += g.symbol == m.group;
  }
  std::printf("mivor: %d of %zu point groups right\n", right, set.size());

  // The peer only reports; sanitizer builds leave it out.
#if defined(MIVOR_OB_PEER) && !defined(__SANITIZE_ADDRESS__)
  TempDir dir;
  for (const auto& [peer, name] : {std::pair{MIVOR_OB_PEER, "Open Babel"},
                                   std::pair{MIVOR_OB_PEER_GUARDED, "Open Babel with the null-parent guard"}}) {
    int peer_right = 0, crashes = 0, timeouts = 0;
    for (const molecule_t& m : set) {
      const std::string answer = peer_point_group(peer, m, dir);
      peer_right += answer == m.group;
      crashes += answer == "crash";
      timeouts += answer == "timeout";
      if (answer != m.group && answer != "crash")
        std::printf("  %s on %s (%s): %s\n", name, m.name.c_str(), m.group.c_str(), answer.c_str());
    }
    std::printf("%s: %d of %zu point groups right, %d crashes, %d timeouts\n", name, peer_right, set.size(), crashes,
                timeouts);
  }
#endif
}

TEST(Schoenflies, ApproximateSymmetryCountsWithinTheTolerance) {
  molecule_t w = base_molecules()[5];  // water
  w.xyz[1][0] += 0.03;
  EXPECT_EQ(schoenflies_point_group(w.labels, w.xyz, 0.05).symbol, "C2v");
  EXPECT_EQ(schoenflies_point_group(w.labels, w.xyz, 0.01).symbol, "Cs");
}

TEST(Schoenflies, DegenerateInputIsNamedOrRefused) {
  EXPECT_EQ(schoenflies_point_group({}, {}, 0.05).problem, "No atoms");
  EXPECT_EQ(schoenflies_point_group({"He"}, {{1, 2, 3}}, 0.05).symbol, "Kh");
  EXPECT_EQ(schoenflies_point_group({"H", "H", "H"}, {{1, 2, 3}, {1, 2, 3}, {1, 2, 3}}, 0.05).symbol, "Kh");
  const point_group_t nan = schoenflies_point_group({"H", "H"}, {{0, 0, 0}, {NAN, 0, 0}}, 0.05);
  EXPECT_EQ(nan.symbol, "");
  EXPECT_EQ(nan.problem, "Coordinates of atom 2 are out of range");
  const point_group_t crowd =
      schoenflies_point_group(std::vector<std::string>(20000, "H"), std::vector<vec3>(20000, vec3{1, 1, 1}), 0.05);
  EXPECT_EQ(crowd.symbol, "Kh");
  // A hundred thousand atoms of a shaken lattice, found without symmetry
  // and without quadratic work.
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> u(-0.4, 0.4);
  std::vector<std::string> labels;
  std::vector<vec3> xyz;
  for (int i = 0; i < 47 * 47 * 47; ++i) {
    labels.push_back(i % 2 ? "C" : "O");
    xyz.push_back({1.5 * (i % 47) + u(rng), 1.5 * (i / 47 % 47) + u(rng), 1.5 * (i / 47 / 47) + u(rng)});
  }
  EXPECT_EQ(schoenflies_point_group(labels, xyz, 0.05).symbol, "C1");
}

}  // namespace
