#include "support/recording_notifier.h"

#include "app/calc_defs.h"
#include "app/command_line.h"
#include "app/config_dir.h"
#include "document/current_file.h"
#include "document/undo.h"
#include "edit/fragment_library.h"
#include "edit/point_group.h"
#include "edit/symmetry_ops.h"
#include "formats/file_types.h"
#include "molecule/decorations.h"
#include "molecule/elements.h"
#include "molecule/mol_data.h"
#include "molecule/settings.h"
#include "render/isosurface.h"
#include "render/scene.h"
#include "render/view.h"

void reset_core_state() {
  // Bottom up, as the layers build on each other.
  reset_molecule_state();
  reset_settings_state();
  use_builtin_element_table();
  reset_decoration_state();
  reset_input_filetypes();
  deallocate_msrf();
  reset_scene_state();
  reset_view_state();
  reset_fragment_library();
  reset_findsym_state();
  reset_symmetry_state();
  remove_calc_def_data();
  reset_config_dir();
  reset_command_line();
}

void close_test_file() {
  remove_backup();
  reset_core_state();
  reset_current_file();
}
