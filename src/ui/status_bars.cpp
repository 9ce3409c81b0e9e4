// The two status bars: each shows one message at a time under the context
// "some message"; callers pop before they push.
#include <gtk/gtk.h>

#include "ui/widgets.h"

namespace {

void push(GtkWidget* bar, const std::string& text) {
  if (!bar) return;
  GtkStatusbar* sb = GTK_STATUSBAR(bar);
  gtk_statusbar_push(sb, gtk_statusbar_get_context_id(sb, "some message"), text.c_str());
}

void pop(GtkWidget* bar) {
  if (!bar) return;
  GtkStatusbar* sb = GTK_STATUSBAR(bar);
  gtk_statusbar_pop(sb, gtk_statusbar_get_context_id(sb, "some message"));
}

}  // namespace

void mivor_gtk_push_message_to_statusbar1(const std::string& text) { push(statusbar1, text); }
void mivor_gtk_pop_message_from_statusbar1() { pop(statusbar1); }
void mivor_gtk_push_message_to_statusbar2(const std::string& text) { push(statusbar2, text); }
void mivor_gtk_pop_message_from_statusbar2() { pop(statusbar2); }

std::string statusbar_text(GtkWidget* bar) {
  if (!bar) return "";
  // The label inside the status bar's frame shows the top message.
  GtkWidget* label = GTK_STATUSBAR(bar)->label;
  const gchar* text = label ? gtk_label_get_text(GTK_LABEL(label)) : nullptr;
  return text ? text : "";
}

void print_reference() {
  mivor_gtk_push_message_to_statusbar2(
      "mivor 0.8.6 beta: grid and geometry viewer. Please cite mivor when you publish pictures made with it.");
}
