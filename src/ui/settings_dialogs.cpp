// A colour travels through the dialog as 16-bit channels; its alpha rides
// in the colour record's pixel value so that it comes back unchanged.
#include "ui/settings_dialogs.h"

#include <gtk/gtk.h>

#include <string>

#include "molecule/notify.h"
#include "molecule/settings.h"
#include "render/gl/label_images.h"
#include "ui/widgets.h"

namespace {

struct color_dialog_t {
  const char* menu_label;
  const char* title;
  color_t input_data_t::*field;
  bool rebuild;  // colours compiled into the scene list
};

const color_dialog_t dialogs[n_color_dialogs] = {
    {"Background Color", "Background color", &input_data_t::background_color, false},
    {"Label Color", "Label color", &input_data_t::label_color, false},
    {"Orbital negative Color", "Orbital color", &input_data_t::minus_color, true},
    {"Orbital positive Color", "Orbital color", &input_data_t::plus_color, true},
    {"Electrostatic negative Color", "Electrostatic potential color", &input_data_t::epot_minus_color, true},
    {"Electrostatic positive Color", "Electrostatic potential color", &input_data_t::epot_plus_color, true},
    {"Draw Color", "Plain color", &input_data_t::object_color, true},
};

guint16 channel(float v) { return static_cast<guint16>(v * 65535.0f + 0.5f); }

}  // namespace

const char* color_menu_label(int kind) { return dialogs[kind].menu_label; }

void show_color_dialog(void* kind_ptr) {
  const int kind = GPOINTER_TO_INT(kind_ptr);
  if (kind < 0 || kind >= n_color_dialogs) return;
  const color_dialog_t& d = dialogs[kind];
  color_t& c = Input_Data.*(d.field);
  GtkWidget* dialog = gtk_color_selection_dialog_new(d.title);
  GtkColorSelection* sel = GTK_COLOR_SELECTION(GTK_COLOR_SELECTION_DIALOG(dialog)->colorsel);
  GdkColor color;
  color.red = channel(c.red);
  color.green = channel(c.green);
  color.blue = channel(c.blue);
  color.pixel = static_cast<guint32>(static_cast<double>(c.alpha) * 4294967295.0);
  gtk_color_selection_set_current_color(sel, &color);
  if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_OK) {
    gtk_color_selection_get_current_color(sel, &color);
    c.red = color.red / 65535.0f;
    c.green = color.green / 65535.0f;
    c.blue = color.blue / 65535.0f;
    if (d.rebuild) rerender_3d();
    invalidate_drawing_area();
  }
  gtk_widget_destroy(dialog);
}

void show_font_dialog() {
  GtkWidget* dialog = gtk_font_selection_dialog_new("Select font");
  gtk_font_selection_dialog_set_font_name(GTK_FONT_SELECTION_DIALOG(dialog), Input_Data.label_font.c_str());
  if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_OK) {
    gchar* name = gtk_font_selection_dialog_get_font_name(GTK_FONT_SELECTION_DIALOG(dialog));
    if (name) {
      Input_Data.label_font = std::string(name).substr(0, label_font_max);
      g_free(name);
      draw_all_pixdata();
      invalidate_drawing_area();
    }
  }
  gtk_widget_destroy(dialog);
}
