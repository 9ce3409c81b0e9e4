#include "molecule/notify.h"

#include <cstdio>

namespace {

class StderrNotifier final : public Notifier {
 public:
  void warning(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
  void status(StatusBar, const std::string&) override {}
  void atom_list(AtomListChange, int) override {}
  void file_event(FileEvent) override {}
  void selection_changed() override {}
  void objects_changed() override {}
  void rebuild_scene() override {}
  void redraw() override {}
};

StderrNotifier stderr_notifier;
Notifier* current = &stderr_notifier;

}  // namespace

Notifier& notifier() { return *current; }

void set_notifier(Notifier* n) { current = n ? n : &stderr_notifier; }

void make_warning(const std::string& text) { notifier().warning(text); }
void rerender_3d() { notifier().rebuild_scene(); }
void redraw() { notifier().redraw(); }
