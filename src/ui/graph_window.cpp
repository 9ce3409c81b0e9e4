// The plot window: energies along the geometries or the vibrational stick
// spectrum, drawn with cairo from the picture the plot data lays out. One
// window at most; a click in it makes the nearest geometry or mode current.
#include <gtk/gtk.h>

#include "app/guarded.h"
#include "molecule/mol_data.h"
#include "molecule/notify.h"
#include "render/graph_data.h"
#include "ui/widgets.h"

namespace {

struct graph_window_t {
  int graph_exist = 0;
  GtkWidget* dialog = nullptr;
  GtkWidget* drawarea = nullptr;
} plot;

constexpr int plot_width = 420;
constexpr int plot_height = 250;

void stroke_segments(cairo_t* cr, const std::vector<graph_segment_t>& segments) {
  for (const graph_segment_t& s : segments) {
    cairo_move_to(cr, s.from.x, s.from.y);
    cairo_line_to(cr, s.to.x, s.to.y);
  }
  cairo_stroke(cr);
}

gboolean graph_expose_event(GtkWidget* widget, GdkEventExpose*, gpointer) {
  const int w = widget->allocation.width, h = widget->allocation.height;
  const graph_picture_t pic = graph_picture(graph, w, h);
  cairo_t* cr = gdk_cairo_create(widget->window);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_set_line_width(cr, 1);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
  cairo_select_font_face(cr, "Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, 12);
  cairo_set_source_rgb(cr, 0, 0, 0);
  stroke_segments(cr, pic.axes);
  for (const graph_label_t& label : pic.labels) {
    cairo_move_to(cr, label.at.x, label.at.y);
    cairo_show_text(cr, label.text.c_str());
  }
  cairo_set_source_rgb(cr, 0, 0, 0.95);
  stroke_segments(cr, pic.lines);
  if (pic.has_marker) {
    cairo_set_source_rgb(cr, 1, 0, 0);
    cairo_new_path(cr);
    cairo_arc(cr, pic.marker.x, pic.marker.y, 3, 0, 2 * G_PI);
    cairo_stroke(cr);
  }
  cairo_destroy(cr);
  return TRUE;
}

// A click makes the geometry or mode under the pointer current.
gboolean graph_button_press(GtkWidget* widget, GdkEventButton* event, gpointer) {
  if (event->button != 1 || event->type != GDK_BUTTON_PRESS) return FALSE;
  const int i = graph_index_at(graph, widget->allocation.width, widget->allocation.height, event->x);
  if (i < 0) return TRUE;
  if (graph.graph_type == GRAPH_ENERGIES && i < n_geometries()) {
    mivor_gtk_show_geometry(i);
  } else if (graph.graph_type == GRAPH_SPECTRUM && m && i < m->nvibr()) {
    ivib = i;
    notifier().mode_shown();
    rerender_3d();
    redraw();
  }
  return TRUE;
}

// However the window goes (its button, the window manager, its parent),
// no plot is left.
void on_graph_destroy(GtkWidget*, gpointer) {
  plot = graph_window_t{};
  clear_graph();
}

void kill_graph_dialog(GtkWidget* dialog) { gtk_widget_destroy(dialog); }

void on_graph_response(GtkDialog* dialog, gint, gpointer) { kill_graph_dialog(GTK_WIDGET(dialog)); }

void redraw_graph() {
  if (plot.drawarea) gtk_widget_queue_draw(plot.drawarea);
}

}  // namespace

void mivor_gtk_make_graph(GtkWidget* widget, const char* title) {
  if (plot.graph_exist) {
    // The open window shows the new data under its title.
    gtk_window_set_title(GTK_WINDOW(plot.dialog), title);
    redraw_graph();
    return;
  }
  GtkWidget* top = widget ? gtk_widget_get_toplevel(widget) : window;
  plot.dialog = gtk_dialog_new_with_buttons(title, GTK_IS_WINDOW(top) ? GTK_WINDOW(top) : nullptr,
                                            GTK_DIALOG_DESTROY_WITH_PARENT, GTK_STOCK_OK, GTK_RESPONSE_ACCEPT, nullptr);
  g_signal_connect(plot.dialog, "response", G_CALLBACK(guarded<on_graph_response>), nullptr);
  g_signal_connect(plot.dialog, "destroy", G_CALLBACK(guarded<on_graph_destroy>), nullptr);
  plot.drawarea = gtk_drawing_area_new();
  gtk_widget_set_size_request(plot.drawarea, plot_width, plot_height);
  gtk_widget_add_events(plot.drawarea, GDK_BUTTON_PRESS_MASK);
  g_signal_connect(plot.drawarea, "expose_event", G_CALLBACK(guarded<graph_expose_event>), nullptr);
  g_signal_connect(plot.drawarea, "button_press_event", G_CALLBACK(guarded<graph_button_press>), nullptr);
  gtk_box_pack_start(GTK_BOX(GTK_DIALOG(plot.dialog)->vbox), plot.drawarea, TRUE, TRUE, 0);
  plot.graph_exist = 1;
  gtk_widget_show_all(plot.dialog);
}

void mivor_gtk_show_graphical_energies(GtkWidget* widget) {
  make_energy_lines();
  mivor_gtk_make_graph(widget, "Energies");
}

void mivor_gtk_show_vib_spectrum(GtkWidget* widget) {
  make_spectrum_lines();
  mivor_gtk_make_graph(widget, "Vibrational spectrum");
}

void set_current_graph_data() {
  if (follow_current_graph_data() && plot.graph_exist) redraw_graph();
}

void mivor_gtk_refresh_graph() {
  if (!plot.graph_exist) return;
  remake_graph_lines();
  redraw_graph();
}

GtkWidget* graph_drawing_area() { return plot.drawarea; }
