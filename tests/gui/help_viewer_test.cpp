// The help window: F1 and Control+h open it, links are followed by a click
// or by Return, a click that ends a selection only selects.
#include <gtest/gtest.h>

#include "app/help_pages.h"
#include "gui/viewer.h"
#include "gui/widget_events.h"
#include "ui/widgets.h"

namespace {

class HelpViewer : public ::testing::Test {
 protected:
  void SetUp() override {
    viewer.open(viewer.dir().write("work/water.mvr", read_file(MIVOR_SOURCE_DIR "/examples/water.mvr")));
  }
  void TearDown() override {
    for (GtkWidget* w : find_windows("Mivor help")) gtk_widget_destroy(w);
    viewer.settle();
  }
  static GtkTextView* text_view(GtkWidget* help) {
    const std::vector<GtkWidget*> views = find_all(help, GTK_TYPE_TEXT_VIEW);
    return views.empty() ? nullptr : GTK_TEXT_VIEW(views.front());
  }
  static std::string shown(GtkTextView* view) {
    GtkTextBuffer* b = gtk_text_view_get_buffer(view);
    GtkTextIter s, e;
    gtk_text_buffer_get_bounds(b, &s, &e);
    gchar* t = gtk_text_buffer_get_text(b, &s, &e, FALSE);
    std::string text = t;
    g_free(t);
    return text;
  }
  // Window position of the middle of the first occurrence of `text`.
  static std::array<int, 2> where(GtkTextView* view, const std::string& text) {
    const size_t at = shown(view).find(text);
    EXPECT_NE(at, std::string::npos) << text;
    GtkTextIter iter;
    gtk_text_buffer_get_iter_at_offset(
        gtk_text_view_get_buffer(view), &iter,
        static_cast<gint>(g_utf8_strlen(shown(view).c_str(), static_cast<gssize>(at)) + 2));
    // Long pages: the text is scrolled into view first.
    gtk_text_view_scroll_to_iter(view, &iter, 0.0, TRUE, 0.5, 0.5);
    Viewer::get().settle();
    GdkRectangle r;
    gtk_text_view_get_iter_location(view, &iter, &r);
    int x = 0, y = 0;
    gtk_text_view_buffer_to_window_coords(view, GTK_TEXT_WINDOW_TEXT, r.x, r.y + r.height / 2, &x, &y);
    return {x, y};
  }
  static void click_text(GtkTextView* view, const std::string& text) {
    const auto p = where(view, text);
    click_widget(GTK_WIDGET(view), 1, p[0], p[1]);
  }
  Viewer& viewer = Viewer::get();
};

TEST_F(HelpViewer, LinksLeadToTheirPagesByClickAndByReturn) {
  viewer.key("F1");
  GtkWidget* help = find_window("Mivor help");
  ASSERT_NE(help, nullptr);
  GtkTextView* view = text_view(help);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(shown(view), help_page_text(1));

  click_text(view, "Hotkeys");
  EXPECT_EQ(shown(view), help_page_text(4));
  click_text(view, "Go back");
  EXPECT_EQ(shown(view), help_page_text(1));

  // Return with the cursor in "How-to" follows it; outside a link nothing.
  GtkTextBuffer* buffer = gtk_text_view_get_buffer(view);
  GtkTextIter iter;
  gtk_text_buffer_get_iter_at_offset(buffer, &iter, 0);
  gtk_text_buffer_place_cursor(buffer, &iter);
  move_to_widget(GTK_WIDGET(view), 5, 5);
  press_key("Return");
  EXPECT_EQ(shown(view), help_page_text(1));
  gtk_text_buffer_get_iter_at_offset(buffer, &iter, static_cast<gint>(shown(view).find("How-to") + 2));
  gtk_text_buffer_place_cursor(buffer, &iter);
  press_key("Return");
  EXPECT_EQ(shown(view), help_page_text(3));
}

TEST_F(HelpViewer, AClickThatEndsASelectionOnlySelectsAndEachCallOpensAWindow) {
  viewer.key("F1");
  GtkWidget* help = find_window("Mivor help");
  ASSERT_NE(help, nullptr);
  GtkTextView* view = text_view(help);
  // Drag from the heading into the "Overview" link: a selection, no page change.
  const auto from = where(view, "Mivor help");
  const auto to = where(view, "Overview");
  move_to_widget(GTK_WIDGET(view), from[0], from[1]);
  viewer.press(1);
  move_to_widget(GTK_WIDGET(view), to[0] - 1, to[1]);
  move_to_widget(GTK_WIDGET(view), to[0], to[1]);
  viewer.release(1);
  viewer.settle();
  EXPECT_EQ(shown(view), help_page_text(1));
  EXPECT_TRUE(gtk_text_buffer_get_has_selection(gtk_text_view_get_buffer(view)));

  // Control+h in the main window opens a second, independent window. There
  // is no window manager: the help window is moved off the drawing area.
  gtk_window_move(GTK_WINDOW(help), 700, 500);
  viewer.settle();
  viewer.move(5, 5);
  press_key("h", "Control_L");
  viewer.settle();
  EXPECT_EQ(find_windows("Mivor help").size(), 2u);
}

}  // namespace
