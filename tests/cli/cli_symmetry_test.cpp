// mivor-cli symmetry: the viewer's point-group detection as JSON.
#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/cli_fixture.h"

namespace {

using nlohmann::json;

class CliSymmetry : public CliFixture {
 protected:
  std::string file(const std::string& atoms, int n) {
    return dir.write("mol.mvr", std::to_string(n) + "\nmolecule\n" + atoms + " <END>\n");
  }
};

// Water in the xz plane, two-fold axis along z, in values exact in binary.
const char water[] = "O 0 0 0.125\nH 0.75 0 -0.5\nH -0.75 0 -0.5\n";

TEST_F(CliSymmetry, WaterInItsFrame) {
  const program_result r = run({"symmetry", file(water, 3)});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "{\"generators\":\"xy y \",\"ok\":true,\"transformed\":false,\"point_group\":\"C2v\","
            "\"unique_atoms\":[[\"O\",0,0,0.125],[\"H\",0.75,0,-0.5]],"
            "\"coordinates\":[[0,0,0.125],[0.75,0,-0.5],[-0.75,0,-0.5]],"
            "\"messages\":[\"Reduced coordinates\",\"2\",\"Group generators: xy y \","
            "\"O            0.000000000     0.000000000     0.125000000 \","
            "\"H            0.750000000     0.000000000    -0.500000000 \"]}\n");
}

TEST_F(CliSymmetry, TurnedBenzeneIsTurnedBackAndNamedD6h) {
  std::string atoms;
  for (int k = 0; k < 12; ++k) {
    const double a = (k % 6) * M_PI / 3, r = k < 6 ? 1.39 : 2.47;
    // In the plane x + y + z = 0, shifted.
    const double u = r * std::cos(a), v = r * std::sin(a);
    const double x = u / std::sqrt(2) + v / std::sqrt(6) + 3, y = -u / std::sqrt(2) + v / std::sqrt(6) - 1,
                 z = -2 * v / std::sqrt(6) + 0.5;
    char line[96];
    std::snprintf(line, sizeof line, "%s %.12f %.12f %.12f\n", k < 6 ? "C" : "H", x, y, z);
    atoms += line;
  }
  const program_result r = run({"symmetry", file(atoms, 12)});
  ASSERT_EQ(r.status, 0) << r.err;
  const json doc = json::parse(r.out);
  EXPECT_EQ(doc["generators"], "x y z ");
  EXPECT_EQ(doc["transformed"], true);
  EXPECT_EQ(doc["point_group"], "D6h");
  EXPECT_EQ(doc["unique_atoms"].size(), 4u);
  double sum[3] = {0, 0, 0};
  for (const json& p : doc["coordinates"])
    for (size_t k = 0; k < 3; ++k) sum[k] += p[k].get<double>();
  for (double s : sum) EXPECT_NEAR(s, 0, 1e-9);
  EXPECT_NE(std::find(doc["messages"].begin(), doc["messages"].end(), "Symmetry can be gained by transformation"),
            doc["messages"].end());
}

TEST_F(CliSymmetry, ToleranceOptionsAndFailures) {
  // Water with one hydrogen 0.1 Å off: a plane at the usual tolerance, the
  // whole group at the loose one.
  const std::string distorted = file("O 0 0 0.125\nH 0.85 0 -0.5\nH -0.75 0 -0.5\n", 3);
  json doc = json::parse(run({"symmetry", distorted}).out);
  EXPECT_EQ(doc["generators"], "y ");
  EXPECT_EQ(doc["point_group"], "Cs");
  for (const auto& loose : {std::vector<std::string>{"--loose"}, std::vector<std::string>{"--tolerance", "0.15"}}) {
    std::vector<std::string> args = {"symmetry", distorted};
    args.insert(args.end(), loose.begin(), loose.end());
    doc = json::parse(run(args).out);
    EXPECT_EQ(doc["generators"], "xy y ");
    EXPECT_EQ(doc["point_group"], "C2v");
    EXPECT_EQ(doc["coordinates"][1][0].get<double>(), 0.85);  // not averaged
  }
  for (const auto& bad : {std::vector<std::string>{"symmetry", distorted, "--loose", "--tolerance", "0.1"},
                          {"symmetry", distorted, "--tolerance", "-1"},
                          {"symmetry", distorted, "--tolerance"},
                          {"symmetry", distorted, "--level", "0.1"},
                          {"info", distorted, "--loose"}})
    EXPECT_EQ(run(bad).status, 2);

  // Two different elements closer than the tolerance: a failure, said so.
  program_result r = run({"symmetry", file("O 0 0 0\nF 0.01 0 0\nH 1 0 0\n", 3)});
  EXPECT_EQ(r.status, 1);
  doc = json::parse(r.out);
  EXPECT_EQ(doc["ok"], false);
  EXPECT_EQ(doc["generators"], "");
  EXPECT_EQ(doc["coordinates"][1], json::parse("[0.01,0,0]"));
  EXPECT_EQ(doc["messages"].back(), "Atoms 1 and 2 are not equivalent");

  r = run({"symmetry", file("", 0)});
  EXPECT_EQ(r.status, 1);
  doc = json::parse(r.out);
  EXPECT_EQ(doc["point_group"], nullptr);
  EXPECT_EQ(doc["messages"], json::array({"No atoms"}));

  EXPECT_EQ(run({"symmetry", file(water, 3), "--geometry", "3"}).status, 1);
  EXPECT_EQ(run({"symmetry", dir.file("absent.mvr")}).status, 1);
}

}  // namespace
