// Writer of the native format. Each geometry is written as its coordinate
// part followed by its blocks in a fixed order.
//
// Two dialects: a save writes the program's sections (energies, gradients
// and the editable flag are not written; grid sections keep the grid
// descriptions, and the values and the embedded orbital file copied from
// the native file the grids were read from, with the orbital types the user
// changed). A converter's section also gives the energy, the RMS gradient and
// a status message; its grid section holds all values, one block per grid
// (Block_Size = N_of_Points, N_Blocks = 1, so grid g starts 8·g·P bytes
// after the "<DENSITY>" line), and a new orbital file. The two have always
// differed in a few spellings (the digits of the lattice, a blank after
// "GridName=", atom colours); each keeps its own so that files compare byte
// for byte with those written before.
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
#include "formats/safe_file.h"
#include "formats/saved_grids.h"
#include "formats/text_words.h"
#include "molecule/notify.h"
#include "molecule/version.h"

namespace {

enum class dialect_t { saved, converted };

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

// A converter gives an atom a colour only where it has its own.
void write_additional_atom_info_block(FILE* file, const mol_data_t& rec, dialect_t dialect) {
  if (!(rec.flags & ATOM_BLOCK_FLAGS)) return;
  std::fputs(" <ATOM>\n", file);
  for (int i = 0; i < rec.natom(); ++i) {
    if ((rec.flags & FLAG_ATOM_NAMES) && atom_name(rec, i))
      std::fprintf(file, "NAME = %s ", quoted_if_needed(*atom_name(rec, i)).c_str());
    if (rec.flags & FLAG_MULLIKEN) std::fprintf(file, "MULLIKEN_CHARGE = %f ", atom_mulliken(rec, i));
    if (rec.flags & FLAG_LOPROP) std::fprintf(file, "LOPROP_CHARGE = %f ", atom_loprop(rec, i));
    if (rec.flags & FLAG_ATOM_NUMBERS) std::fprintf(file, "NUMBER = %d ", atom_number(rec, i));
    if (rec.flags & FLAG_ATOM_SYMMETRY) std::fprintf(file, "SYMMETRY = %d ", atom_symmetry(rec, i));
    if (dialect == dialect_t::saved || (rec.flags & FLAG_ATOM_COLORS)) {
      const color_t c = atom_color(rec, i);
      std::fprintf(file, "RED=%f GREEN=%f BLUE=%f", d(c.red), d(c.green), d(c.blue));
    }
    std::fputs("\n", file);
  }
  std::fputs(" </ATOM>\n", file);
}

// `bonds_final`: the block (which turns automatic bonding off) is written
// even without bonds.
void write_bond_block(FILE* file, const mol_data_t& rec, bool bonds_final) {
  if (rec.bond.empty() && !bonds_final) return;
  std::fputs(" <BOND>\n AUTOMATIC = 0\n", file);
  for (const bond_t& b : rec.bond) std::fprintf(file, " %d  %d  %d\n", b.a1 + 1, b.a2 + 1, b.type);
  std::fputs(" </BOND>\n", file);
}

// What a converter's section says beyond the save's: the energy, the RMS
// gradient and a message for the status bar.
void write_converted_blocks(FILE* file, const geometry_section_t& g) {
  if (g.rec.flags & FLAG_ENERGY) std::fprintf(file, " <ENERGY>\n %.10f\n </ENERGY>\n", g.rec.energy);
  if (g.rec.flags & FLAG_RMS_GRAD) std::fprintf(file, " <RMS_GRAD>\n %.10f\n </RMS_GRAD>\n", g.rec.rms_grad);
  if (g.message) std::fprintf(file, " <WRITE>\n%s\n </WRITE>\n", single_line(*g.message).c_str());
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

// What a grid header says of the values after it: none, when a save has
// no values to copy; all of them, one block per grid, in a converter's
// section that does not give its own layout.
grid_values_layout_t layout_without_values(const grid_data_t& g) {
  grid_values_layout_t l;
  l.is_cutoff = g.is_cutoff;
  return l;
}

grid_values_layout_t layout_of_all_values(const mol_data_t& rec) {
  grid_values_layout_t l;
  l.points = rec.grid->points();
  l.block_size = l.points;
  l.n_blocks = l.points > 0 ? 1 : 0;
  l.net = rec.grid->net;
  l.bytes = 8 * rec.ngrid() * l.points;
  return l;
}

// The header and grid names, up to the line after which the values start.
void write_grid_header(FILE* file, const mol_data_t& rec, const grid_values_layout_t& l, dialect_t dialect) {
  const grid_data_t& g = *rec.grid;
  std::fputs(" <GRID>\n", file);
  std::fprintf(file,
               " N_of_MO=%d N_of_Grids=%d N_of_Points=%lld Block_Size=%lld N_Blocks=%d Is_cutoff=%d CutOff=%8.4f "
               "N_P=%d%s\n",
               g.n_mo, rec.ngrid(), l.points, l.block_size, l.n_blocks, l.is_cutoff, g.cutoff, l.n_p,
               l.bohr ? " BOHR" : "");
  const auto& ic = g.index_counts;
  std::fprintf(file, " N_INDEX= %d %d %d %d %d %d %d\n", ic[0], ic[1], ic[2], ic[3], ic[4], ic[5], ic[6]);
  std::fprintf(file, " Net= %d %d %d\n", l.net[0], l.net[1], l.net[2]);
  // The lattice in bohr, as the reader takes it.
  const lattice_t bohr = g.lattice().scaled(1 / bohr_to_angstrom);
  const char* const point = dialect == dialect_t::saved ? " %s= %lf %lf %lf\n" : " %s= %.10f %.10f %.10f\n";
  std::fprintf(file, point, "Origin", bohr.origin[0], bohr.origin[1], bohr.origin[2]);
  const char* const axis_names[3] = {"Axis_1", "Axis_2", "Axis_3"};
  for (size_t a = 0; a < 3; ++a)
    std::fprintf(file, point, axis_names[a], bohr.axis[a][0], bohr.axis[a][1], bohr.axis[a][2]);
  std::fprintf(file, " ORBOFF = %lld\n", l.bytes);
  for (size_t k = 0; k < g.grid_kind.size(); ++k) {
    const std::string name = g.grid_name[k].value_or("");
    if (name.find("Orbital") != std::string::npos) {
      const int type = g.orb_type[k];
      std::fprintf(file, " GridName= Orbital  sym= %d index=%d Energ=%f occ=%f type=%s\n", g.orb_sym[k], g.orb_index[k],
                   g.orb_energy[k], g.orb_occ[k], orb_desc_short[type >= 0 && type < 8 ? type : 0]);
    } else {
      std::fprintf(file, dialect == dialect_t::saved ? " GridName=%s\n" : " GridName= %s\n",
                   quoted_if_needed(single_line(name)).c_str());
    }
  }
  std::fputs(" <DENSITY>\n", file);
}

// The closing lines after the values, with the orbital file when there is
// one.
void write_grid_trailer(FILE* file, const std::optional<orbital_file_t>& orbitals) {
  std::fputs(" </DENSITY>\n <BASIS>\n </BASIS>\n", file);
  if (orbitals) write_orbital_file(file, *orbitals);
  std::fputs(" </GRID>\n", file);
}

// The grid section: header, values, orbital file. A section without values
// to write says so in its header. False (with `values_error` set, when
// given) when the values could not be written.
bool write_grid_section(FILE* file, const mol_data_t& rec, const grid_output_t* grids, dialect_t dialect,
                        std::string* values_error) {
  const bool values = grids && grids->write_values;
  const grid_values_layout_t layout = !values         ? layout_without_values(*rec.grid)
                                      : grids->layout ? *grids->layout
                                                      : layout_of_all_values(rec);
  write_grid_header(file, rec, layout, dialect);
  std::string error;
  if (values && !grids->write_values(file, error)) {
    if (values_error) *values_error = error;
    return false;
  }
  static const std::optional<orbital_file_t> none;
  write_grid_trailer(file, grids ? grids->orbital_file : none);
  return true;
}

// How one section is written.
struct section_form_t {
  dialect_t dialect = dialect_t::saved;
  const geometry_section_t* converted = nullptr;  // the converter's section, in that dialect
  bool grid = false;                              // the grid section is written
  const grid_output_t* saved_grids = nullptr;     // a save's values and orbital file
  std::string* values_error = nullptr;            // why the values could not be written
};

// False when a converter's values could not be written.
bool write_section(FILE* file, const mol_data_t& rec, const section_form_t& form) {
  const geometry_section_t* converted = form.converted;
  std::fprintf(file, "  %d\n", rec.natom());
  if (converted)
    std::fprintf(file, "%s\n", single_line(converted->comment).c_str());
  else
    std::fprintf(file, "File generated by %s version %s\n", program_name, program_version);
  write_atom_lines(file, rec);
  write_additional_atom_info_block(file, rec, form.dialect);
  write_bond_block(file, rec, converted && converted->bonds_final);
  if (converted) write_converted_blocks(file, *converted);
  write_dipole_block(file, rec);
  for (const decoration_group_t& g : decoration_groups) write_decoration_blocks(file, rec, g);
  write_textbox_block(file, rec);
  if (form.grid && rec.ngrid() > 0) {
    const grid_output_t* grids = converted ? converted->grids : form.saved_grids;
    if (!write_grid_section(file, rec, grids, form.dialect, form.values_error)) return false;
  }
  write_vibration_block(file, rec);
  std::fputs(" <END>\n", file);
  return true;
}

}  // namespace

void write_inporb_block(FILE* file, const mol_data_t& rec, const grid_output_t& grids) {
  write_grid_section(file, rec, &grids, dialect_t::saved, nullptr);
}

void write_mol_section(FILE* file, const mol_data_t& rec, const grid_output_t* grids) {
  section_form_t form;
  form.grid = grids != nullptr;
  form.saved_grids = grids;
  write_section(file, rec, form);
}

void write_all_data_to_output(FILE* file, int grid, FILE* grid_source) {
  if (!grid) {
    for (const mol_data_t& rec : mol) write_mol_section(file, rec, nullptr);
    return;
  }
  const saved_grids_t grids = plan_saved_grids(grid_source, mol);
  std::vector<size_t> failed;
  write_saved_geometries(file, grids, failed);
}

bool write_saved_geometries(FILE* file, const saved_grids_t& grids, std::vector<size_t>& failed) {
  section_form_t form;
  form.grid = true;
  for (size_t i = 0; i < mol.size(); ++i) {
    form.saved_grids = i < grids.outputs.size() ? &grids.outputs[i] : nullptr;
    std::string error;
    form.values_error = &error;
    if (!write_section(file, mol[i], form)) {
      // The file itself failed, or the values' source: only the source's
      // failure is the values'.
      if (std::ferror(file) == 0) failed.push_back(i);
      return false;
    }
  }
  return std::ferror(file) == 0;
}

bool write_geometry_sections(const std::string& path, const std::vector<geometry_section_t>& sections,
                             std::string& error) {
  std::string values_error;
  const AtomicWrite result = write_file_atomically(path, [&](FILE* file) {
    section_form_t form;
    form.dialect = dialect_t::converted;
    form.grid = true;
    form.values_error = &values_error;
    for (const geometry_section_t& g : sections) {
      form.converted = &g;
      if (!write_section(file, g.rec, form) || std::ferror(file)) return false;
    }
    return true;
  });
  if (result == AtomicWrite::done) return true;
  const std::string reason =
      last_write_errno() ? std::string(" (") + std::strerror(last_write_errno()) + ")" : std::string();
  if (!values_error.empty())
    error = values_error;
  else if (result == AtomicWrite::not_created)
    error = "can't create a file in the directory of " + path;
  else if (result == AtomicWrite::not_written)
    error = "can't write " + path + (reason.empty() ? std::string(" (disk full?)") : reason);
  else if (result == AtomicWrite::not_synced)
    error = "can't sync " + path + " to the disk" + reason;
  else
    error = "can't rename the new file to " + path + reason;
  return false;
}

std::string geometry_section_text(const geometry_section_t& g) {
  file_ptr file(std::tmpfile(), std::fclose);
  if (!file) return {};
  section_form_t form;
  form.dialect = dialect_t::converted;
  form.converted = &g;
  write_section(file.get(), g.rec, form);
  std::rewind(file.get());
  std::string text;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0;) text.append(buffer, n);
  return text;
}
