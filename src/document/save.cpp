#include "document/save.h"

#include <memory>

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
  if (!save_zev_file(native)) return false;
  // A failed conversion leaves the native file saved: the status says so.
  if (type > 0 && type < n_input_types() && !convert_to_target_file(type, native)) {
    notifier().status(StatusBar::lower, "File saved to: " + native);
    return false;
  }
  notifier().status(StatusBar::lower, "File saved to: " + name);
  return true;
}
