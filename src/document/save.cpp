#include "document/save.h"

#include <memory>

#include "document/current_file.h"
#include "formats/converters.h"
#include "formats/file_names.h"
#include "formats/file_types.h"
#include "formats/native_writer.h"
#include "formats/safe_file.h"
#include "molecule/notify.h"

bool save_zev_file(const std::string& target) {
  // The grid values stay in the file they were read from; its orbital file
  // is copied with the types the user changed.
  file_ptr source = open_current_mivor_file();
  const AtomicWrite result = write_file_atomically(target, [&source](FILE* file) {
    write_all_data_to_output(file, 1, source.get());
    return true;
  });
  switch (result) {
    case AtomicWrite::done:
      return true;
    case AtomicWrite::not_renamed:
      make_warning("ERROR: system command failed! Can't rename file!");
      return false;
    default:
      make_warning("ERROR: Can't write file: " + target);
      return false;
  }
}

bool mivor_gtk_do_save_file(const std::string& name, int type) {
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
