// The "fragments" page: the palette of the fragment library, four buttons to
// a row in the order of "fragments.rc", each showing the fragment's image
// (or its name when the image can't be read); a click inserts the fragment.
#include <string>

#include "app/guarded.h"
#include "edit/fragment_insert.h"
#include "edit/fragment_library.h"
#include "ui/widgets.h"

GtkWidget* table_fragments = nullptr;

namespace {

constexpr guint palette_columns = 4, palette_rows = 5;

void on_fragment(gpointer k) {
  add_fragment(GPOINTER_TO_INT(k));
  invalidate_drawing_area();
}

// The fragment's name: its file name without the extension.
std::string fragment_name(const fragment_entry_t& entry) {
  const std::string& file = entry.file;
  const size_t slash = file.rfind('/');
  const std::string base = slash == std::string::npos ? file : file.substr(slash + 1);
  return base.substr(0, base.rfind('.'));
}

GtkWidget* fragment_button(int k) {
  const fragment_entry_t& entry = frag[static_cast<size_t>(k)];
  GtkWidget* button = gtk_button_new();
  const std::string name = fragment_name(entry);
  GdkPixbuf* image = entry.image.empty()
                         ? nullptr
                         : gdk_pixbuf_new_from_file((fragment_directory() + "/" + entry.image).c_str(), nullptr);
  if (image) {
    gtk_container_add(GTK_CONTAINER(button), gtk_image_new_from_pixbuf(image));
    g_object_unref(image);
  } else {
    GtkWidget* label = gtk_label_new(name.c_str());
    gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
    gtk_container_add(GTK_CONTAINER(button), label);
  }
  gtk_widget_set_tooltip_text(button, name.c_str());
  g_signal_connect_swapped(button, "clicked", G_CALLBACK(guarded<on_fragment>), GINT_TO_POINTER(k));
  return button;
}

}  // namespace

GtkWidget* make_fragments_page() {
  table_fragments = gtk_table_new(palette_rows, palette_columns, TRUE);
  for (int k = 0; k < n_fragments(); ++k) {
    const guint column = static_cast<guint>(k) % palette_columns, row = static_cast<guint>(k) / palette_columns;
    gtk_table_attach(GTK_TABLE(table_fragments), fragment_button(k), column, column + 1, row, row + 1, GTK_FILL,
                     GTK_FILL, 1, 1);
  }
  GtkWidget* window = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(window), GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC);
  gtk_scrolled_window_add_with_viewport(GTK_SCROLLED_WINDOW(window), table_fragments);
  return window;
}
