// Warnings held back while a file is read that may have to be read again:
// the user is told only what the read that is kept found.
#pragma once

#include <string>
#include <vector>

#include "molecule/notify.h"

// While it lives, everything the core tells goes to the notifier that was
// in use, but warnings are kept; `pass` tells them, `drop` forgets them.
// The kept warnings are told when it ends unless dropped.
class held_warnings_t final : public Notifier {
 public:
  held_warnings_t();
  ~held_warnings_t() override;
  held_warnings_t(const held_warnings_t&) = delete;
  held_warnings_t& operator=(const held_warnings_t&) = delete;

  void pass();
  void drop() { held_.clear(); }

  void warning(const std::string& text) override { held_.push_back(text); }
  void status(StatusBar bar, const std::string& text) override { to_->status(bar, text); }
  void atom_list(AtomListChange change, int atom) override { to_->atom_list(change, atom); }
  void selection_changed() override { to_->selection_changed(); }
  void file_event(FileEvent event) override { to_->file_event(event); }
  void objects_changed() override { to_->objects_changed(); }
  void rebuild_scene() override { to_->rebuild_scene(); }
  void redraw() override { to_->redraw(); }
  void drawing_area_size(int w, int h) override { to_->drawing_area_size(w, h); }
  void text_cursor(bool text) override { to_->text_cursor(text); }
  void textbox_image(int i) override { to_->textbox_image(i); }
  void geometry_shown() override { to_->geometry_shown(); }
  void orbital_step(int dir) override { to_->orbital_step(dir); }
  void grid_loaded() override { to_->grid_loaded(); }
  void atoms_changed() override { to_->atoms_changed(); }
  void values_changed() override { to_->values_changed(); }
  void mode_shown() override { to_->mode_shown(); }
  void calculation_changed() override { to_->calculation_changed(); }
  bool waiting(const std::string& what) override { return to_->waiting(what); }
  void waiting_done() override { to_->waiting_done(); }

 private:
  Notifier* to_;
  std::vector<std::string> held_;
};
