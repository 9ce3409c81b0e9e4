#include "molecule/notify.h"

#include <cstdio>

namespace {

class StderrNotifier final : public Notifier {
 public:
  void warning(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
};

StderrNotifier stderr_notifier;
Notifier* current = &stderr_notifier;

}  // namespace

Notifier& notifier() { return *current; }

void set_notifier(Notifier* n) { current = n ? n : &stderr_notifier; }

void make_warning(const std::string& text) { notifier().warning(text); }
void rerender_3d() { notifier().rebuild_scene(); }
void redraw() { notifier().redraw(); }
