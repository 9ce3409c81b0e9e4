// The native file as the converters write it. Each geometry is its atom
// lines followed by the blocks the reader knows: per-atom charges, bonds,
// the energy, a status message, the grid section and the vibrational modes.
//
// A grid section holds all grids of its lattice as one block each
// (Block_Size = N_of_Points, N_Blocks = 1), so grid g starts 8·g·P bytes
// after the line holding "<DENSITY>". The embedded orbital file after the
// data lists every orbital of every symmetry as type "u", so that the types
// the user assigns can be saved.
#include "convert/native_out.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "formats/fixed_text.h"
#include "formats/safe_file.h"
#include "formats/text_words.h"

void appendf(std::string& out, const char* format, ...) {
  char buffer[512];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (n < 0) return;
  if (static_cast<size_t>(n) < sizeof buffer) {
    out.append(buffer, static_cast<size_t>(n));
    return;
  }
  std::string big(static_cast<size_t>(n) + 1, '\0');
  va_start(args, format);
  std::vsnprintf(big.data(), big.size(), format, args);
  va_end(args);
  big.pop_back();
  out += big;
}

namespace {

// A grid name with blanks is quoted so that it reads back whole.
std::string grid_name_value(const std::string& name) {
  const std::string n = single_line(name);
  return n.find_first_of(" \t") == std::string::npos ? n : "\"" + n + "\"";
}

std::string grid_header(const out_grid_set_t& s) {
  const long long points = s.lattice.points();
  const long long grids = static_cast<long long>(s.grids.size());
  std::string out = " <GRID>\n";
  appendf(out,
          " N_of_MO=%d N_of_Grids=%lld N_of_Points=%lld Block_Size=%lld N_Blocks=%d Is_cutoff=0 CutOff=%8.4f "
          "N_P=0\n",
          s.n_mo, grids, points, points, points > 0 ? 1 : 0, 0.0);
  int orbitals = 0;
  for (int n : s.orbitals_per_symmetry) orbitals += n;
  appendf(out, " N_INDEX= %d 0 0 0 0 0 0\n", orbitals);
  appendf(out, " Net= %d %d %d\n", s.lattice.net[0], s.lattice.net[1], s.lattice.net[2]);
  const vec3& o = s.lattice.origin;
  appendf(out, " Origin= %.10f %.10f %.10f\n", o[0], o[1], o[2]);
  for (int a = 0; a < 3; ++a) {
    const vec3 edge = s.lattice.step[static_cast<size_t>(a)] * std::max(s.lattice.net[static_cast<size_t>(a)] - 1, 0);
    appendf(out, " Axis_%d= %.10f %.10f %.10f\n", a + 1, edge[0], edge[1], edge[2]);
  }
  appendf(out, " ORBOFF = %lld\n", 8 * grids * points);
  for (const out_grid_t& g : s.grids) {
    if (g.orbital)
      appendf(out, " GridName= Orbital  sym= %d index=%d Energ=%f occ=%f type=u\n", g.sym, g.index, g.energy, g.occ);
    else
      appendf(out, " GridName= %s\n", grid_name_value(g.name).c_str());
  }
  out += " <DENSITY>\n";
  return out;
}

// Everything after the values: the closing lines and the orbital file.
std::string grid_trailer(const out_grid_set_t& s) {
  std::string out = " </DENSITY>\n <BASIS>\n </BASIS>\n";
  if (!s.orbitals_per_symmetry.empty()) {
    out += "#INPORB 2.2\n";
    appendf(out, "%8d", static_cast<int>(s.orbitals_per_symmetry.size()));
    for (int n : s.orbitals_per_symmetry) appendf(out, "%8d", n);
    out += "\n#INFO\n* " + single_line(s.orbital_file_info) + "\n#INDEX\n";
    for (int n : s.orbitals_per_symmetry) {
      out += "* 1234567890";
      for (int k = 0; k < n; ++k) {
        if (k % 10 == 0) appendf(out, "\n%d ", (k / 10) % 10);
        out += 'u';
      }
      out += "\n";
    }
    out += " </INPORB>\n";
  }
  out += " </GRID>\n";
  return out;
}

// The part of a section before the grid section, and the part after it.
std::string section_head(const out_geometry_t& g) {
  std::string out;
  appendf(out, "  %d\n", static_cast<int>(g.atoms.size()));
  out += single_line(g.comment) + "\n";
  for (const out_atom_t& a : g.atoms) append_atom_line(out, a.symbol, a.xyz);
  if (!g.charges.empty() && g.charges.size() == g.atoms.size()) {
    out += " <ATOM>\n";
    for (double q : g.charges) appendf(out, "MULLIKEN_CHARGE = %f \n", q);
    out += " </ATOM>\n";
  }
  if (g.bonds_given || !g.bonds.empty()) {
    out += " <BOND>\n AUTOMATIC = 0\n";
    for (const out_bond_t& b : g.bonds) appendf(out, " %d  %d  %d\n", b.a1 + 1, b.a2 + 1, b.type);
    out += " </BOND>\n";
  }
  if (g.energy) appendf(out, " <ENERGY>\n %.10f\n </ENERGY>\n", *g.energy);
  if (g.rms_grad) appendf(out, " <RMS_GRAD>\n %.10f\n </RMS_GRAD>\n", *g.rms_grad);
  if (g.message) out += " <WRITE>\n" + single_line(*g.message) + "\n </WRITE>\n";
  return out;
}

std::string section_tail(const out_geometry_t& g) {
  std::string out;
  for (const out_mode_t& mode : g.modes) {
    appendf(out, "<VIBRATION>\n FREQ = %.6f ", mode.freq);
    if (mode.ir) appendf(out, " IR_INT = %.6f ", *mode.ir);
    out += "\n";
    for (const vec3& d : mode.displacement) append_point(out, d);
    out += "</VIBRATION>\n";
  }
  out += " <END>\n";
  return out;
}

bool put(FILE* file, const std::string& text) { return std::fwrite(text.data(), 1, text.size(), file) == text.size(); }

}  // namespace

std::string native_section_text(const out_geometry_t& g) { return section_head(g) + section_tail(g); }

bool write_native(const std::string& path, const std::vector<out_geometry_t>& geometries, std::string& error) {
  std::string values_error;
  const AtomicWrite result = write_file_atomically(path, [&](FILE* file) {
    for (const out_geometry_t& g : geometries) {
      if (!put(file, section_head(g))) return false;
      if (g.grids) {
        if (!put(file, grid_header(*g.grids))) return false;
        if (!g.grids->write_values(file, values_error)) return false;
        if (!put(file, grid_trailer(*g.grids))) return false;
      }
      if (!put(file, section_tail(g))) return false;
    }
    return true;
  });
  if (result == AtomicWrite::done) return true;
  if (!values_error.empty())
    error = values_error;
  else if (result == AtomicWrite::not_created)
    error = "can't create a file in the directory of " + path;
  else if (result == AtomicWrite::not_written)
    error = "can't write " + path + " (disk full?)";
  else
    error = "can't rename the new file to " + path;
  return false;
}
