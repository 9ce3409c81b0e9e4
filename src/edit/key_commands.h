// What the keyboard's command table needs from the core: the key symbols it
// names, the state of the molecule its conditions test, and the commands
// that change settings and the scene rather than windows.
#pragma once

#include <optional>

// Key symbols as the window system reports them (X keysyms); printable ASCII
// characters are their own codes.
namespace key {
constexpr unsigned BackSpace = 0xff08, Linefeed = 0xff0a, Return = 0xff0d, Escape = 0xff1b;
constexpr unsigned Home = 0xff50, Left = 0xff51, Up = 0xff52, Right = 0xff53, Down = 0xff54;
constexpr unsigned Page_Up = 0xff55, Page_Down = 0xff56, End = 0xff57, Insert = 0xff63, Delete = 0xffff;
constexpr unsigned KP_Enter = 0xff8d, KP_Multiply = 0xffaa, KP_Add = 0xffab, KP_Subtract = 0xffad;
constexpr unsigned KP_Decimal = 0xffae, KP_Divide = 0xffaf, KP_0 = 0xffb0, KP_9 = 0xffb9;
constexpr unsigned KP_1 = KP_0 + 1, KP_2 = KP_0 + 2, KP_3 = KP_0 + 3, KP_4 = KP_0 + 4, KP_6 = KP_0 + 6;
constexpr unsigned F1 = 0xffbe, F2 = F1 + 1, F3 = F1 + 2, F5 = F1 + 4, F6 = F1 + 5, F7 = F1 + 6, F8 = F1 + 7;
constexpr unsigned F9 = F1 + 8, F10 = F1 + 9, F12 = F1 + 11;
constexpr unsigned Control_L = 0xffe3, Control_R = 0xffe4;
constexpr unsigned ISO_Enter = 0xfe34, Enter_3270 = 0xfd1e;
}  // namespace key

// A key press and the state its condition tests, read when it is pressed.
struct key_context_t {
  unsigned keysym = 0;
  bool shift = false;
  bool alt = false;
  bool editable = false;    // the current molecule may be edited
  int n_selected = 0;       // selected atoms, 0 to 4
  bool grids = false;       // the current geometry has grids
  bool vibrations = false;  // the current geometry has vibrational modes
  bool marked = false;      // some atoms are marked
};
key_context_t current_key_context(unsigned keysym, bool shift, bool alt);
// No atoms and no spheres, arrows, planes, triangles or cells: only a few
// keys act then.
bool molecule_is_empty();

// Typing into a text box: the character a key types, if any (printable
// ASCII and the keypad's digits and operators).
std::optional<char> typed_character(unsigned keysym);
// Return and the other keys that end typing.
bool is_enter_key(unsigned keysym);

// The orbital type code a key assigns (f 1, i 2, 1 3, 2 4, 3 5, s 6, d 7,
// keypad digits like the others); 0 for any other key.
int orbital_type_of_key(unsigned keysym);

// Adds `step` to the alpha of the orbital, potential and object colours;
// when the object colour's alpha leaves 0 … 1 all five are clamped to it.
void change_transparency(float step);
// Sphere and cylinder slices and stacks one finer (at most 30) or one
// coarser (at least 4).
void change_sphere_quality(int step);
// Moves the isolevel by `step` and rebuilds the surfaces at it (the level
// the user steps to is kept whatever the automatic level says).
void change_isolevel(double step);
// The next of the material presets 1 … 5, then back to none.
void step_material_style();
void toggle_grayscale();
