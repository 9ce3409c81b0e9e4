// The help window: a read-only text view showing one page of the built-in
// help at a time. Links are runs with a tag of their own (blue, underlined,
// carrying the target page as "page" data); Return on a link, or a click
// that did not end a text selection, shows the linked page. The pointer is a
// hand over links and an I-beam elsewhere. Every call opens an independent
// window; each keeps its cursors in a record freed with the window.
#include <gdk/gdkkeysyms.h>

#include "app/guarded.h"
#include "app/help_pages.h"
#include "ui/widgets.h"

namespace {

struct help_window_t {
  GdkCursor* hand = nullptr;
  GdkCursor* text = nullptr;
  bool over_link = false;
};

void free_help_window(gpointer data) {
  auto* w = static_cast<help_window_t*>(data);
  if (w->hand) gdk_cursor_unref(w->hand);
  if (w->text) gdk_cursor_unref(w->text);
  delete w;
}

void do_link(GtkTextBuffer* buffer, GtkTextIter* iter, const gchar* text, int page) {
  GtkTextTag* tag =
      gtk_text_buffer_create_tag(buffer, nullptr, "foreground", "blue", "underline", PANGO_UNDERLINE_SINGLE, nullptr);
  g_object_set_data(G_OBJECT(tag), "page", GINT_TO_POINTER(page));
  gtk_text_buffer_insert_with_tags(buffer, iter, text, -1, tag, nullptr);
}

GtkTextTag* heading_tag(GtkTextBuffer* buffer) {
  GtkTextTagTable* table = gtk_text_buffer_get_tag_table(buffer);
  GtkTextTag* tag = gtk_text_tag_table_lookup(table, "heading");
  if (!tag)
    tag =
        gtk_text_buffer_create_tag(buffer, "heading", "weight", PANGO_WEIGHT_BOLD, "scale", PANGO_SCALE_LARGE, nullptr);
  return tag;
}

void show_page(GtkTextBuffer* buffer, int page) {
  gtk_text_buffer_set_text(buffer, "", 0);
  GtkTextIter iter;
  gtk_text_buffer_get_iter_at_offset(buffer, &iter, 0);
  for (const help_segment_t& s : help_page(page)) {
    switch (s.kind) {
      case help_segment_t::kind_t::text:
        gtk_text_buffer_insert(buffer, &iter, s.text.c_str(), -1);
        break;
      case help_segment_t::kind_t::heading:
        gtk_text_buffer_insert_with_tags(buffer, &iter, s.text.c_str(), -1, heading_tag(buffer), nullptr);
        break;
      case help_segment_t::kind_t::link:
        do_link(buffer, &iter, s.text.c_str(), s.link);
        break;
      case help_segment_t::kind_t::center_icon: {
        GdkPixbuf* icon = gdk_pixbuf_new_from_xpm_data(center_xpm);
        if (icon) {
          gtk_text_buffer_insert_pixbuf(buffer, &iter, icon);
          g_object_unref(icon);
        }
        break;
      }
    }
  }
  GtkTextIter start;
  gtk_text_buffer_get_start_iter(buffer, &start);
  gtk_text_buffer_place_cursor(buffer, &start);
}

// The page of the first link tag at `iter`, or 0.
int link_at(const GtkTextIter* iter) {
  int page = 0;
  GSList* tags = gtk_text_iter_get_tags(iter);
  for (GSList* t = tags; t && page == 0; t = t->next)
    page = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(t->data), "page"));
  g_slist_free(tags);
  return page;
}

void follow_if_link(GtkTextView* view, const GtkTextIter* iter) {
  const int page = link_at(iter);
  if (page > 0) show_page(gtk_text_view_get_buffer(view), page);
}

gboolean on_key_press(GtkWidget* view, GdkEventKey* event, gpointer) {
  if (event->keyval != GDK_Return && event->keyval != GDK_KP_Enter) return FALSE;
  GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(view));
  GtkTextIter iter;
  gtk_text_buffer_get_iter_at_mark(buffer, &iter, gtk_text_buffer_get_insert(buffer));
  follow_if_link(GTK_TEXT_VIEW(view), &iter);
  return TRUE;
}

gboolean on_event_after(GtkWidget* view, GdkEvent* event, gpointer) {
  if (event->type != GDK_BUTTON_RELEASE || event->button.button != 1) return FALSE;
  GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(view));
  GtkTextIter start, end;
  // A release that ends a selection selects; it does not follow the link.
  gtk_text_buffer_get_selection_bounds(buffer, &start, &end);
  if (gtk_text_iter_get_offset(&start) != gtk_text_iter_get_offset(&end)) return FALSE;
  gint x = 0, y = 0;
  gtk_text_view_window_to_buffer_coords(GTK_TEXT_VIEW(view), GTK_TEXT_WINDOW_WIDGET, static_cast<gint>(event->button.x),
                                        static_cast<gint>(event->button.y), &x, &y);
  GtkTextIter iter;
  gtk_text_view_get_iter_at_location(GTK_TEXT_VIEW(view), &iter, x, y);
  follow_if_link(GTK_TEXT_VIEW(view), &iter);
  return FALSE;
}

// The hand over a link, the I-beam elsewhere; changed only when that changes.
void set_cursor_if_appropriate(GtkTextView* view, help_window_t* w, gint x, gint y) {
  GtkTextIter iter;
  gtk_text_view_get_iter_at_location(view, &iter, x, y);
  const bool over = link_at(&iter) > 0;
  if (over == w->over_link) return;
  w->over_link = over;
  GdkWindow* text_window = gtk_text_view_get_window(view, GTK_TEXT_WINDOW_TEXT);
  if (text_window) gdk_window_set_cursor(text_window, over ? w->hand : w->text);
}

gboolean on_pointer(GtkWidget* view, gint wx, gint wy, help_window_t* w) {
  gint x = 0, y = 0;
  gtk_text_view_window_to_buffer_coords(GTK_TEXT_VIEW(view), GTK_TEXT_WINDOW_WIDGET, wx, wy, &x, &y);
  set_cursor_if_appropriate(GTK_TEXT_VIEW(view), w, x, y);
  return FALSE;
}

gboolean on_motion(GtkWidget* view, GdkEventMotion* event, gpointer data) {
  return on_pointer(view, static_cast<gint>(event->x), static_cast<gint>(event->y), static_cast<help_window_t*>(data));
}

gboolean on_visibility(GtkWidget* view, GdkEventVisibility*, gpointer data) {
  gint x = 0, y = 0;
  gdk_window_get_pointer(view->window, &x, &y, nullptr);
  return on_pointer(view, x, y, static_cast<help_window_t*>(data));
}

gboolean kill_help_window(GtkWidget* window, GdkEvent*, gpointer) {
  gtk_widget_destroy(window);
  return TRUE;
}

}  // namespace

void mivor_gtk_callback_help() {
  auto* record = new help_window_t;
  record->hand = gdk_cursor_new(GDK_HAND2);
  record->text = gdk_cursor_new(GDK_XTERM);

  GtkWidget* help = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(help), "Mivor help");
  g_object_set_data_full(G_OBJECT(help), "help-window", record, free_help_window);
  g_signal_connect(help, "delete-event", G_CALLBACK((guarded<kill_help_window, TRUE>)), nullptr);

  GtkWidget* box = gtk_vbox_new(FALSE, 2);
  gtk_container_add(GTK_CONTAINER(help), box);
  GtkWidget* scrolled = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled), GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
  gtk_box_pack_start(GTK_BOX(box), scrolled, TRUE, TRUE, 0);

  GtkWidget* view = gtk_text_view_new();
  gtk_widget_set_name(view, "help-text");
  gtk_text_view_set_editable(GTK_TEXT_VIEW(view), FALSE);
  gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(view), GTK_WRAP_WORD);
  gtk_widget_set_size_request(view, 600, 450);
  gtk_widget_add_events(view, GDK_POINTER_MOTION_MASK | GDK_VISIBILITY_NOTIFY_MASK);
  g_signal_connect(view, "key-press-event", G_CALLBACK(guarded<on_key_press>), nullptr);
  g_signal_connect(view, "event-after", G_CALLBACK(guarded<on_event_after>), nullptr);
  g_signal_connect(view, "motion-notify-event", G_CALLBACK(guarded<on_motion>), record);
  g_signal_connect(view, "visibility-notify-event", G_CALLBACK(guarded<on_visibility>), record);
  gtk_container_add(GTK_CONTAINER(scrolled), view);

  GtkWidget* close = gtk_button_new_from_stock(GTK_STOCK_CLOSE);
  g_signal_connect_swapped(close, "clicked", G_CALLBACK(guarded<gtk_widget_destroy>), help);
  gtk_box_pack_start(GTK_BOX(box), close, FALSE, FALSE, 0);

  show_page(gtk_text_view_get_buffer(GTK_TEXT_VIEW(view)), 1);
  gtk_widget_show_all(help);
  gtk_widget_grab_focus(view);
}
