// The colour and font dialogs of the Edit menu.
#pragma once

// Colour dialogs, in menu order: background, label, orbital negative,
// orbital positive, potential negative, potential positive, draw colour.
constexpr int n_color_dialogs = 7;
const char* color_menu_label(int kind);
// Runs the colour dialog of `kind` (passed as a pointer-sized integer by the
// menu) and applies the chosen colour.
void show_color_dialog(void* kind);
void show_font_dialog();
