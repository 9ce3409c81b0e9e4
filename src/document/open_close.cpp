#include "document/open_close.h"

#include <sys/stat.h>
#include <time.h>

#include <chrono>
#include <memory>
#include <thread>

#include "document/held_warnings.h"
#include "document/native_file.h"
#include "document/undo.h"
#include "formats/converters.h"
#include "formats/file_names.h"
#include "formats/file_types.h"
#include "formats/safe_file.h"
#include "molecule/memory_budget.h"
#include "molecule/mol_data.h"
#include "molecule/notify.h"
#include "render/isosurface.h"

unsigned char file_open_success = 0;

namespace {

const char unknown_filetype[] = "ERROR: Can't open file: unknown filetype!";

// Devices, pipes and directories are never read: they could block or never
// end, and a directory is no molecule.
std::string not_regular_message(const std::string& path) {
  return "ERROR: Can't open file: " + path + " (not a regular file)";
}

// The type of a foreign file: by the description chosen in a dialog, else
// by its extension; -1 when none fits.
int foreign_type(const std::string& name, const std::optional<std::string>& description) {
  if (description) {
    for (int k = 0; k < n_input_types(); ++k)
      if (input_filetypes[static_cast<size_t>(k)].description == *description) return k;
    return -1;
  }
  const int k = get_input_filetype(name);
  return k < n_input_types() ? k : -1;
}

// How a file is read: natively, through the forward converter of a type,
// or not at all (not a regular file; no "." in the file name, or no type
// with a library path).
struct file_road_t {
  enum { unknown, not_regular, native, foreign } road = unknown;
  int type = -1;
};

file_road_t road_of(const std::string& name, const std::optional<std::string>& description) {
  file_road_t r;
  if (exists_but_not_regular(name)) {
    r.road = file_road_t::not_regular;
    return r;
  }
  const size_t dot = extension_dot(name);
  if (dot == std::string::npos) return r;
  if (description ? *description == native_description
                  : name.compare(dot + 1, std::string::npos, native_extension) == 0) {
    r.road = file_road_t::native;
    return r;
  }
  r.type = foreign_type(name, description);
  if (r.type >= 0 && input_filetypes[static_cast<size_t>(r.type)].libpath) r.road = file_road_t::foreign;
  return r;
}

}  // namespace

void open_zev_file(const std::string& path, bool converted) {
  bool not_regular = false;
  file_ptr file = open_file_ptr(path, "rb", &not_regular);
  if (!file) {
    make_warning(not_regular ? not_regular_message(path) : "ERROR: Can't open file: " + path);
    return;
  }
  remove_backup();
  read_geometries(file.get());
  if (converted) make_highest_occupied_current();
  append_backup();
  file.reset();
  if (m && m->ngrid() > 0) do_load_grid();
  file_open_success = 1;
  notifier().file_event(FileEvent::geometries_changed);
}

void open_file(const std::string& name, const std::optional<std::string>& type_description) {
  // A foreign file is converted before anything changes: when its converter
  // fails, the warning says why and the molecule shown stays.
  const file_road_t road = road_of(name, type_description);
  if (road.road == file_road_t::foreign && !convert_from_foreign(road.type, name)) {
    // The watch tries the open file again only when it changes again.
    if (name == input_file_name && watched_file.mtime != 0) remember_file_state(name);
    return;
  }
  notifier().file_event(FileEvent::opening);
  file_open_success = 0;
  // The undo history belongs to the file that is being replaced.
  if (!input_file_name.empty() && input_file_name != name) remove_backup();
  set_input_file_name(name);
  if (type_description && !input_file_type) input_file_type = type_description;
  remember_file_state(name);

  // A file too large for the memory left is refused like any file that
  // can't be read: nothing half-read stays.
  bool read = false;
  if (road.road == file_road_t::not_regular) {
    make_warning(not_regular_message(name));
  } else if (road.road == file_road_t::unknown) {
    make_warning(unknown_filetype);
  } else {
    run_within_memory(
        [&] {
          const bool converted = road.road == file_road_t::foreign;
          open_zev_file(converted ? make_mivor_file_name(name) : name, converted);
          read = file_open_success != 0;
        },
        "ERROR: Not enough memory to open file: " + name);
  }
  if (!read) {
    watched_file = {};
    close_file();
    return;
  }
  notifier().file_event(FileEvent::opened);
  notifier().status(StatusBar::upper, "");
  notifier().status(StatusBar::upper, input_file_name);
  notifier().objects_changed();
}

void close_file() {
  notifier().file_event(FileEvent::opening);
  remove_backup();
  deallocate_mol_data();
  deallocate_msrf();
  new_mol(1);
  notifier().file_event(FileEvent::closed);
  input_file_name = "new_file.mvr";
  input_file_type.reset();
  watched_file = {};
}

namespace {

// How long the watched file must have stayed unchanged before it is read:
// a program that writes it in pieces is given that long between them.
constexpr long long settle_ns = 30'000'000;
// Reads of a file that keeps changing while it is read, before giving up,
// and looks 10 ms apart for it to settle again before each new read.
constexpr int reads_while_changing = 3;
constexpr int settle_looks = 50;

// Whether the file looks whole: not empty (truncated by a writer that has
// not written yet) and not changed within the last moments.
bool settled(const watched_file_t& state) {
  if (state.size == 0) return false;
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  const long long age =
      (static_cast<long long>(now.tv_sec) - state.mtime) * 1'000'000'000LL + (now.tv_nsec - state.mtime_ns);
  return age < 0 || age >= settle_ns;
}

// The state of the file once it has settled, waiting for it a moment (no
// state when it does not settle within that moment or can't be seen).
watched_file_t settled_state(const std::string& name) {
  for (int look = 0; look < settle_looks; ++look) {
    const watched_file_t state = file_state(name);
    if (state.mtime == 0 || settled(state)) return state;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return {};
}

// Opens the watched file again, replacing the molecule.
void reopen(const std::string& name) {
  if (!input_file_type) {
    close_file();
    open_file(name, std::nullopt);
  } else {
    open_file(name, input_file_type);
  }
  // A file seen half-written may not read; keep watching it so that the
  // next look, once it is whole, shows it.
  if (watched_file.mtime == 0 && input_file_name != name) {
    set_input_file_name(name);
    remember_file_state(name);
  }
}

}  // namespace

bool check_if_file_changed() {
  if (watched_file.mtime == 0) return false;
  const std::string name = input_file_name;
  watched_file_t now = file_state(name);
  if (now.mtime == 0 || now == watched_file) return false;
  if (!settled(now)) return true;
  for (int read = 1;; ++read) {
    held_warnings_t held;
    reopen(name);
    // Changed while it was read: what was read may be half of it, and what
    // the read found is not said. It is read again once the file is whole.
    const watched_file_t after = file_state(name);
    if (after == now) break;
    held.drop();
    now = settled_state(name);
    if (read == reads_while_changing || now.mtime == 0) {
      close_file();
      set_input_file_name(name);
      // Unlike any state the file can have: the next look reads it again.
      watched_file = after;
      watched_file.mtime_ns = -1;
      notifier().status(StatusBar::lower, "The file " + name + " is being written: it is shown once it is whole");
      break;
    }
  }
  rerender_3d();
  redraw();
  return false;
}
