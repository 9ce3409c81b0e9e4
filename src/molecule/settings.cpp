#include "molecule/settings.h"

input_data_t Input_Data;
int accept_keys = 0;
int move_camera = 0;
int control_pressed = 0;

void set_default_settings() {
  input_data_t& d = Input_Data;
  d = input_data_t{};
  d.background_color = {1.0f, 1.0f, 1.0f, 0.0f};
  d.label_color = {0.0f, 0.0f, 0.0f, 0.0f};
  d.object_color = {0.3f, 0.3f, 0.3f, 0.3f};
  d.plus_color = {0.953f, 0.082f, 0.02f, 0.7f};
  d.minus_color = {0.114f, 0.686f, 0.286f, 0.7f};
  d.epot_plus_color = {0.953f, 0.082f, 0.02f, 0.7f};
  d.epot_minus_color = {0.005f, 0.005f, 0.957f, 0.7f};
  d.label_font = "Helvetica 18";
  d.atom_fatness = 1.6;
  d.bond_fatness = 1.6;
  d.vibration_amplitude = 0.5;
  d.vibration_speed = 0.2;
  d.initial_screen_size = 800;
  d.snapshot_delay = 0.05;
  d.translation_step = 0.2;
  d.angle_step = 2.0;
  d.torsion_step = 2.0;
  d.level_steps = 100;
  d.auto_select_level = 1;
  d.isolevel = 0.04;
}

void reset_settings_state() {
  set_default_settings();
  accept_keys = 0;
  move_camera = 0;
  control_pressed = 0;
}
