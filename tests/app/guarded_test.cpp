// The memory guard of the toolkit's callbacks, called as the toolkit calls
// them: through a GLib main loop and through plain function pointers of the
// handlers' own types.
#include "app/guarded.h"

#include <glib.h>
#include <gtest/gtest.h>

#include <new>
#include <vector>

#include "support/recording_notifier.h"

namespace {

gboolean tick_out_of_memory(gpointer calls) {
  ++*static_cast<int*>(calls);
  throw std::bad_alloc();
}

gint compare(gconstpointer a, gconstpointer b) {
  const int x = *static_cast<const int*>(a), y = *static_cast<const int*>(b);
  // A container asked for more than it can hold.
  if (x < 0) std::vector<double>().reserve(std::vector<double>().max_size() + 1);
  return x - y;
}

gboolean close_window(void*, void*, void*) { throw std::bad_alloc(); }

void store(int* target, int value) {
  if (value < 0) throw std::bad_alloc();
  *target = value;
}

// A handler that runs out of memory is one message; its source ends with a
// neutral result and the program goes on. Handlers that succeed return and
// do what they would unguarded.
TEST(Guarded, RunningOutOfMemoryInAHandlerIsAMessageAndTheProgramGoesOn) {
  RecordingNotifier told;
  GMainContext* context = g_main_context_new();
  GSource* idle = g_idle_source_new();
  int calls = 0;
  g_source_set_callback(idle, guarded<tick_out_of_memory>, &calls, nullptr);
  g_source_attach(idle, context);
  // The idle source would run forever had the guard returned true.
  for (int i = 0; i < 5; ++i) g_main_context_iteration(context, FALSE);
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(g_source_is_destroyed(idle));
  g_source_unref(idle);
  g_main_context_unref(context);

  const int two = 2, five = 5, minus = -1;
  GCompareFunc sort = guarded<compare>;
  EXPECT_EQ(sort(&two, &five), -3);
  EXPECT_EQ(sort(&minus, &five), 0);
  EXPECT_EQ((guarded<close_window, TRUE>(nullptr, nullptr, nullptr)), TRUE);
  int target = 0;
  guarded<store>(&target, 7);
  guarded<store>(&target, -1);
  EXPECT_EQ(target, 7);
  EXPECT_EQ(told.warnings, std::vector<std::string>(4, "ERROR: Not enough memory"));
}

}  // namespace
