// The one channel through which the core tells the user interface what
// happened: warnings, status-bar texts, changes of the atom list, selection
// and scene. The GTK layer installs its own implementation; tests install a
// recorder. Without one, warnings go to standard error and the rest is dropped.
#pragma once

#include <string>

// Which of the two status bars a text is meant for: the upper one shows the
// file and orbital, the lower one the results of commands.
enum class StatusBar { upper = 1, lower = 2 };

// What happened to the atom list of the coordinate editor.
enum class AtomListChange {
  started,   // a new molecule exists: the list is (re)created
  cleared,   // the atoms of the current geometry were freed
  refilled,  // the whole list must be rebuilt from the current geometry
  inserted,  // one atom was added at `atom`
  removed,   // atom `atom` was removed
  changed,   // atom `atom` changed its data
};

// What happened to the open file, for the panels and menus that depend on
// the data.
enum class FileEvent {
  opening,             // a file is about to be read: the orbital list empties
  opened,              // a file was read: centre the view, show the data's widgets
  closed,              // one empty geometry is left: hide the data's widgets
  geometries_changed,  // the geometries were replaced (undo): refresh the panels
};

// Every event does nothing unless an implementation cares for it.
class Notifier {
 public:
  virtual ~Notifier() = default;
  // A modal warning the user must acknowledge.
  virtual void warning(const std::string&) {}
  // Pushes `text` on a status bar; an empty text only removes the last one.
  virtual void status(StatusBar, const std::string&) {}
  virtual void atom_list(AtomListChange, int) {}
  virtual void selection_changed() {}
  virtual void file_event(FileEvent) {}
  // The 3D decorations changed: their panel must be rebuilt.
  virtual void objects_changed() {}
  // The scene's display list is stale (rerender_3d).
  virtual void rebuild_scene() {}
  // The drawing area must be painted again.
  virtual void redraw() {}
  // The drawing area should request this size (a restored view).
  virtual void drawing_area_size(int, int) {}
  // The pointer over the drawing area: the text cursor while a text box is
  // placed, the default one otherwise.
  virtual void text_cursor(bool) {}
  // The text or font of text box i changed: its image must be made again.
  virtual void textbox_image(int) {}
  // A geometry became current (read, stepped to, undone): label images and
  // the panels that show it must follow.
  virtual void geometry_shown() {}
  // The page command with grids: the next orbital of the list (1) or the
  // previous one (0).
  virtual void orbital_step(int) {}
  // A grid was loaded and its surfaces built at the (perhaps automatic) level.
  virtual void grid_loaded() {}
  // Atoms were added, deleted or put in another order: their label images
  // must be made again and the view's depth must take in the new extent.
  virtual void atoms_changed() {}
  // Atoms moved: the values on show (the selection's readout, the spin
  // buttons of the edit page, the watched values) must follow.
  virtual void values_changed() {}
  // Another vibrational mode became current (ivib): the spectrum plot's
  // marker follows.
  virtual void mode_shown() {}
  // An external calculation started or ended: the controls that start and
  // stop one follow.
  virtual void calculation_changed() {}
  // A program the user waits for (a converter) runs: called several times a
  // second while it runs, with what it does, so that the window can keep
  // painting and offer to stop it. False: the user asked to stop it.
  virtual bool waiting(const std::string&) { return true; }
  // The program has ended.
  virtual void waiting_done() {}
};

// The notifier in use; never null.
Notifier& notifier();
// Installs `n` (not owned); null restores the standard-error notifier.
void set_notifier(Notifier* n);

// Shorthands used throughout the core, named as the interface calls them.
void make_warning(const std::string& text);
void rerender_3d();
void redraw();
