// mivor-cli orbitals: every orbital of a geometry's orbital file with its
// irrep, index, energy, occupation and type, as JSON; types set from a
// script and saved as the viewer saves; the orbital file written out for
// the next calculation.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_common.h"
#include "cli/json_writer.h"
#include "document/current_file.h"
#include "document/open_close.h"
#include "document/save.h"
#include "edit/orbital_list_model.h"
#include "formats/file_names.h"
#include "formats/grid_reader.h"
#include "formats/inporb.h"
#include "formats/orbital_file.h"
#include "formats/safe_file.h"
#include "molecule/mol_data.h"

namespace {

struct orbital_entry_t {
  int symmetry = 0, index = 0;
  char letter = 'u';
  std::optional<double> energy, occupation;
  int grid = -1;  // the grid that shows it, or -1
};

struct type_setting_t {
  int symmetry = 0, index = 0;
  char letter = 'u';
};

// "SYM:INDEX=LETTER", both numbers from 1, the letter one of the type codes.
bool parse_setting(const std::string& word, type_setting_t& out) {
  int consumed = 0;
  char letter = 0;
  if (std::sscanf(word.c_str(), "%d:%d=%c%n", &out.symmetry, &out.index, &letter, &consumed) != 3 ||
      static_cast<size_t>(consumed) != word.size())
    return false;
  if (letter != 'u' && orbital_type_from_letter(letter) == 0) return false;
  out.letter = letter;
  return out.symmetry >= 1 && out.index >= 1;
}

// The orbitals of the geometry: those of its orbital file (with the
// energies and occupations the file holds, when it is an INPORB file),
// else those of its grids.
std::vector<orbital_entry_t> orbital_rows(const grid_data_t& grid, const std::optional<orbital_file_t>& file) {
  std::vector<orbital_entry_t> rows;
  if (file) {
    inporb_t numbers;
    std::string ignored;
    const bool has_numbers = parse_inporb(inporb_of_embedded(*file), numbers, ignored);
    size_t at = 0;
    for (size_t s = 0; s < file->letters.size(); ++s)
      for (size_t k = 0; k < file->letters[s].size(); ++k, ++at) {
        orbital_entry_t r;
        r.symmetry = static_cast<int>(s + 1);
        r.index = static_cast<int>(k + 1);
        r.letter = file->letters[s][k];
        if (has_numbers && !numbers.spins.empty() && numbers.types.size() == file->letters.size() &&
            numbers.types[s].size() == file->letters[s].size()) {
          const inporb_spin_t& alpha = numbers.spins[0];
          if (at < alpha.occupations.size()) r.occupation = alpha.occupations[at];
          if (at < alpha.energies.size()) r.energy = alpha.energies[at];
        }
        rows.push_back(r);
      }
  }
  for (size_t g = 0; g < grid.grid_kind.size(); ++g) {
    if (grid.orb_sym[g] < 1 || grid.orb_index[g] < 1) continue;
    orbital_entry_t* row = nullptr;
    for (orbital_entry_t& r : rows)
      if (r.symmetry == grid.orb_sym[g] && r.index == grid.orb_index[g]) row = &r;
    if (!row) {
      if (file) continue;
      row = &rows.emplace_back();
      row->symmetry = grid.orb_sym[g];
      row->index = grid.orb_index[g];
    }
    row->grid = static_cast<int>(g);
    const int type = grid.orb_type[g];
    row->letter = orb_desc_short[type >= 0 && type < 8 ? type : 0][0];
    row->energy = grid.orb_energy[g];
    row->occupation = grid.orb_occ[g];
  }
  return rows;
}

// Sets the type of the orbital on its grid, as the orbital list does, or
// among the types set for orbitals without one.
// The counts of each type in the header follow, as in the window.
bool set_type(mol_data_t& rec, std::vector<orbital_entry_t>& rows, const type_setting_t& t) {
  orbital_entry_t* row = nullptr;
  for (orbital_entry_t& r : rows)
    if (r.symmetry == t.symmetry && r.index == t.index) row = &r;
  if (!row) return false;
  const int type = orbital_type_from_letter(t.letter);
  move_index_count(rec, orbital_type_from_letter(row->letter), type);
  row->letter = t.letter;
  grid_data_t& grid = rec.grid.edit();
  if (row->grid >= 0) {
    grid.orb_type[static_cast<size_t>(row->grid)] = type;
    grid.orb_type_changed[static_cast<size_t>(row->grid)] = 1;
  } else {
    grid.orb_type_set.push_back({t.symmetry, t.index, type});
  }
  return true;
}

void print_rows(const std::string& file, int geometry, const std::vector<orbital_entry_t>& rows) {
  JsonWriter j(stdout);
  j.begin_object();
  j.key("file").value(file);
  j.key("geometry").value(geometry);
  j.key("orbitals").begin_array();
  for (const orbital_entry_t& r : rows) {
    j.begin_object();
    j.key("irrep").value(r.symmetry);
    j.key("index").value(r.index);
    j.key("energy");
    r.energy ? j.value(*r.energy) : j.null();
    j.key("occupation");
    r.occupation ? j.value(*r.occupation) : j.null();
    j.key("type").value(std::string(1, r.letter));
    j.key("grid");
    r.grid >= 0 ? j.value(r.grid) : j.null();
    j.end_object();
  }
  j.end_array();
  j.end_object();
  j.flush();
  std::fputs("\n", stdout);
}

std::optional<orbital_file_t> embedded_file(const mol_data_t& rec) {
  file_ptr source = open_current_mivor_file();
  if (!source) return std::nullopt;
  return read_orbital_file(source.get(), rec);
}

}  // namespace

int command_orbitals(const options_t& o, MessageCollector& told) {
  if (o.files.size() != 1 || !o.only({"--geometry", "--set-type", "--inporb"})) return 2;
  std::vector<type_setting_t> settings;
  for (const std::string& word : o.set_types) {
    type_setting_t t;
    if (!parse_setting(word, t)) {
      std::fprintf(stderr, "'%s' is not SYMMETRY:INDEX=TYPE (a type letter of u f i 1 2 3 s d)\n", word.c_str());
      return 2;
    }
    settings.push_back(t);
  }
  const std::optional<int> chosen = open_chosen_geometry(o, told);
  if (!chosen) return 1;
  const int g = *chosen;
  mol_data_t& rec = mol[static_cast<size_t>(g)];
  if (rec.ngrid() == 0) {
    std::fprintf(stderr, "geometry %d has no orbitals\n", g);
    return 1;
  }
  std::optional<orbital_file_t> file = embedded_file(rec);
  std::vector<orbital_entry_t> rows = orbital_rows(*rec.grid, file);
  if (!settings.empty()) {
    for (const type_setting_t& t : settings)
      if (!set_type(rec, rows, t)) {
        std::fprintf(stderr, "geometry %d has no orbital %d of symmetry %d\n", g, t.index, t.symmetry);
        return 1;
      }
    if (o.files[0] != make_mivor_file_name(o.files[0])) {
      std::fprintf(stderr, "%s is not a native file: types are saved into native files only\n", o.files[0].c_str());
      return 1;
    }
    if (!mivor_gtk_do_save_file(o.files[0], save_type_of(o.files[0]))) {
      print_messages_to_stderr(told);
      return 1;
    }
    file = embedded_file(rec);
    rows = orbital_rows(*rec.grid, file);
  }
  if (o.inporb) {
    if (!file) {
      std::fprintf(stderr, "geometry %d has no orbital file\n", g);
      return 1;
    }
    const std::string text = inporb_of_embedded(*file);
    inporb_t check;
    std::string why;
    if (!parse_inporb(text, check, why)) {
      std::fprintf(stderr,
                   "the orbital file of geometry %d holds the types only, not the orbitals of a run (%s): only files "
                   "made from INPORB or HDF5 orbital files can be written as one\n",
                   g, why.c_str());
      return 1;
    }
    if (!report_atomic_write(write_text_atomically(*o.inporb, text), *o.inporb, "cannot write " + *o.inporb)) {
      print_messages_to_stderr(told);
      return 1;
    }
  }
  print_rows(o.files[0], g, rows);
  return 0;
}
