// Cube files: two comment lines; the atom count and the origin (and maybe
// the number of values per point); three lines of points and step vector
// per axis, a negative count meaning Ångström; one line per atom (number,
// charge, x, y, z); with a negative atom count, the number of orbitals and
// their indices; then the values, x outermost and z innermost, the orbitals
// of a point one after another. Values are a stream of numbers however they
// are broken into lines.
//
// A one-grid cube is streamed into the native file as it is read; an orbital
// cube is held whole (its values are interleaved by point) and written grid
// by grid. Counts are checked against the bytes the file holds before
// anything is allocated: every value takes at least two characters. A
// compressed cube is read through the decompressor like a plain one; its
// length is known only at its end, so its counts are checked as the values
// come.
#include "convert/cube.h"

#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "convert/input_file.h"
#include "convert/number_scan.h"
#include "convert/text_lines.h"
#include "formats/element_numbers.h"
#include "formats/native_writer.h"
#include "formats/safe_file.h"
#include "formats/text_words.h"
#include "molecule/elements.h"

namespace {

// Largest lattice accepted, as the viewer's grid reader.
constexpr long long max_points = 1LL << 27;
constexpr long long max_orbitals = 100000;

bool numbers_of_line(const std::string& line, size_t want, std::vector<double>& out) {
  out.clear();
  for (std::string_view w : split_words(line)) {
    double v;
    if (!word_to_double(w, v)) break;
    out.push_back(v);
  }
  return out.size() >= want;
}

bool is_integer(double v) { return std::fabs(v) < 1e12 && v == std::floor(v); }

// The orbital index in a psi4 property name such as "Psi_a_8_2-B2", or 0.
int psi4_orbital_index(const std::string& text) {
  for (const char* key : {"Psi_a_", "Psi_b_"}) {
    const size_t at = text.find(key);
    if (at != std::string::npos) return std::max(1, std::atoi(text.c_str() + at + 6));
  }
  return 0;
}

}  // namespace

bool read_cube_header(FILE* file, cube_header_t& h, std::string& error) {
  // What the rest of the file can hold: its bytes, or without bound for a
  // decompressed stream (it has no file size; its values are counted as
  // they come, and nothing is allocated from the header's claims).
  const auto room = [file] { return fileno(file) < 0 ? LLONG_MAX : bytes_left(file); };
  std::string line;
  if (!read_line_into(file, h.title) || !read_line_into(file, h.comment)) {
    error = "not a cube file: the two comment lines are missing";
    return false;
  }
  strdiet(h.title);
  strdiet(h.comment);
  std::vector<double> v;
  if (!read_line_into(file, line) || !numbers_of_line(line, 4, v) || !is_integer(v[0])) {
    error = "not a cube file: line 3 must hold the atom count and the origin";
    return false;
  }
  const long long natoms = static_cast<long long>(v[0]);
  if (v.size() >= 5 && v[4] != 1) {
    char text[64];
    std::snprintf(text, sizeof text, "%g", v[4]);
    error = std::string("cube files with ") + text + " values per point are not supported";
    return false;
  }
  vec3 origin{v[1], v[2], v[3]};
  std::array<int, 3> net{};
  std::array<vec3, 3> steps{};
  bool angstrom = false;
  for (size_t a = 0; a < 3; ++a) {
    if (!read_line_into(file, line) || !numbers_of_line(line, 4, v) || !is_integer(v[0]) || v[0] == 0 ||
        std::fabs(v[0]) > max_points) {
      error = "not a cube file: line " + std::to_string(a + 4) + " must hold a point count and a step vector";
      return false;
    }
    net[a] = static_cast<int>(std::fabs(v[0]));
    // A negative count: this axis (and, for the first, the origin and the
    // atoms) in Ångström.
    const double scale = v[0] < 0 ? 1 / bohr_to_angstrom : 1.0;
    if (a == 0) angstrom = v[0] < 0;
    steps[a] = vec3{v[1], v[2], v[3]} * scale;
  }
  if (angstrom) origin *= 1 / bohr_to_angstrom;
  h.lattice = lattice_t::from_steps(net, origin, steps);
  if (1.0 * net[0] * net[1] * net[2] > max_points) {
    error = "the lattice of " + std::to_string(net[0]) + "x" + std::to_string(net[1]) + "x" + std::to_string(net[2]) +
            " points is too large";
    return false;
  }
  if (std::llabs(natoms) > room() / 10) {
    error = "the atom count " + std::to_string(natoms) + " does not fit in the file";
    return false;
  }
  atom_appender atoms(h.molecule);
  for (long long k = 0; k < std::llabs(natoms); ++k) {
    if (!read_line_into(file, line) || !numbers_of_line(line, 5, v) || !is_integer(v[0])) {
      error = "atom " + std::to_string(k + 1) + " of " + std::to_string(std::llabs(natoms)) +
              ": a line of atomic number, charge and position was expected";
      return false;
    }
    const std::string symbol = v[0] >= 0 && v[0] <= 200 ? symbol_of_number(static_cast<int>(v[0])) : std::string();
    if (symbol.empty()) {
      error = "atom " + std::to_string(k + 1) + ": no element has the number " + std::to_string(v[0]);
      return false;
    }
    atoms.add(symbol, vec3{v[2], v[3], v[4]} * (angstrom ? 1.0 : bohr_to_angstrom));
  }
  if (natoms < 0) {
    // The orbital count and the orbitals, over as many lines as they take.
    std::vector<double> list;
    while (list.empty() || list.size() < static_cast<size_t>(list[0]) + 1) {
      if (!read_line_into(file, line)) break;
      for (std::string_view w : split_words(line)) {
        double x;
        if (!word_to_double(w, x) || !is_integer(x)) {
          error = "the orbital list after the atoms holds '" + std::string(w.substr(0, 20)) + "'";
          return false;
        }
        list.push_back(x);
      }
      if (!list.empty() && (list[0] < 1 || list[0] > max_orbitals || list[0] > room() / 2)) {
        error = "the orbital count " + std::to_string(static_cast<long long>(list[0])) + " is not possible here";
        return false;
      }
    }
    if (list.empty() || list.size() != static_cast<size_t>(list[0]) + 1) {
      error = "the orbital list after the atoms is incomplete";
      return false;
    }
    for (size_t k = 1; k < list.size(); ++k) {
      if (list[k] < 1 || list[k] > max_orbitals) {
        error = "orbital index " + std::to_string(static_cast<long long>(list[k])) + " is out of range";
        return false;
      }
      h.orbitals.push_back(static_cast<int>(list[k]));
    }
  }
  // Every value takes at least two characters.
  if (h.lattice.points() * h.grids() > room() / 2) {
    error = "the file is too short for the " + std::to_string(h.lattice.points() * h.grids()) +
            " values its header announces";
    return false;
  }
  return true;
}

void describe_cube_grids(const cube_header_t& h, mol_data_t& rec) {
  set_grid_lattice(rec, h.lattice);
  for (int index : h.orbitals) add_orbital_grid(rec, 1, index, 0, 0);
  if (!h.orbitals.empty()) return;
  const std::string text = lower(h.title + " " + h.comment);
  if (text.find("potential") != std::string::npos || text.find("property: esp") != std::string::npos) {
    add_named_grid(rec, "Electrostatic potential");
  } else if (const int index = psi4_orbital_index(h.comment); index > 0) {
    add_orbital_grid(rec, 1, index, 0, 0);
  } else if (text.find("spin density") != std::string::npos || text.find("property: ds") != std::string::npos) {
    add_named_grid(rec, "Spin density");
  } else if (text.find("density") != std::string::npos || text.find("property: d") != std::string::npos) {
    add_named_grid(rec, "Density");
  } else {
    add_named_grid(rec, "Grid");
  }
}

namespace {

struct cube_source_t {
  InputFile input;
  cube_header_t header;
  // Why reading failed: the damage of a compressed file (which explains any
  // failure), else `fallback`.
  std::string why(const std::string& fallback) {
    const std::string& damage = input.damage();
    return damage.empty() ? fallback : damage;
  }
};

bool open_cube(const std::string& path, cube_source_t& c, std::string& error) {
  if (!c.input.open(path, error)) return false;
  if (!read_cube_header(c.input.get(), c.header, error)) {
    error = c.why(error);
    return false;
  }
  return true;
}

std::string count_mismatch(long long got, long long want) {
  return std::string("the file holds ") + (got < want ? "only " : "") + std::to_string(got) +
         " values where its header announces " + std::to_string(want) + (got < want ? " (truncated?)" : "");
}

// Streams the values of a one-grid cube into `out`.
bool stream_values(cube_source_t& c, FILE* out, std::string& error) {
  NumberStream numbers(c.input.get());
  const long long want = c.header.lattice.points();
  long long got = 0;
  grid_values_t run;
  for (;;) {
    run.clear();
    const size_t n = numbers.next_run(run);
    if (got + static_cast<long long>(n) > want) {
      error = c.why(count_mismatch(got + static_cast<long long>(n), want));
      return false;
    }
    if (n > 0 && std::fwrite(run.data(), sizeof(double), n, out) != n) {
      error = "can't write the native file (disk full?)";
      return false;
    }
    got += static_cast<long long>(n);
    if (!numbers.error().empty()) {
      error = c.why("value " + std::to_string(got + 1) + ": " + numbers.error());
      return false;
    }
    if (n == 0) break;
  }
  if (got != want || !c.input.error().empty()) {
    error = c.why(count_mismatch(got, want));
    return false;
  }
  return true;
}

// Reads the interleaved values of an orbital cube and writes them grid by
// grid. The room for them is taken at once when the file's size has shown
// that it can hold them; a decompressed stream's values are counted as
// they come.
bool write_orbital_values(cube_source_t& c, FILE* out, std::string& error) {
  const size_t grids = static_cast<size_t>(c.header.grids());
  const size_t points = static_cast<size_t>(c.header.lattice.points());
  grid_values_t all;
  if (!c.input.compressed()) all.reserve(grids * points);
  NumberStream numbers(c.input.get());
  while (numbers.next_run(all) > 0 && all.size() <= grids * points) {
  }
  if (!numbers.error().empty()) {
    error = c.why("value " + std::to_string(all.size() + 1) + ": " + numbers.error());
    return false;
  }
  if (all.size() != grids * points || !c.input.error().empty()) {
    error = c.why(count_mismatch(static_cast<long long>(all.size()), static_cast<long long>(grids * points)));
    return false;
  }
  std::vector<double> buffer;
  for (size_t g = 0; g < grids; ++g) {
    for (size_t start = 0; start < points; start += 1 << 16) {
      const size_t end = std::min(points, start + (1 << 16));
      buffer.clear();
      for (size_t p = start; p < end; ++p) buffer.push_back(all[p * grids + g]);
      if (std::fwrite(buffer.data(), sizeof(double), buffer.size(), out) != buffer.size()) {
        error = "can't write the native file (disk full?)";
        return false;
      }
    }
  }
  return true;
}

bool same_lattice(const lattice_t& a, const lattice_t& b) {
  if (a.net != b.net || distance(a.origin, b.origin) > 1e-4) return false;
  for (int k = 0; k < 3; ++k)
    if (distance(a.step(k), b.step(k)) > 1e-6) return false;
  return true;
}

}  // namespace

bool convert_cube(const std::string& path, const std::optional<std::string>& epot, const std::string& target,
                  std::string& error) {
  cube_source_t main, potential;
  if (!open_cube(path, main, error)) return false;
  // Messages about the potential's file name it; the converter names the
  // main file.
  const auto about_potential = [&](const std::string& why) { return "--epot " + *epot + ": " + why; };
  std::vector<geometry_section_t> sections(1);
  geometry_section_t& geometry = sections[0];
  geometry.comment = "converted from " + path + " by mivor-convert";
  geometry.rec = std::move(main.header.molecule);
  mol_data_t& rec = geometry.rec;
  describe_cube_grids(main.header, rec);
  if (epot) {
    if (!open_cube(*epot, potential, error)) {
      error = about_potential(error);
      return false;
    }
    if (potential.header.grids() != 1 || !same_lattice(main.header.lattice, potential.header.lattice)) {
      error = about_potential("the potential must be one grid on the lattice of this cube");
      return false;
    }
    add_named_grid(rec, "Electrostatic potential");
  }
  int highest = 0;
  for (size_t g = 0; g < rec.grid->grid_kind.size(); ++g)
    if (rec.grid->grid_kind[g] == GRID_ORBITAL) highest = std::max(highest, rec.grid->orb_index[g]);
  grid_output_t output;
  if (highest > 0) {
    rec.grid.edit().n_mo = highest;
    rec.grid.edit().index_counts[0] = highest;
    output.orbital_file = new_orbital_file("orbitals of " + path, {highest});
  }
  output.write_values = [&](FILE* out, std::string& err) {
    const bool ok = main.header.orbitals.empty() ? stream_values(main, out, err) : write_orbital_values(main, out, err);
    if (!ok || !epot) return ok;
    if (stream_values(potential, out, err)) return true;
    err = about_potential(err);
    return false;
  };
  geometry.grids = &output;
  return write_geometry_sections(target, sections, error);
}
