// The picture dialogs and quick screenshots. Every picture is drawn from
// the scene as the window shows it now: the model-view matrix is read from
// the drawing area's context first, so the file matches the screen.
#include "ui/screenshot.h"

#include <GL/gl.h>

#include <algorithm>
#include <vector>

#include "export/picture_gl.h"
#include "export/postscript_output.h"
#include "export/raster.h"
#include "molecule/notify.h"
#include "render/povray_output.h"
#include "render/view.h"
#include "ui/gl_scope.h"
#include "ui/widgets.h"

namespace {

constexpr int min_picture_size = 600;
// The format combo's fixed entries, before the image library's.
const char* const fixed_formats[] = {"TarGA (*.tga)", "postscript (*.eps)", "postscript level 2 (*.eps)",
                                     "povray (*.pov)"};
constexpr int n_fixed_formats = 4;
constexpr int preview_view_size = 500;

// Takes the view in force into `mvm`; false without a drawing context.
bool take_current_view() {
  GlScope gl(drawingarea);
  if (!gl) return false;
  glGetDoublev(GL_MODELVIEW_MATRIX, mvm.data());
  return true;
}

void cannot_draw(int width, int height) {
  make_warning("Error: this OpenGL can't draw a picture of " + std::to_string(width) + " x " + std::to_string(height) +
               " pixels");
}

void tell_saved(bool ok, const std::string& path) {
  notifier().status(StatusBar::lower, ok ? "Picture saved to: " + path : "Picture not saved: " + path);
}

GtkWidget* size_spin(int value) {
  GtkWidget* spin = gtk_spin_button_new_with_range(min_picture_size, max_picture_size, 1);
  gtk_spin_button_set_increments(GTK_SPIN_BUTTON(spin), 1, 10);
  gtk_spin_button_set_digits(GTK_SPIN_BUTTON(spin), 0);
  gtk_spin_button_set_value(GTK_SPIN_BUTTON(spin), std::clamp(value, min_picture_size, max_picture_size));
  return spin;
}

struct size_and_format_t {
  GtkWidget* box;
  GtkWidget* width;
  GtkWidget* height;
  GtkWidget* format;
};

// "Width:" and "Height:" in pixels, then the format combo.
size_and_format_t size_and_format_widgets(const std::vector<pixbuf_format_t>& formats) {
  int w = 0, h = 0;
  zev_gtk_get_screen_size(&w, &h);
  size_and_format_t s;
  s.box = gtk_hbox_new(FALSE, 6);
  s.width = size_spin(w);
  s.height = size_spin(h);
  s.format = gtk_combo_box_new_text();
  for (const char* text : fixed_formats) gtk_combo_box_append_text(GTK_COMBO_BOX(s.format), text);
  for (const pixbuf_format_t& f : formats) gtk_combo_box_append_text(GTK_COMBO_BOX(s.format), f.description.c_str());
  gtk_combo_box_set_active(GTK_COMBO_BOX(s.format), 0);
  gtk_box_pack_start(GTK_BOX(s.box), gtk_label_new("Width:"), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(s.box), s.width, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(s.box), gtk_label_new("Height:"), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(s.box), s.height, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(s.box), gtk_label_new("pixels"), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(s.box), s.format, FALSE, FALSE, 0);
  gtk_widget_show_all(s.box);
  return s;
}

// The picture as an image of the toolkit (top row first).
GdkPixbuf* preview_pixbuf(const picture_t& pic) {
  GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, pic.width, pic.height);
  const int stride = gdk_pixbuf_get_rowstride(pixbuf);
  guchar* pixels = gdk_pixbuf_get_pixels(pixbuf);
  const size_t row_bytes = static_cast<size_t>(pic.width) * 4;
  for (int row = 0; row < pic.height; ++row)
    std::copy_n(&pic.rgba[static_cast<size_t>(pic.height - 1 - row) * row_bytes], row_bytes,
                pixels + static_cast<size_t>(row) * stride);
  return pixbuf;
}

bool save_drawn_picture(const std::string& path, const std::string& format, int width, int height) {
  GlScope gl(drawingarea);
  if (!gl) return false;
  OffscreenPicture picture(width, height, mvm);
  if (!picture) {
    cannot_draw(width, height);
    return false;
  }
  return format == "tga" ? tgaSave(path, width, height) == 0 : pixbuf_save(path, format, width, height);
}

}  // namespace

void mivor_save_builtin_graphic_format(const std::string& path, const std::string& format, int width, int height) {
  if (!take_current_view()) return;
  picture_t pic;
  {
    GlScope gl(drawingarea);
    if (!render_picture(width, height, mvm, pic)) {
      cannot_draw(width, height);
      return;
    }
  }
  GtkWidget* dialog = gtk_dialog_new_with_buttons("Screenshot", GTK_WINDOW(window), GTK_DIALOG_MODAL, GTK_STOCK_OK,
                                                  GTK_RESPONSE_ACCEPT, GTK_STOCK_CANCEL, GTK_RESPONSE_CANCEL, nullptr);
  GtkWidget* scrolled = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_widget_set_size_request(scrolled, preview_view_size, preview_view_size);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled), GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
  GdkPixbuf* pixbuf = preview_pixbuf(pic);
  gtk_scrolled_window_add_with_viewport(GTK_SCROLLED_WINDOW(scrolled), gtk_image_new_from_pixbuf(pixbuf));
  g_object_unref(pixbuf);
  gtk_box_pack_start(GTK_BOX(GTK_DIALOG(dialog)->vbox), scrolled, TRUE, TRUE, 0);
  gtk_widget_show_all(dialog);
  const bool accepted = gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT;
  gtk_widget_destroy(dialog);
  if (accepted) tell_saved(save_drawn_picture(path, format, width, height), path);
}

void callback_screenshot() {
  const std::vector<pixbuf_format_t> formats = writable_pixbuf_formats();
  GtkWidget* chooser =
      gtk_file_chooser_dialog_new("Save screenshot image", GTK_WINDOW(window), GTK_FILE_CHOOSER_ACTION_SAVE,
                                  GTK_STOCK_CANCEL, GTK_RESPONSE_CANCEL, GTK_STOCK_SAVE, GTK_RESPONSE_ACCEPT, nullptr);
  gtk_file_chooser_set_do_overwrite_confirmation(GTK_FILE_CHOOSER(chooser), FALSE);
  gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(chooser), "./");
  const size_and_format_t extra = size_and_format_widgets(formats);
  gtk_file_chooser_set_extra_widget(GTK_FILE_CHOOSER(chooser), extra.box);
  if (gtk_dialog_run(GTK_DIALOG(chooser)) != GTK_RESPONSE_ACCEPT) {
    gtk_widget_destroy(chooser);
    return;
  }
  const int width = gtk_spin_button_get_value_as_int(GTK_SPIN_BUTTON(extra.width));
  const int height = gtk_spin_button_get_value_as_int(GTK_SPIN_BUTTON(extra.height));
  const int entry = gtk_combo_box_get_active(GTK_COMBO_BOX(extra.format));
  gchar* file = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(chooser));
  const std::string path = file ? file : "";
  g_free(file);
  gtk_widget_destroy(chooser);
  if (path.empty() || entry < 0 || !take_current_view()) return;
  switch (entry) {
    case 0:
      mivor_save_builtin_graphic_format(path, "tga", width, height);
      break;
    case 1:
    case 2:
      tell_saved(initPS(entry - 1, path, mvm), path);
      break;
    case 3:
      tell_saved(initPovray(path), path);
      break;
    default:
      if (entry - n_fixed_formats < static_cast<int>(formats.size()))
        mivor_save_builtin_graphic_format(path, formats[static_cast<size_t>(entry - n_fixed_formats)].name, width,
                                          height);
      break;
  }
}

void do_screenshot(int kind) {
  if (!take_current_view()) return;
  const std::string name = quick_screenshot_name(kind);
  bool ok = false;
  switch (kind) {
    case 0: {
      int w = 0, h = 0;
      zev_gtk_get_screen_size(&w, &h);
      ok = save_drawn_picture(name, "tga", w, h);
      break;
    }
    case 1:
    case 2:
      ok = initPS(kind - 1, name, mvm);
      break;
    case 3:
      ok = initPovray(name);
      break;
    default:
      return;
  }
  notifier().status(StatusBar::lower, ok ? "screenshot done" : "screenshot failed: " + name);
}
