// The GLib timers of the window: the file watch, the idle animation and the
// vibration redraw.
#pragma once

// Every 10 seconds: reload the open file when it changed on disk.
void start_check_for_changes();
// Every `snapshot_delay` seconds while `Input_Data.animate` stays on.
void start_animation_timer();
// Every 30 ms while the current geometry has vibrational modes; one at a time.
void mivor_gtk_freq_timer();
