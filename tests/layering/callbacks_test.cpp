// Tests of the callback check on small made-up sources: each way of handing
// a handler to GLib or the toolkit, guarded and not, and a comment that must
// not count; and on a made-up tree, every folder of it.
#include "callbacks.h"

#include <gtest/gtest.h>

#include "temp_tree.h"

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

// Every folder is scanned, not only the window's: timers and watches of the
// layers below are named by folder, file and line; headers count, other files
// do not.
TEST(CallbackCheck, ScansEveryFolderOfTheTree) {
  TempTree tree;
  tree.write("ui/timers.cpp", "g_timeout_add(30, guarded<tick>, nullptr);\n");
  tree.write("app/calculation.cpp",
             "#include <glib.h>\n\n"
             "guint t = g_timeout_add(1000, check_if_calc_runs, nullptr);\n"
             "guint u = g_timeout_add(1000, guarded<check_if_calc_runs, TRUE>, GINT_TO_POINTER(n));\n");
  tree.write("app/calc_process.cpp",
             "g_child_watch_add(pid, guarded<on_child_end>, nullptr);\n"
             "g_io_add_watch(channel, G_IO_IN, on_stderr, nullptr);\n"
             "g_timeout_add_seconds(3, (GSourceFunc)force_kill, nullptr);\n");
  tree.write("render/gl/labels.h", "inline void later() { g_idle_add(make_labels, nullptr); }\n");
  tree.write("document/watch.cpp",
             "// g_timeout_add(500, check_file, nullptr) was here\n"
             "g_source_set_callback(source, check_file, nullptr, nullptr);\n");
  tree.write("app/notes.txt", "g_idle_add(not_a_source_file, nullptr);\n");
  EXPECT_EQ(check_callbacks(tree.src()),
            (std::vector<std::string>{
                "app/calc_process.cpp:2: g_io_add_watch without guarded<…>",
                "app/calc_process.cpp:3: a callback made by a cast, not by G_CALLBACK(guarded<…>)",
                "app/calc_process.cpp:3: g_timeout_add_seconds without guarded<…>",
                "app/calculation.cpp:3: g_timeout_add without guarded<…>",
                "document/watch.cpp:2: g_source_set_callback without guarded<…>",
                "render/gl/labels.h:1: g_idle_add without guarded<…>",
            }));
}

}  // namespace
