// Keys are dispatched in a fixed order: text-box placement and typing,
// Control, the focus of a text entry, an empty molecule, then the command
// table. Every key is consumed while keys are accepted.
//
// The command table lists (keys, condition, command) rows in the order they
// are tested: the first row that names the key and whose condition holds
// runs; a key whose rows all fail, or that no row names, does nothing. The
// conditions read the key press and the molecule's state from
// `key_context_t`; commands that change settings or the scene live in the
// core (edit/key_commands.h, edit/edit_keys.h), those that choose between
// moving the OpenGL view and editing the molecule in ui/move_commands.h, the
// window's own (dialogs, menus, the view's camera) here.
#include "ui/keyboard.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "app/settings_file.h"
#include "document/undo.h"
#include "edit/atom_edit.h"
#include "edit/atom_order.h"
#include "edit/edit_keys.h"
#include "edit/fragment_insert.h"
#include "edit/internal_moves.h"
#include "edit/key_commands.h"
#include "edit/marking.h"
#include "edit/moves.h"
#include "edit/selection.h"
#include "edit/symmetry_ops.h"
#include "edit/textbox_editing.h"
#include "edit/watched.h"
#include "molecule/decorations.h"
#include "molecule/memory_budget.h"
#include "molecule/notify.h"
#include "molecule/settings.h"
#include "render/gl/view_gl.h"
#include "ui/gl_scope.h"
#include "ui/move_commands.h"
#include "ui/screenshot.h"
#include "ui/settings_dialogs.h"
#include "ui/widgets.h"

namespace {

using key_condition_t = bool (*)(const key_context_t&);
using key_command_t = void (*)(const key_context_t&);

struct key_row_t {
  std::vector<unsigned> keys;
  key_condition_t when;  // null: always
  key_command_t run;
  bool needs_gl = false;  // runs only with the drawing area's context current
};

// ---- Conditions ----
bool shift(const key_context_t& c) { return c.shift; }
bool no_shift(const key_context_t& c) { return !c.shift; }
bool alt(const key_context_t& c) { return c.alt; }
bool editable(const key_context_t& c) { return c.editable; }
bool vibrations(const key_context_t& c) { return c.vibrations; }
bool grids(const key_context_t& c) { return c.grids; }
bool not_two_selected(const key_context_t& c) { return c.n_selected != 2; }
bool two_selected(const key_context_t& c) { return c.n_selected == 2; }
// "3" with three selected atoms on an editable molecule makes a triangle.
bool grids_unless_triangle(const key_context_t& c) { return c.grids && !(c.editable && c.n_selected == 3); }
// "w" with one selected atom on an editable molecule adds a fragment.
bool not_one_selected_editable(const key_context_t& c) { return !(c.editable && c.n_selected == 1); }
bool one_selected_editable(const key_context_t& c) { return c.editable && c.n_selected == 1; }
bool three_selected_editable(const key_context_t& c) { return c.editable && c.n_selected == 3; }
bool four_selected_editable(const key_context_t& c) { return c.editable && c.n_selected == 4; }
bool two_or_three_selected(const key_context_t& c) { return c.n_selected == 2 || c.n_selected == 3; }

// ---- Commands of the window ----
void background_dialog(const key_context_t&) { show_color_dialog(GINT_TO_POINTER(0)); }

void step_isolevel(const key_context_t& c) {
  change_isolevel(c.keysym == '+' || c.keysym == key::KP_Add ? 0.01 : -0.01);
  mivor_gtk_show_isolevel();
}

// Rows are tested in this order; see the file's opening comment.
const std::vector<key_row_t>& command_table() {
  static const std::vector<key_row_t> rows = {
      {{key::F1}, nullptr, [](const key_context_t&) { mivor_gtk_callback_help(); }},
      {{key::F2}, nullptr, [](const key_context_t&) { callback_save_as_file(); }},
      {{key::F3}, grids, [](const key_context_t&) { mivor_gtk_show_multiorb_window(); }},
      {{key::F5}, shift, [](const key_context_t&) { do_screenshot(1); }},
      {{key::F5}, no_shift, [](const key_context_t&) { do_screenshot(0); }},
      {{key::F9}, shift, background_dialog},
      {{key::F9}, no_shift, [](const key_context_t&) { save_settings_data(); }},
      // Saves as File Save does and ends at once, without the main loop;
      // when nothing was saved the program stays, so that no work is lost.
      {{key::F10},
       nullptr,
       [](const key_context_t&) {
         if (!save_current_file()) return;
         remove_backup();
         std::exit(0);
       }},
      {{key::BackSpace},
       editable,
       [](const key_context_t&) {
         get_backup();
         rerender_3d();
       }},
      {{key::Home}, editable, [](const key_context_t&) { set_origin_molecule(); }},
      {{key::F8}, editable, [](const key_context_t& c) { symmetry_key(c.shift); }},
      {{key::Left, key::Right},
       nullptr,
       [](const key_context_t& c) { Do_key_lr(c.keysym == key::Right ? 1 : 0, c.shift); },
       true},
      {{key::Up, key::Down},
       nullptr,
       [](const key_context_t& c) { Do_key_ud(c.keysym == key::Up ? 1 : 0, c.shift); },
       true},
      {{key::Page_Up, key::Page_Down},
       editable,
       [](const key_context_t& c) { do_key_page(c.keysym == key::Page_Up ? 1 : 0, c.shift); },
       true},
      {{' '}, nullptr, [](const key_context_t&) { clear_selection_or_marks(); }},
      {{'+', key::KP_Add}, vibrations, [](const key_context_t&) { Input_Data.vibration_speed += 0.1; }},
      {{'+', key::KP_Add}, grids, step_isolevel},
      {{'-', key::KP_Subtract}, vibrations, [](const key_context_t&) { Input_Data.vibration_speed -= 0.1; }},
      {{'-', key::KP_Subtract}, grids, step_isolevel},
      {{'A'}, vibrations, [](const key_context_t&) { Input_Data.vibration_amplitude += 0.1; }},
      {{'A'}, nullptr, [](const key_context_t&) { step_material_style(); }},
      {{'a'}, vibrations, [](const key_context_t&) { Input_Data.vibration_amplitude -= 0.1; }},
      {{'a'}, grids, [](const key_context_t&) { change_orbital_type(4); }},
      {{'f', 'i', '1', key::KP_1, '2', key::KP_2, 's', 'd'},
       grids,
       [](const key_context_t& c) { change_orbital_type(orbital_type_of_key(c.keysym)); }},
      {{'3', key::KP_3},
       grids_unless_triangle,
       [](const key_context_t& c) { change_orbital_type(orbital_type_of_key(c.keysym)); }},
      {{'B', 'G', 'U', 'b', 'g', 'r'}, nullptr, background_dialog},
      {{'c'}, nullptr, [](const key_context_t&) {}},  // a redraw, as after every key
      {{'l'}, nullptr, [](const key_context_t&) { mivor_gtk_move_light_state(); }, true},
      {{'m'}, nullptr, [](const key_context_t&) { toggle_animation(); }},
      {{'P'}, nullptr, [](const key_context_t&) { do_screenshot(2); }},
      {{'p'}, nullptr, [](const key_context_t&) { do_screenshot(3); }},
      {{'Q'}, nullptr, [](const key_context_t&) { change_sphere_quality(1); }},
      {{'q'}, nullptr, [](const key_context_t&) { change_sphere_quality(-1); }},
      {{'T'}, nullptr, [](const key_context_t&) { change_transparency(-0.1f); }},
      {{'t'}, alt, [](const key_context_t&) { change_transparency(2.0f); }},
      {{'t'}, nullptr, [](const key_context_t&) { change_transparency(0.1f); }},
      {{'V'}, nullptr, [](const key_context_t&) { ViewPoint(1); }, true},
      {{'v'}, not_two_selected, [](const key_context_t&) { ViewPoint(0); }, true},
      {{'v'}, two_selected, [](const key_context_t&) { toggle_symmetry_operation(); }},
      {{'w'}, not_one_selected_editable, [](const key_context_t&) { toggle_grayscale(); }},
      {{'x'}, nullptr, [](const key_context_t&) { callback_maximize(); }},
      {{'Z'}, nullptr, [](const key_context_t&) { change_scale(1); }, true},
      {{'z'}, nullptr, [](const key_context_t&) { change_scale(-1); }, true},
      // Editing: marks, measures and moves, atoms, bonds and fragments.
      {{key::F6}, shift, [](const key_context_t&) { remove_all_watched_coords(); }},
      {{key::F6}, no_shift, [](const key_context_t&) { add_watched_coord(); }},
      {{key::F7}, nullptr, [](const key_context_t&) { mark_neighbor(); }},
      {{key::Escape}, nullptr, [](const key_context_t& c) { key_escape(c.editable); }},
      {{key::End}, editable, [](const key_context_t&) { add_atoms(1); }},
      {{key::Insert, key::F12}, editable, key_insert},
      {{key::Delete}, editable, key_delete},
      {{'#'}, editable, [](const key_context_t&) { renumber_marked(); }},
      {{'*'}, nullptr, [](const key_context_t&) { reverse_marked(); }},
      {{'|'}, two_or_three_selected, [](const key_context_t&) { mark_one_side(); }},
      {{'+', key::KP_Add}, editable, [](const key_context_t&) { mivor_gtk_move_coord_step(1); }},
      {{'-', key::KP_Subtract}, editable, [](const key_context_t&) { mivor_gtk_move_coord_step(-1); }},
      {{'a'}, nullptr, [](const key_context_t&) { mark_H(); }},
      {{'3', key::KP_3}, three_selected_editable, [](const key_context_t&) { add_triangle_selected(); }},
      {{'4', key::KP_4}, three_selected_editable, [](const key_context_t&) { add_surface_selected(); }},
      {{'6', key::KP_6}, four_selected_editable, [](const key_context_t&) { add_cell_selected(); }},
      {{'I'}, editable, [](const key_context_t&) { do_key_insert(); }},
      {{'w'}, one_selected_editable, [](const key_context_t&) { add_fragment(0); }},
  };
  return rows;
}

// Runs the first row for the key whose condition holds, then redraws.
void command_key(const key_context_t& c) {
  for (const key_row_t& row : command_table()) {
    if (std::find(row.keys.begin(), row.keys.end(), c.keysym) == row.keys.end()) continue;
    if (row.when && !row.when(c)) continue;
    // A command that runs out of memory is told; the window keeps running.
    run_within_memory(
        [&] {
          if (row.needs_gl) {
            GlScope gl(drawingarea);
            if (gl) row.run(c);
          } else {
            row.run(c);
          }
        },
        "ERROR: Not enough memory");
    break;
  }
  invalidate_drawing_area();
}

// Typing into the new text box.
void text_entry_key(unsigned keysym) {
  if (keysym == key::BackSpace) {
    textbox_key(TextboxKey::backspace);
  } else if (is_enter_key(keysym)) {
    textbox_key(TextboxKey::finish);
  } else if (keysym == key::Escape) {
    textbox_key(TextboxKey::escape);
  } else if (const auto c = typed_character(keysym)) {
    textbox_key(TextboxKey::character, *c);
  }
  invalidate_drawing_area();
}

bool is_control(unsigned keysym) { return keysym == key::Control_L || keysym == key::Control_R; }

}  // namespace

std::vector<unsigned> key_table_keys() {
  std::vector<unsigned> keys;
  for (const key_row_t& row : command_table())
    for (unsigned k : row.keys)
      if (std::find(keys.begin(), keys.end(), k) == keys.end()) keys.push_back(k);
  return keys;
}

gboolean mivor_gtk_key_press(GtkWidget*, GdkEventKey* event, gpointer) {
  const unsigned keysym = event->keyval;
  if (textbox_state == 1) return TRUE;
  if (textbox_state == 2) {
    text_entry_key(keysym);
    return TRUE;
  }
  if (is_control(keysym)) {
    control_pressed = 1;
    return TRUE;
  }
  if (control_pressed) {
    if (keysym == 'h') mivor_gtk_callback_help();
    if (keysym == 'q') Kill_Gui();
    if (keysym == 'o') callback_open_file();
    return TRUE;
  }
  if (!accept_keys) return FALSE;
  // Shift and Alt as they were when the key went down: the event carries
  // them, while the pointer's state may already have moved on.
  const guint modifiers = event->state;
  const key_context_t context =
      current_key_context(keysym, (modifiers & GDK_SHIFT_MASK) != 0, (modifiers & GDK_MOD1_MASK) != 0);
  // An empty molecule takes only F1 and F9.
  if (molecule_is_empty() && keysym != key::F1 && keysym != key::F9) return TRUE;
  command_key(context);
  return TRUE;
}

gboolean mivor_gtk_key_release(GtkWidget*, GdkEventKey* event, gpointer) {
  // Control is let go wherever the focus is: a release missed while an
  // entry had the focus would leave every later key swallowed.
  if (is_control(event->keyval)) control_pressed = 0;
  return accept_keys ? TRUE : FALSE;
}
