// The mivor-cli program, run as a script would run it.
#include <gtest/gtest.h>

#include <cstring>
#include <nlohmann/json.hpp>

#include "cli/cli_fixture.h"

namespace {

using nlohmann::json;

class Cli : public CliFixture {};

const char decorated[] =
    "3\nwater\nO 0 0 0.1173\nH 0 0.7572 -0.4692\nH 0 -0.7572 -0.4692\n"
    "<energy>\n-76.25\n"
    "<write>\nstep 1 of 2\n"
    "<TEXTBOX>\nRED=1 X=5 Y=7\nSans 10\nwater \"molecule\"\n"
    " <END>\n"
    "2\nsecond\nC 0 0 0\nO 1.2 0 0\n <END>\n";

// Two bytes doubles written as text: 0.5 is 0x3FE0000000000000.
std::string doubles(std::initializer_list<double> values) {
  std::string out;
  for (double v : values) out.append(reinterpret_cast<const char*>(&v), sizeof v);
  return out;
}

// One geometry with a 2×2×2 orbital grid in one block.
std::string grid_file() {
  const std::string data = doubles({0.1, -0.2, 0.3, -0.4, 0.5, -0.6, 0.7, 5.0});
  return "1\nh\nH 0 0 0\n"
         " <GRID>\n"
         " N_of_MO=1 N_of_Grids=1 N_of_Points=8 Block_Size=8 N_Blocks=1 Is_cutoff=0 CutOff=0.0 N_P=0\n"
         " N_INDEX= 0 0 0 0 0 0 0\n"
         " Net= 2 2 2\n"
         " Origin= 0 0 0\n"
         " Axis_1= 1 0 0\n"
         " Axis_2= 0 1 0\n"
         " Axis_3= 0 0 1\n"
         " ORBOFF = 64\n"
         " GridName= Orbital  sym= 1 index=1 Energ=-0.5 occ=2.0 type=i\n"
         " <DENSITY>\n" +
         data + " </DENSITY>\n </GRID>\n <END>\n";
}

TEST_F(Cli, InfoPrintsEveryGeometryAsJson) {
  const std::string p = dir.write("water.mvr", decorated);
  const program_result r = run({"info", p});
  ASSERT_EQ(r.status, 0) << r.err;
  const json doc = json::parse(r.out);
  EXPECT_EQ(doc["file"], p);
  EXPECT_EQ(doc["n_geometries"], 2);
  EXPECT_EQ(doc["messages"], json::array({"step 1 of 2", p}));
  const json& g0 = doc["geometries"][0];
  EXPECT_EQ(g0["atoms"].size(), 3u);
  EXPECT_EQ(g0["atoms"][1]["symbol"], "H");
  EXPECT_EQ(g0["atoms"][1]["xyz"][1].get<double>(), 0.7572);
  EXPECT_EQ(g0["atoms"][0]["name"], nullptr);
  EXPECT_EQ(g0["bonds"], json::parse("[[0,1,1],[0,2,1]]"));
  EXPECT_EQ(g0["energy"].get<double>(), -76.25);
  EXPECT_EQ(g0["rms_grad"], nullptr);
  EXPECT_EQ(g0["dipole"], nullptr);
  EXPECT_EQ(g0["textboxes"][0]["text"], "water \"molecule\"");
  EXPECT_EQ(g0["textboxes"][0]["x"], 5);
  EXPECT_EQ(g0["grid"], nullptr);
  for (const char* key : {"vectors", "triangles", "spheres", "surfaces", "cells", "vibrations"})
    EXPECT_EQ(g0[key], json::array()) << key;
  EXPECT_EQ(doc["geometries"][1]["bonds"], json::parse("[[0,1,2]]"));
  // Nothing is written into the configuration directory, no undo file stays.
  EXPECT_FALSE(file_exists(config + "/atoms.rc"));
  EXPECT_FALSE(file_exists(dir.file(".water.mvr")));
}

TEST_F(Cli, SingleBondsOnlyAndUsageErrors) {
  const std::string p = dir.write("water.mvr", decorated);
  const json doc = json::parse(run({"info", p, "--single"}).out);
  EXPECT_EQ(doc["geometries"][1]["bonds"], json::parse("[[0,1,1]]"));
  EXPECT_EQ(run({}).status, 2);
  EXPECT_EQ(run({"info"}).status, 2);
  EXPECT_EQ(run({"frobnicate", p}).status, 2);
  EXPECT_EQ(run({"grid", p, "--grid"}).status, 2);
  EXPECT_EQ(run({"grid", p, "--grid", "-1"}).status, 2);
  EXPECT_EQ(run({"convert", p}).status, 2);
}

TEST_F(Cli, InfoOnAFileThatCannotBeOpenedFails) {
  const program_result r = run({"info", dir.file("absent.mvr")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("ERROR: Can't open file: " + dir.file("absent.mvr")), std::string::npos);
}

TEST_F(Cli, ConvertingTwiceGivesTheSameFile) {
  const std::string a = dir.write("a.mvr", decorated);
  ASSERT_EQ(run({"convert", a, dir.file("b.mvr")}).status, 0);
  ASSERT_EQ(run({"convert", dir.file("b.mvr"), dir.file("c.mvr")}).status, 0);
  const std::string b = read_file(dir.file("b.mvr"));
  EXPECT_FALSE(b.empty());
  EXPECT_EQ(b, read_file(dir.file("c.mvr")));
}

TEST_F(Cli, GridReadsTheValuesOfOneGrid) {
  const std::string p = dir.write("orbital.mvr", grid_file());
  const program_result r = run({"grid", p, "--values"});
  ASSERT_EQ(r.status, 0) << r.err;
  const json doc = json::parse(r.out);
  EXPECT_EQ(doc["n_points"], 8);
  EXPECT_EQ(doc["values"].size(), 8u);
  EXPECT_EQ(doc["values"][7].get<double>(), 2.0);  // values above 2 are clamped
  EXPECT_EQ(doc["grid_min"].get<double>(), -0.6);
  EXPECT_EQ(doc["grid_max"].get<double>(), 2.0);
  EXPECT_EQ(doc["iso_levels"].size(), 21u);
  EXPECT_DOUBLE_EQ(doc["sum"].get<double>(), 0.1 - 0.2 + 0.3 - 0.4 + 0.5 - 0.6 + 0.7 + 2.0);
  EXPECT_FALSE(doc.contains("values") && run({"grid", p}).out.find("values") != std::string::npos);

  const json info = json::parse(run({"info", p}).out);
  const json& grid = info["geometries"][0]["grid"];
  EXPECT_EQ(grid["n_points"], 8);
  EXPECT_EQ(grid["net"], json::parse("[2,2,2]"));
  EXPECT_EQ(grid["grids"][0]["type"], 2);
  EXPECT_EQ(grid["grids"][0]["occ"].get<double>(), 2.0);
  EXPECT_EQ(grid["current"], 0);
  EXPECT_NEAR(grid["axis"][0][0].get<double>(), 0.52917721067, 1e-15);

  EXPECT_EQ(run({"grid", p, "--grid", "3"}).status, 1);
  EXPECT_EQ(run({"grid", p, "--geometry", "2"}).status, 1);
}

}  // namespace
