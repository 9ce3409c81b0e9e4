#include "document/save.h"

#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "document/current_file.h"
#include "formats/converters.h"
#include "formats/file_names.h"
#include "formats/file_types.h"
#include "formats/native_writer.h"
#include "formats/safe_file.h"
#include "molecule/notify.h"

namespace {

// Whether saving `name` as `type` writes what the name says: a name without
// an extension, or with the native one, is saved natively; a chosen native
// type is the user's word; any other extension needs a type whose converter
// makes that format. Otherwise only a native file under another name would
// appear, reported as the file asked for.
bool type_fits_name(const std::string& name, int type) {
  const size_t dot = extension_dot(name);
  if (dot == std::string::npos || type == 0 || name.compare(dot + 1, std::string::npos, native_extension) == 0)
    return true;
  return type > 0 && type < n_input_types() && input_filetypes[static_cast<size_t>(type)].backward.has_value();
}

// A file on disk, by device and inode.
struct file_id_t {
  dev_t dev = 0;
  ino_t ino = 0;
  bool operator==(const file_id_t& o) const { return dev == o.dev && ino == o.ino; }
};

std::optional<file_id_t> file_id(const std::string& name) {
  struct stat st;
  if (stat(name.c_str(), &st) != 0) return std::nullopt;
  return file_id_t{st.st_dev, st.st_ino};
}

// The native copies this process wrote beside foreign targets: saving the
// same molecule in a second foreign format may rewrite them.
std::vector<file_id_t> copies_written;

// Saving in a foreign format writes the native copy the converter reads
// beside the target. That copy may replace only a file that does not exist
// yet, the open document's own native file or a copy made by an earlier
// save: any other file of that name is the user's and stays.
bool native_copy_may_be_written(const std::string& native, const std::string& target) {
  if (native == target) return true;
  struct stat st;
  if (lstat(native.c_str(), &st) != 0) return true;
  const std::optional<file_id_t> id = file_id(native);
  if (!id) return false;
  if (!input_file_name.empty() && file_id(make_mivor_file_name(input_file_name)) == id) return true;
  return std::find(copies_written.begin(), copies_written.end(), *id) != copies_written.end();
}

}  // namespace

bool save_zev_file(const std::string& target) {
  // The grid values stay in the file they were read from; its orbital file
  // is copied with the types the user changed.
  file_ptr source = open_current_mivor_file();
  const AtomicWrite result = write_file_atomically(target, [&source](FILE* file) {
    write_all_data_to_output(file, 1, source.get());
    return true;
  });
  if (result == AtomicWrite::done) return true;
  make_warning(atomic_write_message(result, target));
  return false;
}

int save_type_of(const std::string& name) {
  return extension_dot(name) == std::string::npos ? n_input_types() : get_filetype(name);
}

bool mivor_gtk_do_save_file(const std::string& name, int type) {
  if (!type_fits_name(name, type)) {
    make_warning("ERROR: Can't open file: unknown filetype!");
    return false;
  }
  const std::string native = make_mivor_file_name(name);
  if (!native_copy_may_be_written(native, name)) {
    make_warning("ERROR: Can't save " + name + ": the native copy " + native +
                 " would replace a file of that name. Move it away or choose another name.");
    return false;
  }
  if (!save_zev_file(native)) return false;
  if (native != name)
    if (const std::optional<file_id_t> id = file_id(native)) copies_written.push_back(*id);
  // A failed conversion leaves the native file saved: the status says so.
  if (type > 0 && type < n_input_types() && !convert_to_target_file(type, native)) {
    notifier().status(StatusBar::lower, "File saved to: " + native);
    return false;
  }
  notifier().status(StatusBar::lower, "File saved to: " + name);
  return true;
}
