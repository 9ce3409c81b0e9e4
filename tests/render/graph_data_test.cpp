#include "render/graph_data.h"

#include <gtest/gtest.h>

#include "molecule/mol_data.h"
#include "support/recording_notifier.h"

namespace {

class GraphData : public ::testing::Test {
 protected:
  void SetUp() override { reset_core_state(); }
  void TearDown() override {
    clear_graph();
    reset_core_state();
  }

  // Geometries with these energies (0: none), the current one `current`.
  static void set_energies(const std::vector<double>& energies, int current) {
    mol.assign(energies.size(), mol_data_t{});
    for (size_t i = 0; i < energies.size(); ++i) mol[i].energy = energies[i];
    igeo = current;
    m = &mol[static_cast<size_t>(current)];
  }
};

TEST_F(GraphData, EnergyLinesJoinNeighboursWithEnergyAndBreakAtGaps) {
  // Geometry 2 has no energy: geometry 1's line stays at its own point and
  // geometry 2 draws nothing; the range covers the energies only.
  set_energies({-76.10, -76.30, 0.0, -76.20, -76.25}, 3);
  make_energy_lines();
  ASSERT_EQ(graph.nlines(), 5);
  EXPECT_EQ(graph.graph_type, GRAPH_ENERGIES);
  EXPECT_EQ(graph.current_data, 3);
  const graph_line_t& first = graph.g_lines[0];
  EXPECT_DOUBLE_EQ(first.x2, 1);
  EXPECT_DOUBLE_EQ(first.y2, -76.30);
  const graph_line_t& before_gap = graph.g_lines[1];
  EXPECT_DOUBLE_EQ(before_gap.x2, 1);
  EXPECT_DOUBLE_EQ(before_gap.y2, -76.30);
  EXPECT_FALSE(graph.g_lines[2].drawn);
  const graph_line_t& last = graph.g_lines[4];
  EXPECT_DOUBLE_EQ(last.x1, last.x2);
  EXPECT_DOUBLE_EQ(last.y1, last.y2);
  EXPECT_DOUBLE_EQ(graph.g_scale[0], 0);
  EXPECT_DOUBLE_EQ(graph.g_scale[1], -76.30);
  EXPECT_DOUBLE_EQ(graph.g_scale[2], 5);
  EXPECT_DOUBLE_EQ(graph.g_scale[3], -76.10);

  // The marker sits on the current geometry's point and follows igeo; a
  // click nearest to geometry 1's column means geometry 1.
  const int w = 420, h = 250;
  graph_picture_t pic = graph_picture(graph, w, h);
  EXPECT_EQ(pic.lines.size(), 4u);
  ASSERT_TRUE(pic.has_marker);
  const tics_t xt = find_tics(0, 5), yt = find_tics(-76.30, -76.10);
  EXPECT_NEAR(pic.marker.x, (3 - xt.start) * (w - 70) / (xt.end - xt.start) + 35, 1e-9);
  EXPECT_NEAR(pic.marker.y, h - ((-76.20 - yt.start) * (h - 30) / (yt.end - yt.start) + 15), 1e-9);
  igeo = 1;
  ASSERT_TRUE(follow_current_graph_data());
  pic = graph_picture(graph, w, h);
  EXPECT_EQ(graph_index_at(graph, w, h, pic.marker.x + 3), 1);
  EXPECT_EQ(graph_index_at(graph, w, h, 10), -1);  // left of the axis
  // The geometry without energy has no marker.
  igeo = 2;
  follow_current_graph_data();
  EXPECT_FALSE(graph_picture(graph, w, h).has_marker);
}

TEST_F(GraphData, WithoutEnergiesTheAxesStillDrawAndNothingElse) {
  set_energies({0.0, 0.0}, 0);
  make_energy_lines();
  EXPECT_DOUBLE_EQ(graph.g_scale[1], 1000000);
  EXPECT_DOUBLE_EQ(graph.g_scale[3], -1000000);
  const graph_picture_t pic = graph_picture(graph, 420, 250);
  EXPECT_GE(pic.axes.size(), 2u);
  EXPECT_LE(pic.axes.size(), 2u + 2 * 1000u);
  EXPECT_TRUE(pic.lines.empty());
  EXPECT_FALSE(pic.has_marker);
  EXPECT_EQ(pic.labels.size(), 4u);
}

TEST_F(GraphData, SpectrumSticksRangeAndOneMode) {
  set_energies({-5.0}, 0);
  {
    vibration_data_t& vib = m->vib.edit();
    vib.freq = {1600.0, 3650.0, 3750.0};
    vib.ir_intensity = {60.0, 5.0, 40.0};
  }
  ivib = 2;
  make_spectrum_lines();
  ASSERT_EQ(graph.nlines(), 3);
  EXPECT_EQ(graph.graph_type, GRAPH_SPECTRUM);
  EXPECT_EQ(graph.current_data, 2);
  const graph_line_t& stick = graph.g_lines[1];
  EXPECT_DOUBLE_EQ(stick.x1, 3650);
  EXPECT_DOUBLE_EQ(stick.x2, 3650);
  EXPECT_DOUBLE_EQ(stick.y1, 0);
  EXPECT_DOUBLE_EQ(stick.y2, 5);
  EXPECT_DOUBLE_EQ(graph.g_scale[0], 1600);
  EXPECT_DOUBLE_EQ(graph.g_scale[2], 3800);
  EXPECT_DOUBLE_EQ(graph.g_scale[1], 5);
  EXPECT_DOUBLE_EQ(graph.g_scale[3], 60);
  // The marker is at the foot of the current stick, on the zero line.
  const graph_picture_t pic = graph_picture(graph, 420, 250);
  ASSERT_TRUE(pic.has_marker);
  EXPECT_NEAR(pic.marker.x, pic.lines[2].from.x, 1e-9);
  EXPECT_NEAR(pic.marker.y, pic.lines[2].from.y, 1e-9);

  // One mode: x from f to f + 50.
  {
    vibration_data_t& vib = m->vib.edit();
    vib.freq = {1234.5};
    vib.ir_intensity = {7.0};
  }
  ivib = 0;
  make_spectrum_lines();
  EXPECT_DOUBLE_EQ(graph.g_scale[0], 1234.5);
  EXPECT_DOUBLE_EQ(graph.g_scale[2], 1284.5);
  // No modes: x_max ends at -999950, and the picture is only axes.
  m->vib.edit().freq.clear();
  make_spectrum_lines();
  EXPECT_DOUBLE_EQ(graph.g_scale[2], -999950);
  EXPECT_FALSE(graph_picture(graph, 420, 250).has_marker);
  clear_graph();
  EXPECT_FALSE(follow_current_graph_data());
}

TEST_F(GraphData, TicksAreMultiplesOfThePowerOfTenAroundTheRange) {
  struct case_t {
    double lo, hi, start, end, step;
    bool exact;  // the ends are checked, not only that they enclose the range
  } cases[] = {
      {0, 5, 0, 5, 1, true},                 // lo 0: the multiple not above it
      {1600, 3800, 1000, 4000, 1000, true},  // lo > 0: strictly below
      {2000, 3000, 1000, 3000, 1000, true},  // a multiple as lo goes one step down
      {-76.30, -76.10, 0, 0, 0.1, false},
      {-5.0706, -5.0612, -5.071, -5.061, 0.001, true},
      {3, 3, 0, 0, 1e-10, false},  // empty range: the finest step
  };
  for (const case_t& c : cases) {
    const tics_t t = find_tics(c.lo, c.hi);
    SCOPED_TRACE(std::to_string(c.lo) + " .. " + std::to_string(c.hi));
    EXPECT_NEAR(t.step, c.step, c.step * 1e-9);
    if (c.exact) {
      EXPECT_NEAR(t.start, c.start, c.step * 1e-6);
      EXPECT_NEAR(t.end, c.end, c.step * 1e-6);
    }
    EXPECT_LT(t.start, c.lo + t.step * 1e-6);
    EXPECT_GE(t.end, c.hi - t.step * 1e-6);
  }
  // Ranges far from zero or absurdly wide never make a hang or a flood of ticks.
  for (auto [lo, hi] : {std::pair{1e15, 1e15}, std::pair{-1e300, 1e300}, std::pair{1e6, -1e6}}) {
    graph_state_t g;
    g.g_scale = {lo, lo, hi, hi};
    g.g_lines.push_back({lo, lo, hi, hi, true});
    const graph_picture_t pic = graph_picture(g, 420, 250);
    EXPECT_LE(pic.axes.size(), 2u + 2 * 1000u);
  }
}

}  // namespace
