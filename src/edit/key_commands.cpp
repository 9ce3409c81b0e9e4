#include "edit/key_commands.h"

#include "formats/grid_reader.h"
#include "molecule/mol_data.h"
#include "molecule/notify.h"
#include "molecule/settings.h"
#include "render/isosurface.h"
#include "render/scene.h"

key_context_t current_key_context(unsigned keysym, bool shift, bool alt) {
  key_context_t c;
  c.keysym = keysym;
  c.shift = shift;
  c.alt = alt;
  if (!m) return c;
  c.editable = m->editable != 0;
  c.n_selected = m->n_selected;
  c.grids = m->ngrid() > 0;
  c.vibrations = m->nvibr() > 0;
  c.marked = m->n_marked() > 0;
  return c;
}

bool molecule_is_empty() {
  return !m || (m->natom() == 0 && m->nsphere() == 0 && m->nvector() == 0 && m->nsurf() == 0 && m->ntriangle() == 0 &&
                m->ncell() == 0);
}

std::optional<char> typed_character(unsigned keysym) {
  switch (keysym) {
    case key::KP_Multiply:
      return '*';
    case key::KP_Add:
      return '+';
    case key::KP_Subtract:
      return '-';
    case key::KP_Decimal:
      return '.';
    case key::KP_Divide:
      return '/';
    default:
      break;
  }
  if (keysym >= key::KP_0 && keysym <= key::KP_9) return static_cast<char>('0' + (keysym - key::KP_0));
  if (keysym >= 0x20 && keysym <= 0x7e) return static_cast<char>(keysym);
  return std::nullopt;
}

bool is_enter_key(unsigned keysym) {
  return keysym == key::Return || keysym == key::KP_Enter || keysym == key::Linefeed || keysym == key::Enter_3270 ||
         keysym == key::ISO_Enter;
}

int orbital_type_of_key(unsigned keysym) {
  if (keysym >= key::KP_1 && keysym <= key::KP_3) keysym = '1' + (keysym - key::KP_1);
  return keysym < 0x80 ? orbital_type_from_letter(static_cast<char>(keysym)) : 0;
}

void change_transparency(float step) {
  color_t* colors[] = {&Input_Data.plus_color, &Input_Data.minus_color, &Input_Data.epot_plus_color,
                       &Input_Data.epot_minus_color, &Input_Data.object_color};
  for (color_t* c : colors) c->alpha += step;
  const float a = Input_Data.object_color.alpha;
  if (a < 0 || a > 1) {
    for (color_t* c : colors) c->alpha = a < 0 ? 0.0f : 1.0f;
  }
  rerender_3d();
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
  rerender_3d();
}

void change_isolevel(double step) {
  Input_Data.isolevel += step;
  make_surfaces(false);
  rerender_3d();
}

void step_material_style() {
  Input_Data.material_style = Input_Data.material_style >= 5 ? 0 : Input_Data.material_style + 1;
  rerender_3d();
}

void toggle_grayscale() {
  Input_Data.grayscale = !Input_Data.grayscale;
  rerender_3d();
}
