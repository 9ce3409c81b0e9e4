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
struct undo_state_t {
  bool enabled = true;
  std::string name;
  int fd = -1;
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

// Positions the stream at the start of the next-to-last snapshot.
void backup_search_last_backup_point(FILE* file) {
  std::rewind(file);
  if (backup_count <= 2) return;
  int passed = 0;
  while (passed < backup_count - 2) {
    const std::string line = read_line(file);
    if (line.empty()) {
      notifier().status(StatusBar::lower, "Error in reading backup data!");
      return;
    }
    if (std::strstr(line.c_str(), "<BREAK>")) ++passed;
  }
}

}  // namespace

std::string get_backup_filename() { return undo.name; }

void keep_undo_history(bool on) {
  if (!on) remove_backup();
  undo.enabled = on;
}

void append_backup() {
  if (!undo.enabled) return;
  file_ptr file = open_undo_file();
  if (!file) {
    // None yet, or it was taken away: the history starts again here.
    backup_count = 0;
    if (!create_undo_file() || !(file = open_undo_file())) return;
  }
  fseeko(file.get(), 0, SEEK_END);
  write_all_data_to_output(file.get(), 0, nullptr);
  std::fputs(" <BREAK>\n", file.get());
  ++backup_count;
}

void remove_backup() {
  if (still_ours()) unlink(undo.name.c_str());
  forget_undo_file();
  backup_count = 0;
}

void get_backup() {
  if (backup_count <= 1) {
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
  backup_search_last_backup_point(file.get());
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
  --backup_count;
  rerender_3d();
  redraw();
}
