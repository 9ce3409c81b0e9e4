// All user settings and display switches, in the one global record
// `Input_Data` that every layer reads, with their defaults; and the run-time
// switches of the keyboard and the view.
#pragma once

#include <string>

#include "molecule/types.h"

// Label kinds shown (bits of `label_flags`).
enum label_flag_t {
  LABEL_FLAG_INDICES = 2,
  LABEL_FLAG_NUMERATION = 4,
  LABEL_FLAG_SYMBOLS = 8,
  LABEL_FLAG_NAMES = 16,
  LABEL_FLAG_MULLIKEN = 32,
  LABEL_FLAG_LOPROP = 64,
};

struct input_data_t {
  int hide_atoms = 0;
  int hide_bonds = 0;
  int show_axes = 0;
  int show_epot = 0;
  int dotted_bonds = 0;
  color_t background_color;
  color_t label_color;
  color_t object_color;
  color_t plus_color;
  color_t minus_color;
  color_t epot_plus_color;
  color_t epot_minus_color;
  std::string label_font;  // at most `label_font_max` characters
  double atom_fatness = 0;
  double bond_fatness = 0;
  int animate = 0;
  int move_light = 0;
  double vibration_amplitude = 0;
  double vibration_speed = 0;
  int initial_screen_size = 0;
  double snapshot_delay = 0;
  double translation_length = 0;
  double translation_step = 0;
  double angle_step = 0;
  double torsion_step = 0;
  int grayscale = 0;
  int material_style = 0;
  int label_flags = 0;
  int povray_output = 0;
  int ps_output = 0;
  int force_symmetry = 0;
  double level_step = 0;
  double level_min = 0;
  double level_max = 0;
  int level_steps = 0;
  int auto_select_level = 0;
  double isolevel = 0;
  int auto_rebond = 0;
  int single_bonds_only = 0;
};

// Longest font description kept (the rest of a longer name is dropped).
constexpr size_t label_font_max = 99;

extern input_data_t Input_Data;

// Every field to its default (the run-time switches keep their values).
void set_default_settings();

// Key presses are acted upon (off while a text entry has the focus); view
// moves act on the camera (1) or the molecule (0); Control is held.
extern int accept_keys;
extern int move_camera;
extern int control_pressed;

// Defaults and the switches as they are before start-up.
void reset_settings_state();
