// The side panel's "calculation" page: one expander per definition of
// "calculation.rc" with its input-file chooser, its argument entries and an
// Execute button, and a stop button for the calculation that runs.
#include <gtk/gtk.h>

#include <optional>
#include <string>
#include <vector>

#include "app/calc_defs.h"
#include "app/calculation.h"
#include "app/guarded.h"
#include "ui/widgets.h"

namespace {

struct calc_keys_t {
  GtkWidget* file_chooser = nullptr;  // when the definition takes a file
  std::vector<GtkWidget*> entries;    // one per argument
  GtkWidget* execute = nullptr;
};

struct calculation_page_t {
  GtkWidget* vbox_calculation = nullptr;
  GtkWidget* stop_button = nullptr;
  std::vector<calc_keys_t> calc_keys;
} page;

void pack(GtkWidget* box, GtkWidget* child, bool expand = false) {
  gtk_box_pack_start(GTK_BOX(box), child, expand, expand, 0);
}

// A row of a label and the widget it names.
GtkWidget* labelled_row(const std::string& label, GtkWidget* widget) {
  GtkWidget* row = gtk_hbox_new(FALSE, 4);
  pack(row, gtk_label_new(label.c_str()));
  pack(row, widget, true);
  return row;
}

void on_execute(GtkWidget*, gpointer index) {
  const auto k = static_cast<size_t>(GPOINTER_TO_INT(index));
  if (k >= page.calc_keys.size()) return;
  const calc_keys_t& keys = page.calc_keys[k];
  std::optional<std::string> file;
  if (keys.file_chooser) {
    if (gchar* chosen = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(keys.file_chooser))) {
      file = chosen;
      g_free(chosen);
    }
  }
  std::vector<std::string> texts;
  for (GtkWidget* entry : keys.entries) texts.emplace_back(gtk_entry_get_text(GTK_ENTRY(entry)));
  mivor_start_calculation(static_cast<int>(k), file, texts);
}

// The expander of a definition under its title. A title wider than the
// panel ends in an ellipsis, and its tooltip shows it whole.
GtkWidget* titled_expander(const std::string& title) {
  GtkWidget* label = gtk_label_new(title.c_str());
  gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
  gtk_misc_set_alignment(GTK_MISC(label), 0, 0.5);
  gtk_widget_set_tooltip_text(label, title.c_str());
  GtkWidget* expander = gtk_expander_new(nullptr);
  gtk_expander_set_label_widget(GTK_EXPANDER(expander), label);
  // The label takes the width the expander has, not only what it asks for.
  gtk_expander_set_label_fill(GTK_EXPANDER(expander), TRUE);
  return expander;
}

GtkWidget* make_definition_expander(size_t k) {
  const calc_def_t& def = calc_defs[k];
  GtkWidget* expander = titled_expander(def.description.value_or(def.plugin));
  GtkWidget* box = gtk_vbox_new(FALSE, 2);
  calc_keys_t keys;
  if (def.file) {
    keys.file_chooser = gtk_file_chooser_button_new("compare density with this file", GTK_FILE_CHOOSER_ACTION_OPEN);
    pack(box, labelled_row(*def.file, keys.file_chooser));
  }
  for (size_t a = 0; a < def.arg_name.size(); ++a) {
    GtkWidget* entry = gtk_entry_new();
    gtk_entry_set_width_chars(GTK_ENTRY(entry), 8);
    gtk_entry_set_text(GTK_ENTRY(entry), def.arg_value[a].value_or("").c_str());
    guard_keys(entry);
    keys.entries.push_back(entry);
    pack(box, labelled_row(def.arg_desc[a].value_or(def.arg_name[a]), entry));
  }
  keys.execute = gtk_button_new_from_stock(GTK_STOCK_EXECUTE);
  g_signal_connect(keys.execute, "clicked", G_CALLBACK(guarded<on_execute>), GINT_TO_POINTER(static_cast<int>(k)));
  pack(box, keys.execute);
  page.calc_keys.push_back(keys);

  GtkWidget* scrolled = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled), GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
  gtk_scrolled_window_add_with_viewport(GTK_SCROLLED_WINDOW(scrolled), box);
  gtk_widget_set_size_request(scrolled, -1, 150);
  gtk_container_add(GTK_CONTAINER(expander), scrolled);
  return expander;
}

}  // namespace

GtkWidget* make_calculation_page() {
  page = calculation_page_t{};
  if (n_calc_defs() == 0) return nullptr;
  page.vbox_calculation = gtk_vbox_new(FALSE, 2);
  for (size_t k = 0; k < calc_defs.size(); ++k) pack(page.vbox_calculation, make_definition_expander(k));
  page.stop_button = gtk_button_new_from_stock(GTK_STOCK_STOP);
  gtk_widget_set_tooltip_text(page.stop_button, "Stop the running calculation");
  g_signal_connect_swapped(page.stop_button, "clicked", G_CALLBACK(guarded<mivor_stop_calculation>), nullptr);
  pack(page.vbox_calculation, page.stop_button);
  mivor_gtk_update_calculation_page();
  return page.vbox_calculation;
}

void mivor_gtk_update_calculation_page() {
  if (!page.vbox_calculation) return;
  // Execute stays sensitive: a second start is refused with a message that
  // says why and how to go on.
  gtk_widget_set_sensitive(page.stop_button, calculation_running());
}
