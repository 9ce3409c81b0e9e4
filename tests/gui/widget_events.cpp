#include "gui/widget_events.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <gdk/gdkx.h>

#include "gui/viewer.h"
#include "molecule/mol_data.h"

namespace {

Display* x_display() { return GDK_DISPLAY_XDISPLAY(gdk_display_get_default()); }

void collect(GtkWidget* w, GType type, std::vector<GtkWidget*>& out) {
  if (G_TYPE_CHECK_INSTANCE_TYPE(w, type)) out.push_back(w);
  if (!GTK_IS_CONTAINER(w)) return;
  GList* children = gtk_container_get_children(GTK_CONTAINER(w));
  for (GList* c = children; c; c = c->next) collect(GTK_WIDGET(c->data), type, out);
  g_list_free(children);
  // An expander keeps its child even while closed.
}

std::string button_label(GtkWidget* b) {
  const gchar* text = gtk_button_get_label(GTK_BUTTON(b));
  if (!text) return "";
  if (gtk_button_get_use_stock(GTK_BUTTON(b))) {
    GtkStockItem item;
    if (gtk_stock_lookup(text, &item)) {
      std::string l;
      for (const char* p = item.label; *p; ++p)
        if (*p != '_') l += *p;
      return l;
    }
  }
  return text;
}

}  // namespace

void open_editable_example(const std::string& name) {
  Viewer& viewer = Viewer::get();
  viewer.open(viewer.dir().write("work/" + name, read_file(MIVOR_SOURCE_DIR "/examples/" + name)));
  if (m && !m->editable) viewer.activate("_Edit", "Editable");
}

std::vector<GtkWidget*> find_windows(const std::string& title) {
  std::vector<GtkWidget*> found;
  GList* windows = gtk_window_list_toplevels();
  for (GList* w = windows; w; w = w->next) {
    GtkWidget* widget = GTK_WIDGET(w->data);
    const gchar* t = gtk_window_get_title(GTK_WINDOW(widget));
    if (t && title == t && GTK_WIDGET_VISIBLE(widget)) found.push_back(widget);
  }
  g_list_free(windows);
  return found;
}

GtkWidget* find_window(const std::string& title) {
  const std::vector<GtkWidget*> all = find_windows(title);
  return all.empty() ? nullptr : all.front();
}

std::vector<GtkWidget*> find_all(GtkWidget* root, GType type) {
  std::vector<GtkWidget*> out;
  if (root) collect(root, type, out);
  return out;
}

GtkWidget* find_button(GtkWidget* root, const std::string& label) {
  for (GtkWidget* b : find_all(root, GTK_TYPE_BUTTON))
    if (button_label(b) == label) return b;
  return nullptr;
}

void move_to_widget(GtkWidget* widget, int x, int y) {
  int ox = 0, oy = 0;
  gdk_window_get_origin(widget->window, &ox, &oy);
  // A widget without a window of its own sits at its allocation in the parent's.
  if (GTK_WIDGET_NO_WINDOW(widget)) {
    ox += widget->allocation.x;
    oy += widget->allocation.y;
  }
  XTestFakeMotionEvent(x_display(), -1, ox + x, oy + y, CurrentTime);
  Viewer::get().settle(20);
}

void click_widget(GtkWidget* widget, int button, int x, int y) {
  if (x < 0) x = widget->allocation.width / 2;
  if (y < 0) y = widget->allocation.height / 2;
  move_to_widget(widget, x, y);
  XTestFakeButtonEvent(x_display(), static_cast<unsigned>(button), True, CurrentTime);
  Viewer::get().settle(20);
  XTestFakeButtonEvent(x_display(), static_cast<unsigned>(button), False, CurrentTime);
  Viewer::get().settle();
}

void press_key(const char* keysym, const char* held) {
  Display* dpy = x_display();
  const KeyCode code = XKeysymToKeycode(dpy, XStringToKeysym(keysym));
  const KeyCode modifier = held ? XKeysymToKeycode(dpy, XStringToKeysym(held)) : 0;
  if (held) XTestFakeKeyEvent(dpy, modifier, True, CurrentTime);
  XTestFakeKeyEvent(dpy, code, True, CurrentTime);
  XTestFakeKeyEvent(dpy, code, False, CurrentTime);
  if (held) XTestFakeKeyEvent(dpy, modifier, False, CurrentTime);
  Viewer::get().settle(30);
}

void type_text(const std::string& text) {
  for (char c : text) {
    const char name[] = {c, 0};
    if (c == '.')
      press_key("period");
    else if (c == '-')
      press_key("minus");
    else
      press_key(name);
  }
}

rgb_t widget_pixel(GtkWidget* widget, int x, int y) {
  rgb_t p{-1, -1, -1};
  GdkPixbuf* shot = gdk_pixbuf_get_from_drawable(nullptr, widget->window, nullptr, x, y, 0, 0, 1, 1);
  if (!shot) return p;
  const guchar* px = gdk_pixbuf_get_pixels(shot);
  p = {px[0], px[1], px[2]};
  g_object_unref(shot);
  return p;
}
