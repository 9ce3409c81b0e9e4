// A notifier that records what the core told the interface, for assertions.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "molecule/notify.h"

class RecordingNotifier final : public Notifier {
 public:
  RecordingNotifier() { set_notifier(this); }
  ~RecordingNotifier() override { set_notifier(nullptr); }
  RecordingNotifier(const RecordingNotifier&) = delete;
  RecordingNotifier& operator=(const RecordingNotifier&) = delete;

  void warning(const std::string& text) override { warnings.push_back(text); }
  void status(StatusBar bar, const std::string& text) override { statuses.emplace_back(bar, text); }
  void atom_list(AtomListChange change, int atom) override { atom_lists.emplace_back(change, atom); }
  void file_event(FileEvent event) override { file_events.push_back(event); }
  void selection_changed() override { ++selection_changes; }
  void objects_changed() override { ++object_changes; }
  void rebuild_scene() override { ++rebuilds; }
  void redraw() override { ++redraws; }
  void drawing_area_size(int w, int h) override { size_requests.emplace_back(w, h); }
  void text_cursor(bool text) override { text_cursors.push_back(text); }
  void geometry_shown() override { ++geometries_shown; }
  void textbox_image(int i) override { textbox_images.push_back(i); }
  void orbital_step(int dir) override { orbital_steps.push_back(dir); }
  void mode_shown() override { ++modes_shown; }
  // Waits are counted; the user "presses Stop" at wait number `stop_at`.
  bool waiting(const std::string& what) override {
    waits.push_back(what);
    return static_cast<int>(waits.size()) != stop_at;
  }
  void waiting_done() override { ++waits_done; }

  std::vector<std::string> warnings;
  std::vector<std::pair<StatusBar, std::string>> statuses;
  std::vector<std::pair<AtomListChange, int>> atom_lists;
  std::vector<FileEvent> file_events;
  int selection_changes = 0;
  int object_changes = 0;
  int rebuilds = 0;
  int redraws = 0;
  std::vector<std::pair<int, int>> size_requests;
  std::vector<bool> text_cursors;
  int geometries_shown = 0;
  std::vector<int> textbox_images;
  std::vector<int> orbital_steps;
  int modes_shown = 0;
  std::vector<std::string> waits;
  int stop_at = -1;
  int waits_done = 0;
};

// Puts every global of the core back to its state before start-up: no
// molecule, default settings, built-in element table, no configuration.
void reset_core_state();

// Ends a test that opened files: removes the undo file, forgets the file
// name and resets the core.
void close_test_file();
