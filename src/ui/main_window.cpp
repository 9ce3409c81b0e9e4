// Init_Gui builds the window in a fixed order; the drawing-area handlers
// each make the GL context current, do one job and release it.
#include "ui/main_window.h"

#include <gtk/gtkgl.h>

#include "app/config_dir.h"
#include "app/guarded.h"
#include "app/startup.h"
#include "document/undo.h"
#include "edit/internal_moves.h"
#include "edit/selection.h"
#include "edit/textbox_editing.h"
#include "molecule/decorations.h"
#include "molecule/mol_data.h"
#include "molecule/notify.h"
#include "molecule/settings.h"
#include "render/gl/label_images.h"
#include "render/gl/labels_gl.h"
#include "render/gl/projection_gl.h"
#include "render/gl/scene_gl.h"
#include "render/gl/view_gl.h"
#include "render/scene.h"
#include "render/view.h"
#include "ui/gl_scope.h"
#include "ui/gtk_notifier.h"
#include "ui/keyboard.h"
#include "ui/menus.h"
#include "ui/move_commands.h"
#include "ui/side_panel.h"
#include "ui/window_icon.xpm.h"

GtkWidget* window = nullptr;
GtkWidget* statusbar1 = nullptr;
GtkWidget* statusbar2 = nullptr;
GtkWidget* drawingarea = nullptr;

namespace {

constexpr int side_panel_width = 230;
constexpr char no_opengl_message[] =
    "ERROR: OpenGL with RGB colour, a depth buffer and double buffering is not available on this display. "
    "The molecule can't be drawn.";

GdkGLConfig* gl_config() {
  return gdk_gl_config_new_by_mode(
      static_cast<GdkGLConfigMode>(GDK_GL_MODE_RGB | GDK_GL_MODE_DEPTH | GDK_GL_MODE_DOUBLE));
}

// The overlays drawn after the scene list on every expose.
void mivor_draw_2d(int W, int H) {
  if (view.rubber_band) draw_rectangle(W, H);
  if (m && m->ntextbox() > 0) {
    int wa = W, ha = H;
    zev_gtk_get_screen_size(&wa, &ha);
    draw_textboxes(W, H, wa, ha);
    if (textbox_state == 2) draw_textbox_rectangle(W, H);
  }
  if (m && m->natom() > 0 && !m->atom_labels.empty()) draw_labels(W, H);
}

gboolean on_realize(GtkWidget* widget, gpointer) {
  GlScope gl(widget);
  if (!gl) return FALSE;
  scene_realize();
  view_realize();
  return TRUE;
}

gboolean on_configure(GtkWidget* widget, GdkEventConfigure*, gpointer) {
  GlScope gl(widget);
  if (!gl) return FALSE;
  view_configure(widget->allocation.width, widget->allocation.height);
  return TRUE;
}

gboolean on_expose(GtkWidget* widget, GdkEventExpose*, gpointer) {
  GlScope gl(widget);
  if (!gl) return FALSE;
  scene_expose(widget->allocation.width, widget->allocation.height, mivor_draw_2d);
  gl.swap_buffers();
  return TRUE;
}

gboolean on_button_press(GtkWidget* widget, GdkEventButton* event, gpointer) {
  const int x = static_cast<int>(event->x), y = static_cast<int>(event->y);
  // A text box being placed or moved takes the click.
  if (textbox_button_press(x, y)) {
    invalidate_drawing_area();
    return TRUE;
  }
  GlScope gl(widget);
  if (!gl) return FALSE;
  const int height = widget->allocation.height;
  switch (event->button) {
    case 1: {
      const int atom = pick_atom(x, y, height, current_window_projector());
      click_select(atom);
      // The open coordinate editor shows the picked atom's row.
      if (atom >= 0) mivor_xyz_editor_select_row(atom);
      view_button_press(x, y);
      break;
    }
    case 2:
      clear_selection_or_marks();
      break;
    case 3:
      toggle_mark(pick_atom(x, y, height, current_window_projector()));
      view_button_press(x, y);
      break;
    default:
      break;
  }
  invalidate_drawing_area();
  return TRUE;
}

gboolean on_motion(GtkWidget* widget, GdkEventMotion* event, gpointer) {
  int button = 0;
  if (event->state & GDK_BUTTON1_MASK) {
    button = 1;
  } else if (event->state & GDK_BUTTON2_MASK) {
    button = 2;
  } else if (event->state & GDK_BUTTON3_MASK) {
    button = 3;
  }
  if (!button) return FALSE;
  GlScope gl(widget);
  if (!gl) return FALSE;
  const view_motion_t motion =
      view_motion(button, control_pressed != 0, static_cast<int>(event->x), static_cast<int>(event->y));
  // Control-drag expands or retracts an editable molecule.
  if (motion.expand && m && m->editable) do_expand_or_retract(*motion.expand);
  if (motion.redraw) {
    if (button == 3) {
      mark_atoms_in_rectangle(view.x0, view.y0, view.x1, view.y1, view.screen_height, current_window_projector());
      rerender_3d();
    }
    invalidate_drawing_area();
  }
  return TRUE;
}

gboolean on_button_release(GtkWidget*, GdkEventButton*, gpointer) {
  view_button_release();
  invalidate_drawing_area();
  return TRUE;
}

gboolean mivor_gtk_mouse_scroll(GtkWidget* widget, GdkEventScroll* event, gpointer) {
  if (event->direction != GDK_SCROLL_UP && event->direction != GDK_SCROLL_DOWN) return FALSE;
  GlScope gl(widget);
  if (!gl) return FALSE;
  do_key_page(event->direction == GDK_SCROLL_UP ? 1 : 0, 0);
  invalidate_drawing_area();
  return TRUE;
}

gboolean on_delete(GtkWidget*, GdkEvent*, gpointer) {
  Kill_Gui();
  return TRUE;
}

GtkWidget* white_event_box(GtkWidget* child) {
  GtkWidget* box = gtk_event_box_new();
  GdkColor white;
  gdk_color_parse("white", &white);
  for (GtkStateType state : {GTK_STATE_NORMAL, GTK_STATE_ACTIVE, GTK_STATE_PRELIGHT, GTK_STATE_SELECTED}) {
    gtk_widget_modify_base(box, state, &white);
    gtk_widget_modify_fg(box, state, &white);
    gtk_widget_modify_bg(box, state, &white);
  }
  gtk_container_add(GTK_CONTAINER(box), child);
  return box;
}

GtkWidget* make_drawing_area(GdkGLConfig* config) {
  GtkWidget* area = gtk_drawing_area_new();
  gtk_widget_set_double_buffered(area, FALSE);
  gtk_widget_set_gl_capability(area, config, nullptr, TRUE, GDK_GL_RGBA_TYPE);
  gtk_widget_set_size_request(area, Input_Data.initial_screen_size, Input_Data.initial_screen_size);
  gtk_widget_add_events(area, GDK_EXPOSURE_MASK | GDK_BUTTON1_MOTION_MASK | GDK_BUTTON2_MOTION_MASK |
                                  GDK_BUTTON3_MOTION_MASK | GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK |
                                  GDK_SCROLL_MASK);
  g_signal_connect_after(area, "realize", G_CALLBACK(guarded<on_realize>), nullptr);
  g_signal_connect(area, "configure_event", G_CALLBACK(guarded<on_configure>), nullptr);
  g_signal_connect(area, "expose_event", G_CALLBACK(guarded<on_expose>), nullptr);
  g_signal_connect(area, "motion_notify_event", G_CALLBACK(guarded<on_motion>), nullptr);
  g_signal_connect(area, "button_press_event", G_CALLBACK(guarded<on_button_press>), nullptr);
  g_signal_connect(area, "button_release_event", G_CALLBACK(guarded<on_button_release>), nullptr);
  g_signal_connect(area, "scroll-event", G_CALLBACK(guarded<mivor_gtk_mouse_scroll>), nullptr);
  return area;
}

}  // namespace

void start_viewer(int argc, char** argv) {
  run_startup_before_window(argc, argv);
  Init_Gui(argc, argv);
  install_gtk_notifier();
  print_reference();
  open_cmd_line_file();
  start_check_for_changes();
}

void Init_Gui(int argc, char** argv) {
  view.z_half = 5.0;
  // Files are read and written with a decimal point whatever the user's locale.
  gtk_disable_setlocale();
  gtk_init(&argc, &argv);
  // Without OpenGL the window still opens, reads and saves files.
  GdkGLConfig* config = gtk_gl_init_check(&argc, &argv) ? gl_config() : nullptr;

  window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  g_signal_connect(window, "delete_event", G_CALLBACK((guarded<on_delete, TRUE>)), nullptr);
  set_mivor_icon(window);
  g_signal_connect(window, "key_press_event", G_CALLBACK(guarded<mivor_gtk_key_press>), nullptr);
  g_signal_connect(window, "key_release_event", G_CALLBACK(guarded<mivor_gtk_key_release>), nullptr);

  GtkWidget* vbox = gtk_vbox_new(FALSE, 0);
  gtk_container_add(GTK_CONTAINER(window), vbox);
  gtk_box_pack_start(GTK_BOX(vbox), make_menubar(window), FALSE, FALSE, 0);
  statusbar1 = gtk_statusbar_new();
  statusbar2 = gtk_statusbar_new();
  gtk_statusbar_set_has_resize_grip(GTK_STATUSBAR(statusbar1), FALSE);
  gtk_box_pack_start(GTK_BOX(vbox), white_event_box(statusbar1), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(vbox), white_event_box(statusbar2), FALSE, FALSE, 0);

  GtkWidget* hbox = gtk_hbox_new(FALSE, 0);
  gtk_box_pack_start(GTK_BOX(vbox), hbox, TRUE, TRUE, 0);
  drawingarea = config ? make_drawing_area(config) : gtk_drawing_area_new();
  gtk_box_pack_start(GTK_BOX(hbox), drawingarea, TRUE, TRUE, 0);
  GtkWidget* panel = make_notebook();
  // The side panel keeps its width, so the drawing area keeps the size asked for.
  gtk_widget_set_size_request(panel, side_panel_width, -1);
  gtk_box_pack_start(GTK_BOX(hbox), panel, FALSE, FALSE, 0);

  gtk_widget_show_all(window);
  textbox_state = 0;
  if (!config) show_warning_dialog(no_opengl_message);
}

void Start_Gui() {
  gtk_main();
  GlScope gl(drawingarea);
  if (gl) scene_delete_list();
}

void Kill_Gui() {
  remove_backup();
  if (gtk_main_level() > 0) gtk_main_quit();
}

void show_warning_dialog(const std::string& text) {
  GtkWidget* dialog = gtk_message_dialog_new(window ? GTK_WINDOW(window) : nullptr, GTK_DIALOG_DESTROY_WITH_PARENT,
                                             GTK_MESSAGE_ERROR, GTK_BUTTONS_CLOSE, "%s", text.c_str());
  gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
  gtk_dialog_run(GTK_DIALOG(dialog));
  gtk_widget_destroy(dialog);
}

void zev_gtk_get_screen_size(int* w, int* h) {
  if (!drawingarea) return;
  *w = drawingarea->allocation.width;
  *h = drawingarea->allocation.height;
}

void callback_maximize() {
  static int full_screen = 0;
  full_screen = !full_screen;
  if (full_screen) {
    gtk_window_fullscreen(GTK_WINDOW(window));
  } else {
    gtk_window_unfullscreen(GTK_WINDOW(window));
  }
}

void invalidate_drawing_area() {
  if (drawingarea && drawingarea->window) gdk_window_invalidate_rect(drawingarea->window, nullptr, FALSE);
}

void set_mivor_icon(GtkWidget* toplevel) {
  GdkPixbuf* icon = gdk_pixbuf_new_from_xpm_data(const_cast<const char**>(tarnex015002_xpm));
  if (!icon) return;
  gtk_window_set_icon(GTK_WINDOW(toplevel), icon);
  g_object_unref(icon);
}
