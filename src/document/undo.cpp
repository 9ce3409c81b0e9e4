// Undo file layout: a sequence of snapshots, each all geometries in the
// native format without grid sections followed by " <BREAK>". Undo parses
// the next-to-last snapshot (the scan of geometry starts stops at its
// " <BREAK>"), re-reads the grid sections from the native file itself and
// truncates the file after that snapshot.
#include "document/undo.h"

#include <sys/types.h>
#include <unistd.h>

#include <cstdio>
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
#include "molecule/mol_data.h"
#include "molecule/notify.h"

int backup_count = 0;

namespace {

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

std::string get_backup_filename() {
  const std::string name = get_input_filename();
  const std::string file = get_filename_pointer_from_path(name.c_str());
  return get_path_without_file(name) + "." + get_filename_without_extension(file) + "." + native_extension;
}

void append_backup() {
  file_ptr file = open_file_ptr(get_backup_filename(), "ab");
  if (!file) return;
  write_all_data_to_output(file.get(), 0, nullptr);
  std::fputs(" <BREAK>\n", file.get());
  ++backup_count;
}

void remove_backup() {
  unlink(get_backup_filename().c_str());
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

  file_ptr file = open_file_ptr(get_backup_filename(), "r+b");
  if (!file) {
    notifier().status(StatusBar::lower, "Error in reading backup data!");
    return;
  }
  backup_search_last_backup_point(file.get());
  read_geometries(file.get());
  read_all_grids_from_all_sections(had_grids);
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
