// The GLib timers of the window: the file watch every 10 seconds (and a
// moment later while the file is being written), the idle
// animation and the vibration redraw. Each timer ends by returning false;
// one that runs out of memory says so and ends, except the file watch.

#include <glib.h>

#include "app/guarded.h"
#include "document/open_close.h"
#include "molecule/settings.h"
#include "render/gl/scene_gl.h"
#include "render/gl/view_gl.h"
#include "ui/gl_scope.h"
#include "ui/widgets.h"

namespace {

constexpr guint file_watch_seconds = 10;
constexpr guint vibration_milliseconds = 30;
constexpr guint settle_look_milliseconds = 50;

bool vibration_timer_running = false;
// Each start of the animation gets a new number; an older timer ends at its
// next tick, so toggling twice never leaves two timers running.
int animation_generation = 0;

// A file being written is looked at again a moment later, until it is
// whole; one such look is pending at a time.
bool settle_look_pending = false;

gboolean look_again(gpointer) {
  settle_look_pending = false;
  if (check_if_file_changed()) settle_look_pending = true;
  return settle_look_pending ? TRUE : FALSE;
}

gboolean check_for_changes(gpointer) {
  if (check_if_file_changed() && !settle_look_pending) {
    settle_look_pending = true;
    g_timeout_add(settle_look_milliseconds, guarded<look_again>, nullptr);
  }
  return TRUE;
}

gboolean animation_tick(gpointer generation) {
  if (!Input_Data.animate || GPOINTER_TO_INT(generation) != animation_generation) return FALSE;
  {
    GlScope gl(drawingarea);
    if (gl) animate(nullptr);
  }
  invalidate_drawing_area();
  // The last geometry ends the animation: the menu item shows it.
  if (!Input_Data.animate) show_animation_state();
  return Input_Data.animate ? TRUE : FALSE;
}

gboolean mivor_freq_timer(gpointer) {
  // Cleared first: a tick that fails ends this timer and the next start makes another.
  vibration_timer_running = false;
  const bool keep = vibration_tick();
  invalidate_drawing_area();
  vibration_timer_running = keep;
  return keep ? TRUE : FALSE;
}

}  // namespace

void start_check_for_changes() { g_timeout_add_seconds(file_watch_seconds, guarded<check_for_changes, TRUE>, nullptr); }

void start_animation_timer() {
  const double ms = Input_Data.snapshot_delay * 1000.0;
  const guint interval = ms < 1.0 ? 1u : ms > 3600000.0 ? 3600000u : static_cast<guint>(ms);
  g_timeout_add(interval, guarded<animation_tick>, GINT_TO_POINTER(++animation_generation));
}

void mivor_gtk_freq_timer() {
  if (vibration_timer_running) return;
  vibration_timer_running = true;
  g_timeout_add(vibration_milliseconds, guarded<mivor_freq_timer>, nullptr);
}
