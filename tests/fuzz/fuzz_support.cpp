#include "fuzz_support.h"

#include <unistd.h>

#include <cstdio>

#include "app/settings.h"
#include "molecule/elements.h"
#include "molecule/notify.h"

namespace {

class SilentNotifier final : public Notifier {
 public:
  void warning(const std::string&) override {}
  void status(StatusBar, const std::string&) override {}
  void atom_list(AtomListChange, int) override {}
  void file_event(FileEvent) override {}
  void selection_changed() override {}
  void objects_changed() override {}
  void rebuild_scene() override {}
  void redraw() override {}
};

SilentNotifier silent;

}  // namespace

void fuzz_init() {
  static bool done = false;
  if (done) return;
  done = true;
  set_notifier(&silent);
  set_default_settings();
  const auto& table = e_default_table();
  e.assign(table.begin(), table.begin() + n_default_elements);
}

std::string fuzz_write_input(const uint8_t* data, size_t size) {
  const std::string path = "/tmp/mivor-fuzz-" + std::to_string(getpid()) + ".mvr";
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  return path;
}
