// The menu tree: stock items carry the toolkit's accelerators through the
// window's accelerator group; check items act at once on the settings.
#include "ui/menus.h"

#include <cstring>
#include <string>

#include "app/guarded.h"
#include "app/settings_file.h"
#include "document/open_close.h"
#include "document/save.h"
#include "document/undo.h"
#include "formats/converters.h"
#include "formats/file_names.h"
#include "formats/file_types.h"
#include "molecule/bonding.h"
#include "molecule/mol_data.h"
#include "molecule/notify.h"
#include "molecule/settings.h"
#include "render/gl/view_gl.h"
#include "render/view.h"
#include "ui/file_dialogs.h"
#include "ui/gl_scope.h"
#include "ui/screenshot.h"
#include "ui/settings_dialogs.h"
#include "ui/widgets.h"

GtkWidget* menu_item_save = nullptr;
GtkWidget* menu_undo = nullptr;
GtkWidget* menu_item_xyz_edit = nullptr;
GtkWidget* menu_editable = nullptr;
GtkWidget* menu_automatic_bonding = nullptr;
GtkWidget* menu_label_numeration = nullptr;
GtkWidget* menu_label_names = nullptr;
GtkWidget* menu_label_muliken = nullptr;
GtkWidget* menu_label_loprop = nullptr;

namespace {

struct menu_state_t {
  GtkAccelGroup* accel = nullptr;
  GtkWidget* animate_item = nullptr;
  // While the menus themselves set check boxes, their handlers must not act.
  bool updating = false;
} state;

void rebuild_and_redraw() {
  rerender_3d();
  invalidate_drawing_area();
}

GtkWidget* add_item(GtkWidget* menu, GtkWidget* item, GCallback callback, gpointer data = nullptr) {
  gtk_menu_shell_append(GTK_MENU_SHELL(menu), item);
  // Connected swapped, as the commands expect: data first, then the item.
  if (callback) g_signal_connect_swapped(item, "activate", callback, data);
  return item;
}

GtkWidget* stock(GtkWidget* menu, const char* id, GCallback callback, gpointer data = nullptr) {
  return add_item(menu, gtk_image_menu_item_new_from_stock(id, state.accel), callback, data);
}

// A stock image with a label of our own.
GtkWidget* labelled_stock(GtkWidget* menu, const char* label, const char* id, GCallback callback,
                          gpointer data = nullptr) {
  GtkWidget* item = gtk_image_menu_item_new_with_label(label);
  gtk_image_menu_item_set_image(GTK_IMAGE_MENU_ITEM(item), gtk_image_new_from_stock(id, GTK_ICON_SIZE_MENU));
  return add_item(menu, item, callback, data);
}

GtkWidget* plain(GtkWidget* menu, const char* label, GCallback callback, gpointer data = nullptr) {
  return add_item(menu, gtk_menu_item_new_with_label(label), callback, data);
}

// A check item whose handler receives the item itself.
GtkWidget* check(GtkWidget* menu, const char* label, bool on, GCallback toggled, gpointer data = nullptr) {
  GtkWidget* item = gtk_check_menu_item_new_with_label(label);
  gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item), on);
  gtk_menu_shell_append(GTK_MENU_SHELL(menu), item);
  g_signal_connect(item, "toggled", toggled, data);
  return item;
}

void separator(GtkWidget* menu) { gtk_menu_shell_append(GTK_MENU_SHELL(menu), gtk_separator_menu_item_new()); }

GtkWidget* submenu(GtkWidget* bar, const char* title) {
  GtkWidget* menu = gtk_menu_new();
  gtk_menu_set_accel_group(GTK_MENU(menu), state.accel);
  GtkWidget* item = gtk_menu_item_new_with_mnemonic(title);
  gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), menu);
  gtk_menu_shell_append(GTK_MENU_SHELL(bar), item);
  return menu;
}

bool active(GtkWidget* item) { return gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(item)); }

bool save_as(const std::string& name, int type) {
  // A failed save has said why; it must not be reported as saved.
  if (!mivor_gtk_do_save_file(name, type)) return false;
  mivor_gtk_pop_message_from_statusbar2();
  mivor_gtk_push_message_to_statusbar2("File saved to: " + name);
  return true;
}

void on_quit() { Kill_Gui(); }

void on_undo() {
  mivor_gtk_pop_message_from_statusbar2();
  get_backup();
  rebuild_and_redraw();
}

void on_editable(GtkWidget* item) {
  if (state.updating || !m) return;
  m->editable = active(item) ? 1 : 0;
  mivor_gtk_set_editing_pages_sensitive();
  mivor_gtk_menubar_show_or_hide_widgets();
}

void on_bonding(GtkWidget* item) {
  if (state.updating) return;
  Input_Data.auto_rebond = active(item) ? 1 : 0;
  if (Input_Data.auto_rebond && m) {
    determine_bonding(*m);
    rebuild_and_redraw();
  }
}

void on_save_settings() { save_settings_data(); }

void on_move_light() {
  GlScope gl(drawingarea);
  if (gl) mivor_gtk_move_light_state();
  invalidate_drawing_area();
}

void on_viewpoint(gpointer mode) {
  GlScope gl(drawingarea);
  if (gl) ViewPoint(GPOINTER_TO_INT(mode));
  invalidate_drawing_area();
}

// The display switches of the settings that a check item sets.
void on_switch(GtkWidget* item, int* field) {
  *field = active(item) ? 1 : 0;
  rebuild_and_redraw();
}
void on_inverse_switch(GtkWidget* item, int* field) {
  *field = active(item) ? 0 : 1;
  rebuild_and_redraw();
}

void on_label_flag(GtkWidget* item, gpointer bit) {
  if (active(item)) {
    Input_Data.label_flags |= GPOINTER_TO_INT(bit);
  } else {
    Input_Data.label_flags &= ~GPOINTER_TO_INT(bit);
  }
  invalidate_drawing_area();
}

void on_about() {
  GtkWidget* dialog = gtk_dialog_new_with_buttons(
      "About Mivor", GTK_WINDOW(window), static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
      GTK_STOCK_CLOSE, GTK_RESPONSE_CLOSE, nullptr);
  GtkWidget* label = gtk_label_new(nullptr);
  gtk_label_set_markup(GTK_LABEL(label),
                       "<span size=\"15000\">mivor 0.8.6 beta</span>\n\ngrid and geometry viewer\n"
                       "<span size=\"10000\">written by the Mivor developers</span>");
  gtk_label_set_justify(GTK_LABEL(label), GTK_JUSTIFY_CENTER);
  gtk_box_pack_start(GTK_BOX(GTK_DIALOG(dialog)->vbox), label, TRUE, TRUE, 10);
  gtk_widget_show_all(dialog);
  gtk_dialog_run(GTK_DIALOG(dialog));
  gtk_widget_destroy(dialog);
}

void file_menu(GtkWidget* bar) {
  GtkWidget* menu = submenu(bar, "_File");
  stock(menu, GTK_STOCK_OPEN, G_CALLBACK(guarded<callback_open_file>));
  menu_item_save = stock(menu, GTK_STOCK_SAVE, G_CALLBACK(guarded<callback_save_file>));
  stock(menu, GTK_STOCK_SAVE_AS, G_CALLBACK(guarded<callback_save_as_file>));
  separator(menu);
  stock(menu, GTK_STOCK_CLOSE, G_CALLBACK(guarded<callback_close_file>));
  separator(menu);
  stock(menu, GTK_STOCK_QUIT, G_CALLBACK(guarded<on_quit>));
}

void edit_menu(GtkWidget* bar) {
  GtkWidget* menu = submenu(bar, "_Edit");
  menu_undo = labelled_stock(menu, "Undo", GTK_STOCK_UNDO, G_CALLBACK(guarded<on_undo>));
  separator(menu);
  menu_item_xyz_edit = plain(menu, "xyz editor", G_CALLBACK(guarded<callback_xyz_edit>));
  separator(menu);
  menu_editable = check(menu, "Editable", true, G_CALLBACK(guarded<on_editable>));
  separator(menu);
  for (int kind = 0; kind < n_color_dialogs; ++kind) {
    labelled_stock(menu, color_menu_label(kind), GTK_STOCK_SELECT_COLOR, G_CALLBACK(guarded<show_color_dialog>),
                   GINT_TO_POINTER(kind));
  }
  separator(menu);
  labelled_stock(menu, "Change font", GTK_STOCK_SELECT_FONT, G_CALLBACK(guarded<show_font_dialog>));
  separator(menu);
  plain(menu, "Atom properties", G_CALLBACK(guarded<callback_adjust_atom_properties>));
  separator(menu);
  menu_automatic_bonding =
      check(menu, "Determine bonding", Input_Data.auto_rebond != 0, G_CALLBACK(guarded<on_bonding>));
  separator(menu);
  plain(menu, "Save settings", G_CALLBACK(guarded<on_save_settings>));
}

void view_menu(GtkWidget* bar) {
  GtkWidget* menu = submenu(bar, "_View");
  plain(menu, "Move light", G_CALLBACK(guarded<on_move_light>));
  separator(menu);
  plain(menu, "Create viewpoint", G_CALLBACK(guarded<on_viewpoint>), GINT_TO_POINTER(0));
  plain(menu, "Restore viewpoint", G_CALLBACK(guarded<on_viewpoint>), GINT_TO_POINTER(1));
  separator(menu);
  check(menu, "Grayscale", Input_Data.grayscale != 0, G_CALLBACK(guarded<on_switch>), &Input_Data.grayscale);
  separator(menu);
  state.animate_item = labelled_stock(menu, "Animate", GTK_STOCK_MEDIA_PLAY, G_CALLBACK(guarded<toggle_animation>));
  separator(menu);
  check(menu, "Show atoms", !Input_Data.hide_atoms, G_CALLBACK(guarded<on_inverse_switch>), &Input_Data.hide_atoms);
  check(menu, "Show bonds", !Input_Data.hide_bonds, G_CALLBACK(guarded<on_inverse_switch>), &Input_Data.hide_bonds);
  check(menu, "Show axes", Input_Data.show_axes != 0, G_CALLBACK(guarded<on_switch>), &Input_Data.show_axes);
  separator(menu);
  check(menu, "Dot/line", Input_Data.dotted_bonds != 0, G_CALLBACK(guarded<on_switch>), &Input_Data.dotted_bonds);
  labelled_stock(menu, "Maximize", GTK_STOCK_FULLSCREEN, G_CALLBACK(guarded<callback_maximize>));
}

void labels_menu(GtkWidget* bar) {
  GtkWidget* menu = submenu(bar, "_Labels");
  auto label_item = [menu](const char* text, int bit) {
    return check(menu, text, (Input_Data.label_flags & bit) != 0, G_CALLBACK(guarded<on_label_flag>),
                 GINT_TO_POINTER(bit));
  };
  label_item("Show indices", LABEL_FLAG_INDICES);
  menu_label_numeration = label_item("Show numeration", LABEL_FLAG_NUMERATION);
  label_item("Show atom symbols", LABEL_FLAG_SYMBOLS);
  menu_label_names = label_item("Show atom names", LABEL_FLAG_NAMES);
  menu_label_muliken = label_item("Show Mulliken charges", LABEL_FLAG_MULLIKEN);
  menu_label_loprop = label_item("Show Loprop charges", LABEL_FLAG_LOPROP);
  for (GtkWidget* item : {menu_label_numeration, menu_label_names, menu_label_muliken, menu_label_loprop}) {
    gtk_widget_set_sensitive(item, FALSE);
  }
}

void other_menus(GtkWidget* bar) {
  plain(submenu(bar, "_Screenshot"), "Screenshot", G_CALLBACK(guarded<callback_screenshot>));
  GtkWidget* help = submenu(bar, "_Help");
  stock(help, GTK_STOCK_HELP, G_CALLBACK(guarded<mivor_gtk_callback_help>));
  separator(help);
  stock(help, GTK_STOCK_ABOUT, G_CALLBACK(guarded<on_about>));
}

// The text shown by a menu item: its label, or the stock item's label.
std::string item_label(GtkWidget* item) {
  GtkWidget* child = gtk_bin_get_child(GTK_BIN(item));
  return child && GTK_IS_LABEL(child) ? gtk_label_get_label(GTK_LABEL(child)) : "";
}

}  // namespace

GtkWidget* make_menubar(GtkWidget* window) {
  state.accel = gtk_accel_group_new();
  gtk_window_add_accel_group(GTK_WINDOW(window), state.accel);
  GtkWidget* bar = gtk_menu_bar_new();
  file_menu(bar);
  edit_menu(bar);
  view_menu(bar);
  labels_menu(bar);
  other_menus(bar);
  return bar;
}

void mivor_gtk_menubar_show_or_hide_widgets() {
  if (!menu_item_save) return;
  state.updating = true;
  const std::string name = input_file_name.empty() ? "newfile.mvr" : input_file_name;
  const int type = get_filetype(name);
  const bool backward =
      type >= 0 && type < n_input_types() && input_filetypes[static_cast<size_t>(type)].backward.has_value();
  gtk_widget_set_sensitive(menu_item_save, backward);
  const int flags = m ? m->flags : 0;
  gtk_widget_set_sensitive(menu_label_numeration, (flags & FLAG_ATOM_NUMBERS) != 0);
  gtk_widget_set_sensitive(menu_label_names, (flags & FLAG_ATOM_NAMES) != 0);
  gtk_widget_set_sensitive(menu_label_muliken, (flags & FLAG_MULLIKEN) != 0);
  gtk_widget_set_sensitive(menu_label_loprop, (flags & FLAG_LOPROP) != 0);
  gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(menu_automatic_bonding), Input_Data.auto_rebond != 0);
  const bool editable = !m || m->editable;
  gtk_widget_set_sensitive(menu_item_xyz_edit, editable);
  gtk_widget_set_sensitive(menu_undo, editable);
  gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(menu_editable), editable);
  state.updating = false;
}

GtkWidget* find_menu_item(const char* menu, const char* label) {
  GtkWidget* bar = nullptr;
  if (!menu_item_save) return nullptr;
  bar = gtk_widget_get_parent(gtk_menu_get_attach_widget(GTK_MENU(gtk_widget_get_parent(menu_item_save))));
  GList* tops = gtk_container_get_children(GTK_CONTAINER(bar));
  GtkWidget* found = nullptr;
  for (GList* t = tops; t && !found; t = t->next) {
    if (item_label(GTK_WIDGET(t->data)) != menu) continue;
    GtkWidget* sub = gtk_menu_item_get_submenu(GTK_MENU_ITEM(t->data));
    GList* items = gtk_container_get_children(GTK_CONTAINER(sub));
    for (GList* i = items; i && !found; i = i->next) {
      if (item_label(GTK_WIDGET(i->data)) == label) found = GTK_WIDGET(i->data);
    }
    g_list_free(items);
  }
  g_list_free(tops);
  return found;
}

void callback_open_file() {
  const std::optional<chosen_file_t> chosen = run_open_dialog();
  if (chosen) open_file(chosen->name, chosen->type_description);
  // Whichever button closed the dialog, the view follows what is loaded now.
  {
    GlScope gl(drawingarea);
    if (gl) set_scale();
  }
  rebuild_and_redraw();
}

bool save_current_file() {
  if (input_file_name.empty()) {
    const std::optional<chosen_file_t> chosen = run_save_dialog();
    return chosen && save_as(chosen->name, chosen->type);
  }
  return save_as(input_file_name, save_type_of(input_file_name));
}

void callback_save_file() { save_current_file(); }

void callback_save_as_file() {
  const std::optional<chosen_file_t> chosen = run_save_dialog();
  if (chosen) save_as(chosen->name, chosen->type);
}

void callback_close_file() {
  close_file();
  rebuild_and_redraw();
}

void toggle_animation() {
  Input_Data.animate = !Input_Data.animate;
  if (Input_Data.animate) start_animation_timer();
  show_animation_state();
}

void show_animation_state() {
  if (!state.animate_item) return;
  const bool on = Input_Data.animate != 0;
  geo_play_button_play(on ? 0 : 1);
  gtk_menu_item_set_label(GTK_MENU_ITEM(state.animate_item), on ? "Stop animation" : "Animate");
  gtk_image_menu_item_set_image(
      GTK_IMAGE_MENU_ITEM(state.animate_item),
      gtk_image_new_from_stock(on ? GTK_STOCK_MEDIA_STOP : GTK_STOCK_MEDIA_PLAY, GTK_ICON_SIZE_MENU));
}
