// Plot data and layout. Data x runs left to right from 35 pixels to 35
// pixels before the right edge, data y bottom to top from 15 pixels above
// the bottom to 15 pixels below the top; the axes stand at the left and the
// bottom margins, with a tick at every multiple of the step that
// `find_tics` chooses for each range.
#include "render/graph_data.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "molecule/mol_data.h"

graph_state_t graph;

namespace {

// Energies this close to 0 count as absent.
constexpr double no_energy = 1e-7;
// No axis gets more ticks than this, however its range came about.
constexpr long long max_ticks = 1000;

bool has_energy(const mol_data_t& rec) { return std::fabs(rec.energy) > no_energy; }

// The pixel mapping of the data range of a plot.
struct mapping_t {
  tics_t x, y;
  int width = 0, height = 0;
  double sx(double v) const { return (v - x.start) * (width - 70) / span(x) + 35; }
  double sy(double v) const { return height - ((v - y.start) * (height - 30) / span(y) + 15); }
  // An empty or reversed range (no data) maps as a range of one step.
  static double span(const tics_t& t) { return t.end > t.start ? t.end - t.start : t.step; }
};

mapping_t mapping_of(const graph_state_t& g, int width, int height) {
  mapping_t map;
  map.x = find_tics(g.g_scale[0], g.g_scale[2]);
  map.y = find_tics(g.g_scale[1], g.g_scale[3]);
  map.width = width;
  map.height = height;
  return map;
}

// The ticks of an axis: start, start + step, … up to the end (the last one
// within a thousandth of a step of it).
std::vector<double> tick_values(const tics_t& t) {
  std::vector<double> values;
  const double count = std::floor((t.end - t.start) / t.step + 1e-3);
  if (!(count >= 0)) return values;
  const long long n = std::min(static_cast<long long>(count), max_ticks - 1);
  for (long long k = 0; k <= n; ++k) values.push_back(t.start + static_cast<double>(k) * t.step);
  return values;
}

// A label with as many decimals as the step needs (one at least), so that
// the two ends of a narrow range read differently.
std::string tick_label(double v, const tics_t& t) {
  const int decimals = std::clamp(-t.exponent, 1, 10);
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, v);
  return text;
}

}  // namespace

void make_energy_lines() {
  graph.graph_type = GRAPH_ENERGIES;
  graph.current_data = igeo;
  const int n = n_geometries();
  graph.g_lines.assign(static_cast<size_t>(std::max(n, 0)), graph_line_t{});
  graph.g_scale = {0, 1000000, static_cast<double>(n), -1000000};
  for (int i = 0; i < n; ++i) {
    const mol_data_t& rec = mol[static_cast<size_t>(i)];
    graph_line_t& line = graph.g_lines[static_cast<size_t>(i)];
    line = {static_cast<double>(i), rec.energy, static_cast<double>(i), rec.energy, has_energy(rec)};
    if (!line.drawn) continue;
    graph.g_scale[1] = std::min(graph.g_scale[1], rec.energy);
    graph.g_scale[3] = std::max(graph.g_scale[3], rec.energy);
    if (i + 1 < n && has_energy(mol[static_cast<size_t>(i + 1)])) {
      line.x2 = i + 1;
      line.y2 = mol[static_cast<size_t>(i + 1)].energy;
    }
  }
}

void make_spectrum_lines() {
  graph.graph_type = GRAPH_SPECTRUM;
  graph.current_data = ivib;
  graph.g_lines.clear();
  graph.g_scale = {1000000, 1000000, -1000000, -1000000};
  if (m) {
    const vibration_data_t& vib = *m->vib;
    for (size_t i = 0; i < vib.freq.size(); ++i) {
      const double f = vib.freq[i];
      const double intensity = i < vib.ir_intensity.size() ? vib.ir_intensity[i] : 0.0;
      graph.g_lines.push_back({f, 0, f, intensity, true});
      graph.g_scale[0] = std::min(graph.g_scale[0], f);
      graph.g_scale[2] = std::max(graph.g_scale[2], f);
      graph.g_scale[1] = std::min(graph.g_scale[1], intensity);
      graph.g_scale[3] = std::max(graph.g_scale[3], intensity);
    }
  }
  graph.g_scale[2] += 50;
}

void remake_graph_lines() {
  if (graph.graph_type == GRAPH_ENERGIES) make_energy_lines();
  if (graph.graph_type == GRAPH_SPECTRUM) make_spectrum_lines();
}

bool follow_current_graph_data() {
  if (graph.graph_type == GRAPH_ENERGIES) {
    graph.current_data = igeo;
  } else if (graph.graph_type == GRAPH_SPECTRUM) {
    graph.current_data = ivib;
  } else {
    return false;
  }
  return true;
}

void clear_graph() { graph = graph_state_t{}; }

tics_t find_tics(double lo, double hi) {
  tics_t t;
  const double d = hi - lo;
  t.exponent = -10;
  for (int p = 6; p >= -9; --p) {
    if (d >= std::pow(10.0, p)) {
      t.exponent = p;
      break;
    }
  }
  // A step the numbers can't resolve at their size (equal values far from
  // 0) would never advance: such a range gets the finest step they do.
  const double size = std::max(std::fabs(lo), std::fabs(hi));
  while (t.exponent < 300 && std::pow(10.0, t.exponent) < size * 1e-12) ++t.exponent;
  const double step = t.step = std::pow(10.0, t.exponent);

  // The stepping loops end within a few dozen steps of their start.
  double start = std::floor(lo / step) * step;
  if (lo > 0) {
    start -= 10 * step;
    for (int k = 0; k < 40 && start + step < lo; ++k) start += step;
  }
  double end = std::floor(hi / step) * step;
  if (hi > 0) {
    end += 10 * step;
    for (int k = 0; k < 40 && end - step >= hi; ++k) end -= step;
  } else {
    end -= 10 * step;
    for (int k = 0; k < 40 && end < hi; ++k) end += step;
  }
  t.start = start;
  t.end = end;
  return t;
}

graph_picture_t graph_picture(const graph_state_t& g, int width, int height) {
  graph_picture_t pic;
  const mapping_t map = mapping_of(g, width, height);
  const double w = width, h = height;
  pic.axes.push_back({{35, h - 15}, {w, h - 15}});
  pic.axes.push_back({{35, h - 15}, {35, 0}});

  const std::vector<double> xs = tick_values(map.x);
  for (double v : xs) pic.axes.push_back({{map.sx(v), h - 15}, {map.sx(v), h - 10}});
  const double x_last = xs.empty() ? map.sx(map.x.end) : map.sx(xs.back());
  pic.labels.push_back({{31, h - 2}, tick_label(map.x.start, map.x)});
  pic.labels.push_back({{x_last - 15, h - 2}, tick_label(map.x.end, map.x)});

  const std::vector<double> ys = tick_values(map.y);
  for (double v : ys) pic.axes.push_back({{35, map.sy(v)}, {30, map.sy(v)}});
  const double y_last = ys.empty() ? map.sy(map.y.end) : map.sy(ys.back());
  pic.labels.push_back({{2, h - 11}, tick_label(map.y.start, map.y)});
  pic.labels.push_back({{2, y_last + 4}, tick_label(map.y.end, map.y)});

  for (const graph_line_t& line : g.g_lines) {
    if (line.drawn) pic.lines.push_back({{map.sx(line.x1), map.sy(line.y1)}, {map.sx(line.x2), map.sy(line.y2)}});
  }
  if (g.current_data >= 0 && g.current_data < g.nlines()) {
    const graph_line_t& current = g.g_lines[static_cast<size_t>(g.current_data)];
    pic.has_marker = current.drawn;
    pic.marker = {map.sx(current.x1), map.sy(current.y1)};
  }
  return pic;
}

int graph_index_at(const graph_state_t& g, int width, int height, double x) {
  if (g.g_lines.empty() || x < 30) return -1;
  const mapping_t map = mapping_of(g, width, height);
  int best = -1;
  double best_distance = 0;
  for (int i = 0; i < g.nlines(); ++i) {
    const double distance = std::fabs(map.sx(g.g_lines[static_cast<size_t>(i)].x1) - x);
    if (best < 0 || distance < best_distance) {
      best = i;
      best_distance = distance;
    }
  }
  return best;
}
