// The side panel: a scrollable notebook over four expanders. Every widget is
// built once; pages, expanders and buttons are shown or hidden as the current
// molecule asks, and only the frequency and custom-grid buttons are rebuilt.
// Widgets hidden at start are kept out of the window's show_all, so they
// appear only when the molecule has the data they need.
#include "ui/side_panel.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/config_dir.h"
#include "app/guarded.h"
#include "document/native_file.h"
#include "edit/selection_readout.h"
#include "molecule/mol_data.h"
#include "molecule/notify.h"
#include "molecule/settings.h"
#include "render/gl/view_gl.h"
#include "render/isosurface.h"
#include "ui/gl_scope.h"
#include "ui/move_commands.h"
#include "ui/orbital_list.h"
#include "ui/widgets.h"

GtkWidget* notebook = nullptr;
GtkWidget* vbox_vibration = nullptr;
GtkWidget* vbox_freqs = nullptr;
GtkWidget* vib_spectrum_button = nullptr;
GtkWidget* vbox_orbitals = nullptr;
GtkWidget* combo_button = nullptr;
GtkWidget* geo_expander = nullptr;
GtkWidget* geo_button = nullptr;
GtkWidget* geo_play_button = nullptr;
GtkWidget* geo_slider = nullptr;
GtkWidget* label_igeo = nullptr;
GtkAdjustment* adj_geoms = nullptr;
GtkAdjustment* adj_play_speed = nullptr;
GtkWidget* grid_expander = nullptr;
GtkWidget* grid_frame_transp = nullptr;
GtkWidget* grid_frame_isosurf = nullptr;
GtkAdjustment* tranparency_level = nullptr;
GtkAdjustment* isosurface_level = nullptr;
GtkWidget* all_orbitals_button = nullptr;
GtkWidget* epot_button = nullptr;
GtkWidget* vbox_watched = nullptr;

// The built-in "center" icon: a cross hair in a ring.
const char* center_xpm[] = {"16 16 2 1",        ". c None",         "# c #303030",      ".......##.......",
                            ".......##.......", ".....######.....", "...###.##.###...", "...#...##...#...",
                            "..##...##...##..", "..#....##....#..", "################", "################",
                            "..#....##....#..", "..##...##...##..", "...#...##...#...", "...###.##.###...",
                            ".....######.....", ".......##.......", ".......##......."};

namespace {

struct panel_state_t {
  GtkWidget* freqs_window = nullptr;  // the scrolled window around vbox_freqs
  GtkWidget* play_image = nullptr;    // the image of geo_play_button
  std::vector<GtkWidget*> freq_buttons;
  std::vector<GtkWidget*> button_custom_grid;
  // Set while the panel moves its own controls, so that their handlers
  // don't act on it.
  bool updating = false;
} state;

// Children visible, the widget itself hidden and left out of show_all.
void start_hidden(GtkWidget* widget) {
  gtk_widget_show_all(widget);
  gtk_widget_hide(widget);
  gtk_widget_set_no_show_all(widget, TRUE);
}

void show_if(GtkWidget* widget, bool on) {
  if (on) {
    gtk_widget_show(widget);
  } else {
    gtk_widget_hide(widget);
  }
}

void rebuild_and_redraw() {
  rerender_3d();
  invalidate_drawing_area();
}

void pack(GtkWidget* box, GtkWidget* child, bool expand = false) {
  gtk_box_pack_start(GTK_BOX(box), child, expand, expand, 0);
}

std::string printf_text(const char* format, double value) {
  gchar* text = g_strdup_printf(format, value);
  std::string result = text;
  g_free(text);
  return result;
}

GtkAdjustment* adjustment(double value, double lower, double upper, double step, double page) {
  return GTK_ADJUSTMENT(gtk_adjustment_new(value, lower, upper, step, page, 0));
}

double value_of(GtkAdjustment* adj) { return gtk_adjustment_get_value(adj); }

GtkWidget* hscale(GtkAdjustment* adj, int digits, bool draw_value) {
  GtkWidget* scale = gtk_hscale_new(adj);
  gtk_scale_set_digits(GTK_SCALE(scale), digits);
  gtk_scale_set_draw_value(GTK_SCALE(scale), draw_value);
  return scale;
}

GtkWidget* framed(const char* title, GtkWidget* child) {
  GtkWidget* frame = gtk_frame_new(title);
  gtk_container_add(GTK_CONTAINER(frame), child);
  return frame;
}

// A button showing only an icon, with a tooltip; `callback` gets `data`.
GtkWidget* icon_button(GtkWidget* image, const char* tooltip, GCallback callback, gpointer data = nullptr) {
  GtkWidget* button = gtk_button_new();
  gtk_container_add(GTK_CONTAINER(button), image);
  gtk_widget_set_tooltip_text(button, tooltip);
  if (callback) g_signal_connect_swapped(button, "clicked", callback, data);
  return button;
}

GtkWidget* stock_icon_button(const char* stock_id, const char* tooltip, GCallback callback, gpointer data = nullptr) {
  return icon_button(gtk_image_new_from_stock(stock_id, GTK_ICON_SIZE_BUTTON), tooltip, callback, data);
}

// A box that scrolls both ways, so that long rows don't widen the panel.
GtkWidget* scrolled_box(GtkWidget* box) {
  GtkWidget* window = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(window), GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
  gtk_scrolled_window_add_with_viewport(GTK_SCROLLED_WINDOW(window), box);
  gtk_viewport_set_shadow_type(GTK_VIEWPORT(gtk_bin_get_child(GTK_BIN(window))), GTK_SHADOW_NONE);
  return window;
}

gboolean on_entry_focus_in(GtkWidget*, GdkEventFocus*, gpointer) {
  mivor_gtk_disable_keys();
  return FALSE;
}

gboolean on_entry_focus_out(GtkWidget*, GdkEventFocus*, gpointer) {
  mivor_gtk_enable_keys();
  return FALSE;
}

// The vibrations page.

void on_vibration_speed(GtkAdjustment* adj) {
  Input_Data.vibration_speed = value_of(adj);
  invalidate_drawing_area();
}

void on_vibration_amplitude(GtkAdjustment* adj) {
  Input_Data.vibration_amplitude = value_of(adj);
  invalidate_drawing_area();
}

GtkWidget* make_vibrations_page() {
  vbox_vibration = gtk_vbox_new(FALSE, 2);
  GtkAdjustment* speed = adjustment(Input_Data.vibration_speed, 0, 1, 0.01, 0.1);
  g_signal_connect(speed, "value-changed", G_CALLBACK(guarded<on_vibration_speed>), nullptr);
  pack(vbox_vibration, framed("vibration speed", hscale(speed, 2, false)));
  GtkAdjustment* amplitude = adjustment(Input_Data.vibration_amplitude, 0, 2, 1, 1);
  g_signal_connect(amplitude, "value-changed", G_CALLBACK(guarded<on_vibration_amplitude>), nullptr);
  pack(vbox_vibration, framed("amplitude", hscale(amplitude, 0, false)));
  vbox_freqs = gtk_vbox_new(FALSE, 0);
  state.freqs_window = scrolled_box(vbox_freqs);
  pack(vbox_vibration, state.freqs_window, true);
  vib_spectrum_button = gtk_button_new_with_label("vibrational spectrum");
  g_signal_connect(vib_spectrum_button, "clicked", G_CALLBACK(guarded<mivor_gtk_show_vib_spectrum>), nullptr);
  pack(vbox_vibration, vib_spectrum_button);
  return vbox_vibration;
}

void on_frequency(gpointer mode) {
  ivib = GPOINTER_TO_INT(mode);
  notifier().mode_shown();
  rebuild_and_redraw();
}

std::string frequency_markup(size_t i) {
  std::string text = printf_text("%.2f cm<sup>-1</sup>", m->vib->freq[i]);
  if ((m->flags & FLAG_IR) && i < m->vib->ir_intensity.size())
    text += printf_text(" IR int.=%.2f", m->vib->ir_intensity[i]);
  if ((m->flags & FLAG_RAMAN) && i < m->vib->raman_intensity.size()) {
    text += printf_text(" Raman int.=%.2f", m->vib->raman_intensity[i]);
  }
  return text;
}

void rebuild_frequency_buttons() {
  for (GtkWidget* button : state.freq_buttons) gtk_widget_destroy(button);
  state.freq_buttons.clear();
  if (!m) return;
  for (size_t i = 0; i < m->vib->freq.size(); ++i) {
    GtkWidget* label = gtk_label_new(nullptr);
    gtk_label_set_markup(GTK_LABEL(label), frequency_markup(i).c_str());
    gtk_misc_set_alignment(GTK_MISC(label), 0, 0.5);
    GtkWidget* button = gtk_button_new();
    gtk_container_add(GTK_CONTAINER(button), label);
    g_signal_connect_swapped(button, "clicked", G_CALLBACK(guarded<on_frequency>),
                             GINT_TO_POINTER(static_cast<int>(i)));
    pack(vbox_freqs, button);
    gtk_widget_show_all(button);
    state.freq_buttons.push_back(button);
  }
}

// The orbitals page.

GtkWidget* make_orbitals_page() {
  vbox_orbitals = gtk_vbox_new(FALSE, 2);
  GtkWidget* list_window = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(list_window), GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
  gtk_container_add(GTK_CONTAINER(list_window), mivor_gtk_make_treeview());
  pack(vbox_orbitals, list_window, true);

  GtkWidget* buttons = gtk_hbox_new(TRUE, 2);
  GtkWidget* remove = gtk_button_new_from_stock(GTK_STOCK_DELETE);
  g_signal_connect_swapped(remove, "clicked", G_CALLBACK(guarded<delete_orbital_from_list>), nullptr);
  GtkWidget* restore = gtk_button_new_from_stock(GTK_STOCK_UNDELETE);
  g_signal_connect_swapped(restore, "clicked", G_CALLBACK(guarded<undelete_all_orbitals_from_list>), nullptr);
  pack(buttons, remove, true);
  pack(buttons, restore, true);
  pack(vbox_orbitals, buttons);

  GtkWidget* filter = gtk_hbox_new(FALSE, 4);
  pack(filter, gtk_label_new("filter"));
  GtkWidget* entry = gtk_entry_new();
  gtk_entry_set_width_chars(GTK_ENTRY(entry), 10);
  g_signal_connect(entry, "activate", G_CALLBACK(guarded<orbital_filter_callback>), nullptr);
  guard_keys(entry);
  pack(filter, entry, true);
  pack(vbox_orbitals, filter);
  return vbox_orbitals;
}

void on_custom_grid(gpointer grid) {
  const int j = GPOINTER_TO_INT(grid);
  if (!m || j >= m->ngrid()) return;
  if (selection) gtk_tree_selection_unselect_all(selection);
  iorb = j;
  do_load_grid();
  rebuild_and_redraw();
}

void remove_custom_grid_buttons() {
  for (GtkWidget* button : state.button_custom_grid) gtk_widget_destroy(button);
  state.button_custom_grid.clear();
}

// One button per grid of kind "other", at the end of the orbitals page.
void add_custom_grid_buttons() {
  for (size_t j = 0; j < m->grid->grid_kind.size(); ++j) {
    if (m->grid->grid_kind[j] != GRID_OTHER) continue;
    const std::string title = j < m->grid->grid_name.size() ? m->grid->grid_name[j].value_or("") : "";
    GtkWidget* button = gtk_button_new_with_label(title.c_str());
    gtk_label_set_ellipsize(GTK_LABEL(gtk_bin_get_child(GTK_BIN(button))), PANGO_ELLIPSIZE_END);
    gtk_widget_set_tooltip_text(button, title.c_str());
    g_signal_connect_swapped(button, "clicked", G_CALLBACK(guarded<on_custom_grid>),
                             GINT_TO_POINTER(static_cast<int>(j)));
    pack(vbox_orbitals, button);
    gtk_widget_show(button);
    state.button_custom_grid.push_back(button);
  }
}

// The "zoom/translation" expander.

enum move_t { MOVE_UP, MOVE_DOWN, MOVE_LEFT, MOVE_RIGHT, MOVE_CENTER };

void on_move_mode(GtkComboBox* combo) {
  move_camera = gtk_combo_box_get_active(combo) == 1 ? 1 : 0;
  mivor_gtk_pop_message_from_statusbar2();
  mivor_gtk_push_message_to_statusbar2(move_camera ? "moving camera" : "moving molecule");
}

void on_move(gpointer what) {
  {
    GlScope gl(drawingarea);
    if (gl) {
      switch (GPOINTER_TO_INT(what)) {
        case MOVE_UP:
          Do_key_ud(1, 0);
          break;
        case MOVE_DOWN:
          Do_key_ud(0, 0);
          break;
        case MOVE_LEFT:
          Do_key_lr(0, 0);
          break;
        case MOVE_RIGHT:
          Do_key_lr(1, 0);
          break;
        default:
          Do_center();
          break;
      }
    }
  }
  invalidate_drawing_area();
}

void on_zoom(gpointer step) {
  {
    GlScope gl(drawingarea);
    if (gl) change_scale(GPOINTER_TO_INT(step));
  }
  invalidate_drawing_area();
}

GtkWidget* make_zoom_expander() {
  GtkWidget* expander = gtk_expander_new("zoom/translation");
  GtkWidget* box = gtk_vbox_new(FALSE, 2);
  gtk_container_add(GTK_CONTAINER(expander), box);

  combo_button = gtk_combo_box_new_text();
  gtk_combo_box_append_text(GTK_COMBO_BOX(combo_button), "Move molecule");
  gtk_combo_box_append_text(GTK_COMBO_BOX(combo_button), "Move camera");
  gtk_combo_box_set_active(GTK_COMBO_BOX(combo_button), move_camera ? 1 : 0);
  g_signal_connect(combo_button, "changed", G_CALLBACK(guarded<on_move_mode>), nullptr);
  pack(box, combo_button);

  GtkWidget* arrows = gtk_table_new(3, 3, TRUE);
  const auto place = [arrows](GtkWidget* button, guint column, guint row) {
    gtk_table_attach(GTK_TABLE(arrows), button, column, column + 1, row, row + 1, GTK_SHRINK, GTK_SHRINK, 0, 0);
  };
  const GCallback move = G_CALLBACK(guarded<on_move>);
  place(stock_icon_button(GTK_STOCK_GO_UP, "move up", move, GINT_TO_POINTER(MOVE_UP)), 1, 0);
  place(stock_icon_button(GTK_STOCK_GO_BACK, "move left", move, GINT_TO_POINTER(MOVE_LEFT)), 0, 1);
  GdkPixbuf* center = gdk_pixbuf_new_from_xpm_data(center_xpm);
  place(icon_button(gtk_image_new_from_pixbuf(center), "center", move, GINT_TO_POINTER(MOVE_CENTER)), 1, 1);
  g_object_unref(center);
  place(stock_icon_button(GTK_STOCK_GO_FORWARD, "move right", move, GINT_TO_POINTER(MOVE_RIGHT)), 2, 1);
  place(stock_icon_button(GTK_STOCK_GO_DOWN, "move down", move, GINT_TO_POINTER(MOVE_DOWN)), 1, 2);
  GtkWidget* centred = gtk_alignment_new(0.5, 0.5, 0, 0);
  gtk_container_add(GTK_CONTAINER(centred), arrows);
  pack(box, centred);

  GtkWidget* zoom = gtk_hbox_new(TRUE, 2);
  pack(zoom, stock_icon_button(GTK_STOCK_ZOOM_OUT, "zoom out", G_CALLBACK(guarded<on_zoom>), GINT_TO_POINTER(-1)),
       true);
  pack(zoom, stock_icon_button(GTK_STOCK_ZOOM_100, "Normal size", G_CALLBACK(guarded<on_zoom>), GINT_TO_POINTER(0)),
       true);
  pack(zoom, stock_icon_button(GTK_STOCK_ZOOM_IN, "zoom in", G_CALLBACK(guarded<on_zoom>), GINT_TO_POINTER(1)), true);
  pack(box, zoom);
  return expander;
}

// The "geometries" expander.

bool have_geometries() { return m && n_geometries() > 0; }

// Makes geometry i current: the label images, the menus and this panel
// follow through the geometry-shown notification.
void show_geometry(int i, bool rescale) {
  igeo = i;
  get_new_section();
  notifier().geometry_shown();
  if (rescale) {
    GlScope gl(drawingarea);
    if (gl) set_scale();
  }
  rebuild_and_redraw();
}

void on_first_geometry() {
  if (have_geometries() && igeo != 0) show_geometry(0, false);
}

void on_last_geometry() {
  if (have_geometries() && igeo != n_geometries() - 1) show_geometry(n_geometries() - 1, false);
}

void on_geometry_slider(GtkAdjustment* adj) {
  if (state.updating || !have_geometries()) return;
  const int target = std::min(static_cast<int>(std::lround(value_of(adj))), n_geometries() - 1);
  if (target != igeo) show_geometry(std::max(target, 0), false);
}

void on_play() {
  toggle_animation();
  geo_play_button_play(Input_Data.animate ? 0 : 1);
}

// The slider runs over the geometries and stands at the current one.
void sync_geometry_slider() {
  state.updating = true;
  gtk_adjustment_set_upper(adj_geoms, std::max(n_geometries() - 1, 0));
  gtk_adjustment_set_value(adj_geoms, std::max(igeo, 0));
  state.updating = false;
}

GtkWidget* make_geometries_expander() {
  geo_expander = gtk_expander_new("geometries");
  GtkWidget* box = gtk_vbox_new(FALSE, 2);
  gtk_container_add(GTK_CONTAINER(geo_expander), box);
  pack(box, gtk_hseparator_new());
  geo_button = gtk_button_new_with_label("graphical info");
  g_signal_connect(geo_button, "clicked", G_CALLBACK(guarded<mivor_gtk_show_graphical_energies>), nullptr);
  pack(box, geo_button);

  GtkWidget* row = gtk_hbox_new(TRUE, 2);
  pack(row, stock_icon_button(GTK_STOCK_GOTO_FIRST, "first geometry", G_CALLBACK(guarded<on_first_geometry>)), true);
  state.play_image = gtk_image_new_from_stock(GTK_STOCK_MEDIA_PLAY, GTK_ICON_SIZE_BUTTON);
  geo_play_button = icon_button(state.play_image, "Play trajectory", G_CALLBACK(guarded<on_play>));
  pack(row, geo_play_button, true);
  pack(row, stock_icon_button(GTK_STOCK_GOTO_LAST, "last geometry", G_CALLBACK(guarded<on_last_geometry>)), true);
  pack(box, row);

  adj_geoms = adjustment(0, 0, n_geometries(), 1, 1);
  g_signal_connect(adj_geoms, "value-changed", G_CALLBACK(guarded<on_geometry_slider>), nullptr);
  geo_slider = hscale(adj_geoms, 0, true);
  pack(box, geo_slider);
  label_igeo = gtk_label_new("");
  gtk_misc_set_alignment(GTK_MISC(label_igeo), 0, 0.5);
  pack(box, label_igeo);

  adj_play_speed = adjustment(0, 0, 1, 0.01, 0.1);
  g_object_ref_sink(adj_play_speed);
  return geo_expander;
}

std::string geometry_label_text() {
  std::string text = "Geometry: " + std::to_string(igeo);
  if (m->flags & FLAG_ENERGY) text += printf_text("\nEnergy: %f", m->energy);
  if (m->flags & FLAG_RMS_GRAD) text += printf_text("\nRMS grad: %f", m->rms_grad);
  if (m->flags & FLAG_MAX_GRAD) text += printf_text("\nmax. grad: %f", m->max_grad);
  return text;
}

// The "surface" expander.

void on_transparency(GtkAdjustment* adj) {
  const auto alpha = static_cast<float>(value_of(adj));
  for (color_t* color :
       {&Input_Data.plus_color, &Input_Data.minus_color, &Input_Data.epot_plus_color, &Input_Data.epot_minus_color}) {
    color->alpha = alpha;
  }
  rebuild_and_redraw();
}

void on_isolevel(GtkAdjustment* adj) {
  Input_Data.isolevel = value_of(adj);
  if (m && m->ngrid() > 0) make_surfaces(false);
  rebuild_and_redraw();
}

void on_show_epot() {
  Input_Data.show_epot = !Input_Data.show_epot;
  rebuild_and_redraw();
}

GtkWidget* make_surface_expander() {
  grid_expander = gtk_expander_new("surface");
  GtkWidget* box = gtk_vbox_new(FALSE, 2);
  gtk_container_add(GTK_CONTAINER(grid_expander), box);

  tranparency_level = adjustment(Input_Data.plus_color.alpha, 0, 1, 0.01, 0.1);
  g_signal_connect(tranparency_level, "value-changed", G_CALLBACK(guarded<on_transparency>), nullptr);
  grid_frame_transp = framed("transparency", hscale(tranparency_level, 2, true));
  pack(box, grid_frame_transp);

  isosurface_level = adjustment(Input_Data.isolevel, 0, 0.2, 0.001, 0.01);
  g_signal_connect(isosurface_level, "value-changed", G_CALLBACK(guarded<on_isolevel>), nullptr);
  grid_frame_isosurf = framed("isosurface", hscale(isosurface_level, 3, true));
  pack(box, grid_frame_isosurf);

  all_orbitals_button = gtk_button_new_with_label("View all orbitals");
  g_signal_connect_swapped(all_orbitals_button, "clicked", G_CALLBACK(guarded<mivor_gtk_show_multiorb_window>),
                           nullptr);
  pack(box, all_orbitals_button);
  epot_button = gtk_button_new_with_label("Show electrostatic potential");
  g_signal_connect_swapped(epot_button, "clicked", G_CALLBACK(guarded<on_show_epot>), nullptr);
  pack(box, epot_button);
  return grid_expander;
}

// The "whatched values" expander.

GtkWidget* make_watched_expander() {
  GtkWidget* expander = gtk_expander_new("whatched values");
  vbox_watched = gtk_vbox_new(FALSE, 0);
  gtk_container_add(GTK_CONTAINER(expander), scrolled_box(vbox_watched));
  return expander;
}

void add_page(GtkWidget* page, const char* title) {
  gtk_notebook_append_page(GTK_NOTEBOOK(notebook), page, gtk_label_new(title));
}

void show_vibration_widgets(bool on) {
  for (GtkWidget* widget : {vbox_vibration, vib_spectrum_button, state.freqs_window}) show_if(widget, on);
}

void show_grid_widgets(bool on) {
  for (GtkWidget* widget : {grid_frame_transp, grid_frame_isosurf, all_orbitals_button, grid_expander, vbox_orbitals}) {
    show_if(widget, on);
  }
}

}  // namespace

GtkWidget* make_notebook() {
  GtkWidget* panel = gtk_vbox_new(FALSE, 0);
  notebook = gtk_notebook_new();
  gtk_notebook_set_scrollable(GTK_NOTEBOOK(notebook), TRUE);
  pack(panel, notebook, true);
  // Tab order: vibrations, edit, fragments, symmetry, draw, orbitals,
  // calculation. The editing, fragment, symmetry and drawing pages go
  // between these two, the calculation page after them.
  add_page(make_vibrations_page(), "vibrations");
  add_page(make_edit_page(), "edit");
  add_page(make_fragments_page(), "fragments");
  add_page(make_symmetry_page(), "Symmetry");
  add_page(make_draw_page(), "draw");
  add_page(make_orbitals_page(), "orbitals");
  if (GtkWidget* calculation = make_calculation_page()) add_page(calculation, "calculation");

  pack(panel, make_zoom_expander());
  pack(panel, make_geometries_expander());
  pack(panel, make_surface_expander());
  pack(panel, make_watched_expander(), true);
  for (GtkWidget* widget : {vbox_vibration, vbox_orbitals, geo_expander, grid_expander}) start_hidden(widget);
  return panel;
}

void mivor_gtk_show_or_hide_widgets() {
  if (!notebook) return;
  remove_custom_grid_buttons();
  if (!m) {
    show_vibration_widgets(false);
    show_grid_widgets(false);
    gtk_widget_hide(geo_expander);
    gtk_widget_hide(epot_button);
    return;
  }
  show_vibration_widgets(m->nvibr() > 0);
  sync_geometry_slider();
  show_if(geo_expander, n_geometries() >= 2);
  const bool grids = m->ngrid() > 0;
  show_grid_widgets(grids);
  if (grids) add_custom_grid_buttons();
  show_if(epot_button, (m->flags & FLAG_EPOT) != 0);
  load_grid_data();
  mivor_gtk_update_edit_page();
}

void mivor_gtk_update_upon_select_or_mark() {
  mivor_gtk_pop_message_from_statusbar2();
  const std::string text = m ? selection_status_text(*m) : "";
  if (!text.empty()) mivor_gtk_push_message_to_statusbar2(text);
  mivor_gtk_update_edit_page();
  mivor_gtk_update_symmetry_page();
}

void mivor_gtk_update_geo_info() {
  if (!notebook) return;
  gtk_label_set_text(GTK_LABEL(label_igeo), m ? geometry_label_text().c_str() : "");
  sync_geometry_slider();
  // A play that reached the last geometry has switched the animation off.
  geo_play_button_play(Input_Data.animate ? 0 : 1);
  rebuild_frequency_buttons();
  if (m && m->nvibr() > 0) mivor_gtk_freq_timer();
  mivor_gtk_set_editing_pages_sensitive();
  mivor_gtk_update_edit_page();
  mivor_gtk_menubar_show_or_hide_widgets();
}

void mivor_gtk_set_editing_pages_sensitive() {
  if (!notebook) return;
  const bool editable = m && m->editable;
  for (int k = 0; k < gtk_notebook_get_n_pages(GTK_NOTEBOOK(notebook)); ++k) {
    GtkWidget* page = gtk_notebook_get_nth_page(GTK_NOTEBOOK(notebook), k);
    const gchar* label = gtk_notebook_get_tab_label_text(GTK_NOTEBOOK(notebook), page);
    const std::string title = label ? label : "";
    if (title == "edit" || title == "fragments" || title == "Symmetry" || title == "draw")
      gtk_widget_set_sensitive(page, editable);
  }
}

// Typing into an entry must not trigger key commands.
void guard_keys(GtkWidget* entry) {
  g_signal_connect(entry, "focus-in-event", G_CALLBACK(guarded<on_entry_focus_in>), nullptr);
  g_signal_connect(entry, "focus-out-event", G_CALLBACK(guarded<on_entry_focus_out>), nullptr);
}

void geo_play_button_play(int flag) {
  if (!state.play_image) return;
  gtk_image_set_from_stock(GTK_IMAGE(state.play_image), flag ? GTK_STOCK_MEDIA_PLAY : GTK_STOCK_MEDIA_PAUSE,
                           GTK_ICON_SIZE_BUTTON);
}

void mivor_gtk_disable_keys() { accept_keys = 0; }
void mivor_gtk_enable_keys() { accept_keys = 1; }

void mivor_gtk_show_geometry(int i) {
  if (have_geometries() && i >= 0 && i < n_geometries() && i != igeo) show_geometry(i, false);
}

void callback_geo_forw() {
  if (have_geometries() && igeo < n_geometries() - 1) show_geometry(igeo + 1, true);
}

void callback_geo_back() {
  if (have_geometries() && igeo > 0) show_geometry(igeo - 1, true);
}

void mivor_gtk_show_isolevel() {
  if (!isosurface_level) return;
  g_signal_handlers_block_by_func(isosurface_level, reinterpret_cast<gpointer>(guarded<on_isolevel>), nullptr);
  gtk_adjustment_set_value(isosurface_level, Input_Data.isolevel);
  g_signal_handlers_unblock_by_func(isosurface_level, reinterpret_cast<gpointer>(guarded<on_isolevel>), nullptr);
}
