#include "app/startup.h"

#include "app/calc_defs.h"
#include "app/command_line.h"
#include "app/config_dir.h"
#include "app/config_files.h"
#include "app/settings_file.h"
#include "document/open_close.h"
#include "edit/fragment_library.h"
#include "formats/file_types.h"
#include "molecule/elements.h"
#include "molecule/mol_data.h"
#include "molecule/settings.h"

void run_startup_before_window(int argc, char** argv) {
  init_variables();
  init_input_filetypes();
  load_atom_data();
  load_fragment_data();
  load_calc_def_data();
  load_settings_data(argc, argv);
}

void load_settings_data(int argc, char** argv) {
  set_default_settings();
  load_values_from_config_file();
  load_values_from_command_line_args(argc, argv);
}

void open_cmd_line_file() {
  if (init_filename)
    open_file(init_filename, std::nullopt);
  else
    new_mol(1);
}
