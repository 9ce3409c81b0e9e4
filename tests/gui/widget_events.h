// Real pointer and key events aimed at any widget of any window of the
// viewer (dialogs, secondary windows), and finding those windows and
// widgets the way a user would: by title and label.
#pragma once

#include <gtk/gtk.h>

#include <string>
#include <vector>

#include "gui/viewer.h"

// Opens a copy of examples/`name` in the viewer, made editable.
void open_editable_example(const std::string& name);

// The shown top-level window with this title, or null.
GtkWidget* find_window(const std::string& title);
// Every shown top-level window with this title.
std::vector<GtkWidget*> find_windows(const std::string& title);
// The first button below `root` whose label (or stock label) is `label`.
GtkWidget* find_button(GtkWidget* root, const std::string& label);
// Every widget of type `type` below `root`, in packing order.
std::vector<GtkWidget*> find_all(GtkWidget* root, GType type);

// A click of `button` at (x, y) of the widget's window (its centre by default).
void click_widget(GtkWidget* widget, int button = 1, int x = -1, int y = -1);
// The pointer to (x, y) of the widget's window.
void move_to_widget(GtkWidget* widget, int x, int y);
// Keys to whatever window is under the pointer; `text` one character per key.
void press_key(const char* keysym, const char* held = nullptr);
void type_text(const std::string& text);
// The colour of pixel (x, y) of the widget's window, as shown on the screen.
rgb_t widget_pixel(GtkWidget* widget, int x, int y);
