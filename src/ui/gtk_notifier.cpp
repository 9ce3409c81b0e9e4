// Warnings become modal dialogs, status texts go to the two bars, file and
// geometry events refresh the view, the menus and the label images.
#include "ui/gtk_notifier.h"

#include <gdk/gdk.h>

#include <algorithm>

#include "edit/internal_moves.h"
#include "edit/watched.h"
#include "molecule/mol_data.h"
#include "molecule/notify.h"
#include "render/gl/label_images.h"
#include "render/gl/label_refresh.h"
#include "render/gl/view_gl.h"
#include "render/scene.h"
#include "render/scene_geometry.h"
#include "render/view.h"
#include "ui/gl_scope.h"
#include "ui/move_commands.h"
#include "ui/wait_window.h"
#include "ui/widgets.h"

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
        // A dialog on an object of the old geometries must not outlive them.
        object_editor_close();
        delete_all_orbitals_from_list();
        remove_all_watched_coords();
        cumulative_move = 0;
        break;
      case FileEvent::opened: {
        GlScope gl(drawingarea);
        if (gl) Do_center();
        mivor_gtk_show_or_hide_widgets();
        geometry_shown();
        break;
      }
      case FileEvent::closed:
        remove_all_watched_coords();
        mivor_gtk_show_or_hide_widgets();
        geometry_shown();
        break;
      case FileEvent::geometries_changed:
        // Motion since the restored snapshot belongs to the undone state.
        cumulative_move = 0;
        object_editor_close();
        mivor_gtk_show_or_hide_widgets();
        geometry_shown();
        break;
    }
  }

  void geometry_shown() override {
    // A reread file gives an open plot new data; a step moves its marker.
    mivor_gtk_refresh_graph();
    set_current_graph_data();
    // The object dialog and the orbital tiles belong to the geometry that
    // was shown; the coordinate table and the object buttons follow.
    object_editor_follow_objects();
    multiview_follow_file();
    mivor_gtk_update_3Dobject_info();
    draw_all_pixdata();
    draw_all_textbox_pixdata();
    // The geometry label, the frequency buttons with their timer, the menus.
    mivor_gtk_update_geo_info();
    rebuild_scene();
    redraw();
  }

  void textbox_image(int i) override { draw_pixdata_textbox(i); }

  void grid_loaded() override { mivor_gtk_show_isolevel(); }

  void mode_shown() override { set_current_graph_data(); }
  void calculation_changed() override { mivor_gtk_update_calculation_page(); }

  void selection_changed() override { mivor_gtk_update_upon_select_or_mark(); }
  void atom_list(AtomListChange change, int atom) override { follow_atom_list_change(change, atom); }
  void objects_changed() override {
    object_editor_follow_objects();
    mivor_gtk_update_3Dobject_info();
  }
  void values_changed() override { mivor_gtk_update_upon_select_or_mark(); }

  void atoms_changed() override {
    refresh_atom_labels();
    // The field widens (never narrows) to take in atoms placed beyond it.
    if (m) view.z_half = std::max(view.z_half, Calc_Diameter(*m));
    GlScope gl(drawingarea);
    if (gl) set_scale();
  }

  void orbital_step(int dir) override {
    if (dir == 1) {
      mivor_gtk_select_orbital_up();
    } else {
      mivor_gtk_select_orbital_down();
    }
  }

  bool waiting(const std::string& what) override { return wait_window_pulse(what); }
  void waiting_done() override { wait_window_close(); }

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
