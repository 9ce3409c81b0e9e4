#include "convert/molden_grids.h"

#include <cstdio>
#include <utility>
#include <vector>

#include "convert/molden.h"
#include "convert/text_lines.h"
#include "convert/wavefunction_grids.h"

bool convert_molden(const std::string& path, const grid_options_t& o, const std::string& target, std::string& error) {
  std::string text;
  molden_t m;
  if (!read_whole_file(path, text, error)) return false;
  if (!parse_molden(text, m, error)) return false;
  text.clear();
  text.shrink_to_fit();
  const std::string comment = "converted from " + path + " by mivor-convert";
  std::vector<geometry_section_t> geometries;
  if (m.wf.atoms.natom() > 0) {
    geometries.emplace_back();
    geometries.back().rec = m.wf.atoms;
  }
  if (!m.modes.freq.empty()) {
    if (geometries.empty() || geometries[0].rec.natom() != m.fr_atoms.natom()) {
      geometries.emplace_back();
      geometries.back().rec = m.fr_atoms;
    }
    mol_data_t& rec = geometries.back().rec;
    rec.vib.edit() = m.modes;
    if (m.ir) rec.flags |= FLAG_IR;
  }
  for (geometry_section_t& step : m.steps) geometries.push_back(std::move(step));
  for (geometry_section_t& g : geometries) g.comment = comment;
  for (const std::string& note : m.notes)
    if (note.rfind("WARNING", 0) == 0) std::fprintf(stderr, "%s: %s\n", path.c_str(), note.c_str());
  return write_wavefunction(m.wf, o, path, geometries, m.notes, target, error);
}
