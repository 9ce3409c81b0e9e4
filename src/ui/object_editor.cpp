// The editor of one 3D object: a modal dialog with its colour and
// transparency and one entry per coordinate (a text box: its text, font,
// colour and position), answered by OK, Delete or Cancel. While it is open
// the object is drawn as selected.
//
// The dialog never outlives the object it edits: when the objects change
// and its object is gone, or the geometries are replaced (undo, reload, a
// file opened), it closes without changing anything. A typed value that is
// not a number keeps the dialog open with a message; nothing is applied.
#include <string>
#include <vector>

#include "app/guarded.h"
#include "document/undo.h"
#include "edit/object_edit.h"
#include "edit/textbox_editing.h"
#include "molecule/decorations.h"
#include "molecule/mol_data.h"
#include "molecule/notify.h"
#include "molecule/settings.h"
#include "render/gl/label_images.h"
#include "ui/widgets.h"

namespace {

// The response of the text box's "click on the display for new position".
constexpr gint response_move_textbox = 1;

struct object_editor_state_t {
  GtkWidget* dialog = nullptr;
  object_ref_t object;
  GtkWidget* color_button = nullptr;
  GtkWidget* transparency = nullptr;
  std::vector<GtkWidget*> entries;  // the numbers in order; a text box's x and y
  GtkWidget* text_entry = nullptr;
  GtkWidget* font_button = nullptr;
} state;

GtkWidget* row(GtkWidget* box) {
  GtkWidget* r = gtk_hbox_new(FALSE, 4);
  gtk_box_pack_start(GTK_BOX(box), r, FALSE, FALSE, 2);
  return r;
}

void pack(GtkWidget* box, GtkWidget* child) { gtk_box_pack_start(GTK_BOX(box), child, FALSE, FALSE, 0); }

GtkWidget* colour_button(const color_t& c) {
  GdkColor colour;
  colour.pixel = 0;
  colour.red = static_cast<guint16>(c.red * 65535);
  colour.green = static_cast<guint16>(c.green * 65535);
  colour.blue = static_cast<guint16>(c.blue * 65535);
  return gtk_color_button_new_with_color(&colour);
}

color_t chosen_colour() {
  GdkColor colour;
  gtk_color_button_get_color(GTK_COLOR_BUTTON(state.color_button), &colour);
  return {colour.red / 65535.0f, colour.green / 65535.0f, colour.blue / 65535.0f, 1.0f};
}

GtkWidget* entry(const std::string& text, int width) {
  GtkWidget* e = gtk_entry_new();
  gtk_entry_set_text(GTK_ENTRY(e), text.c_str());
  gtk_entry_set_width_chars(GTK_ENTRY(e), width);
  state.entries.push_back(e);
  return e;
}

std::string text_of(GtkWidget* e) { return gtk_entry_get_text(GTK_ENTRY(e)); }

void build_drawn_object(GtkWidget* box, const mol_data_t& rec) {
  GtkWidget* first = row(box);
  const color_t c = object_color(rec, state.object);
  pack(first, gtk_label_new("color"));
  state.color_button = colour_button(c);
  pack(first, state.color_button);
  pack(first, gtk_vseparator_new());
  pack(first, gtk_label_new("transparency"));
  GtkObject* adj = gtk_adjustment_new(c.alpha, 0, 1, 0.01, 0.1, 0);
  state.transparency = gtk_spin_button_new(GTK_ADJUSTMENT(adj), 0.01, 2);
  pack(first, state.transparency);

  const std::vector<double> values = object_values(rec, state.object);
  size_t k = 0;
  for (const object_field_t& field : object_fields(state.object.kind)) {
    GtkWidget* r = row(box);
    GtkWidget* label = gtk_label_new(field.label);
    gtk_misc_set_alignment(GTK_MISC(label), 0, 0.5);
    gtk_widget_set_size_request(label, 80, -1);
    pack(r, label);
    for (int v = 0; v < field.n_values && k < values.size(); ++v) pack(r, entry(object_value_text(values[k++]), 15));
  }
}

void on_move_textbox(GtkWidget*, gpointer) {
  if (state.dialog) gtk_dialog_response(GTK_DIALOG(state.dialog), response_move_textbox);
}

void build_textbox(GtkWidget* box, const textbox_t& text_box) {
  GtkWidget* r = row(box);
  pack(r, gtk_label_new("text:"));
  state.text_entry = gtk_entry_new();
  gtk_entry_set_text(GTK_ENTRY(state.text_entry), text_box.text.value_or("").c_str());
  gtk_box_pack_start(GTK_BOX(r), state.text_entry, TRUE, TRUE, 0);
  r = row(box);
  pack(r, gtk_label_new("font:"));
  state.font_button = gtk_font_button_new_with_font(text_box.font.value_or(Input_Data.label_font).c_str());
  pack(r, state.font_button);
  r = row(box);
  pack(r, gtk_label_new("color:"));
  state.color_button = colour_button(text_box.color);
  pack(r, state.color_button);
  r = row(box);
  pack(r, gtk_label_new("coordinates:"));
  pack(r, entry(std::to_string(text_box.x), 6));
  pack(r, entry(std::to_string(text_box.y), 6));
  GtkWidget* move = gtk_button_new_with_label("click on the display for new position");
  g_signal_connect(move, "clicked", G_CALLBACK(guarded<on_move_textbox>), nullptr);
  pack(box, move);
}

// Applies the dialog to its object; false (with a message) when a value
// can't be taken, and the dialog stays.
bool apply_dialog() {
  std::string error;
  bool ok = false;
  if (state.object.kind == OBJ_TEXTBOX) {
    textbox_edit_t edit;
    edit.text = text_of(state.text_entry);
    edit.font = gtk_font_button_get_font_name(GTK_FONT_BUTTON(state.font_button));
    edit.color = chosen_colour();
    edit.x = text_of(state.entries[0]);
    edit.y = text_of(state.entries[1]);
    int w = 0, h = 0;
    zev_gtk_get_screen_size(&w, &h);
    ok = apply_textbox_edit(*m, state.object.index, edit, w, h, &error);
    if (ok) draw_pixdata_textbox(state.object.index);
  } else {
    std::vector<std::string> texts;
    for (GtkWidget* e : state.entries) texts.push_back(text_of(e));
    const double transparency = gtk_spin_button_get_value(GTK_SPIN_BUTTON(state.transparency));
    ok = apply_object_edit(*m, state.object, chosen_colour(), transparency, texts, &error);
  }
  if (!ok && !error.empty()) make_warning(error);
  return ok || error.empty();
}

// Forgets the dialog and its widgets, and destroys it if it still exists.
void destroy_dialog() {
  GtkWidget* dialog = state.dialog;
  state = object_editor_state_t{};
  if (dialog) gtk_widget_destroy(dialog);
  unset_go_selected();
}

void on_response(GtkDialog*, gint response, gpointer) {
  if (!state.dialog) return;
  const object_ref_t object = state.object;
  bool changed = false;
  if (!m || !object_exists(*m, object)) {
    object_editor_close();
    return;
  }
  if (response == GTK_RESPONSE_YES) {
    changed = delete_object(*m, object);
  } else if (response == GTK_RESPONSE_ACCEPT) {
    if (!apply_dialog()) return;
    changed = true;
  } else if (response == response_move_textbox && object.kind == OBJ_TEXTBOX) {
    textbox_move_command(object.index);
  }
  destroy_dialog();
  rerender_3d();
  if (changed) notifier().objects_changed();
  redraw();
  append_backup();
}

}  // namespace

void mivor_gtk_modify_3Dobject(GtkWidget*, gpointer object) {
  if (!m || !object || state.dialog) return;
  const object_ref_t o = *static_cast<const object_ref_t*>(object);
  if (!object_exists(*m, o)) return;
  if (o.kind != OBJ_TEXTBOX) set_go_selected(o.kind, o.index);
  rerender_3d();
  redraw();

  state.object = o;
  state.dialog =
      gtk_dialog_new_with_buttons(object_title(o).c_str(), nullptr, GTK_DIALOG_MODAL, GTK_STOCK_OK, GTK_RESPONSE_ACCEPT,
                                  GTK_STOCK_CANCEL, GTK_RESPONSE_REJECT, GTK_STOCK_DELETE, GTK_RESPONSE_YES, nullptr);
  GtkWidget* box = GTK_DIALOG(state.dialog)->vbox;
  if (o.kind == OBJ_TEXTBOX) {
    build_textbox(box, m->deco->textbox[static_cast<size_t>(o.index)]);
  } else {
    build_drawn_object(box, *m);
  }
  g_signal_connect(state.dialog, "response", G_CALLBACK(guarded<on_response>), nullptr);
  gtk_widget_show_all(state.dialog);
}

void object_editor_follow_objects() {
  if (state.dialog && (!m || !object_exists(*m, state.object))) object_editor_close();
}

void object_editor_close() {
  if (!state.dialog) return;
  destroy_dialog();
  rerender_3d();
  redraw();
}
