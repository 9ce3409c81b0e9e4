#include "convert/fchk_grids.h"

#include <vector>

#include "convert/fchk.h"
#include "convert/text_lines.h"
#include "convert/wavefunction_grids.h"

bool convert_fchk(const std::string& path, const grid_options_t& o, const std::string& target, std::string& error) {
  std::string text;
  fchk_t f;
  if (!read_whole_file(path, text, error) || !parse_fchk(text, f, error)) return false;
  text.clear();
  text.shrink_to_fit();
  std::vector<geometry_section_t> geometries =
      wavefunction_geometry(f.wf, path, f.has_energy ? std::optional<double>(f.energy) : std::nullopt);
  return write_wavefunction(f.wf, o, path, geometries, {}, target, error);
}
