// Grid sections of the native file.
//
// A section holds a text header (sizes, lattice, one description line per
// grid), a line holding "density", then the values of all grids as 8-byte
// doubles in blocks, then text again up to "</GRID>". Block b < B-1 of grid
// g starts at byte 8·S·(g + b·G) of the data; the last block of grid g,
// holding the remaining P - S·(B-1) points, at 8·(S·(B-1)·(G-g) + g·P).
// With a cut-off only the points near atoms carry values, packed at the
// start of each block.
//
// Parsing keeps the descriptions of every grid; values are read one grid at
// a time, each block with one seek and one read. Sizes and offsets from the
// file are checked against the file before they size or position anything.
#include "formats/grid_reader.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "formats/file_names.h"
#include "formats/text_words.h"
#include "molecule/notify.h"
#include "molecule/open_close.h"

const char* const orbital_description[8] = {"undefined", "frozen", "inactive", "RAS 1",
                                            "RAS 2",     "RAS 3",  "secondary", "deleted"};
const char* const orb_desc_short[8] = {"u", "f", "i", "1", "2", "3", "s", "d"};

namespace {

using file_ptr = std::unique_ptr<FILE, int (*)(FILE*)>;

// Block offsets kept per geometry (grids × blocks) at most.
constexpr long long max_block_entries = 1LL << 24;

const char missing_density[] =
    "ERROR: The <DENSITY> section was not found in the grid data. The file may have been written in an older "
    "version of the file format, which changed without backward compatibility: open it with an older version of "
    "the program or update the quantum-chemistry package that wrote it.";

bool is_word_char(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// The position of `key` in `line` ignoring case, where it is not the tail
// of a longer word (so "CutOff" is not found inside "Is_cutoff").
size_t find_key(const std::string& line, const char* key) {
  for (size_t at = find_nocase(line, key); at != std::string::npos; at = find_nocase(line, key, at + 1))
    if (at == 0 || !is_word_char(line[at - 1])) return at;
  return std::string::npos;
}

long long key_long(const std::string& line, const char* key) {
  const size_t at = find_key(line, key);
  if (at == std::string::npos) return 0;
  const char* eq = std::strchr(line.c_str() + at, '=');
  return eq ? parse_long(eq + 1) : 0;
}

double key_double(const std::string& line, const char* key) {
  const size_t at = find_key(line, key);
  return at == std::string::npos ? 0.0 : my_read_dble_value(line.c_str() + at);
}

int clamp_int(long long v) {
  return static_cast<int>(std::max<long long>(INT32_MIN, std::min<long long>(INT32_MAX, v)));
}

// Up to n numbers after the first "=" of a line; missing ones are 0.
template <typename T, size_t N>
void numbers_after_equals(const std::string& line, std::array<T, N>& out, size_t n = N) {
  const char* p = std::strchr(line.c_str(), '=');
  out.fill(T{});
  if (!p) return;
  ++p;
  for (size_t k = 0; k < n; ++k) {
    const char* end;
    const double v = parse_double(p, &end);
    if (end == p) return;
    out[k] = static_cast<T>(std::is_integral<T>::value ? std::max(-2147483648.0, std::min(2147483647.0, v)) : v);
    p = end;
  }
}

int orbital_type_after(const std::string& line) {
  const size_t at = find_key(line, "type");
  if (at == std::string::npos) return 0;
  const char* eq = std::strchr(line.c_str() + at, '=');
  if (!eq) return 0;
  ++eq;
  while (*eq == ' ' || *eq == '\t') ++eq;
  return orbital_type_from_letter(*eq);
}

void read_grid_description(const std::string& line, mol_data_t& rec, size_t g) {
  const size_t at = find_key(line, "GridName");
  rec.grid_name[g] = my_read_str_value(line.c_str() + (at == std::string::npos ? 0 : at));
  rec.orb_type_changed[g] = 0;
  if (line.find("Orbital") == std::string::npos) {
    const bool epot = line.find("Electrostatic") != std::string::npos;
    rec.grid_kind[g] = epot ? GRID_EPOT : GRID_OTHER;
    if (epot) rec.flags ^= FLAG_EPOT;
    rec.orb_sym[g] = rec.orb_index[g] = rec.orb_type[g] = 0;
    rec.orb_energy[g] = rec.orb_occ[g] = 0.0;
    return;
  }
  rec.grid_kind[g] = GRID_ORBITAL;
  rec.orb_sym[g] = clamp_int(key_long(line, "sym"));
  rec.orb_index[g] = clamp_int(key_long(line, "index"));
  rec.orb_energy[g] = key_double(line, "Energ");
  rec.orb_occ[g] = key_double(line, "OCc");
  rec.orb_type[g] = orbital_type_after(line);
}

off_t file_size(FILE* file) {
  struct stat st;
  return fstat(fileno(file), &st) == 0 ? st.st_size : 0;
}

// Checks the sizes of a parsed header against each other and against the
// file; the warning to show, or null when they hold.
const char* check_grid_header(const mol_data_t& rec, const std::array<long long, 3>& net, long long points,
                              long long size, long long block, long long blocks, off_t data_end) {
  const long long grids = rec.n_grid_header;
  for (long long n : net)
    if (n < 0 || n > max_grid_points) return "ERROR: Ill-defined number of grids";
  if (net[0] * net[1] > max_grid_points || net[0] * net[1] * net[2] != points || points > max_grid_points)
    return "ERROR: Ill-defined number of grids";
  if (grids <= 0) return "ERROR: No data in grid section";
  if (size < 0 || data_end < 0) return "ERROR: Grid data lie outside the file";
  if (points == 0) return nullptr;  // descriptions without values
  if (block <= 0 || blocks <= 0 || block * (blocks - 1) >= points || points > block * blocks ||
      grids * blocks > max_block_entries)
    return "ERROR: Ill-defined grid blocks";
  // Every block of every grid must start inside the data.
  const long long last_start = 8 * (block * (blocks - 1) + (grids - 1) * points);
  if (grids > max_grid_points / points || last_start > size) return "ERROR: Grid data lie outside the file";
  // Without a cut-off every value is there.
  if (rec.is_cutoff != 1 && 8 * grids * points > size) return "ERROR: Grid data lie outside the file";
  return nullptr;
}

void compute_block_offsets(mol_data_t& rec) {
  const long long S = rec.block_size, B = rec.n_blocks, G = rec.n_grid_header, P = rec.n_points;
  for (long long g = 0; g < G; ++g)
    for (long long b = 0; b < B; ++b)
      rec.block_offset[static_cast<size_t>(g * B + b)] =
          b < B - 1 ? 8 * S * (g + b * G) : 8 * (S * (B - 1) * (G - g) + g * P);
}

// Position of lattice point (i, j, k): a single point along an axis sits at
// the origin of that axis.
vec3 lattice_point(const mol_data_t& rec, int i, int j, int k) {
  const int idx[3] = {i, j, k};
  vec3 p = rec.origin;
  for (int a = 0; a < 3; ++a) {
    const int n = rec.net[static_cast<size_t>(a)];
    if (n <= 1) continue;
    const double f = static_cast<double>(idx[a]) / (n - 1);
    for (int c = 0; c < 3; ++c) p[static_cast<size_t>(c)] += rec.axis[static_cast<size_t>(a)][static_cast<size_t>(c)] * f;
  }
  return p;
}

// A point is kept when some atom lies within R of it along each axis.
void compute_cutoff_mask(mol_data_t& rec, double R) {
  std::vector<vec3> atoms(rec.xyz);
  std::sort(atoms.begin(), atoms.end(), [](const vec3& a, const vec3& b) { return a[0] < b[0]; });
  atoms.erase(std::remove_if(atoms.begin(), atoms.end(), [](const vec3& a) { return !std::isfinite(a[0]); }),
              atoms.end());
  size_t p = 0;
  for (int i = 0; i < rec.net[0]; ++i)
    for (int j = 0; j < rec.net[1]; ++j)
      for (int k = 0; k < rec.net[2]; ++k, ++p) {
        const vec3 q = lattice_point(rec, i, j, k);
        auto it = std::lower_bound(atoms.begin(), atoms.end(), q[0] - R,
                                   [](const vec3& a, double x) { return a[0] <= x; });
        int kept = 0;
        for (; it != atoms.end() && (*it)[0] < q[0] + R; ++it)
          if (std::fabs((*it)[1] - q[1]) < R && std::fabs((*it)[2] - q[2]) < R) {
            kept = 1;
            break;
          }
        rec.cutoff_mask[p] = kept;
      }
}

// Reads the values of grid g of `rec` from `file` into `out` (n_points
// values). With `clamp`, values after the first above 2 become 2 and the
// limits of the grid are recorded.
void read_grid_values(FILE* file, mol_data_t& rec, int g, std::vector<double>& out, bool clamp) {
  const long long P = rec.n_points, S = rec.block_size, B = rec.n_blocks;
  out.assign(static_cast<size_t>(std::max(0LL, P)), 0.0);
  if (P <= 0 || S <= 0) return;
  const off_t data_end = std::min<off_t>(static_cast<off_t>(rec.grid_data_start + rec.grid_data_size), file_size(file));
  std::vector<double> buffer(static_cast<size_t>(S), 0.0);
  size_t next = 0;
  for (long long p = 0; p < P; ++p) {
    if (p % S == 0) {
      const long long b = p / S;
      const long long count = b < B - 1 ? S : P - S * b;
      long long wanted = count;
      if (rec.is_cutoff == 1) {
        wanted = 0;
        for (long long q = p; q < p + count; ++q) wanted += rec.cutoff_mask[static_cast<size_t>(q)];
      }
      const off_t at = static_cast<off_t>(rec.grid_data_start + rec.block_offset[static_cast<size_t>(g * B + b)]);
      const long long room = at < data_end ? static_cast<long long>(data_end - at) / 8 : 0;
      const long long n = std::min(wanted, room);
      if (n > 0 && fseeko(file, at, SEEK_SET) == 0)
        (void)std::fread(buffer.data(), sizeof(double), static_cast<size_t>(n), file);
      next = 0;
    }
    double v = 0.0;
    if (rec.is_cutoff != 1 || rec.cutoff_mask[static_cast<size_t>(p)])
      v = next < buffer.size() ? buffer[next++] : 0.0;
    if (clamp) {
      if (p == 0) {
        rec.grid_min = 10000;
        rec.grid_max = -10000;
      } else {
        if (v > 2) v = 2;
        rec.grid_min = std::min(rec.grid_min, v);
        rec.grid_max = std::max(rec.grid_max, v);
      }
    }
    out[static_cast<size_t>(p)] = v;
  }
}

// Reads lines until one holds "/grid" or the file ends.
void skip_to_grid_end(FILE* file) {
  std::string line;
  while (read_line_into(file, line))
    if (find_nocase(line, "/grid") != std::string::npos) return;
}

void drop_grids(mol_data_t& rec, const char* warning) {
  make_warning(warning);
  deallocate_grids(rec);
}

}  // namespace

int orbital_type_from_letter(char c) {
  for (int k = 1; k < 8; ++k)
    if (c == orb_desc_short[k][0]) return k;
  return 0;
}

void read_grid_block(FILE* file, mol_data_t& rec) {
  const std::string header = read_line(file);
  if (header.size() <= 1) return;
  deallocate_grids(rec);
  rec.n_mo = clamp_int(key_long(header, "N_of_MO"));
  const long long grids = key_long(header, "N_of_Grids");
  const long long points = key_long(header, "N_of_Points");
  const long long block = key_long(header, "Block_Size");
  const long long blocks = key_long(header, "N_Blocks");
  rec.is_cutoff = clamp_int(key_long(header, "Is_cutoff"));
  rec.cutoff = key_double(header, "CutOff");
  rec.n_p = clamp_int(key_long(header, "N_P"));
  const bool bohr = header.find("BOHR") != std::string::npos;

  numbers_after_equals(read_line(file), rec.index_counts);
  std::array<long long, 3> net{};
  numbers_after_equals(read_line(file), net);
  numbers_after_equals(read_line(file), rec.origin);
  for (vec3& a : rec.axis) numbers_after_equals(read_line(file), a);
  for (double& c : rec.origin) c *= bohr_to_angstrom;
  for (vec3& a : rec.axis)
    for (double& c : a) c *= bohr_to_angstrom;
  const std::string orboff = read_line(file);
  const char* eq = std::strchr(orboff.c_str(), '=');
  const long long size = eq ? parse_long(eq + 1) : 0;

  // One description line per grid; the arrays grow with the lines read.
  std::vector<std::string> names;
  std::string line;
  for (long long g = 0; g < grids && read_line_into(file, line); ++g) names.push_back(line);
  bool found_density = false;
  while (read_line_into(file, line)) {
    if (find_nocase(line, "/grid") != std::string::npos) break;
    if (find_nocase(line, "density") != std::string::npos) {
      found_density = true;
      break;
    }
  }
  if (!found_density) {
    drop_grids(rec, missing_density);
    return;
  }
  const off_t data_start = ftello(file);
  const off_t end = file_size(file);
  const off_t data_end = size >= 0 && size <= end - data_start ? data_start + static_cast<off_t>(size) : -1;

  rec.n_grid_header = static_cast<int>(std::min<long long>(grids, static_cast<long long>(names.size())));
  if (const char* problem = check_grid_header(rec, net, points, size, block, blocks, data_end)) {
    drop_grids(rec, problem);
    if (data_end >= 0) fseeko(file, data_end, SEEK_SET);
    skip_to_grid_end(file);
    return;
  }
  rec.n_points = static_cast<int>(points);
  rec.block_size = clamp_int(block);
  rec.n_blocks = clamp_int(blocks);
  for (int a = 0; a < 3; ++a) rec.net[static_cast<size_t>(a)] = static_cast<int>(net[static_cast<size_t>(a)]);
  allocate_grids(rec, rec.n_grid_header);
  for (size_t g = 0; g < names.size() && g < rec.grid_kind.size(); ++g) read_grid_description(names[g], rec, g);

  if (rec.is_cutoff == 1 && rec.n_points > 0) compute_cutoff_mask(rec, bohr ? rec.cutoff * bohr_to_angstrom : rec.cutoff);
  if (rec.n_points > 0) compute_block_offsets(rec);
  rec.grid_data_size = size;
  iorb = rec.n_grid_header - 1;
  rec.grid_data_start = static_cast<int64_t>(data_start);
  for (int g = 0; g < rec.ngrid(); ++g)
    if (rec.grid_kind[static_cast<size_t>(g)] == GRID_EPOT) read_epoten_grid(file, rec, g);
  fseeko(file, data_end, SEEK_SET);
  skip_to_grid_end(file);
}

void read_epoten_grid(FILE* file, mol_data_t& rec, int j) {
  if (!file) {
    make_warning("ERROR in reading Epot: Can't open file containig grid data!");
    return;
  }
  if (j < 0 || j >= rec.ngrid()) {
    make_warning("ERROR in reading Epot: Grid number out of range!");
    return;
  }
  read_grid_values(file, rec, j, rec.epot_values, false);
}

void read_grid_from_file() {
  if (!m) return;
  if (input_file_name.empty()) {
    drop_grids(*m, "ERROR: File containing grid data is undefined!");
    return;
  }
  file_ptr file(open_current_mivor_file(), std::fclose);
  if (!file) {
    drop_grids(*m, "ERROR: Can't open file containig grid data!");
    return;
  }
  if (iorb < 0 || iorb >= m->ngrid()) {
    drop_grids(*m, "ERROR: Grid number out of range!");
    return;
  }
  read_grid_values(file.get(), *m, iorb, m->grid_values, true);
  compute_iso_levels(*m);
}

void compute_iso_levels(mol_data_t& rec) {
  const double V = std::max(std::fabs(rec.grid_min), std::fabs(rec.grid_max));
  std::array<double, 21> t{};
  for (int i = 1; i <= 20; ++i) t[static_cast<size_t>(i)] = V / 20 * (i - 0.001);

  // S[i]: the sum of the squares of the values whose magnitude exceeds
  // t[i]. Each value adds its square to the highest threshold it exceeds;
  // the sums from the top down then give every S[i] in one pass.
  std::array<double, 21> above{};
  for (double v : rec.grid_values) {
    const double a = std::fabs(v);
    if (!(a > 0)) continue;
    int k = V > 0 ? static_cast<int>(std::min(20.0, std::floor(a / V * 20 + 0.001))) : 0;
    k = std::max(0, k);
    while (k > 0 && !(a > t[static_cast<size_t>(k)])) --k;
    while (k < 20 && a > t[static_cast<size_t>(k + 1)]) ++k;
    above[static_cast<size_t>(k)] += v * v;
  }
  std::array<double, 22> S{};
  for (int i = 20; i >= 0; --i) S[static_cast<size_t>(i)] = S[static_cast<size_t>(i + 1)] + above[static_cast<size_t>(i)];

  double h = 0.1;
  rec.iso_levels[0] = 0;
  for (int i = 1; i <= 20; ++i) {
    const double o = i / 20.0 * S[0];
    for (int j = 0; j < 20; ++j) {
      const double sj = S[static_cast<size_t>(j)], sj1 = S[static_cast<size_t>(j + 1)];
      if (!(sj >= o && o > sj1)) continue;
      const double tj = t[static_cast<size_t>(j)], tj1 = t[static_cast<size_t>(j + 1)];
      h = std::fabs(sj - sj1) < 1e-10 ? (tj + tj1) / 2 : tj + (tj1 - tj) * (o - sj1) / (sj - sj1);
    }
    if (rec.grid_max < h) h = -h;
    rec.iso_levels[static_cast<size_t>(i)] = h;
  }
  char text[64];
  std::snprintf(text, sizeof text, "%7.0le", rec.iso_levels[14]);
  rec.iso_value = std::strtod(text, nullptr);
}

void current_grid_limits(double* min, double* max, double* iso) {
  if (!m || m->ngrid() == 0) return;
  if (min) *min = m->grid_min;
  if (max) *max = m->grid_max;
  if (iso) *iso = m->iso_value;
}

int current_grid_data(const double** out) {
  if (!m || m->ngrid() == 0) return 0;
  if (out) *out = m->grid_values.data();
  return 1;
}

int get_orbital(int sym, int index) {
  if (!m) return -1;
  for (int g = 0; g < m->ngrid(); ++g)
    if (m->orb_sym[static_cast<size_t>(g)] == sym && m->orb_index[static_cast<size_t>(g)] == index) return g;
  return -1;
}
