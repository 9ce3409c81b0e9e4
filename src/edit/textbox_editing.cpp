#include "edit/textbox_editing.h"

#include "document/undo.h"
#include "molecule/decorations.h"
#include "molecule/mol_data.h"
#include "molecule/notify.h"
#include "molecule/settings.h"

namespace {

int last_box() { return m->ntextbox() - 1; }

bool typing_in_progress() { return textbox_state == 1 || textbox_state == 2; }

// Typing ends: back to idle with the default pointer, the decoration panel
// rebuilt and an undo snapshot taken.
void end_typing() {
  textbox_state = 0;
  notifier().text_cursor(false);
  notifier().objects_changed();
  append_backup();
}

}  // namespace

void textbox_add_command() {
  if (!m || typing_in_progress()) return;
  allocate_textbox(*m);
  textbox_set_dfault_values(*m, last_box());
  m->deco.edit().textbox.back().font = Input_Data.label_font;
  textbox_state = 1;
  notifier().text_cursor(true);
}

bool textbox_button_press(int x, int y) {
  if (!m) return false;
  switch (textbox_state) {
    case 1:
      if (m->deco->textbox.empty()) {
        textbox_state = 0;
        return false;
      }
      m->deco.edit().textbox.back().x = x;
      m->deco.edit().textbox.back().y = y;
      textbox_state = 2;
      notifier().text_cursor(false);
      notifier().objects_changed();
      return false;
    case 2:
      textbox_state = 0;
      notifier().textbox_image(last_box());
      redraw();
      append_backup();
      return true;
    case 3:
      textbox_state = 0;
      if (textbox_number >= 0 && textbox_number < m->ntextbox()) {
        textbox_t& box = m->deco.edit().textbox[static_cast<size_t>(textbox_number)];
        box.x = x;
        box.y = y;
      }
      redraw();
      append_backup();
      return true;
    default:
      return false;
  }
}

bool textbox_key(TextboxKey key, char c) {
  if (textbox_state == 1) return true;
  if (textbox_state != 2) return false;
  if (!m || m->deco->textbox.empty()) {
    textbox_state = 0;
    return true;
  }
  switch (key) {
    case TextboxKey::character:
      textbox_delete_insert_char(*m, c);
      break;
    case TextboxKey::backspace:
      textbox_delete_last_char(*m);
      break;
    case TextboxKey::finish:
      end_typing();
      break;
    case TextboxKey::escape:
      delete_last_textbox(*m);
      end_typing();
      break;
    case TextboxKey::other:
      break;
  }
  if (key != TextboxKey::escape) notifier().textbox_image(last_box());
  redraw();
  return true;
}

void textbox_move_command(int i) {
  if (!m || typing_in_progress()) return;
  if (i < 0 || i >= m->ntextbox()) {
    textbox_state = 0;
    return;
  }
  textbox_state = 3;
  mivor_set_textbox_number(i);
}
