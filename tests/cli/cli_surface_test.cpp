// mivor-cli surface: the isosurfaces of a grid read from a file, as counts
// and as a PLY mesh.
#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <sstream>

#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

using nlohmann::json;

constexpr int side = 16;
constexpr double half_box_bohr = 4;

// One geometry with one orbital grid of side³ points on [-4, 4] bohr:
// x·exp(-r²/2), a positive lobe at x > 0 and a negative one at x < 0, values
// within ±0.61. A second geometry has no grid.
std::string orbital_file() {
  std::string data;
  for (int i = 0; i < side; ++i)
    for (int j = 0; j < side; ++j)
      for (int k = 0; k < side; ++k) {
        const double step = 2 * half_box_bohr / (side - 1);
        const double x = -half_box_bohr + i * step, y = -half_box_bohr + j * step, z = -half_box_bohr + k * step;
        const double v = x * std::exp(-(x * x + y * y + z * z) / 2);
        data.append(reinterpret_cast<const char*>(&v), sizeof v);
      }
  const std::string n = std::to_string(side * side * side);
  return "1\nh\nH 0 0 0\n <GRID>\n N_of_MO=1 N_of_Grids=1 N_of_Points=" + n + " Block_Size=" + n +
         " N_Blocks=1 Is_cutoff=0 CutOff=0.0 N_P=0\n"
         " N_INDEX= 0 0 0 0 0 0 0\n"
         " Net= 16 16 16\n"
         " Origin= -4 -4 -4\n"
         " Axis_1= 8 0 0\n"
         " Axis_2= 0 8 0\n"
         " Axis_3= 0 0 8\n"
         " ORBOFF = " +
         std::to_string(data.size()) +
         "\n"
         " GridName= Orbital  sym= 1 index=1 Energ=-0.5 occ=2.0 type=i\n"
         " <DENSITY>\n" +
         data + " </DENSITY>\n </GRID>\n <END>\n1\nhe\nHe 0 0 0\n <END>\n";
}

class CliSurface : public ::testing::Test {
 protected:
  void SetUp() override {
    config = dir.subdir("config");
    settings("Auto rebond = 0\n");
    file = dir.write("orbital.mvr", orbital_file());
  }

  void settings(const std::string& text) { dir.write("config/mivor.rc", text); }

  program_result run(std::vector<std::string> args) {
    args.insert(args.begin(), MIVOR_CLI_BINARY);
    return run_program(args, {{"MIVOR_DIR", config}, {"HOME", dir.subdir("home")}}, dir.path());
  }

  json surface(std::vector<std::string> args) {
    args.insert(args.begin(), {"surface", file});
    const program_result r = run(args);
    EXPECT_EQ(r.status, 0) << r.err;
    return r.status == 0 ? json::parse(r.out) : json();
  }

  TempDir dir;
  std::string config, file;
};

TEST_F(CliSurface, AutomaticLevelGivesBothLobes) {
  const json doc = surface({});
  EXPECT_EQ(doc["level_min"].get<double>(), 0);  // a two-signed grid starts its range at 0
  EXPECT_GT(doc["level_max"].get<double>(), 0.5);
  EXPECT_DOUBLE_EQ(doc["level"].get<double>(), 0.25 * doc["level_max"].get<double>());
  EXPECT_GT(doc["lobe0"].get<int>(), 0);
  EXPECT_GT(doc["lobe1"].get<int>(), 0);
  EXPECT_EQ(doc["triangles"].get<int>(), doc["lobe0"].get<int>() + doc["lobe1"].get<int>());
}

TEST_F(CliSurface, LevelFromTheCommandLineOrTheSettings) {
  const json low = surface({"--level", "0.05"}), high = surface({"--level", "0.3"});
  EXPECT_EQ(low["level"].get<double>(), 0.05);
  EXPECT_EQ(high["level"].get<double>(), 0.3);
  EXPECT_GT(low["lobe0"].get<int>(), high["lobe0"].get<int>());  // lower level, larger surface
  EXPECT_GT(high["lobe1"].get<int>(), 0);
  EXPECT_GT(low["level_max"].get<double>(), 0.5);

  settings("Auto select level = 0\nIsolevel value = 0.3\n");
  EXPECT_EQ(surface({})["triangles"], high["triangles"]);
  EXPECT_EQ(surface({"--geometry", "0", "--grid", "0", "--level", "0.05"})["triangles"], low["triangles"]);
}

TEST_F(CliSurface, PlyHoldsEveryTriangleWithItsLobeColour) {
  settings(
      "Plus  color Red = 1\nPlus  color Green = 0\nPlus  color Blue = 0\n"
      "Minus color Red = 0\nMinus color Green = 0\nMinus color Blue = 1\n");
  const json doc = surface({"--ply", dir.file("orbital.ply")});
  const int triangles = doc["triangles"].get<int>();
  ASSERT_GT(triangles, 0);
  const std::string ply = read_file(dir.file("orbital.ply"));
  const size_t body = ply.find("end_header\n") + 11;
  ASSERT_NE(body, std::string::npos + 11);
  std::istringstream header(ply.substr(0, body));
  std::vector<std::string> lines;
  for (std::string line; std::getline(header, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 15u);
  EXPECT_EQ(lines[1], "format binary_little_endian 1.0");
  EXPECT_EQ(lines[2], "element vertex " + std::to_string(3 * triangles));
  EXPECT_EQ(lines[12], "element face " + std::to_string(triangles));
  ASSERT_EQ(ply.size() - body, static_cast<size_t>(triangles) * (3 * 27 + 13));

  // Every vertex has a pure lobe colour.
  int red = 0, blue = 0;
  for (size_t at = body + 24; at < body + 27 * 3 * static_cast<size_t>(triangles); at += 27) {
    red += ply.compare(at, 3, std::string("\xff\x00\x00", 3)) == 0;
    blue += ply.compare(at, 3, std::string("\x00\x00\xff", 3)) == 0;
  }
  EXPECT_EQ(red, 3 * doc["lobe0"].get<int>());
  EXPECT_EQ(blue, 3 * doc["lobe1"].get<int>());
}

TEST_F(CliSurface, BadArgumentsAndMissingInputs) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"surface"},
                                             {"surface", file, file},
                                             {"surface", file, "--level"},
                                             {"surface", file, "--level", "abc"},
                                             {"surface", file, "--level", "0"},
                                             {"surface", file, "--level", "-0.1"},
                                             {"surface", file, "--level", "nan"},
                                             {"surface", file, "--ply"},
                                             {"surface", file, "--values"},
                                             {"info", file, "--level", "0.1"},
                                             {"grid", file, "--ply", "x.ply"}})
    EXPECT_EQ(run(args).status, 2) << args.back();

  const program_result missing = run({"surface", dir.file("absent.mvr")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.out, "");
  EXPECT_EQ(run({"surface", file, "--grid", "1"}).status, 1);
  EXPECT_EQ(run({"surface", file, "--geometry", "1"}).status, 1);  // no grids there
  EXPECT_EQ(run({"surface", file, "--geometry", "2"}).status, 1);
  EXPECT_EQ(run({"surface", file, "--ply", dir.file("no/such/dir.ply")}).status, 1);
  EXPECT_FALSE(file_exists(dir.file("no")));
}

}  // namespace
