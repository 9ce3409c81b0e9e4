#include "support/recording_notifier.h"

#include "app/calc_defs.h"
#include "app/command_line.h"
#include "app/config_dir.h"
#include "app/settings.h"
#include "edit/fragment_library.h"
#include "formats/file_types.h"
#include "molecule/decorations.h"
#include "molecule/elements.h"
#include "molecule/mol_data.h"
#include "molecule/open_close.h"
#include "molecule/undo.h"
#include "render/scene.h"
#include "render/view.h"

void reset_core_state() {
  deallocate_mol_data();
  igeo = ivib = iorb = 0;
  should_bonding_be_determined = 0;
  set_default_settings();
  const auto& table = e_default_table();
  e.assign(table.begin(), table.begin() + n_default_elements);
  def_elem = builtin_def_elem;
  rcdir.clear();
  error_config_does_not_exist = 0;
  init_filename = nullptr;
  input_filetypes.clear();
  calc_defs.clear();
  frag.clear();
  last_fragment = 0;
  textbox_state = 0;
  textbox_number = 0;
  unset_go_selected();
  reset_scene_state();
  reset_view_state();
}

void close_test_file() {
  remove_backup();
  reset_core_state();
  input_file_name.clear();
}
