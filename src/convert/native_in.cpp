// The native file read back for the backward converters and the
// calculations, by the program's own reader: atoms, charges, bonds and
// energies of every geometry with their comment lines; grid sections are
// stepped over by their byte count, never read as text.
#include "convert/native_in.h"

#include "formats/element_numbers.h"
#include "formats/native_reader.h"
#include "formats/safe_file.h"

namespace {

// Other formats name elements by their symbols: a label such as "C12" is
// its element's symbol; a word that names no element stays as it is.
void name_elements_by_symbol(mol_data_t& rec) {
  if (!rec.atoms.exists()) return;
  for (element_t& kind : rec.atoms.edit().kinds) {
    const std::string symbol = element_of_label(kind.name);
    if (!symbol.empty()) kind.name = symbol;
    if (kind.name.empty()) kind.name = "X";
  }
}

}  // namespace

bool read_native(const std::string& path, std::vector<geometry_section_t>& geometries, std::string& error) {
  file_ptr file = open_file_ptr(path, "rb");
  if (!file) {
    error = "can't be opened";
    return false;
  }
  geometries = read_geometry_sections(file.get());
  // A last section that holds nothing (after the last "<END>") is not a
  // geometry.
  if (!geometries.empty() && geometries.back().rec.natom() == 0) geometries.pop_back();
  if (geometries.empty()) {
    error = "holds no geometry";
    return false;
  }
  for (geometry_section_t& g : geometries) name_elements_by_symbol(g.rec);
  return true;
}
