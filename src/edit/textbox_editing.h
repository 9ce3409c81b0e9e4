// Placing, typing into and moving text boxes: the steps of `textbox_state`
// that the window's menu, mouse and key handlers drive.
#pragma once

// The add-text-box command: appends a box in the label colour with the label
// font and waits for its position (state 1). Ignored while another new box
// is being placed or typed (states 1 and 2).
void textbox_add_command();

// A button press at pixel (x, y) of the drawing area (y down). Returns true
// when the press was used up by a text box (states 2 and 3); in state 1 it
// places the new box and returns false, so the press then also acts as usual.
bool textbox_button_press(int x, int y);

// A key while text boxes are edited, as the window has already classified it.
enum class TextboxKey {
  character,  // a printable character, given as `c`
  backspace,  // removes the last character
  finish,     // Return and the other enter keys: typing ends
  escape,     // the box being typed is deleted
  other,      // anything else: no effect
};
// Returns true when the key was used up (states 1 and 2).
bool textbox_key(TextboxKey key, char c = 0);

// The move-text-box command for box i: the next button press moves it
// (state 3). An index outside the boxes ends text-box editing.
void textbox_move_command(int i);
