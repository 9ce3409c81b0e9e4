// Fuzz targets for the configuration files a user may edit or a hostile
// directory may hold: one target per reader, chosen when this file is
// compiled (MIVOR_FUZZ_READER). Each reads the input as its file and uses
// what it read the way the program does next.
#include <cstdio>
#include <memory>
#include <string>

#include "app/calc_defs.h"
#include "app/settings_file.h"
#include "edit/fragment_library.h"
#include "formats/element_table_file.h"
#include "formats/file_types.h"
#include "formats/safe_file.h"
#include "fuzz_support.h"
#include "molecule/elements.h"
#include "molecule/settings.h"
#include "render/view.h"

namespace {

// "atoms.rc": the element table, then the atoms.rc text written from it.
void atoms_rc(const std::string& path) {
  file_ptr file = open_file_ptr(path, "rb");
  if (!file) return;
  read_atom_data(file.get());
  int lines = 0;
  atom_data_text(e, &lines);
  find_element("C");
  use_builtin_element_table();
}

// "mivor.rc": the settings, then the text a save would write.
void mivor_rc(const std::string& path) {
  set_default_settings();
  read_settings_file(path);
  settings_file_text();
}

// "plugin.rc": the file types, then a type looked up by name.
void plugin_rc(const std::string& path) {
  read_input_filetypes(path);
  get_filetype("molecule.xyz");
  get_filetype("noextension");
  reset_input_filetypes();
}

void fragments_rc(const std::string& path) {
  read_fragment_list(path);
  reset_fragment_library();
}

void calculation_rc(const std::string& path) {
  read_calc_defs(path);
  calc_defs.clear();
}

// ".ViewPoint": parsed over the view in force, then judged usable or not.
void viewpoint(const std::string& path) {
  file_ptr file = open_file_ptr(path, "rb");
  if (!file) return;
  std::string text(15 * 63, '\0');
  text.resize(std::fread(&text[0], 1, text.size(), file.get()));
  if (const auto vp = parse_viewpoint(text, viewpoint_t{})) viewpoint_is_usable(*vp);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz_init();
  const std::string path = fuzz_write_input(data, size);
  MIVOR_FUZZ_READER(path);
  return 0;
}
