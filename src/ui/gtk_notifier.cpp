// Warnings become modal dialogs, status texts go to the two bars, file and
// geometry events refresh the view, the menus and the label images.
#include "ui/gtk_notifier.h"

#include <gdk/gdk.h>

#include "molecule/mol_data.h"
#include "molecule/notify.h"
#include "render/gl/label_images.h"
#include "render/gl/view_gl.h"
#include "render/scene.h"
#include "ui/gl_scope.h"
#include "ui/main_window.h"
#include "ui/menus.h"
#include "ui/timers.h"

namespace {

class GtkNotifier final : public Notifier {
 public:
  void warning(const std::string& text) override { show_warning_dialog(text); }

  void status(StatusBar bar, const std::string& text) override {
    if (bar == StatusBar::upper) {
      mivor_gtk_pop_message_from_statusbar1();
      if (!text.empty()) mivor_gtk_push_message_to_statusbar1(text);
    } else {
      mivor_gtk_pop_message_from_statusbar2();
      if (!text.empty()) mivor_gtk_push_message_to_statusbar2(text);
    }
  }

  void file_event(FileEvent event) override {
    switch (event) {
      case FileEvent::opening:
        break;
      case FileEvent::opened: {
        GlScope gl(drawingarea);
        if (gl) Do_center();
        geometry_shown();
        break;
      }
      case FileEvent::closed:
      case FileEvent::geometries_changed:
        geometry_shown();
        break;
    }
  }

  void geometry_shown() override {
    draw_all_pixdata();
    draw_all_textbox_pixdata();
    mivor_gtk_menubar_show_or_hide_widgets();
    if (m && m->nvibr() > 0) mivor_gtk_freq_timer();
    rebuild_scene();
    redraw();
  }

  void rebuild_scene() override { scene_state.rebuild = 1; }
  void redraw() override { invalidate_drawing_area(); }

  void drawing_area_size(int w, int h) override {
    if (drawingarea && w > 0 && h > 0) gtk_widget_set_size_request(drawingarea, w, h);
  }

  void text_cursor(bool text) override {
    if (!drawingarea || !drawingarea->window) return;
    GdkCursor* cursor = text ? gdk_cursor_new(GDK_XTERM) : nullptr;
    gdk_window_set_cursor(drawingarea->window, cursor);
    if (cursor) gdk_cursor_unref(cursor);
  }
};

GtkNotifier gtk_notifier;

}  // namespace

void install_gtk_notifier() { set_notifier(&gtk_notifier); }
