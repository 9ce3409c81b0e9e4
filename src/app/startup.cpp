#include "app/startup.h"

#include "app/calc_defs.h"
#include "app/command_line.h"
#include "app/config_dir.h"
#include "app/settings.h"
#include "edit/fragment_library.h"
#include "formats/file_types.h"
#include "molecule/elements.h"
#include "molecule/mol_data.h"
#include "molecule/open_close.h"

void run_startup_before_window(int argc, char** argv) {
  init_variables();
  init_input_filetypes();
  load_atom_data();
  load_fragment_data();
  load_calc_def_data();
  load_settings_data(argc, argv);
}

void open_cmd_line_file() {
  if (init_filename)
    open_file(init_filename, std::nullopt);
  else
    new_mol(1);
}
