// Planning a save's grid sections.
//
// Before anything is written, the source file is read once more, one
// geometry at a time (text only: the grid data are stepped over). A
// geometry's values are copied only when the source's grid section of the
// same geometry still has the layout the geometry was read with (where the
// data start, how long they are, points, blocks, grids, lattice, cut-off);
// otherwise the source changed underneath and its bytes would be garbage.
//
// Without a cut-off, or when the saved file rebuilds the same cut-off (the
// atoms, the lattice and the radius read back from the written text exactly
// as the source's were read), the data are copied byte for byte, so that
// saving twice gives the same file. Otherwise each block is read with the
// source's cut-off, its dropped points filled with 0, and written whole.
#include "formats/saved_grids.h"

#include <sys/types.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "formats/grid_reader.h"
#include "formats/native_reader.h"
#include "formats/orbital_file.h"
#include "formats/text_words.h"
#include "molecule/notify.h"

namespace {

// Bytes copied with one read.
constexpr size_t copy_chunk = 1 << 20;

const char source_changed[] = "the grid data can't be read back from the file they were read from";

// A look at the source says nothing to the user: the source was read
// before, and what changed in it is said once, by the save.
class quietly_t {
 public:
  quietly_t() : before_(&notifier()) { set_notifier(&quiet_); }
  ~quietly_t() { set_notifier(before_); }
  quietly_t(const quietly_t&) = delete;
  quietly_t& operator=(const quietly_t&) = delete;

 private:
  Notifier quiet_;
  Notifier* before_;
};

bool same(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }
bool same(const vec3& a, const vec3& b) { return same(a[0], b[0]) && same(a[1], b[1]) && same(a[2], b[2]); }

bool same_lattice(const lattice_t& a, const lattice_t& b) {
  return a.net == b.net && same(a.origin, b.origin) && same(a.axis[0], b.axis[0]) && same(a.axis[1], b.axis[1]) &&
         same(a.axis[2], b.axis[2]);
}

// Whether the source's grid section still lies where, and as, the
// geometry's was read.
bool same_layout(const mol_data_t& rec, const mol_data_t& source) {
  if (rec.ngrid() != source.ngrid() || !source.grid.exists()) return false;
  const grid_data_t &a = *rec.grid, &b = *source.grid;
  return a.grid_data_start == b.grid_data_start && a.grid_data_size == b.grid_data_size &&
         a.n_grid_header == b.n_grid_header && a.n_points == b.n_points && a.block_size == b.block_size &&
         a.n_blocks == b.n_blocks && a.is_cutoff == b.is_cutoff && same(a.cutoff_radius, b.cutoff_radius) &&
         same_lattice(a.lattice(), b.lattice()) && a.block_offset == b.block_offset;
}

// `v` written with `format` and read back.
double read_back(const char* format, double v) {
  char text[512];
  std::snprintf(text, sizeof text, format, v);
  return parse_double(text);
}

bool radius_in_bohr(const grid_data_t& g) { return !same(g.cutoff_radius, g.cutoff); }

// Whether the saved file rebuilds the cut-off the values were stored with:
// the atoms as the atom lines write them, the lattice in bohr as the grid
// header writes it, and the radius as its key writes it, all read back
// exactly as the source's were.
bool cutoff_reads_back(const mol_data_t& rec, const std::vector<vec3>& source_atoms) {
  if (rec.xyz.size() != source_atoms.size()) return false;
  for (size_t i = 0; i < rec.xyz.size(); ++i)
    for (size_t c = 0; c < 3; ++c)
      if (!same(read_back("%15.9f", rec.xyz[i][c]), source_atoms[i][c])) return false;
  const grid_data_t& g = *rec.grid;
  lattice_t bohr = g.lattice().scaled(1 / bohr_to_angstrom);
  for (double& v : bohr.origin) v = read_back("%lf", v);
  for (vec3& a : bohr.axis)
    for (double& v : a) v = read_back("%lf", v);
  const double radius = read_back("%8.4f", g.cutoff) * (radius_in_bohr(g) ? bohr_to_angstrom : 1.0);
  return same_lattice(bohr.scaled(bohr_to_angstrom), g.lattice()) && same(radius, g.cutoff_radius);
}

// Copies `size` bytes at `from` of `source` to `out`.
bool copy_bytes(FILE* source, int64_t from, int64_t size, FILE* out, std::string& error) {
  if (fseeko(source, static_cast<off_t>(from), SEEK_SET) != 0) {
    error = source_changed;
    return false;
  }
  std::vector<char> buffer(static_cast<size_t>(std::min<int64_t>(size, copy_chunk)));
  for (int64_t left = size; left > 0;) {
    const size_t want = static_cast<size_t>(std::min<int64_t>(left, copy_chunk));
    if (std::fread(buffer.data(), 1, want, source) != want) {
      error = source_changed;
      return false;
    }
    if (std::fwrite(buffer.data(), 1, want, out) != want) {
      error = "the grid values could not be written";
      return false;
    }
    left -= static_cast<int64_t>(want);
  }
  return true;
}

// The source's grid section as the source's own atoms cut it: the record
// the cut-off mask is made of.
mol_data_t cutoff_record(const grid_data_t& g, const std::vector<vec3>& atoms) {
  mol_data_t rec;
  rec.xyz = atoms;
  grid_data_t& d = rec.grid.edit();
  d.lattice() = g.lattice();
  d.n_points = g.n_points;
  d.is_cutoff = 1;
  d.cutoff_radius = g.cutoff_radius;
  return rec;
}

// Writes every block of every grid whole, in the order of the layout
// without cut-off: block b of each grid in turn, the last blocks at the end.
// Each block's kept values are read from the source and spread over its
// points; dropped points get 0.
bool copy_without_cutoff(FILE* source, const grid_data_t& g, const std::vector<vec3>& atoms, FILE* out,
                         std::string& error) {
  mol_data_t masked = cutoff_record(g, atoms);
  build_cutoff_mask(masked);
  const uint8_t* mask = masked.grid->cutoff_mask.data();
  const size_t points = static_cast<size_t>(g.n_points), size = static_cast<size_t>(g.block_size);
  const size_t blocks = static_cast<size_t>(g.n_blocks), grids = static_cast<size_t>(g.n_grid_header);
  std::vector<double> kept(std::min(size, points)), block(std::min(size, points));
  for (size_t b = 0; b < blocks; ++b) {
    const size_t start = b * size, count = std::min(size, points - start);
    const size_t stored = static_cast<size_t>(std::count(mask + start, mask + start + count, uint8_t{1}));
    for (size_t k = 0; k < grids; ++k) {
      const int64_t at = g.grid_data_start + g.block_offset[k * blocks + b];
      if (stored > 0 && (fseeko(source, static_cast<off_t>(at), SEEK_SET) != 0 ||
                         std::fread(kept.data(), sizeof(double), stored, source) != stored)) {
        error = source_changed;
        return false;
      }
      for (size_t p = 0, next = 0; p < count; ++p) block[p] = mask[start + p] ? kept[next++] : 0.0;
      if (std::fwrite(block.data(), sizeof(double), count, out) != count) {
        error = "the grid values could not be written";
        return false;
      }
    }
  }
  return true;
}

// The layout of the values as copied: the source's own.
grid_values_layout_t copied_layout(const grid_data_t& g) {
  grid_values_layout_t l;
  l.points = g.n_points;
  l.block_size = g.block_size;
  l.n_blocks = g.n_blocks;
  l.is_cutoff = g.is_cutoff;
  l.n_p = g.n_p;
  l.bohr = g.is_cutoff == 1 && radius_in_bohr(g);
  l.net = g.net;
  l.bytes = g.grid_data_size;
  return l;
}

// The same blocks with every point's value.
grid_values_layout_t uncut_layout(const grid_data_t& g) {
  grid_values_layout_t l = copied_layout(g);
  l.is_cutoff = 0;
  l.n_p = 0;
  l.bohr = false;
  l.bytes = 8LL * g.n_grid_header * g.n_points;
  return l;
}

// The values of `rec`'s grids in `output`, copied from `source` whose
// section for the same geometry is `read_again`.
void plan_values(FILE* source, const mol_data_t& rec, const mol_data_t& read_again, grid_output_t& output) {
  const grid_data_t& g = *rec.grid;
  const std::shared_ptr<const grid_data_t> layout = std::make_shared<grid_data_t>(*read_again.grid);
  if (g.is_cutoff != 1 || cutoff_reads_back(rec, read_again.xyz)) {
    output.layout = copied_layout(g);
    output.write_values = [source, layout](FILE* out, std::string& error) {
      return copy_bytes(source, layout->grid_data_start, layout->grid_data_size, out, error);
    };
    return;
  }
  output.layout = uncut_layout(g);
  auto atoms = std::make_shared<const std::vector<vec3>>(read_again.xyz);
  output.write_values = [source, layout, atoms](FILE* out, std::string& error) {
    return copy_without_cutoff(source, *layout, *atoms, out, error);
  };
}

}  // namespace

void saved_grids_t::drop_values(size_t i) {
  if (i >= outputs.size()) return;
  outputs[i].write_values = nullptr;
  outputs[i].layout.reset();
  if (std::find(not_kept.begin(), not_kept.end(), i) == not_kept.end()) not_kept.push_back(i);
}

saved_grids_t plan_saved_grids(FILE* source, const std::vector<mol_data_t>& geometries) {
  saved_grids_t plan;
  plan.outputs.resize(geometries.size());
  if (!source) return plan;
  const auto with_values = [&geometries](size_t i) {
    return i < geometries.size() && geometries[i].ngrid() > 0 && geometries[i].grid->n_points > 0;
  };
  bool any_values = false;
  for (size_t i = 0; i < geometries.size(); ++i) any_values = any_values || with_values(i);
  {
    quietly_t quiet;
    std::rewind(source);
    // Only values need the look at the source.
    if (any_values)
      visit_geometry_sections(source, [&](size_t i, const mol_data_t& read_again) {
        if (!with_values(i) || !same_layout(geometries[i], read_again)) return;
        plan_values(source, geometries[i], read_again, plan.outputs[i]);
      });
    for (size_t i = 0; i < geometries.size(); ++i) {
      if (geometries[i].ngrid() == 0) continue;
      plan.outputs[i].orbital_file = read_orbital_file(source, geometries[i]);
      if (plan.outputs[i].orbital_file) apply_changed_types(*plan.outputs[i].orbital_file, *geometries[i].grid);
    }
  }
  for (size_t i = 0; i < geometries.size(); ++i)
    if (with_values(i) && !plan.outputs[i].write_values) plan.not_kept.push_back(i);
  return plan;
}

std::string values_not_kept_message(const std::vector<size_t>& geometries, const std::string& source) {
  std::string list;
  for (size_t i : geometries) list += (list.empty() ? "" : ", ") + std::to_string(i + 1);
  return "ERROR: The grid values can't be read back from " + source +
         " (the file changed since it was read): the grids of geometr" + (geometries.size() == 1 ? "y " : "ies ") +
         list + " are saved without their values.";
}
