#include "fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <memory>

#include "document/open_close.h"
#include "formats/native_reader.h"
#include "molecule/elements.h"
#include "molecule/notify.h"
#include "molecule/settings.h"

namespace {

// Drops every event.
class SilentNotifier final : public Notifier {};

SilentNotifier silent;

}  // namespace

void fuzz_init() {
  static bool done = false;
  if (done) return;
  done = true;
  set_notifier(&silent);
  set_default_settings();
  use_builtin_element_table();
}

bool fuzz_parse_input(const uint8_t* data, size_t size) {
  fuzz_init();
  input_file_name = fuzz_write_input(data, size);
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(input_file_name.c_str(), "rb"), std::fclose);
  if (!file) return false;
  parse_zev_file(file.get());
  return true;
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
