// mivor-cli symmetry: the point-group detection of the viewer on one
// geometry, with the full Schoenflies group beside it, as JSON.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_common.h"
#include "cli/json_writer.h"
#include "edit/point_group.h"
#include "edit/schoenflies.h"
#include "molecule/mol_data.h"

namespace {

// The viewer's tolerances: the usual one and the loose one of "Average
// symmetry".
constexpr double usual_tolerance = 0.05;
constexpr double loose_tolerance = 0.15;

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

}  // namespace

int command_symmetry(const options_t& o, MessageCollector& told) {
  if (o.files.size() != 1 || !o.only({"--geometry", "--tolerance", "--loose"}) || (o.tolerance && o.loose)) return 2;
  const std::optional<int> chosen = open_chosen_geometry(o, told);
  if (!chosen) return 1;
  const int g = *chosen;
  const mol_data_t& rec = mol[static_cast<size_t>(g)];
  std::vector<std::string> labels;
  for (int i = 0; i < rec.natom(); ++i) labels.push_back(atom_element(rec, i).name.substr(0, 3));
  double tol = o.tolerance.value_or(o.loose ? loose_tolerance : usual_tolerance);
  std::vector<vec3> xyz = rec.xyz;
  const findsym_result_t r = findsym(labels, xyz, tol);
  const point_group_t group = schoenflies_point_group(labels, rec.xyz, tol);

  JsonWriter j(stdout);
  j.begin_object();
  j.key("generators").value(r.generators);
  j.key("ok").value(r.status == 0);
  j.key("transformed").value(r.transformed);
  j.key("point_group");
  if (group.symbol.empty()) {
    j.null();
  } else {
    j.value(group.symbol);
  }
  j.key("unique_atoms").begin_array();
  for (size_t i = 0; i < r.unique_xyz.size(); ++i) {
    j.begin_array().value(r.unique_labels[i]);
    for (double c : r.unique_xyz[i]) j.value(c);
    j.end_array();
  }
  j.end_array();
  j.key("coordinates").begin_array();
  for (const vec3& p : xyz) j.point(p);
  j.end_array();
  j.key("messages").begin_array();
  for (const std::string& line : lines_of(r.diagnostics)) j.value(line);
  j.end_array();
  j.end_object();
  j.flush();
  std::fputs("\n", stdout);
  return r.status == 0 ? 0 : 1;
}
