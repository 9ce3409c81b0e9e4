// The "fragments" page: the palette of the fragment library, one button per
// fragment in the order of "fragments.rc", row by row, each showing the
// fragment's image (or its name when the image can't be read); a click
// inserts the fragment. The palette has as many columns as the page's width
// holds, at least one, and lays its buttons out again when that width changes.
#include <algorithm>
#include <string>
#include <vector>

#include "app/guarded.h"
#include "edit/fragment_insert.h"
#include "edit/fragment_library.h"
#include "ui/widgets.h"

GtkWidget* table_fragments = nullptr;

namespace {

constexpr guint button_padding = 1;

struct palette_t {
  GtkWidget* window = nullptr;      // the scrolled window of the page
  std::vector<GtkWidget*> buttons;  // in the order of the library
  guint columns = 0;                // the columns the buttons stand in
  guint wanted = 0;                 // the columns the last allocation holds
  guint relayout = 0;               // the idle that lays them out again, or 0
} palette;

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
    // About as wide as an image, so that a palette of names keeps columns
    // wide enough to read.
    GtkWidget* label = gtk_label_new(name.c_str());
    gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
    gtk_label_set_width_chars(GTK_LABEL(label), 6);
    gtk_container_add(GTK_CONTAINER(button), label);
  }
  gtk_widget_set_tooltip_text(button, name.c_str());
  g_signal_connect_swapped(button, "clicked", G_CALLBACK(guarded<on_fragment>), GINT_TO_POINTER(k));
  return button;
}

// Moves button k to its cell for `columns` columns, row by row.
void place_buttons(guint columns) {
  for (size_t k = 0; k < palette.buttons.size(); ++k) {
    const auto column = static_cast<guint>(k % columns), row = static_cast<guint>(k / columns);
    gtk_container_child_set(GTK_CONTAINER(table_fragments), palette.buttons[k], "left-attach", column, "right-attach",
                            column + 1, "top-attach", row, "bottom-attach", row + 1, nullptr);
  }
  // The table keeps no empty column or row: its cells are all as wide as
  // the widest button, so one would take room.
  const auto rows = static_cast<guint>((palette.buttons.size() + columns - 1) / columns);
  gtk_table_resize(GTK_TABLE(table_fragments), std::max(rows, 1u), columns);
  palette.columns = columns;
}

gboolean on_relayout(gpointer) {
  palette.relayout = 0;
  if (palette.wanted == palette.columns) return FALSE;
  place_buttons(palette.wanted);
  // The viewport handles its children's new size requests itself, but only
  // once it is realized, which a notebook's page is not before it is first
  // shown: the request goes through the scrolled window too, never lost.
  gtk_widget_queue_resize(palette.window);
  return FALSE;
}

// A column's width: the widest button with its padding.
int column_width() {
  int width = 1;
  for (GtkWidget* button : palette.buttons) {
    GtkRequisition requisition;
    gtk_widget_get_child_requisition(button, &requisition);
    width = std::max(width, requisition.width + 2 * static_cast<int>(button_padding));
  }
  return width;
}

// After the viewport took its allocation: the columns its visible width
// holds, no more than there are buttons. The buttons move from an idle, not within the allocation, and only
// when the count changes. The count follows the visible width alone, never
// the table's request, so laying the buttons out again settles: fewer
// columns can only make the rows longer, which keeps a vertical scroll bar
// that is there.
void on_viewport_allocated(GtkWidget* viewport, GtkAllocation*, gpointer) {
  const double visible = gtk_adjustment_get_page_size(gtk_viewport_get_hadjustment(GTK_VIEWPORT(viewport)));
  const int fit = std::min(static_cast<int>(visible) / column_width(), static_cast<int>(palette.buttons.size()));
  palette.wanted = static_cast<guint>(std::max(1, fit));
  if (palette.wanted == palette.columns || palette.relayout) return;
  // Before the toolkit's own resizing and redrawing, so that the palette
  // shows in its new layout at once.
  palette.relayout = g_idle_add_full(G_PRIORITY_HIGH_IDLE, guarded<on_relayout>, nullptr, nullptr);
}

}  // namespace

GtkWidget* make_fragments_page() {
  palette = palette_t{};
  table_fragments = gtk_table_new(1, 1, TRUE);
  for (int k = 0; k < n_fragments(); ++k) {
    palette.buttons.push_back(fragment_button(k));
    gtk_table_attach(GTK_TABLE(table_fragments), palette.buttons.back(), 0, 1, 0, 1, GTK_FILL, GTK_FILL, button_padding,
                     button_padding);
  }
  // One column until the page has its width.
  place_buttons(1);
  GtkWidget* centred = gtk_alignment_new(0.5, 0, 0, 0);
  gtk_container_add(GTK_CONTAINER(centred), table_fragments);
  // Scroll bars only where the page is narrower than one button or shorter
  // than the palette; the page asks for no width of its own.
  GtkWidget* window = palette.window = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(window), GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
  gtk_scrolled_window_add_with_viewport(GTK_SCROLLED_WINDOW(window), centred);
  g_signal_connect(gtk_bin_get_child(GTK_BIN(window)), "size-allocate", G_CALLBACK(guarded<on_viewport_allocated>),
                   nullptr);
  return window;
}
