// Writer of the native format. Each geometry is written as its coordinate
// part followed by its blocks in a fixed order; energies, gradients and the
// editable flag are not written. Grid sections keep only the grid
// descriptions and the embedded orbital file, copied from the native file
// the grids were read from with the orbital types the user changed.
#include "formats/native_writer.h"

#include <sys/types.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "formats/fixed_text.h"
#include "formats/grid_reader.h"
#include "formats/line_source.h"
#include "formats/text_words.h"
#include "molecule/notify.h"
#include "molecule/version.h"

namespace {

double d(float v) { return static_cast<double>(v); }

// Text made in memory and written to the file in large pieces, so that
// millions of lines cost little more than their digits.
class chunked_text {
 public:
  explicit chunked_text(FILE* file) : file_(file) {}
  ~chunked_text() { flush(); }
  chunked_text(const chunked_text&) = delete;
  chunked_text& operator=(const chunked_text&) = delete;

  std::string& text() { return text_; }
  // After each line: a full piece goes to the file.
  void line_done() {
    if (text_.size() >= 1 << 16) flush();
  }

 private:
  void flush() {
    std::fwrite(text_.data(), 1, text_.size(), file_);
    text_.clear();
  }
  FILE* file_;
  std::string text_;
};

void write_point(FILE* file, const vec3& p) {
  chunked_text out(file);
  append_point(out.text(), p);
}

// A name or symbol as one word that reads back unchanged: quoted when it is
// empty or holds blanks or control characters. Bytes beyond ASCII are
// written as they are.
std::string quoted_if_needed(const std::string& s) {
  const bool plain =
      !s.empty() && std::none_of(s.begin(), s.end(), [](char c) { return c >= 0 && (c <= 32 || c == 127); });
  return plain ? s : "\"" + s + "\"";
}

// A text-box line: the text up to its first line break is all that reads
// back; an absent text is an empty line.
const char* text_or_empty(const std::optional<std::string>& s) { return s ? s->c_str() : ""; }

// " SYMBOL  X  Y  Z", each coordinate as "%15.9f".
void write_atom_lines(FILE* file, const mol_data_t& rec) {
  chunked_text out(file);
  std::string& line = out.text();
  for (int i = 0; i < rec.natom(); ++i) {
    append_atom_line(line, quoted_if_needed(atom_element(rec, i).name), rec.xyz[static_cast<size_t>(i)]);
    out.line_done();
  }
}

void write_additional_atom_info_block(FILE* file, const mol_data_t& rec) {
  if (!(rec.flags & ATOM_BLOCK_FLAGS)) return;
  std::fputs(" <ATOM>\n", file);
  for (int i = 0; i < rec.natom(); ++i) {
    if ((rec.flags & FLAG_ATOM_NAMES) && atom_name(rec, i))
      std::fprintf(file, "NAME = %s ", quoted_if_needed(*atom_name(rec, i)).c_str());
    if (rec.flags & FLAG_MULLIKEN) std::fprintf(file, "MULLIKEN_CHARGE = %f ", atom_mulliken(rec, i));
    if (rec.flags & FLAG_LOPROP) std::fprintf(file, "LOPROP_CHARGE = %f ", atom_loprop(rec, i));
    if (rec.flags & FLAG_ATOM_NUMBERS) std::fprintf(file, "NUMBER = %d ", atom_number(rec, i));
    if (rec.flags & FLAG_ATOM_SYMMETRY) std::fprintf(file, "SYMMETRY = %d ", atom_symmetry(rec, i));
    const color_t c = atom_color(rec, i);
    std::fprintf(file, "RED=%f GREEN=%f BLUE=%f\n", d(c.red), d(c.green), d(c.blue));
  }
  std::fputs(" </ATOM>\n", file);
}

void write_bond_block(FILE* file, const mol_data_t& rec) {
  if (rec.bond.empty()) return;
  std::fputs(" <BOND>\n AUTOMATIC = 0\n", file);
  for (const bond_t& b : rec.bond) std::fprintf(file, " %d  %d  %d\n", b.a1 + 1, b.a2 + 1, b.type);
  std::fputs(" </BOND>\n", file);
}

void write_dipole_block(FILE* file, const mol_data_t& rec) {
  if (!(rec.flags & FLAG_DIPOLE)) return;
  std::fprintf(file, " <DIPOLE>\n%.6f  %.6f  %.6f\n </DIPOLE>\n", rec.dipole[0], rec.dipole[1], rec.dipole[2]);
}

void write_color_keys(FILE* file, const color_t& c) {
  std::fprintf(file, "RED = %f GREEN = %f BLUE = %f TRANSPARENCY = %f", d(c.red), d(c.green), d(c.blue), d(c.alpha));
}

// Every item of a decoration group: the marker, a key line with the colour
// and the group's reals, one line per point, the closing marker.
void write_decoration_blocks(FILE* file, const mol_data_t& rec, const decoration_group_t& g) {
  const decoration_data_t& deco = *rec.deco;
  for (size_t i = 0; i < static_cast<size_t>(g.count(rec)); ++i) {
    std::fprintf(file, "<%s>\n", g.marker);
    write_color_keys(file, (deco.*g.colors)[i]);
    for (const decoration_real_t& r : g.reals) std::fprintf(file, " %s = %f", r.key, (deco.*r.values)[i]);
    std::fputs(g.key_line_end, file);
    for (auto points : g.points) write_point(file, (deco.*points)[i]);
    std::fprintf(file, "</%s>\n", g.marker);
  }
}

void write_textbox_block(FILE* file, const mol_data_t& rec) {
  for (const textbox_t& box : rec.deco->textbox) {
    std::fprintf(file, "<TEXTBOX>\nRED = %f GREEN = %f BLUE = %f X=%d Y=%d\n", d(box.color.red), d(box.color.green),
                 d(box.color.blue), box.x, box.y);
    std::fprintf(file, "%s\n%s\n</TEXTBOX>\n", text_or_empty(box.font), text_or_empty(box.text));
  }
}

void write_vibration_block(FILE* file, const mol_data_t& rec) {
  for (size_t v = 0; v < rec.vib->freq.size(); ++v) {
    std::fprintf(file, "<VIBRATION>\n FREQ = %.6f ", rec.vib->freq[v]);
    if (rec.flags & FLAG_IR) std::fprintf(file, " IR_INT = %.6f ", rec.vib->ir_intensity[v]);
    if (rec.flags & FLAG_RAMAN) std::fprintf(file, " RAMAN_INT = %.6f ", rec.vib->raman_intensity[v]);
    std::fputs("\n", file);
    {
      chunked_text out(file);
      for (const vec3& p : rec.vib->normal_mode[v]) {
        append_point(out.text(), p);
        out.line_done();
      }
    }
    std::fputs("</VIBRATION>\n", file);
  }
}

// The type letters of the orbitals of one symmetry, as read from the
// embedded orbital file (the third character onwards of each line), and
// the count the counts line gives for it (-1 when it gives none). Only the
// letters the file holds are written again, at most `count` of them, so
// what is written is bounded by what was read.
struct symmetry_types {
  int count = -1;
  std::string letters;
};

void write_symmetry_types(FILE* file, const std::string& letters) {
  std::fputs("* 1234567890", file);
  for (size_t k = 0; k < letters.size(); ++k) {
    if (k % 10 == 0) std::fprintf(file, "\n%d ", static_cast<int>((k / 10) % 10));
    std::fputc(letters[k], file);
  }
  std::fputs("\n", file);
}

// Whether a line ends the grid section (or the geometry) the orbital file
// belongs to: nothing after it is part of that orbital file.
bool ends_grid_section(const std::string& line) {
  return find_nocase(line, "/grid") != std::string::npos || find_nocase(line, "<END>") != std::string::npos;
}

// The next line of the orbital file, or false at its end.
bool orbital_file_line(line_source& in, std::string& line) {
  if (!in.next(line)) return false;
  if (!ends_grid_section(line)) return true;
  in.put_back(std::move(line));
  return false;
}

bool starts_with_digit(const std::string& line) {
  return !line.empty() && std::isdigit(static_cast<unsigned char>(line[0]));
}

// The counts line: the number of symmetries in columns 1 to 8, then one
// 8-column field per symmetry. Files written for readers that take at most
// eight symmetries list only the first eight counts; a symmetry without a
// field (or with a field that holds no digit) has no count, and its letters
// are counted in its block.
class counts_line {
 public:
  explicit counts_line(const std::string& text) : text_(text) {
    while (!text_.empty() && (text_.back() == '\n' || text_.back() == '\r')) text_.pop_back();
  }
  int symmetries() const { return std::max(0, field(0).value_or(0)); }
  // Orbitals of symmetry s (from 0), or -1 when the line gives none.
  int orbitals(int s) const {
    const std::optional<int> f = field(static_cast<size_t>(s) + 1);
    return f ? std::max(0, *f) : -1;
  }

 private:
  std::optional<int> field(size_t k) const {
    if (k * 8 >= text_.size()) return std::nullopt;
    const std::string f = text_.substr(k * 8, 8);
    if (std::none_of(f.begin(), f.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
      return std::nullopt;
    return parse_int(f.c_str());
  }
  std::string text_;
};

// Reads the block of one symmetry: its "* 1234567890" line (when there is
// one), then every line that starts with a digit. False when neither comes
// next (the orbital file has no further block).
bool read_symmetry_block(line_source& in, symmetry_types& sym) {
  std::string line;
  bool any = false;
  if (orbital_file_line(in, line)) {
    if (!line.empty() && line[0] == '*')
      any = true;
    else
      in.put_back(std::move(line));
  }
  while (orbital_file_line(in, line)) {
    if (!starts_with_digit(line)) {
      in.put_back(std::move(line));
      break;
    }
    any = true;
    size_t end = line.size();
    while (end > 2 && std::isspace(static_cast<unsigned char>(line[end - 1]))) --end;
    if (end > 2) sym.letters.append(line, 2, end - 2);
  }
  // Letters beyond the count are dropped rather than given to the next
  // symmetry.
  if (sym.count >= 0 && sym.letters.size() > static_cast<size_t>(sym.count))
    sym.letters.resize(static_cast<size_t>(sym.count));
  return any;
}

// Copies the embedded orbital file that follows the grid data of `rec` in
// `source`, putting in the types the user changed. Only the orbital file of
// this grid section is read: the copy stops where the section ends.
void copy_orbital_file(FILE* file, FILE* source, const mol_data_t& rec) {
  if (fseeko(source, static_cast<off_t>(rec.grid->grid_data_start + rec.grid->grid_data_size), SEEK_SET) != 0) return;
  line_source in(source);
  std::string line;
  do {
    if (!orbital_file_line(in, line)) return;
  } while (find_nocase(line, "INPORB") == std::string::npos);
  std::fputs(line.c_str(), file);
  std::string counts;
  orbital_file_line(in, counts);
  std::fputs(counts.c_str(), file);
  const counts_line per_symmetry(counts);
  while (orbital_file_line(in, line)) {
    std::fputs(line.c_str(), file);
    if (line.find("#INDEX") != std::string::npos) break;
  }

  // The first eight symmetries are written even when their blocks are
  // missing (empty); further ones only as far as the file has blocks for
  // them, so that a claimed number of symmetries sizes nothing.
  std::vector<symmetry_types> syms;
  for (int s = 0; s < per_symmetry.symmetries(); ++s) {
    symmetry_types sym;
    sym.count = per_symmetry.orbitals(s);
    if (!read_symmetry_block(in, sym) && s >= 8) break;
    syms.push_back(std::move(sym));
  }
  for (size_t g = 0; g < rec.grid->grid_kind.size(); ++g) {
    if (!rec.grid->orb_type_changed[g]) continue;
    const int s = rec.grid->orb_sym[g] - 1, k = rec.grid->orb_index[g] - 1;
    if (s < 0 || static_cast<size_t>(s) >= syms.size() || k < 0 ||
        static_cast<size_t>(k) >= syms[static_cast<size_t>(s)].letters.size())
      continue;
    const int type = rec.grid->orb_type[g];
    syms[static_cast<size_t>(s)].letters[static_cast<size_t>(k)] = orb_desc_short[type >= 0 && type < 8 ? type : 0][0];
  }
  for (const symmetry_types& sym : syms) write_symmetry_types(file, sym.letters);
  std::fputs(" </INPORB>\n </GRID>\n", file);
}

}  // namespace

void write_inporb_block(FILE* file, const mol_data_t& rec, FILE* source) {
  std::fputs(" <GRID>\n", file);
  std::fprintf(file,
               " N_of_MO=%d N_of_Grids=%d N_of_Points=%d Block_Size=%d N_Blocks=%d Is_cutoff=%d CutOff=%8.4f N_P=%d\n",
               rec.grid->n_mo, rec.ngrid(), 0, 0, 0, rec.grid->is_cutoff, rec.grid->cutoff, 0);
  const auto& ic = rec.grid->index_counts;
  std::fprintf(file, " N_INDEX= %d %d %d %d %d %d %d\n", ic[0], ic[1], ic[2], ic[3], ic[4], ic[5], ic[6]);
  std::fprintf(file, " Net= %d %d %d\n", 0, 0, 0);
  // The lattice in bohr, as the reader takes it.
  const vec3 origin = rec.grid->origin / bohr_to_angstrom;
  std::fprintf(file, " Origin= %lf %lf %lf\n", origin[0], origin[1], origin[2]);
  for (int a = 0; a < 3; ++a) {
    const vec3 v = rec.grid->axis[static_cast<size_t>(a)] / bohr_to_angstrom;
    std::fprintf(file, " Axis_%d= %lf %lf %lf\n", a + 1, v[0], v[1], v[2]);
  }
  std::fprintf(file, " ORBOFF = %d", 0);
  for (size_t g = 0; g < rec.grid->grid_kind.size(); ++g) {
    const std::string name = rec.grid->grid_name[g].value_or("");
    if (name.find("Orbital") != std::string::npos) {
      const int type = rec.grid->orb_type[g];
      std::fprintf(file, "\n GridName= Orbital  sym= %d index=%d Energ=%f occ=%f type=%s", rec.grid->orb_sym[g],
                   rec.grid->orb_index[g], rec.grid->orb_energy[g], rec.grid->orb_occ[g],
                   orb_desc_short[type >= 0 && type < 8 ? type : 0]);
    } else {
      std::fprintf(file, "\n GridName=%s", quoted_if_needed(name).c_str());
    }
  }
  std::fputs("\n <DENSITY>\n </DENSITY>\n <BASIS>\n </BASIS>\n", file);
  if (source) copy_orbital_file(file, source, rec);
}

void write_mol_section(FILE* file, const mol_data_t& rec, int grid, FILE* grid_source) {
  std::fprintf(file, "  %d\n", rec.natom());
  std::fprintf(file, "File generated by %s version %s\n", program_name, program_version);
  write_atom_lines(file, rec);
  write_additional_atom_info_block(file, rec);
  write_bond_block(file, rec);
  write_dipole_block(file, rec);
  for (const decoration_group_t& g : decoration_groups) write_decoration_blocks(file, rec, g);
  write_textbox_block(file, rec);
  if (grid && rec.ngrid() > 0) write_inporb_block(file, rec, grid_source);
  write_vibration_block(file, rec);
  std::fputs(" <END>\n", file);
}

void write_all_data_to_output(FILE* file, int grid, FILE* grid_source) {
  for (const mol_data_t& rec : mol) write_mol_section(file, rec, grid, grid_source);
}
