// Grid sections of the native file.
//
// A grid section describes one lattice (points per axis, origin, edge
// vectors), the grids sampled on it (orbitals, densities, potentials) and the
// byte length of the binary data that follow the line holding "density".
// Reading a file keeps only the descriptions; the values of one grid at a
// time are read on demand by re-opening the file by name.
//
// The data hold the grids in blocks of Block_Size points, interleaved: block
// b < B-1 of grid g is the (g + b·G)-th block of the data, and the last,
// shorter blocks of all grids follow one another at the end. With the
// cut-off, a block holds at its start only the values of its kept points.
//
// Nothing the header claims sizes an allocation or a seek before it has been
// checked against the header's other numbers and against the bytes the file
// holds; one name line per grid must follow. A section that can't be used
// leaves its geometry without grids, and the rest of the section is stepped
// over the way the scan for geometry starts steps over it, so that binary
// data are never read as text. The "<END>" line of the geometry is never
// consumed here: it is left for the section reader.
//
// Reading a section allocates nothing per point. What is per point (the
// cut-off mask, the values, the potential) is made when a grid of the
// geometry is loaded, for the current geometry only and once the memory
// budget allows it; a cut-off block must then hold its kept values within
// the data.
#include "formats/grid_reader.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "formats/cutoff_claim.h"
#include "formats/line_source.h"
#include "formats/safe_file.h"
#include "formats/text_words.h"
#include "molecule/memory_budget.h"
#include "molecule/notify.h"

const char* const orbital_description[8] = {"undefined", "frozen", "inactive",  "RAS 1",
                                            "RAS 2",     "RAS 3",  "secondary", "deleted"};
const char* const orb_desc_short[8] = {"u", "f", "i", "1", "2", "3", "s", "d"};

int orbital_type_from_letter(char c) {
  for (int type = 1; type < 8; ++type)
    if (orb_desc_short[type][0] == c) return type;
  return 0;
}

void release_grid_values(grid_data_t& d) {
  for (auto* v : {&d.grid_values, &d.epot_values}) grid_values_t().swap(*v);
  std::vector<uint8_t>().swap(d.cutoff_mask);
}

namespace {

// The grid part of a record: read through a const record, created when
// written through a mutable one (the reader fills it).
const grid_data_t& grid_of(const mol_data_t& rec) { return *rec.grid; }
grid_data_t& grid_of(mol_data_t& rec) { return rec.grid.edit(); }

const char msg_ill_defined_grids[] = "ERROR: Ill-defined number of grids";
const char msg_no_data[] = "ERROR: No data in grid section";
const char msg_ill_defined_blocks[] = "ERROR: Ill-defined grid blocks";
const char msg_ill_defined_size[] = "ERROR: Ill-defined size of grid data";
const char msg_past_end[] = "ERROR: Grid data extend past the end of the file";
const char msg_no_finite_values[] = "WARNING: The grid holds no finite values";
const char msg_no_density[] =
    "ERROR: The <DENSITY> section was not found in the grid data. The file may have been written in an older "
    "version of the file format, which changed without backward compatibility: please use an older version of "
    "Mivor or update your quantum-chemistry package.";

bool has(const std::string& line, const char* marker) { return find_nocase(line, marker) != std::string::npos; }

// The lines of one grid section. The section ends at the end of the file, at
// a line holding "/grid" (consumed: it closes the section) or at the "<END>"
// line of the geometry (put back for the section reader); from then on every
// read gives an empty line.
class SectionLines {
 public:
  explicit SectionLines(line_source& in) : in_(in) {}

  std::string next() {
    std::string line;
    if (ended_) return line;
    if (!in_.next(line) || has(line, "/grid")) {
      ended_ = true;
      return std::string();
    }
    if (has(line, "<END>")) {
      in_.put_back(std::move(line));
      ended_ = true;
      return std::string();
    }
    return line;
  }

  // Reads lines up to the one holding "density"; false when the section
  // ends first. `names`, when given, is set when a grid name line comes
  // first.
  // A name line is never the density line, even for a grid named
  // "Density".
  bool find_density(bool* names = nullptr) {
    for (std::string line = next(); !line.empty(); line = next()) {
      if (has(line, "GridName")) {
        if (names) *names = true;
      } else if (has(line, "density")) {
        return true;
      }
    }
    return false;
  }

  void skip_to_end() {
    while (!next().empty()) {
    }
  }

 private:
  line_source& in_;
  bool ended_ = false;
};

// Everything the header lines of a section say, before any of it is trusted.
struct grid_header_t {
  int n_mo = 0, n_grids = 0, n_points = 0, block_size = 0, n_blocks = 0, is_cutoff = 0, n_p = 0;
  double cutoff = 0;
  bool bohr = false;
  std::array<int, 7> index_counts{};
  lattice_t lattice;  // bohr
  long long orboff = 0;
};

int header_int(const std::string& line, const char* key) { return key_int_value(line, key, true).value_or(0); }
double header_dble(const std::string& line, const char* key) { return key_dble_value(line, key, true).value_or(0.0); }

// The first "=" of a line and what follows it, or an empty text.
const char* after_equals(const std::string& line) {
  const char* eq = std::strchr(line.c_str(), '=');
  return eq ? eq + 1 : "";
}

// The numbers after the first "=" of a line; missing ones read as 0.
template <size_t N>
void ints_after_equals(const std::string& line, std::array<int, N>& out) {
  const char* p = after_equals(line);
  for (int& v : out) v = parse_int(p, &p);
}

void reals_after_equals(const std::string& line, vec3& out) {
  const char* p = after_equals(line);
  for (double& v : out) v = parse_double(p, &p);
}

// The key line and the seven lines after it, up to the ORBOFF line.
grid_header_t parse_header(const std::string& key_line, SectionLines& lines) {
  grid_header_t h;
  h.n_mo = header_int(key_line, "N_of_MO");
  h.n_grids = header_int(key_line, "N_of_Grids");
  h.n_points = header_int(key_line, "N_of_Points");
  h.block_size = header_int(key_line, "Block_Size");
  h.n_blocks = header_int(key_line, "N_Blocks");
  h.is_cutoff = header_int(key_line, "Is_cutoff");
  h.cutoff = header_dble(key_line, "CutOff");
  h.n_p = header_int(key_line, "N_P");
  h.bohr = has(key_line, "BOHR");
  ints_after_equals(lines.next(), h.index_counts);
  ints_after_equals(lines.next(), h.lattice.net);
  reals_after_equals(lines.next(), h.lattice.origin);
  for (vec3& a : h.lattice.axis) reals_after_equals(lines.next(), a);
  const std::string orboff = lines.next();
  h.orboff = parse_long(after_equals(orboff));
  return h;
}

// n1·n2·n3 = N_of_Points, every factor and the product within the grid
// limit; computed so that nothing overflows.
bool points_match_net(const grid_header_t& h) {
  long long product = 1;
  for (int n : h.lattice.net) {
    if (n < 0 || n > max_grid_points) return false;
    product *= n;
    if (product > max_grid_points) return false;
  }
  return h.n_points >= 0 && product == h.n_points;
}

// Blocks of S points, B of them, cover the points with a non-empty last one.
bool blocks_fit(const grid_header_t& h) {
  const long long s = h.block_size, b = h.n_blocks;
  return s >= 1 && b >= 1 && s * (b - 1) < h.n_points && h.n_points <= s * b;
}

// Whether the data and the rest of the file can hold that many grids.
// Without values each grid still needs its own line; without the cut-off
// every grid needs all its values inside ORBOFF; with it, every block must
// at least start inside ORBOFF (the last block of the last grid starts
// last).
bool grids_fit(const grid_header_t& h, long long left) {
  const long long grids = h.n_grids, points = h.n_points, words = h.orboff / 8;
  if (points == 0) return grids <= left;
  if (h.is_cutoff != 1) return grids <= words / points;
  const long long first = static_cast<long long>(h.block_size) * (h.n_blocks - 1);
  return first <= words && grids - 1 <= (words - first) / points;
}

// The cut-off radius in ångström.
double cutoff_radius(const grid_header_t& h) { return h.bohr ? h.cutoff * bohr_to_angstrom : h.cutoff; }

// Whether the data can hold what a cut-off grid keeps. Every block but the
// last one of the last grid is followed by another (grids_fit has them
// inside ORBOFF), so only that final block may be short: it must hold the
// values of its kept points, of which the atoms alone tell a lower bound.
// N_P, where given, counts kept points: the data hold at least that many.
bool kept_points_fit(const grid_header_t& h, const std::vector<vec3>& atoms) {
  if (h.is_cutoff != 1 || h.n_points == 0) return true;
  const long long words = h.orboff / 8;
  if (h.n_p < 0 || h.n_p > words) return false;
  const long long first = static_cast<long long>(h.block_size) * (h.n_blocks - 1);
  const long long room = words - first - static_cast<long long>(h.n_grids - 1) * h.n_points;
  return fewest_kept_points(h.lattice.scaled(bohr_to_angstrom), atoms, cutoff_radius(h), first) <= room;
}

// The reason the header can't be used, or null. `left` is what the file
// holds after the ORBOFF line; `atoms` are those of the geometry, around
// which a cut-off keeps its points.
const char* header_problem(const grid_header_t& h, long long left, const std::vector<vec3>& atoms) {
  if (!points_match_net(h)) return msg_ill_defined_grids;
  if (h.n_grids == 0) return msg_no_data;
  if (h.n_grids < 0) return msg_ill_defined_grids;
  if (h.n_points > 0 && !blocks_fit(h)) return msg_ill_defined_blocks;
  if (h.orboff < 0) return msg_ill_defined_size;
  if (h.orboff > left) return msg_past_end;
  if (!grids_fit(h, left)) return msg_ill_defined_grids;
  if (!kept_points_fit(h, atoms)) return msg_ill_defined_size;
  return nullptr;
}

// Sets the lattice fields of `rec` (origin and axes from bohr to ångström)
// and sizes its per-grid arrays. A lattice without points has no blocks.
void take_header(mol_data_t& rec, const grid_header_t& h) {
  grid_of(rec).n_mo = h.n_mo;
  grid_of(rec).n_grid_header = h.n_grids;
  grid_of(rec).n_points = h.n_points;
  grid_of(rec).block_size = h.n_points > 0 ? h.block_size : 0;
  grid_of(rec).n_blocks = h.n_points > 0 ? h.n_blocks : 0;
  grid_of(rec).is_cutoff = h.is_cutoff;
  grid_of(rec).cutoff = h.cutoff;
  grid_of(rec).n_p = h.n_p;
  grid_of(rec).index_counts = h.index_counts;
  grid_of(rec).lattice() = h.lattice.scaled(bohr_to_angstrom);
  allocate_grids(rec, h.n_grids);
}

// The stretch [begin, end) of 0 … n-1 where `holds` is true, for a condition
// that is true on a stretch at one end of the range, everywhere or nowhere.
template <typename Holds>
std::pair<int, int> stretch(int n, Holds holds) {
  const bool first = holds(0);
  if (first == holds(n - 1)) return first ? std::make_pair(0, n) : std::make_pair(0, 0);
  int lo = 0, hi = n - 1;  // holds(lo) == first != holds(hi)
  while (hi - lo > 1) {
    const int mid = lo + (hi - lo) / 2;
    (holds(mid) == first ? lo : hi) = mid;
  }
  return first ? std::make_pair(0, hi) : std::make_pair(hi, n);
}

}  // namespace

// Marks the points kept by the cut-off: those that have some atom closer
// than r along each of the three coordinate axes (|Δx| < r, |Δy| < r and
// |Δz| < r: a box, not a sphere).
//
// The lattice is walked in rows along its longest axis. Positions are
// monotonic along a row, so its two end points bound it: only atoms that
// pass the test against that bound can keep a point of the row. For each
// such atom, each of the six one-sided conditions holds on a stretch at one
// end of the row, found by bisection with the exact test; the atom keeps the
// intersection of the six. The union of these stretches is marked once, so
// the work does not grow with the product of points and atoms.
void build_cutoff_mask(mol_data_t& rec) {
  const double r = grid_of(rec).cutoff_radius;
  grid_of(rec).cutoff_mask.assign(static_cast<size_t>(grid_of(rec).n_points), 0);
  const lattice_t& lattice = grid_of(rec).lattice();
  const std::array<int, 3> n = grid_of(rec).net;
  const std::array<size_t, 3> stride = {static_cast<size_t>(n[1]) * static_cast<size_t>(n[2]),
                                        static_cast<size_t>(n[2]), 1};
  // The longest axis; of equal ones the last, whose points lie next to each
  // other in memory.
  const int along = static_cast<int>(n.rend() - std::max_element(n.rbegin(), n.rend()) - 1);
  const int u = along == 0 ? 1 : 0, v = along == 2 ? 1 : 2;
  std::vector<std::pair<int, int>> spans;
  std::array<int, 3> ijk{};
  for (ijk[u] = 0; ijk[u] < n[u]; ++ijk[u]) {
    for (ijk[v] = 0; ijk[v] < n[v]; ++ijk[v]) {
      double low[3], high[3];
      for (int c = 0; c < 3; ++c) {
        ijk[along] = 0;
        const double first = lattice.at(c, ijk);
        ijk[along] = n[along] - 1;
        const double last = lattice.at(c, ijk);
        low[c] = std::min(first, last);
        high[c] = std::max(first, last);
      }
      spans.clear();
      for (const vec3& atom : rec.xyz) {
        bool reaches = true;
        for (int c = 0; c < 3 && reaches; ++c) reaches = atom[c] - high[c] < r && atom[c] - low[c] > -r;
        if (!reaches) continue;
        std::pair<int, int> kept(0, n[along]);
        for (int c = 0; c < 3; ++c) {
          std::array<int, 3> point = ijk;
          const auto below = [&](int k) { return point[along] = k, atom[c] - lattice.at(c, point) < r; };
          const auto above = [&](int k) { return point[along] = k, atom[c] - lattice.at(c, point) > -r; };
          for (const auto& side : {stretch(n[along], below), stretch(n[along], above)}) {
            kept.first = std::max(kept.first, side.first);
            kept.second = std::min(kept.second, side.second);
          }
        }
        if (kept.first < kept.second) spans.push_back(kept);
      }
      std::sort(spans.begin(), spans.end());
      const size_t row = static_cast<size_t>(ijk[u]) * stride[u] + static_cast<size_t>(ijk[v]) * stride[v];
      int marked = 0;
      for (const auto& span : spans) {
        for (int k = std::max(span.first, marked); k < span.second; ++k)
          grid_of(rec).cutoff_mask[row + static_cast<size_t>(k) * stride[along]] = 1;
        marked = std::max(marked, span.second);
      }
    }
  }
}

namespace {

// Byte offset of every block of every grid from the data start.
void compute_block_offsets(mol_data_t& rec) {
  const int64_t grids = grid_of(rec).n_grid_header, blocks = grid_of(rec).n_blocks, size = grid_of(rec).block_size,
                points = grid_of(rec).n_points;
  for (int64_t g = 0; g < grids; ++g) {
    for (int64_t b = 0; b < blocks; ++b) {
      const int64_t offset =
          b < blocks - 1 ? 8 * size * (g + b * grids) : 8 * (size * (blocks - 1) * (grids - g) + g * points);
      grid_of(rec).block_offset[static_cast<size_t>(g * blocks + b)] = offset;
    }
  }
}

int key_int(const std::string& line, const char* key) { return key_int_value(line, key).value_or(0); }
double key_dble(const std::string& line, const char* key) { return key_dble_value(line, key).value_or(0.0); }

// The type code of the first letter after the "=" that follows "type".
int type_value(const std::string& line) {
  const size_t at = find_nocase(line, "type");
  if (at == std::string::npos) return 0;
  const char* p = std::strchr(line.c_str() + at, '=');
  if (!p) return 0;
  for (++p; *p == ' ' || *p == '\t';) ++p;
  return orbital_type_from_letter(*p);
}

// One grid line: an orbital with its symmetry, index, energy, occupation
// and type, or another named grid.
void read_grid_description(mol_data_t& rec, size_t g, const std::string& line) {
  const size_t name = find_nocase(line, "GridName");
  grid_of(rec).grid_name[g] = my_read_str_value(line.c_str() + (name == std::string::npos ? 0 : name));
  grid_of(rec).orb_type_changed[g] = 0;
  if (!has(line, "Orbital")) {
    const bool epot = has(line, "Electrostatic");
    grid_of(rec).grid_kind[g] = epot ? GRID_EPOT : GRID_OTHER;
    if (epot) rec.flags |= FLAG_EPOT;
    grid_of(rec).orb_sym[g] = grid_of(rec).orb_index[g] = grid_of(rec).orb_type[g] = 0;
    grid_of(rec).orb_energy[g] = grid_of(rec).orb_occ[g] = 0;
    return;
  }
  grid_of(rec).grid_kind[g] = GRID_ORBITAL;
  grid_of(rec).orb_sym[g] = key_int(line, "sym");
  grid_of(rec).orb_index[g] = key_int(line, "index");
  grid_of(rec).orb_energy[g] = key_dble(line, "Energ");
  grid_of(rec).orb_occ[g] = key_dble(line, "OCc");
  grid_of(rec).orb_type[g] = type_value(line);
}

// The data and closing lines of a section whose density line has been read:
// ORBOFF bytes, then the lines up to the closing line.
void skip_section_data(line_source& in, SectionLines& lines, long long orboff) {
  if (orboff > in.bytes_left()) {
    in.seek(in.tell() + in.bytes_left());
    return;
  }
  if (orboff > 0) in.seek(in.tell() + orboff);
  lines.skip_to_end();
}

// Steps over the rest of a section whose header can't be used, as the scan
// for geometry starts does: the lines up to "density", then the data.
void skip_section(line_source& in, SectionLines& lines, long long orboff) {
  if (lines.find_density()) skip_section_data(in, lines, orboff);
}

// Whether grid g of `rec` exists and its blocks cover its points, so that
// reading it stays inside its arrays once they are sized to the points.
bool layout_holds(const mol_data_t& rec, int g) {
  const size_t points = static_cast<size_t>(std::max(grid_of(rec).n_points, 0));
  const size_t blocks = static_cast<size_t>(std::max(grid_of(rec).n_blocks, 0));
  return g >= 0 && g < rec.ngrid() && grid_of(rec).block_offset.size() >= (static_cast<size_t>(g) + 1) * blocks &&
         (points == 0 ||
          (grid_of(rec).block_size >= 1 && static_cast<size_t>(grid_of(rec).block_size) * blocks >= points));
}

// The values a grid's blocks hold with the cut-off must lie within the
// data: each block, at its offset, holds one value per kept point.
bool kept_values_fit(const mol_data_t& rec, int g) {
  const grid_data_t& d = grid_of(rec);
  const size_t points = static_cast<size_t>(d.n_points), size = static_cast<size_t>(d.block_size);
  const uint8_t* mask = d.cutoff_mask.data();
  for (size_t start = 0, b = 0; start < points; start += size, ++b) {
    const size_t end = std::min(points, start + size);
    const int64_t kept = std::count(mask + start, mask + end, uint8_t{1});
    const int64_t at = d.block_offset[static_cast<size_t>(g) * static_cast<size_t>(d.n_blocks) + b];
    if (at + 8 * kept > d.grid_data_size) return false;
  }
  return true;
}

// Only the current geometry holds values: those of the others go.
void drop_values_of_other_geometries() {
  for (mol_data_t& rec : mol) {
    if (&rec == m || !rec.grid.exists()) continue;
    release_grid_values(rec.grid.edit());
  }
}

// Makes room for the values of a grid of `rec` (and its cut-off mask and
// potential, when they are still to be made) if the memory budget allows
// it; builds the mask. False, with a warning, when the grid can't be loaded.
bool prepare_values(mol_data_t& rec, bool potential) {
  grid_data_t& d = grid_of(rec);
  const size_t points = static_cast<size_t>(d.n_points);
  const bool mask = d.is_cutoff == 1 && d.cutoff_mask.size() != points;
  const size_t bytes = points * (sizeof(double) * (potential ? 2 : 1) + (mask ? 1 : 0));
  if (!fits_in_memory(bytes)) {
    make_warning("ERROR: Not enough memory to load the grid: " + std::to_string(points) + " points");
    return false;
  }
  if (mask) build_cutoff_mask(rec);
  return true;
}

// Values read with one call: small enough that a stretch is still in the
// cache when it is handed on, large enough that the calls cost nothing.
constexpr size_t read_chunk = 8192;

// Sizes `values` for the points of a grid. Every value is written by the
// reading that follows, so values of the same size are not cleared first:
// reading another grid of the lattice touches the values once.
void size_for_points(grid_values_t& values, size_t points) {
  if (values.size() != points) values.assign(points, 0.0);
}

// Reads the values of grid g into `out` (n_points values), block by block,
// with one seek per block. Without the cut-off a block is read straight into
// its own place in `out`, which serves as its buffer: a short read leaves
// there what the previous block left in the same places of its buffer (0 in
// the first block). With the cut-off the block's stored values go to a
// buffer of one block, whose rest a short read leaves as it was, and are
// spread over the kept points; dropped points get 0. Each stretch
// [from, to) of `out` is handed to `done` as soon as its values are final,
// stretches in order of position.
template <typename Done>
void read_grid_values(FILE* file, const mol_data_t& rec, int g, double* out, Done done) {
  const size_t points = static_cast<size_t>(grid_of(rec).n_points);
  const size_t size = static_cast<size_t>(std::max(grid_of(rec).block_size, 1));
  const bool cutoff = grid_of(rec).is_cutoff == 1;
  std::vector<double> buffer(cutoff ? std::min(size, points) : 0);
  const uint8_t* mask = grid_of(rec).cutoff_mask.data();
  const int64_t* offset =
      grid_of(rec).block_offset.data() + static_cast<size_t>(g) * static_cast<size_t>(grid_of(rec).n_blocks);
  for (size_t start = 0, b = 0; start < points; start += size, ++b) {
    const size_t count = std::min(size, points - start), end = start + count;
    fseeko(file, static_cast<off_t>(grid_of(rec).grid_data_start + offset[b]), SEEK_SET);
    if (!cutoff) {
      for (size_t from = start; from < end;) {
        const size_t want = std::min(read_chunk, end - from);
        const size_t got = std::fread(out + from, sizeof(double), want, file);
        if (got < want) {
          for (size_t p = from + got; p < end; ++p) out[p] = start > 0 ? out[p - size] : 0.0;
          done(from, end);
          break;
        }
        done(from, from + got);
        from += got;
      }
    } else {
      const size_t stored = static_cast<size_t>(std::count(mask + start, mask + end, uint8_t{1}));
      if (stored > 0) static_cast<void>(std::fread(buffer.data(), sizeof(double), stored, file));
      size_t next = 0;
      for (size_t p = start; p < end; ++p) out[p] = mask[p] == 1 ? buffer[next++] : 0.0;
      done(start, end);
    }
  }
}

// Every value of the current grid but the first is clamped to at most 2 and
// counts for the smallest and largest value. A NaN is neither clamped nor
// counted. Clamping twice changes nothing, so a value copied from a clamped
// one may be clamped again.
//
// The limits are kept in several lanes that take turns, so that no lane
// waits for the comparison before it; their union gives the same numbers.
// Only a zero limit can differ: -0 and +0 compare equal, and the limit is
// the first zero of the grid, whichever lane found one (see `finish`).
class clamped_limits_t {
 public:
  explicit clamped_limits_t(grid_values_t& values) : values_(values) {
    low_.fill(10000);
    high_.fill(-10000);
  }

  // Clamps and counts the values of [from, to).
  void operator()(size_t from, size_t to) {
    double* values = values_.data();
    size_t p = std::max<size_t>(from, 1);
#if defined(__SSE2__)
    // The same three selections two values at a time: min(a, b) is
    // a < b ? a : b, max(a, b) is a > b ? a : b.
    const __m128d two = _mm_set1_pd(2);
    __m128d lo01 = _mm_loadu_pd(&low_[0]), lo23 = _mm_loadu_pd(&low_[2]);
    __m128d hi01 = _mm_loadu_pd(&high_[0]), hi23 = _mm_loadu_pd(&high_[2]);
    for (; p + lanes <= to; p += lanes) {
      const __m128d a = _mm_min_pd(two, _mm_loadu_pd(values + p));
      const __m128d b = _mm_min_pd(two, _mm_loadu_pd(values + p + 2));
      _mm_storeu_pd(values + p, a);
      _mm_storeu_pd(values + p + 2, b);
      lo01 = _mm_min_pd(a, lo01), lo23 = _mm_min_pd(b, lo23);
      hi01 = _mm_max_pd(a, hi01), hi23 = _mm_max_pd(b, hi23);
    }
    _mm_storeu_pd(&low_[0], lo01);
    _mm_storeu_pd(&low_[2], lo23);
    _mm_storeu_pd(&high_[0], hi01);
    _mm_storeu_pd(&high_[2], hi23);
#endif
    double lo0 = low_[0], lo1 = low_[1], lo2 = low_[2], lo3 = low_[3];
    double hi0 = high_[0], hi1 = high_[1], hi2 = high_[2], hi3 = high_[3];
    for (; p + lanes <= to; p += lanes) {
      take(values[p], lo0, hi0);
      take(values[p + 1], lo1, hi1);
      take(values[p + 2], lo2, hi2);
      take(values[p + 3], lo3, hi3);
    }
    for (; p < to; ++p) take(values[p], lo0, hi0);
    low_ = {lo0, lo1, lo2, lo3};
    high_ = {hi0, hi1, hi2, hi3};
  }

  // Sets the limits of `rec`; false when the grid holds no number.
  bool finish(mol_data_t& rec) const {
    double low = 0, high = 0;
    const bool numbers = limits(low, high);
    grid_of(rec).grid_min = low;
    grid_of(rec).grid_max = high;
    return numbers;
  }

  // The smallest and largest value counted. Where no value after the first
  // counted (one point, or NaN everywhere else) both limits are the first
  // value, or 0 when that is not finite either: then false.
  bool limits(double& low_out, double& high_out) const {
    double low = low_[0], high = high_[0];
    for (size_t l = 1; l < lanes; ++l) {
      low = low_[l] < low ? low_[l] : low;
      high = high < high_[l] ? high_[l] : high;
    }
    if (low > high) {
      const double first = values_.empty() ? 0.0 : values_[0];
      low_out = high_out = std::isfinite(first) ? first : 0.0;
      return values_.empty() || std::isfinite(first);
    }
    if (low == 0 || high == 0) {
      const auto zero = std::find(values_.begin() + 1, values_.end(), 0.0);
      if (low == 0) low = *zero;
      if (high == 0) high = *zero;
    }
    low_out = low;
    high_out = high;
    return true;
  }

 private:
  static constexpr size_t lanes = 4;

  static void take(double& value, double& lo, double& hi) {
    const double v = 2 < value ? 2 : value;
    value = v;
    lo = v < lo ? v : lo;
    hi = hi < v ? v : hi;
  }

  grid_values_t& values_;
  std::array<double, lanes> low_, high_;
};

}  // namespace

void fail_current_grid(const char* message) {
  make_warning(message);
  if (m) deallocate_grids(*m);
}

void read_grid_block(line_source& in, mol_data_t& rec) {
  SectionLines lines(in);
  const std::string key_line = lines.next();
  if (key_line.size() <= 1) return;
  deallocate_grids(rec);
  const grid_header_t h = parse_header(key_line, lines);
  if (const char* problem = header_problem(h, in.bytes_left(), rec.xyz)) {
    make_warning(problem);
    skip_section(in, lines, h.orboff);
    return;
  }
  take_header(rec, h);
  grid_of(rec).cutoff_radius = cutoff_radius(h);
  compute_block_offsets(rec);
  grid_of(rec).grid_data_size = h.orboff;
  // One name line per grid, and no more before the data: a count that
  // disagrees with the names would place every grid's values wrongly.
  size_t named = 0;
  std::string line;
  for (; named < static_cast<size_t>(h.n_grids); ++named) {
    line = lines.next();
    if (!has(line, "GridName")) break;
    read_grid_description(rec, named, line);
  }
  if (named < static_cast<size_t>(h.n_grids)) {
    make_warning(msg_ill_defined_grids);
    deallocate_grids(rec);
    if (has(line, "density") || lines.find_density()) skip_section_data(in, lines, h.orboff);
    return;
  }
  bool more_names = false;
  if (!lines.find_density(&more_names)) {
    make_warning(more_names ? msg_ill_defined_grids : msg_no_density);
    deallocate_grids(rec);
    return;
  }
  if (more_names) {
    make_warning(msg_ill_defined_grids);
    deallocate_grids(rec);
    skip_section_data(in, lines, h.orboff);
    return;
  }
  grid_of(rec).grid_data_start = in.tell();
  if (grid_of(rec).grid_data_size > in.bytes_left()) {
    make_warning(msg_past_end);
    deallocate_grids(rec);
    in.seek(in.tell() + in.bytes_left());
    return;
  }
  iorb = h.n_grids - 1;
  in.seek(grid_of(rec).grid_data_start + grid_of(rec).grid_data_size);
  lines.skip_to_end();
}

void read_grid_block(FILE* file, mol_data_t& rec) {
  if (!file) return;
  line_source in(file);
  read_grid_block(in, rec);
  // The stream stands where the section ended.
  in.raw();
}

void read_current_grid(FILE* file) {
  if (!m) return;
  if (!layout_holds(*m, iorb)) {
    fail_current_grid("ERROR: Grid number out of range!");
    return;
  }
  drop_values_of_other_geometries();
  grid_data_t& d = grid_of(*m);
  // The potential colours the surfaces of every grid: the last potential
  // grid is loaded with the first grid loaded.
  int potential = -1;
  if (d.epot_values.empty())
    for (int g = 0; g < m->ngrid(); ++g)
      if (d.grid_kind[static_cast<size_t>(g)] == GRID_EPOT) potential = g;
  if (!prepare_values(*m, potential >= 0)) return;
  if (d.is_cutoff == 1 && !kept_values_fit(*m, iorb)) {
    make_warning(msg_ill_defined_size);
    return;
  }
  size_for_points(d.grid_values, static_cast<size_t>(d.n_points));
  clamped_limits_t limits(d.grid_values);
  read_grid_values(file, *m, iorb, d.grid_values.data(), [&limits](size_t from, size_t to) { limits(from, to); });
  if (!limits.finish(*m)) make_warning(msg_no_finite_values);
  if (potential >= 0) read_epoten_grid(file, *m, potential);
}

bool read_grid_copy(FILE* file, mol_data_t& rec, int g, grid_values_t& values, double& min, double& max) {
  if (!file || !layout_holds(rec, g)) return false;
  // The copy is planned like the current grid: within the memory budget,
  // and with the cut-off only when the blocks hold the kept values.
  const grid_data_t& d = grid_of(rec);
  const size_t points = static_cast<size_t>(d.n_points);
  const bool mask = d.is_cutoff == 1 && d.cutoff_mask.size() != points;
  if (!fits_in_memory(points * (sizeof(double) + (mask ? 1 : 0)))) return false;
  if (mask) build_cutoff_mask(rec);
  if (d.is_cutoff == 1 && !kept_values_fit(rec, g)) return false;
  size_for_points(values, static_cast<size_t>(grid_of(rec).n_points));
  clamped_limits_t limits(values);
  read_grid_values(file, rec, g, values.data(), [&limits](size_t from, size_t to) { limits(from, to); });
  limits.limits(min, max);
  return true;
}

void read_epoten_grid(FILE* file, mol_data_t& rec, int j) {
  if (!file) {
    make_warning("ERROR in reading Epot: Can't open file containig grid data!");
    return;
  }
  if (!layout_holds(rec, j)) {
    make_warning("ERROR in reading Epot: Grid number out of range!");
    return;
  }
  if (grid_of(rec).is_cutoff == 1 &&
      (grid_of(rec).cutoff_mask.size() != static_cast<size_t>(grid_of(rec).n_points) || !kept_values_fit(rec, j)))
    return;
  size_for_points(grid_of(rec).epot_values, static_cast<size_t>(grid_of(rec).n_points));
  read_grid_values(file, rec, j, grid_of(rec).epot_values.data(), [](size_t, size_t) {});
}

// Levels at which the isosurface encloses 1/20, 2/20, … of the sum of the
// squared values: the sums over values above 21 thresholds from 0 to the
// largest magnitude are interpolated linearly between thresholds.
// Grids of at least this many points have their squares summed in two
// halves at once.
constexpr size_t split_sum_points = size_t{1} << 20;

void compute_iso_levels(mol_data_t& rec) {
  const double v = std::max(std::fabs(grid_of(rec).grid_min), std::fabs(grid_of(rec).grid_max));
  double t[21], s[21] = {};
  t[0] = 0;
  for (int i = 1; i <= 20; ++i) t[i] = v / 20 * (i - 0.001);
  // The thresholds rise, so a value exceeds a first run of them: its square
  // goes to the highest threshold it exceeds, and each sum is then the total
  // of its own share and those of the higher thresholds. Values of 0 and
  // NaN add nothing. NaN thresholds are exceeded by nothing.
  //
  // With u = 20·|value|/v, the highest threshold exceeded is floor(u)
  // wherever u lies at least 1/64 below the next whole number (t[i] lies
  // 0.001 below i): that is read from 64·u alone. The values closer to a
  // threshold, and any where v is not a positive number, are settled
  // against the thresholds themselves. The squares are summed in four lanes
  // that take turns, so that no sum waits for the one before it.
  double lanes[4][21] = {};
  const double scale = v > 0 ? 20.0 / v : 0.0, t1 = t[1];
  const double scale64 = v > 0 ? 1280.0 / v : 0.0;
  const bool fast = v > 0 && std::isfinite(scale64);
  const auto exact = [&](double value, double a, double* share) {
    if (!(a > t1)) {
      share[0] += value * value;
      return;
    }
    // t[i] < a exactly when i < 20·a/v + 0.001: start there and settle the
    // rounding against the thresholds themselves.
    int k = static_cast<int>(std::min(20.0, a * scale + 0.001));
    while (k > 1 && !(a > t[k])) --k;
    while (k < 20 && a > t[k + 1]) ++k;
    share[k] += value * value;
  };
  const auto take = [&](double value, double* share) {
    const double a = std::fabs(value);
    if (!(a > 0)) return;
    if (fast) {
      const double w = a * scale64;
      if (w < 1280.0) {
        const int fine = static_cast<int>(w);
        if ((fine & 63) != 63) {
          share[fine >> 6] += value * value;
          return;
        }
      }
    }
    exact(value, a, share);
  };
  const auto sum_squares = [&](const double* from, const double* to, double (*into)[21]) {
    // Counted, not compared pointers: an empty grid has no data pointer,
    // and a pointer past the end must not be formed.
    const std::size_t n = static_cast<std::size_t>(to - from);
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
      take(from[i], into[0]);
      take(from[i + 1], into[1]);
      take(from[i + 2], into[2]);
      take(from[i + 3], into[3]);
    }
    for (; i < n; ++i) take(from[i], into[0]);
  };
  // A large grid is summed in two halves at once, the second on a thread of
  // its own: always the same halves, so that the levels do not depend on
  // the machine.
  const grid_values_t& values = grid_of(rec).grid_values;
  const double* begin = values.data();
  const double* end = begin + values.size();
  double second[4][21] = {};
  const bool halves = values.size() >= split_sum_points;
  const double* middle = halves ? begin + (values.size() / 8) * 4 : end;
  std::thread helper;
  if (halves) {
    try {
      helper = std::thread(sum_squares, middle, end, second);
    } catch (const std::system_error&) {
      sum_squares(middle, end, second);
    }
  }
  sum_squares(begin, middle, lanes);
  if (helper.joinable()) helper.join();
  double share[21];
  for (int k = 0; k <= 20; ++k)
    share[k] = ((lanes[0][k] + lanes[1][k]) + (lanes[2][k] + lanes[3][k])) +
               ((second[0][k] + second[1][k]) + (second[2][k] + second[3][k]));
  for (int i = 20; i >= 0; --i) s[i] = share[i] + (i < 20 ? s[i + 1] : 0.0);
  double h = 0.1;
  for (int i = 1; i <= 20; ++i) {
    const double o = i / 20.0 * s[0];
    for (int j = 0; j < 20; ++j) {
      if (s[j] >= o && o > s[j + 1]) {
        if (std::fabs(s[j] - s[j + 1]) < 1e-10)
          h = (t[j] + t[j + 1]) / 2;
        else
          h = t[j] + (t[j + 1] - t[j]) * (o - s[j + 1]) / (s[j] - s[j + 1]);
      }
    }
    if (grid_of(rec).grid_max < h) h = -h;
    grid_of(rec).iso_levels[static_cast<size_t>(i)] = h;
  }
  // One significant digit.
  char text[32];
  std::snprintf(text, sizeof text, "%7.0le", grid_of(rec).iso_levels[14]);
  grid_of(rec).iso_value = parse_double(text);
}

void current_grid_limits(double* min, double* max, double* iso) {
  if (!m || m->ngrid() == 0) return;
  if (min) *min = grid_of(*m).grid_min;
  if (max) *max = grid_of(*m).grid_max;
  if (iso) {
    compute_iso_levels(*m);
    *iso = grid_of(*m).iso_value;
  }
}

int current_grid_data(const double** out) {
  if (!m || m->ngrid() == 0) return 0;
  if (out) *out = grid_of(*m).grid_values.data();
  return 1;
}

int get_orbital(int sym, int index) {
  if (!m) return -1;
  for (int g = 0; g < m->ngrid(); ++g)
    if (grid_of(*m).orb_sym[static_cast<size_t>(g)] == sym && grid_of(*m).orb_index[static_cast<size_t>(g)] == index)
      return g;
  return -1;
}
