// Keys are dispatched in a fixed order: text-box placement and typing,
// Control, the focus of a text entry, an empty molecule, then the command
// keys. Every key is consumed while keys are accepted.
#include "ui/keyboard.h"

#include <gdk/gdkkeysyms.h>

#include <cstdlib>

#include "app/config_dir.h"
#include "app/settings_file.h"
#include "document/undo.h"
#include "edit/moves.h"
#include "edit/selection.h"
#include "molecule/decorations.h"
#include "molecule/mol_data.h"
#include "molecule/notify.h"
#include "molecule/settings.h"
#include "render/gl/textbox_editing.h"
#include "render/gl/view_gl.h"
#include "render/isosurface.h"
#include "render/scene.h"
#include "ui/gl_scope.h"
#include "ui/settings_dialogs.h"
#include "ui/widgets.h"

namespace {

void rebuild() {
  rerender_3d();
  invalidate_drawing_area();
}

bool is_control(guint key) { return key == GDK_Control_L || key == GDK_Control_R; }

bool molecule_is_empty() {
  return !m || (m->natom() == 0 && m->nsphere() == 0 && m->nvector() == 0 && m->nsurf() == 0 && m->ntriangle() == 0 &&
                m->ncell() == 0);
}

// Typing into the new text box.
void text_entry_key(guint key) {
  switch (key) {
    case GDK_BackSpace:
      textbox_key(TextboxKey::backspace, 0);
      break;
    case GDK_Return:
    case GDK_KP_Enter:
    case GDK_Linefeed:
    case GDK_3270_Enter:
    case GDK_ISO_Enter:
      textbox_key(TextboxKey::finish, 0);
      break;
    case GDK_Escape:
      textbox_key(TextboxKey::escape, 0);
      break;
    case GDK_KP_Multiply:
      textbox_key(TextboxKey::character, '*');
      break;
    case GDK_KP_Add:
      textbox_key(TextboxKey::character, '+');
      break;
    case GDK_KP_Subtract:
      textbox_key(TextboxKey::character, '-');
      break;
    case GDK_KP_Decimal:
      textbox_key(TextboxKey::character, '.');
      break;
    case GDK_KP_Divide:
      textbox_key(TextboxKey::character, '/');
      break;
    default:
      if (key >= GDK_KP_0 && key <= GDK_KP_9) {
        textbox_key(TextboxKey::character, static_cast<char>('0' + (key - GDK_KP_0)));
      } else if (key >= 0x20 && key <= 0x7e) {
        textbox_key(TextboxKey::character, static_cast<char>(key));
      }
      break;
  }
  invalidate_drawing_area();
}

// Adds `step` to the alpha of the five object colours, clamped to 0 … 1 by
// the object colour.
void change_transparency(float step) {
  color_t* colors[] = {&Input_Data.plus_color, &Input_Data.minus_color, &Input_Data.epot_plus_color,
                       &Input_Data.epot_minus_color, &Input_Data.object_color};
  for (color_t* c : colors) c->alpha += step;
  const float a = Input_Data.object_color.alpha;
  if (a < 0 || a > 1) {
    for (color_t* c : colors) c->alpha = a < 0 ? 0.0f : 1.0f;
  }
  rebuild();
}

// The orbital type code a key assigns.
int orbital_type_key(guint key) {
  switch (key) {
    case GDK_f:
      return 1;
    case GDK_i:
      return 2;
    case GDK_1:
    case GDK_KP_1:
      return 3;
    case GDK_2:
    case GDK_KP_2:
      return 4;
    case GDK_3:
    case GDK_KP_3:
      return 5;
    case GDK_s:
      return 6;
    default:
      return 7;
  }
}

// The level the user steps to is kept, whatever the automatic level says.
void change_isolevel(double step) {
  Input_Data.isolevel += step;
  make_surfaces(false);
  mivor_gtk_show_isolevel();
  rebuild();
}

void change_sphere_quality(int step) {
  const int s = get_number_of_slices(), t = get_number_of_stacks();
  if (step > 0) {
    if (s < 30) set_number_of_slices(s + 1);
    if (t < 30) set_number_of_stacks(t + 1);
  } else {
    if (s >= 5) set_number_of_slices(s - 1);
    if (t >= 5) set_number_of_stacks(t - 1);
  }
  rebuild();
}

// The command keys this window handles; the others are consumed quietly.
void command_key(guint key, bool shift, bool alt) {
  const bool editable = m && m->editable;
  const bool vibrations = m && m->nvibr() > 0;
  const bool grids = m && m->ngrid() > 0;
  const int big = shift ? 1 : 0;
  GlScope gl(drawingarea);
  switch (key) {
    case GDK_F2:
      callback_save_as_file();
      break;
    case GDK_F9:
      if (shift) {
        show_color_dialog(GINT_TO_POINTER(0));
      } else {
        save_settings_data();
      }
      break;
    case GDK_F10:
      // Saves as File Save does and ends at once, without the main loop.
      callback_save_file();
      std::exit(0);
    case GDK_BackSpace:
      if (editable) {
        get_backup();
        rebuild();
      }
      break;
    case GDK_Home:
      if (editable) set_origin_molecule();
      break;
    case GDK_Left:
    case GDK_Right:
      if (gl) Do_key_lr(key == GDK_Right ? 1 : 0, big);
      break;
    case GDK_Up:
    case GDK_Down:
      if (gl) Do_key_ud(key == GDK_Up ? 1 : 0, big);
      break;
    case GDK_Page_Up:
    case GDK_Page_Down:
      if (editable && gl) do_key_page(key == GDK_Page_Up ? 1 : 0, big);
      break;
    case GDK_space:
      clear_selection_or_marks();
      break;
    case GDK_plus:
    case GDK_KP_Add:
      if (vibrations) {
        Input_Data.vibration_speed += 0.1;
      } else if (grids) {
        change_isolevel(0.01);
      }
      break;
    case GDK_minus:
    case GDK_KP_Subtract:
      if (vibrations) {
        Input_Data.vibration_speed -= 0.1;
      } else if (grids) {
        change_isolevel(-0.01);
      }
      break;
    case GDK_A:
      if (vibrations) {
        Input_Data.vibration_amplitude += 0.1;
      } else {
        Input_Data.material_style = Input_Data.material_style >= 5 ? 0 : Input_Data.material_style + 1;
        rebuild();
      }
      break;
    case GDK_a:
      if (vibrations) {
        Input_Data.vibration_amplitude -= 0.1;
      } else if (grids) {
        change_orbital_type(4);
      }
      break;
    case GDK_f:
    case GDK_i:
    case GDK_1:
    case GDK_KP_1:
    case GDK_2:
    case GDK_KP_2:
    case GDK_3:
    case GDK_KP_3:
    case GDK_s:
    case GDK_d:
      // Orbital types; "3" with three selected atoms on an editable
      // molecule belongs to the triangle command of the editing issue.
      if (grids && !((key == GDK_3 || key == GDK_KP_3) && editable && m->n_selected == 3)) {
        change_orbital_type(orbital_type_key(key));
      }
      break;
    case GDK_B:
    case GDK_G:
    case GDK_U:
    case GDK_b:
    case GDK_g:
    case GDK_r:
      show_color_dialog(GINT_TO_POINTER(0));
      break;
    case GDK_c:
      break;
    case GDK_l:
      if (gl) mivor_gtk_move_light_state();
      break;
    case GDK_m:
      toggle_animation();
      break;
    case GDK_Q:
      change_sphere_quality(1);
      break;
    case GDK_q:
      change_sphere_quality(-1);
      break;
    case GDK_T:
      change_transparency(-0.1f);
      break;
    case GDK_t:
      if (alt) {
        change_transparency(2.0f);
      } else {
        change_transparency(0.1f);
      }
      break;
    case GDK_V:
      if (gl) ViewPoint(1);
      break;
    case GDK_v:
      // With two atoms selected the key chooses the symmetry operation (editing issue).
      if (gl && !(m && m->n_selected == 2)) ViewPoint(0);
      break;
    case GDK_w:
      if (!(editable && m->n_selected == 1)) {
        Input_Data.grayscale = !Input_Data.grayscale;
        rebuild();
      }
      break;
    case GDK_x:
      callback_maximize();
      break;
    case GDK_Z:
      if (gl) change_scale(1);
      break;
    case GDK_z:
      if (gl) change_scale(-1);
      break;
    default:
      break;
  }
  invalidate_drawing_area();
}

}  // namespace

gboolean mivor_gtk_key_press(GtkWidget*, GdkEventKey* event, gpointer) {
  const guint key = event->keyval;
  if (textbox_state == 1) return TRUE;
  if (textbox_state == 2) {
    text_entry_key(key);
    return TRUE;
  }
  if (is_control(key)) {
    control_pressed = 1;
    return TRUE;
  }
  if (control_pressed) {
    if (key == GDK_q) Kill_Gui();
    if (key == GDK_o) callback_open_file();
    return TRUE;
  }
  if (!accept_keys) return FALSE;
  GdkModifierType modifiers;
  gdk_window_get_pointer(nullptr, nullptr, nullptr, &modifiers);
  const bool shift = (modifiers & GDK_SHIFT_MASK) != 0;
  const bool alt = (modifiers & GDK_MOD1_MASK) != 0;
  if (molecule_is_empty()) {
    if (key == GDK_F9) command_key(key, shift, alt);
    return TRUE;
  }
  command_key(key, shift, alt);
  return TRUE;
}

gboolean mivor_gtk_key_release(GtkWidget*, GdkEventKey* event, gpointer) {
  if (!accept_keys) return FALSE;
  if (is_control(event->keyval)) control_pressed = 0;
  return TRUE;
}
