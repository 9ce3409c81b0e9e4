#include "ui/wait_window.h"

#include <gtk/gtk.h>

#include <chrono>

#include "app/guarded.h"
#include "ui/widgets.h"

namespace {

using clock_type = std::chrono::steady_clock;

struct wait_state_t {
  bool waiting = false;
  clock_type::time_point since;
  GtkWidget* dialog = nullptr;
  GtkWidget* bar = nullptr;
  bool stop = false;
};
wait_state_t wait_state;

void stop_pressed(GtkWidget*, gpointer) { wait_state.stop = true; }

gboolean refuse_delete(GtkWidget*, GdkEvent*, gpointer) {
  wait_state.stop = true;
  return TRUE;
}

void open_dialog(const std::string& what) {
  GtkWidget* d = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(d), "Please wait");
  if (window) gtk_window_set_transient_for(GTK_WINDOW(d), GTK_WINDOW(window));
  gtk_window_set_modal(GTK_WINDOW(d), TRUE);
  gtk_window_set_position(GTK_WINDOW(d), GTK_WIN_POS_CENTER_ON_PARENT);
  gtk_container_set_border_width(GTK_CONTAINER(d), 12);
  GtkWidget* box = gtk_vbox_new(FALSE, 8);
  GtkWidget* label = gtk_label_new(what.c_str());
  gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_MIDDLE);
  gtk_label_set_width_chars(GTK_LABEL(label), 40);
  wait_state.bar = gtk_progress_bar_new();
  GtkWidget* stop = gtk_button_new_with_label("Stop");
  g_signal_connect(stop, "clicked", G_CALLBACK(guarded<stop_pressed>), nullptr);
  g_signal_connect(d, "delete-event", G_CALLBACK((guarded<refuse_delete, TRUE>)), nullptr);
  GtkWidget* row = gtk_hbutton_box_new();
  gtk_button_box_set_layout(GTK_BUTTON_BOX(row), GTK_BUTTONBOX_END);
  gtk_box_pack_start(GTK_BOX(row), stop, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(box), label, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(box), wait_state.bar, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(box), row, FALSE, FALSE, 0);
  gtk_container_add(GTK_CONTAINER(d), box);
  gtk_widget_show_all(d);
  wait_state.dialog = d;
}

// Input and painting only: timers and idle work of the main loop wait, so
// that nothing else starts while the caller is in the middle of its work.
// The modal dialog holds the grab, so the main window takes no input.
void handle_pending_events() {
  while (GdkEvent* event = gdk_event_get()) {
    gtk_main_do_event(event);
    gdk_event_free(event);
  }
  gdk_window_process_all_updates();
  gdk_flush();
}

}  // namespace

bool wait_window_pulse(const std::string& what) {
  if (!gdk_display_get_default()) return true;
  if (!wait_state.waiting) {
    wait_state = wait_state_t{};
    wait_state.waiting = true;
    wait_state.since = clock_type::now();
  }
  // Short runs show nothing; a run the user notices gets the dialog.
  if (!wait_state.dialog && clock_type::now() - wait_state.since > std::chrono::milliseconds(300)) open_dialog(what);
  // Events are handled only while the modal window holds the grab: before
  // it, a click or key on the main window would run in the middle of the
  // caller's work.
  if (!wait_state.dialog) return true;
  gtk_progress_bar_pulse(GTK_PROGRESS_BAR(wait_state.bar));
  handle_pending_events();
  return !wait_state.stop;
}

void wait_window_close() {
  if (wait_state.dialog) gtk_widget_destroy(wait_state.dialog);
  wait_state = wait_state_t{};
}
