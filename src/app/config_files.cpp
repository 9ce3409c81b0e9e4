#include "app/config_files.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/config_dir.h"
#include "edit/fragment_library.h"
#include "formats/element_table_file.h"
#include "formats/file_types.h"
#include "formats/safe_file.h"
#include "molecule/elements.h"

std::string atoms_rc_path() { return rcdir + "/atoms.rc"; }

void load_atom_data() {
  e.clear();
  def_elem.clear();
  const std::string path = atoms_rc_path();
  file_ptr file = open_file_ptr(path, "rb");
  if (!file) {
    use_builtin_element_table();
    Write_Atom_data(path);
    return;
  }
  read_atom_data(file.get());
}

bool save_atom_data() { return Write_Atom_data(atoms_rc_path()); }

void load_fragment_data() {
  last_fragment = 0;
  if (!read_fragment_list(rcdir + "/fragments.rc")) std::fputs("ERROR: Can't load fragments\n", stderr);
}

void init_input_filetypes() {
  const char* env = std::getenv("MIVOR_DIR");
  for (const missing_converter_t& c : read_input_filetypes((env ? std::string(env) : rcdir) + "/plugin.rc"))
    record_startup_problem((c.backward ? PROBLEM_BACKWARD_CONVERTER : PROBLEM_FORWARD_CONVERTER) + c.type);
}
