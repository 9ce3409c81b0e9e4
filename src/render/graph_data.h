// The data of the energy and spectrum plots and the arithmetic that lays
// them out in a drawing area: the lines in data units, the axis ticks, the
// marker of the current geometry or mode, and the line a click points at.
// The plot window only strokes what `graph_picture` returns.
#pragma once

#include <array>
#include <string>
#include <vector>

enum graph_type_t { GRAPH_NONE = 0, GRAPH_ENERGIES = 1, GRAPH_SPECTRUM = 2 };

// One line of the plot in data units. `drawn` is false for a geometry that
// carries no energy: its slot keeps the geometry's index, but nothing is
// drawn from a point that does not exist.
struct graph_line_t {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  bool drawn = true;
};

// What the plot shows; at most one plot exists.
struct graph_state_t {
  int graph_type = GRAPH_NONE;
  int current_data = 0;  // the highlighted line: igeo or ivib
  std::vector<graph_line_t> g_lines;
  std::array<double, 4> g_scale{};  // x_min, y_min, x_max, y_max
  int nlines() const { return static_cast<int>(g_lines.size()); }
};
extern graph_state_t graph;

// The energy of every geometry against its index (graph type 1).
void make_energy_lines();
// The sticks of the current geometry's modes, frequency against IR
// intensity (graph type 2).
void make_spectrum_lines();
// Builds the lines of the plot type in force again (after a reload).
void remake_graph_lines();
// The highlighted line follows `igeo` (energies) or `ivib` (spectrum);
// false when no plot type is set.
bool follow_current_graph_data();
// No plot.
void clear_graph();

// Axis start, end and tick step (10^exponent) for the data range lo … hi.
struct tics_t {
  double start = 0, end = 0, step = 1;
  int exponent = 0;
};
tics_t find_tics(double lo, double hi);

struct graph_point_t {
  double x = 0, y = 0;
};
struct graph_segment_t {
  graph_point_t from, to;
};
struct graph_label_t {
  graph_point_t at;  // the text's base line starts here
  std::string text;
};

// The plot in drawing-area pixels (y down) for a W × H area: axes and tick
// marks (black), the two labels of each axis, the data lines (blue) and,
// when the current line is drawn, the centre of the red marker.
struct graph_picture_t {
  std::vector<graph_segment_t> axes;
  std::vector<graph_label_t> labels;
  std::vector<graph_segment_t> lines;
  bool has_marker = false;
  graph_point_t marker;
};
graph_picture_t graph_picture(const graph_state_t& g, int width, int height);

// The line whose start lies nearest to pixel column x (the geometry or
// mode a click there means); -1 without lines or left of the vertical axis.
int graph_index_at(const graph_state_t& g, int width, int height, double x);
