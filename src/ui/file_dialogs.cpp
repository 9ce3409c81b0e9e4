// Each filter carries the index of its file type, so the type the user
// chose travels with the file name.
#include "ui/file_dialogs.h"

#include <gtk/gtk.h>

#include <vector>

#include "document/current_file.h"
#include "document/save.h"
#include "formats/file_names.h"
#include "formats/file_types.h"
#include "ui/widgets.h"

namespace {

constexpr const char* type_key = "mivor-file-type";

void add_filter(GtkWidget* chooser, const std::string& name, const std::vector<std::string>& patterns, int type) {
  GtkFileFilter* filter = gtk_file_filter_new();
  gtk_file_filter_set_name(filter, name.c_str());
  for (const std::string& pattern : patterns) gtk_file_filter_add_pattern(filter, pattern.c_str());
  g_object_set_data(G_OBJECT(filter), type_key, GINT_TO_POINTER(type + 1));
  gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(chooser), filter);
}

// "all files", the native type, then every type with the wanted converter;
// a forward converter's filter shows the compressed files it reads too.
void add_filters(GtkWidget* chooser, bool forward) {
  add_filter(chooser, "all files", {"*"}, n_input_types());
  for (int i = 0; i < n_input_types(); ++i) {
    const input_filetype_t& t = input_filetypes[static_cast<size_t>(i)];
    if (!t.extension || !t.description) continue;
    const bool has_converter = i == 0 || (forward ? t.forward.has_value() : t.backward.has_value());
    if (!has_converter) continue;
    std::vector<std::string> patterns{"*." + *t.extension};
    if (forward && i > 0)
      for (const char* suffix : {".gz", ".bz2", ".xz"}) patterns.push_back("*." + *t.extension + suffix);
    add_filter(chooser, *t.description, patterns, i);
  }
}

std::optional<chosen_file_t> run(GtkWidget* chooser) {
  std::optional<chosen_file_t> chosen;
  if (gtk_dialog_run(GTK_DIALOG(chooser)) == GTK_RESPONSE_ACCEPT) {
    gchar* name = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(chooser));
    if (name) {
      chosen_file_t c;
      c.name = name;
      c.type = n_input_types();
      GtkFileFilter* filter = gtk_file_chooser_get_filter(GTK_FILE_CHOOSER(chooser));
      if (filter) c.type = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(filter), type_key)) - 1;
      if (c.type >= 0 && c.type < n_input_types()) {
        c.type_description = input_filetypes[static_cast<size_t>(c.type)].description;
      } else {
        c.type = n_input_types();
      }
      chosen = c;
      g_free(name);
    }
  }
  gtk_widget_destroy(chooser);
  return chosen;
}

}  // namespace

std::optional<chosen_file_t> run_open_dialog() {
  GtkWidget* chooser =
      gtk_file_chooser_dialog_new("open file", GTK_WINDOW(window), GTK_FILE_CHOOSER_ACTION_OPEN, GTK_STOCK_CANCEL,
                                  GTK_RESPONSE_CANCEL, GTK_STOCK_OPEN, GTK_RESPONSE_ACCEPT, nullptr);
  const std::string folder = get_current_directory();
  gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(chooser), folder.empty() ? "./" : folder.c_str());
  add_filters(chooser, true);
  return run(chooser);
}

std::optional<chosen_file_t> run_save_dialog() {
  GtkWidget* chooser =
      gtk_file_chooser_dialog_new("Save file", GTK_WINDOW(window), GTK_FILE_CHOOSER_ACTION_SAVE, GTK_STOCK_CANCEL,
                                  GTK_RESPONSE_CANCEL, GTK_STOCK_SAVE, GTK_RESPONSE_ACCEPT, nullptr);
  gtk_file_chooser_set_do_overwrite_confirmation(GTK_FILE_CHOOSER(chooser), TRUE);
  gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(chooser), "./");
  const std::optional<std::string> proposed = nextfname();
  gtk_file_chooser_set_current_name(GTK_FILE_CHOOSER(chooser), proposed ? proposed->c_str() : "newfile");
  add_filters(chooser, false);
  std::optional<chosen_file_t> chosen = run(chooser);
  // "all files" names no type: the file name's extension decides, as for opening.
  if (chosen && chosen->type == n_input_types()) chosen->type = save_type_of(chosen->name);
  return chosen;
}
