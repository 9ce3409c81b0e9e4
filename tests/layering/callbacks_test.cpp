// Tests of the callback check on small made-up sources: each way of handing
// a handler to the toolkit, guarded and not, and a comment that must not count.
#include "callbacks.h"

#include <gtest/gtest.h>

namespace {

TEST(CallbackCheck, NamesEachUnguardedCallbackByFileAndLine) {
  const std::string text =
      "// g_signal_connect(b, \"clicked\", G_CALLBACK(old), nullptr);\n"                     // 1: a comment
      "g_signal_connect(b, \"clicked\", G_CALLBACK(guarded<on_click>), nullptr);\n"          // 2
      "g_signal_connect(w, \"delete-event\", G_CALLBACK((guarded<on_delete, TRUE>)), 0);\n"  // 3
      "g_signal_connect_swapped(b, \"clicked\", G_CALLBACK(on_click), nullptr);\n"           // 4: bad
      "g_signal_connect(item, \"toggled\", toggled, data);\n"                                // 5: a variable
      "g_signal_connect(spin, \"value-changed\", row.changed, nullptr);\n"                   // 6: a member
      "g_timeout_add(30,\n    guarded<tick>, nullptr);\n"                                    // 7-8
      "g_idle_add(build_next_tile, nullptr);\n"                                              // 9: bad
      "gtk_tree_sortable_set_sort_func(s, 0, compare_rows, nullptr, nullptr);\n"             // 10: bad
      "gtk_container_foreach(box, (GtkCallback)gtk_widget_destroy, nullptr);\n"              // 11: bad twice
      "g_signal_connect(b, \"clicked\", reinterpret_cast<GCallback>(f), nullptr);\n"         // 12: bad
      "GtkWidget* add_item(GtkWidget* menu, GCallback callback, gpointer data);\n"           // 13: a declaration
      "gtk_tree_view_column_set_cell_data_func(c, r, guarded<show>, nullptr, nullptr);\n";   // 14
  EXPECT_EQ(unguarded_callbacks("ui/x.cpp", text),
            (std::vector<std::string>{
                "ui/x.cpp:10: gtk_tree_sortable_set_sort_func without guarded<…>",
                "ui/x.cpp:11: a callback made by a cast, not by G_CALLBACK(guarded<…>)",
                "ui/x.cpp:11: gtk_container_foreach without guarded<…>",
                "ui/x.cpp:12: a callback made by a cast, not by G_CALLBACK(guarded<…>)",
                "ui/x.cpp:12: g_signal_connect without guarded<…>",
                "ui/x.cpp:4: G_CALLBACK without guarded<…>",
                "ui/x.cpp:4: g_signal_connect_swapped without guarded<…>",
                "ui/x.cpp:9: g_idle_add without guarded<…>",
            }));
}

}  // namespace
