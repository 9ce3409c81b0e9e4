// The window of all orbitals: one small OpenGL tile per orbital grid, in
// grid order, showing the molecule and that orbital's two lobes on the
// background of its orbital type, with its symmetry, index and type letter
// below. Keys and the middle button set types through the orbital list.
//
// Every tile has an OpenGL context of its own (nothing is shared with the
// main view) and a surface store of its own, read from the open file into a
// buffer of its own: the main view's current grid and surfaces stay as they
// are. Surfaces are made one tile per idle call, so the main window keeps
// answering while a large set of tiles is built; a tile shows its background
// until its surfaces are there. Handlers name tiles by index and check it
// against the tile array, which is replaced only with the tiles' widgets.
#include <GL/gl.h>
#include <gdk/gdkkeysyms.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/guarded.h"
#include "edit/orbital_tiles.h"
#include "molecule/mol_data.h"
#include "molecule/settings.h"
#include "render/gl/gl_scene_output.h"
#include "render/isosurface.h"
#include "render/scene.h"
#include "render/view.h"
#include "ui/gl_scope.h"
#include "ui/widgets.h"

GtkWidget* multi_view_win = nullptr;

namespace {

struct tile_record_t {
  orbital_tile_t orbital;
  double pointer_x = 0, pointer_y = 0;
  GtkWidget* frame = nullptr;
  GtkWidget* area = nullptr;
  GtkWidget* type_label = nullptr;
  GLuint list = 0;
  bool list_valid = false;
  double zoom = 1;
  matrix16 matrix{};
  std::unique_ptr<msrf_t> store;  // the lobes, once made
  bool built = false;             // surfaces made (or given up)
};

struct multiview_state_t {
  std::vector<tile_record_t> od;
  int magnification_level = 0;
  GtkWidget* layout = nullptr;
  GtkWidget* scrolled = nullptr;
  double cum_ang = 0;
  int columns = 1;        // tiles per row as placed now
  guint idle = 0;         // the tile builder while tiles wait for widgets or surfaces
  bool reported = false;  // a grid that could not be read was reported
} state;

tile_record_t* tile(gpointer data) {
  const size_t k = static_cast<size_t>(GPOINTER_TO_INT(data));
  return k < state.od.size() ? &state.od[k] : nullptr;
}

void set_type_label(tile_record_t& t) {
  char text[8];
  std::snprintf(text, sizeof text, "t: %c", orbital_type_letter(t.orbital.type));
  gtk_label_set_text(GTK_LABEL(t.type_label), text);
}

void invalidate(tile_record_t& t) {
  t.list_valid = false;
  if (t.area) gtk_widget_queue_draw(t.area);
}

// The tile's list: the background of its type, then, once its surfaces are
// made, the molecule and the lobes.
void compile_list(tile_record_t& t) {
  if (t.list) glDeleteLists(t.list, 1);
  t.list = glGenLists(1);
  glNewList(t.list, GL_COMPILE);
  const color_t bg = mivor_gtk_get_cur_color(t.orbital.type);
  glClearColor(bg.red, bg.green, bg.blue, Input_Data.background_color.alpha);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  if (t.store) {
    GlSceneOutput out;
    draw_molecule_for_multiview(out);
    draw_surface_store(out, *t.store);
  }
  glEndList();
  t.list_valid = true;
}

void set_tile_gl_state() {
  const GLfloat position[] = {-0.5f, -0.5f, 1.0f, 0.0f};
  const GLfloat white[] = {1.0f, 1.0f, 1.0f, 1.0f};
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glLightfv(GL_LIGHT0, GL_POSITION, position);
  glPopMatrix();
  glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
  glLightfv(GL_LIGHT0, GL_SPECULAR, white);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, white);
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 100.0f);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_CULL_FACE);
  glColorMaterial(GL_FRONT_AND_BACK, GL_DIFFUSE);
  glEnable(GL_NORMALIZE);
  glShadeModel(GL_SMOOTH);
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  glEnable(GL_COLOR_MATERIAL);
}

void set_projection(int w, int h) {
  glViewport(0, 0, w, h);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  const double aspect = h > 0 ? static_cast<double>(w) / h : 1.0;
  if (w > h)
    glOrtho(-2.5 * aspect, 2.5 * aspect, -2.5, 2.5, -50, 3);
  else
    glOrtho(-2.5, 2.5, -2.5 / aspect, 2.5 / aspect, -50, 3);
  glMatrixMode(GL_MODELVIEW);
}

void on_realize(GtkWidget* area, gpointer data) {
  tile_record_t* t = tile(data);
  GlScope gl(area);
  if (!t || !gl) return;
  set_tile_gl_state();
  t->matrix = mvm;
}

gboolean on_configure(GtkWidget* area, GdkEventConfigure*, gpointer) {
  GlScope gl(area);
  if (gl) set_projection(area->allocation.width, area->allocation.height);
  return TRUE;
}

gboolean on_expose(GtkWidget* area, GdkEventExpose*, gpointer data) {
  tile_record_t* t = tile(data);
  GlScope gl(area);
  if (!t || !gl) return TRUE;
  set_projection(area->allocation.width, area->allocation.height);
  glLoadMatrixd(t->matrix.data());
  if (t->zoom != 1) {
    glScaled(t->zoom, t->zoom, t->zoom);
    glGetDoublev(GL_MODELVIEW_MATRIX, t->matrix.data());
    t->zoom = 1;
  }
  if (!t->list_valid) compile_list(*t);
  glCallList(t->list);
  gl.swap_buffers();
  return TRUE;
}

// Normalised pointer position in a tile: −1 … 1 both ways, y upward.
void normalised(GtkWidget* area, double px, double py, double* x, double* y) {
  const double w = std::max(area->allocation.width, 1), h = std::max(area->allocation.height, 1);
  *x = 2 * px / w - 1;
  *y = 2 * (h - py) / h - 1;
}

gboolean on_button_press(GtkWidget* area, GdkEventButton* event, gpointer data) {
  tile_record_t* t = tile(data);
  // A quick second click also brings a double-click event: one step per click.
  if (!t || !m || event->type != GDK_BUTTON_PRESS) return TRUE;
  const int symmetry = t->orbital.symmetry, index = t->orbital.index;
  mivor_gtk_search_orbital_in_list(symmetry, index);
  t = tile(data);  // choosing the row may have replaced the tiles
  if (!t) return TRUE;
  if (event->button == 1 || event->button == 3) normalised(area, event->x, event->y, &t->pointer_x, &t->pointer_y);
  if (event->button == 2) mivor_gtk_change_orbital_type(symmetry, index);
  return TRUE;
}

// Turns the tile by the trackball rotation from the stored pointer position
// to (x1, y1).
void rotate_tile(GtkWidget* area, tile_record_t& t, double x1, double y1) {
  const double x0 = t.pointer_x, y0 = t.pointer_y;
  const double ax = y0 - y1, ay = x1 - x0, az = x0 * y1 - y0 * x1;
  const double old2 = x0 * x0 + y0 * y0 + 1, new2 = x1 * x1 + y1 * y1 + 1;
  const double angle = 57.29577951308232 * std::sqrt((ax * ax + ay * ay + az * az) / (new2 * old2));
  if (angle == 0) return;
  GlScope gl(area);
  if (!gl) return;
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glRotated(angle, ax, ay, az);
  glMultMatrixd(t.matrix.data());
  glGetDoublev(GL_MODELVIEW_MATRIX, t.matrix.data());
  state.cum_ang += std::fabs(angle);
  // Transparent lobes are sorted for the view when the list is made.
  if (state.cum_ang > 45) {
    state.cum_ang = 0;
    t.list_valid = false;
  }
}

void rebuild_tile_surfaces(tile_record_t& t, bool automatic);

gboolean on_motion(GtkWidget* area, GdkEventMotion* event, gpointer data) {
  tile_record_t* t = tile(data);
  if (!t) return TRUE;
  double x = 0, y = 0;
  normalised(area, event->x, event->y, &x, &y);
  if (event->state & GDK_BUTTON1_MASK) {
    rotate_tile(area, *t, x, y);
  } else if (event->state & GDK_BUTTON3_MASK) {
    const double dx = x - t->pointer_x, dy = y - t->pointer_y;
    if (std::fabs(dx) > 2 * std::fabs(dy)) {
      t->zoom = dx > 0 ? t->zoom * 1.01 : t->zoom / 1.01;
    } else if (dy != 0) {
      Input_Data.isolevel *= dy > 0 ? 1.01 : 0.99;
      rebuild_tile_surfaces(*t, false);
    }
  }
  t->pointer_x = x;
  t->pointer_y = y;
  gtk_widget_queue_draw(area);
  return TRUE;
}

gboolean on_button_release(GtkWidget*, GdkEventButton*, gpointer) { return TRUE; }

void rebuild_tile_surfaces(tile_record_t& t, bool automatic) {
  tile_surface_t made = build_tile_surface(t.orbital, Input_Data.isolevel, automatic);
  t.built = true;
  t.store = std::move(made.store);
  if (!t.store && !state.reported) {
    // One message for the window, not one per tile.
    state.reported = true;
    mivor_gtk_push_message_to_statusbar1(made.error);
  }
  invalidate(t);
}

GtkWidget* mivor_gtk_wsub_create(int k, int size);

// Puts tile k's widgets into the layout at its place.
void place_new_tile(int k) {
  const int size = multiview_tile_size(state.magnification_level);
  const tile_place_t p = multiview_tile_place(k, state.columns, size);
  GtkWidget* frame = mivor_gtk_wsub_create(k, size);
  gtk_layout_put(GTK_LAYOUT(state.layout), frame, p.x, p.y);
  gtk_widget_show_all(frame);
}

// One step of building the tiles, small enough to keep the main loop
// answering: first each tile's widgets (its OpenGL context is made when it
// is first shown), then each tile's surfaces. False when all are there.
// The source's number is kept only while the builder goes on: a step that
// fails (memory ran out) ends it, and the next window makes a new one.
gboolean build_next_tile(gpointer) {
  const guint id = std::exchange(state.idle, 0);
  for (size_t k = 0; k < state.od.size(); ++k) {
    if (state.od[k].frame) continue;
    place_new_tile(static_cast<int>(k));
    state.idle = id;
    return TRUE;
  }
  for (tile_record_t& t : state.od) {
    if (t.built) continue;
    rebuild_tile_surfaces(t, Input_Data.auto_select_level != 0);
    state.idle = id;
    return TRUE;
  }
  return FALSE;
}

GtkWidget* mivor_gtk_wsub_create(int k, int size) {
  tile_record_t& t = state.od[static_cast<size_t>(k)];
  t.frame = gtk_frame_new(nullptr);
  gtk_widget_set_size_request(t.frame, size, size);
  GtkWidget* box = gtk_vbox_new(FALSE, 0);
  gtk_container_add(GTK_CONTAINER(t.frame), box);
  t.area = gtk_drawing_area_new();
  gtk_widget_set_double_buffered(t.area, FALSE);
  GdkGLConfig* config = gdk_gl_config_new_by_mode(
      static_cast<GdkGLConfigMode>(GDK_GL_MODE_RGBA | GDK_GL_MODE_DEPTH | GDK_GL_MODE_DOUBLE));
  if (config) {
    gtk_widget_set_gl_capability(t.area, config, nullptr, TRUE, GDK_GL_RGBA_TYPE);
    g_object_unref(config);
  }
  gtk_widget_add_events(t.area, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK);
  const gpointer data = GINT_TO_POINTER(k);
  g_signal_connect_after(t.area, "realize", G_CALLBACK(guarded<on_realize>), data);
  g_signal_connect(t.area, "configure_event", G_CALLBACK(guarded<on_configure>), data);
  g_signal_connect(t.area, "expose_event", G_CALLBACK(guarded<on_expose>), data);
  g_signal_connect(t.area, "button_press_event", G_CALLBACK(guarded<on_button_press>), data);
  g_signal_connect(t.area, "button_release_event", G_CALLBACK(guarded<on_button_release>), data);
  g_signal_connect(t.area, "motion_notify_event", G_CALLBACK(guarded<on_motion>), data);
  gtk_box_pack_start(GTK_BOX(box), t.area, TRUE, TRUE, 0);

  GtkWidget* labels = gtk_hbox_new(TRUE, 0);
  char text[32];
  std::snprintf(text, sizeof text, "s: %d", t.orbital.symmetry);
  gtk_box_pack_start(GTK_BOX(labels), gtk_label_new(text), TRUE, TRUE, 0);
  std::snprintf(text, sizeof text, "i: %d", t.orbital.index);
  gtk_box_pack_start(GTK_BOX(labels), gtk_label_new(text), TRUE, TRUE, 0);
  t.type_label = gtk_label_new("");
  set_type_label(t);
  gtk_box_pack_start(GTK_BOX(labels), t.type_label, TRUE, TRUE, 0);
  gtk_box_pack_start(GTK_BOX(box), labels, FALSE, FALSE, 0);
  return t.frame;
}

void arrange_frames_in_layout() {
  if (!state.layout) return;
  state.magnification_level = clamp_magnification(state.magnification_level);
  const int size = multiview_tile_size(state.magnification_level);
  const int width = std::max(state.scrolled->allocation.width, Input_Data.initial_screen_size);
  const int columns = multiview_columns(width, size);
  state.columns = columns;
  const int n = static_cast<int>(state.od.size());
  const tile_place_t area = multiview_area_size(n, columns, size);
  gtk_layout_set_size(GTK_LAYOUT(state.layout), static_cast<guint>(area.x), static_cast<guint>(area.y));
  for (int k = 0; k < n; ++k) {
    tile_record_t& t = state.od[static_cast<size_t>(k)];
    if (!t.frame) continue;  // placed when it is made
    const tile_place_t p = multiview_tile_place(k, columns, size);
    gtk_widget_set_size_request(t.frame, size, size);
    gtk_layout_move(GTK_LAYOUT(state.layout), t.frame, p.x, p.y);
  }
}

void magnify_frames() {
  ++state.magnification_level;
  arrange_frames_in_layout();
}

void extenuate_frames() {
  --state.magnification_level;
  arrange_frames_in_layout();
}

// One tile record per orbital of the current geometry and the layout's size;
// the idle builder makes their widgets and surfaces.
void make_tiles() {
  state.od.clear();
  state.reported = false;
  std::vector<orbital_tile_t> orbitals = m ? orbital_tiles(*m) : std::vector<orbital_tile_t>{};
  state.od.resize(orbitals.size());
  for (size_t k = 0; k < orbitals.size(); ++k) state.od[k].orbital = orbitals[k];
  const int size = multiview_tile_size(state.magnification_level);
  state.columns = multiview_columns(Input_Data.initial_screen_size, size);
  // The first tile at once, so that the window opens with a picture.
  if (!state.od.empty()) place_new_tile(0);
  const tile_place_t area = multiview_area_size(static_cast<int>(orbitals.size()), state.columns, size);
  gtk_layout_set_size(GTK_LAYOUT(state.layout), static_cast<guint>(area.x), static_cast<guint>(area.y));
  if (orbitals.empty()) mivor_gtk_push_message_to_statusbar1("The molecule has no orbitals to show");
  if (!state.od.empty() && !state.idle) state.idle = g_idle_add(guarded<build_next_tile>, nullptr);
}

// Destroys the tiles' widgets first (their handlers check the array), then
// the records and their surfaces.
void drop_tiles() {
  if (state.idle) g_source_remove(state.idle);
  state.idle = 0;
  for (tile_record_t& t : state.od)
    if (t.frame) gtk_widget_destroy(t.frame);
  state.od.clear();
}

gboolean kill_multi_view_win(GtkWidget*, GdkEvent*, gpointer) {
  drop_tiles();
  GtkWidget* w = multi_view_win;
  multi_view_win = nullptr;
  state.layout = state.scrolled = nullptr;
  if (w) gtk_widget_destroy(w);
  std::printf("KILL MULTI VIEW WIN\n");
  std::fflush(stdout);
  return TRUE;
}

gboolean mivor_multi_view_key_press(GtkWidget*, GdkEventKey* event, gpointer) {
  std::printf("KEY PRESS EVENT!\n");
  std::fflush(stdout);
  if (!m || m->ngrid() == 0) return TRUE;
  const int type = multiview_key_type(event->keyval);
  if (type > 0) change_orbital_type(type);
  return TRUE;
}

GtkWidget* zoom_button(const char* stock, GCallback action) {
  GtkWidget* b = gtk_button_new_from_stock(stock);
  g_signal_connect_swapped(b, "clicked", action, nullptr);
  return b;
}

}  // namespace

void mivor_gtk_show_multiorb_window() {
  if (multi_view_win) {
    kill_multi_view_win(nullptr, nullptr, nullptr);
    return;
  }
  state.magnification_level = 0;
  multi_view_win = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(multi_view_win), "Mivor multiview");
  set_mivor_icon(multi_view_win);
  g_signal_connect(multi_view_win, "delete-event", G_CALLBACK((guarded<kill_multi_view_win, TRUE>)), nullptr);
  g_signal_connect(multi_view_win, "key_press_event", G_CALLBACK(guarded<mivor_multi_view_key_press>), nullptr);

  GtkWidget* box = gtk_vbox_new(FALSE, 0);
  gtk_container_add(GTK_CONTAINER(multi_view_win), box);
  state.scrolled = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(state.scrolled), GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
  const int s = Input_Data.initial_screen_size > 0 ? Input_Data.initial_screen_size : 800;
  gtk_widget_set_size_request(state.scrolled, s, s);
  gtk_box_pack_start(GTK_BOX(box), state.scrolled, TRUE, TRUE, 0);
  state.layout = gtk_layout_new(nullptr, nullptr);
  gtk_container_add(GTK_CONTAINER(state.scrolled), state.layout);
  GtkWidget* row = gtk_hbox_new(FALSE, 0);
  gtk_box_pack_start(GTK_BOX(row), zoom_button(GTK_STOCK_ZOOM_IN, G_CALLBACK(guarded<magnify_frames>)), FALSE, FALSE,
                     0);
  gtk_box_pack_start(GTK_BOX(row), zoom_button(GTK_STOCK_ZOOM_OUT, G_CALLBACK(guarded<extenuate_frames>)), FALSE, FALSE,
                     0);
  gtk_box_pack_start(GTK_BOX(box), row, FALSE, FALSE, 0);

  make_tiles();
  gtk_widget_show_all(multi_view_win);
}

int mivor_gtk_multiview_redraw_list(int grid, int type) {
  if (!multi_view_win) return 0;
  for (tile_record_t& t : state.od) {
    if (t.orbital.grid != grid) continue;
    t.orbital.type = type;
    set_type_label(t);
    invalidate(t);
    return 1;
  }
  return 0;
}

void multiview_follow_file() {
  if (!multi_view_win) return;
  const std::vector<orbital_tile_t> now = m ? orbital_tiles(*m) : std::vector<orbital_tile_t>{};
  bool same = now.size() == state.od.size();
  for (size_t k = 0; same && k < now.size(); ++k)
    same = now[k].grid == state.od[k].orbital.grid && now[k].symmetry == state.od[k].orbital.symmetry &&
           now[k].index == state.od[k].orbital.index;
  if (same) return;
  drop_tiles();
  make_tiles();
}

int multiview_tiles_waiting() {
  int n = 0;
  for (const tile_record_t& t : state.od) n += !t.frame || !t.built;
  return n;
}
