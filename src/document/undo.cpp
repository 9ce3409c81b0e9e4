// Undo file layout: a sequence of snapshots, each all geometries in the
// native format without grid sections followed by " <BREAK>". Undo parses
// the next-to-last snapshot (the scan of geometry starts stops at its
// " <BREAK>"), re-reads the grid sections from the native file itself and
// truncates the file after that snapshot.
#include "document/undo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "document/current_file.h"
#include "document/native_file.h"
#include "formats/file_names.h"
#include "formats/file_types.h"
#include "formats/native_writer.h"
#include "formats/safe_file.h"
#include "formats/text_words.h"
#include "molecule/memory_budget.h"
#include "molecule/mol_data.h"
#include "molecule/notify.h"

int backup_count = 0;

namespace {

// The undo file this process created, known by name and held open: only
// the file still at that name that is this very file is ever appended to,
// cut or removed (held open, its identity can't pass to another file).
// A snapshot that can't be written (a full disk) leaves the file as it was:
// its last snapshot is then the last state that can be restored, not the
// state on show, and the failure is said once until a snapshot is written
// again.
struct undo_state_t {
  bool enabled = true;
  std::string name;
  int fd = -1;
  bool shown_is_last = true;  // the last snapshot is the state on show
  bool failing = false;       // the last snapshot could not be written (said)
};
undo_state_t undo;

void forget_undo_file() {
  if (undo.fd >= 0) close(undo.fd);
  undo.fd = -1;
  undo.name.clear();
}

// Whether the file at the undo file's name is still the one created.
bool still_ours() {
  struct stat at_name, held;
  return undo.fd >= 0 && lstat(undo.name.c_str(), &at_name) == 0 && fstat(undo.fd, &held) == 0 &&
         at_name.st_dev == held.st_dev && at_name.st_ino == held.st_ino;
}

// Creates a new, empty undo file for the open file, beside it or else in
// the temporary directory; exclusive, so that no existing file is taken.
bool create_undo_file() {
  forget_undo_file();
  const std::string open = get_input_filename();
  const std::string stem = "." + get_filename_without_extension(get_filename_pointer_from_path(open.c_str())) +
                           ".undo-XXXXXX." + native_extension;
  const char* tmp = std::getenv("TMPDIR");
  for (const std::string& dir : {get_path_without_file(open), std::string(tmp && *tmp ? tmp : "/tmp") + "/"}) {
    std::string name = dir + stem;
    const int fd = mkostemps(&name[0], static_cast<int>(std::strlen(native_extension)) + 1, O_CLOEXEC);
    if (fd < 0) continue;
    undo.name = name;
    undo.fd = fd;
    return true;
  }
  return false;
}

// A stream on the undo file (at its start), when it is still the file this
// process created.
file_ptr open_undo_file() {
  if (!still_ours()) return file_ptr(nullptr, std::fclose);
  const int fd = dup(undo.fd);
  FILE* f = fd >= 0 ? fdopen(fd, "r+b") : nullptr;
  if (!f && fd >= 0) close(fd);
  if (f) std::rewind(f);
  return file_ptr(f, std::fclose);
}

// Positions the stream at the start of snapshot `k` (from 1).
void backup_search_last_backup_point(FILE* file, int k) {
  std::rewind(file);
  int passed = 0;
  while (passed < k - 1) {
    const std::string line = read_line(file);
    if (line.empty()) {
      notifier().status(StatusBar::lower, "Error in reading backup data!");
      return;
    }
    if (std::strstr(line.c_str(), "<BREAK>")) ++passed;
  }
}

// Appends a snapshot to the undo file; on any failure the file is cut back
// to what it held. 0, or the errno of the failure.
int write_snapshot() {
  const off_t before = lseek(undo.fd, 0, SEEK_END);
  if (before < 0) return errno;
  int error = ENOMEM;
  // A snapshot is written after every change: a small buffer will do.
  if (file_ptr out = stream_writing_fd(undo.fd, 1 << 16)) {
    write_all_data_to_output(out.get(), 0, nullptr);
    std::fputs(" <BREAK>\n", out.get());
    error = std::fflush(out.get()) == 0 && std::ferror(out.get()) == 0 ? 0 : last_write_errno();
  }
  if (error && ftruncate(undo.fd, before) != 0) std::fputs("ERROR: can't truncate backup file\n", stderr);
  return error;
}

// Says once, until a snapshot is written again, that changes are not kept.
void snapshot_failed(int e) {
  undo.shown_is_last = false;
  if (undo.failing) return;
  undo.failing = true;
  make_warning("ERROR: The undo history can't be written to " +
               (undo.name.empty() ? std::string("a file") : undo.name) +
               (e ? std::string(" (") + std::strerror(e) + ")" : std::string()) +
               ": until it can, undo goes back to the last change it holds.");
}

}  // namespace

std::string get_backup_filename() { return undo.name; }

void keep_undo_history(bool on) {
  if (!on) remove_backup();
  undo.enabled = on;
}

void append_backup() {
  if (!undo.enabled) return;
  if (!still_ours()) {
    // None yet, or it was taken away: the history starts again here.
    backup_count = 0;
    if (!create_undo_file()) {
      snapshot_failed(errno);
      return;
    }
  }
  if (const int error = write_snapshot()) {
    snapshot_failed(error);
    return;
  }
  ++backup_count;
  undo.shown_is_last = true;
  if (undo.failing) notifier().status(StatusBar::lower, "The undo history is written again");
  undo.failing = false;
}

void remove_backup() {
  if (still_ours()) unlink(undo.name.c_str());
  forget_undo_file();
  backup_count = 0;
  undo.shown_is_last = true;
  undo.failing = false;
}

void get_backup() {
  // Undo restores the snapshot before the state on show: the next-to-last
  // one, or the last one when the state on show could not be written.
  const int restored = undo.shown_is_last ? backup_count - 1 : backup_count;
  if (restored < 1) {
    notifier().status(StatusBar::lower, "Allready the oldest change!");
    return;
  }
  std::vector<int> had_grids;
  for (const mol_data_t& rec : mol) had_grids.push_back(rec.ngrid() > 0 ? 1 : 0);
  const int current = igeo;

  file_ptr file = open_undo_file();
  if (!file) {
    notifier().status(StatusBar::lower, "Error in reading backup data!");
    return;
  }
  backup_search_last_backup_point(file.get(), restored);
  if (!run_within_memory(
          [&] {
            read_geometries(file.get());
            read_all_grids_from_all_sections(had_grids);
          },
          "ERROR: Not enough memory to undo"))
    return;
  // Stay on the geometry the user was looking at.
  if (current < n_geometries()) {
    igeo = current;
    get_new_section();
  }
  notifier().file_event(FileEvent::geometries_changed);

  for (std::string line = read_line(file.get()); !line.empty(); line = read_line(file.get()))
    if (find_nocase(line, "<break>") != std::string::npos) break;
  std::fflush(file.get());
  if (ftruncate(fileno(file.get()), ftello(file.get())) != 0) std::fputs("ERROR: can't truncate backup file\n", stderr);
  backup_count = restored;
  undo.shown_is_last = true;
  rerender_3d();
  redraw();
}
