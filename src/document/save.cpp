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
#include "formats/native_reader.h"
#include "formats/native_writer.h"
#include "formats/safe_file.h"
#include "formats/saved_grids.h"
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

// Whether the save replaced the open document's native file.
bool replaced_open_file(const std::string& target) {
  const std::optional<file_id_t> saved = file_id(target);
  return saved && !input_file_name.empty() && file_id(make_mivor_file_name(input_file_name)) == saved;
}

// The open document's native file was replaced by the save: its grids are
// read from the new file from now on, where their data may lie elsewhere
// (or, saved without values, nowhere). The watch takes the new file as the
// one it last saw: it is what the document shows.
void follow_saved_file(const std::string& saved) {
  const bool grids = std::any_of(mol.begin(), mol.end(), [](const mol_data_t& rec) { return rec.ngrid() > 0; });
  file_ptr file = grids ? open_file_ptr(saved, "rb") : file_ptr(nullptr, std::fclose);
  if (file)
    visit_geometry_sections(file.get(), [](size_t i, const mol_data_t& now) {
      if (i >= mol.size() || mol[i].ngrid() == 0 || now.ngrid() != mol[i].ngrid()) return;
      const grid_data_t& n = *now.grid;
      grid_data_t& g = mol[i].grid.edit();
      if (n.n_points != g.n_points) {
        mol[i].grid = now.grid;
        return;
      }
      g.grid_data_start = n.grid_data_start;
      g.grid_data_size = n.grid_data_size;
      g.block_offset = n.block_offset;
      g.is_cutoff = n.is_cutoff;
      g.n_p = n.n_p;
      if (g.is_cutoff != 1) std::vector<uint8_t>().swap(g.cutoff_mask);
      std::fill(g.orb_type_changed.begin(), g.orb_type_changed.end(), 0);
      g.orb_type_set.clear();
    });
  if (make_mivor_file_name(input_file_name) == input_file_name) remember_file_state(input_file_name);
}

}  // namespace

bool save_zev_file(const std::string& target) {
  // The grid values and orbital files are copied from the file the grids
  // were read from, with the types the user changed. Values that can't be
  // read back from it cost them, not the save: the file is written again
  // without them.
  file_ptr source = open_current_mivor_file();
  saved_grids_t grids = plan_saved_grids(source.get(), mol);
  AtomicWrite result = AtomicWrite::done;
  for (bool again = true; again;) {
    std::vector<size_t> failed;
    result = write_file_atomically(target, [&](FILE* file) { return write_saved_geometries(file, grids, failed); });
    again = result != AtomicWrite::done && !failed.empty() && grids.outputs[failed[0]].write_values;
    for (size_t i : failed) grids.drop_values(i);
  }
  const std::string source_name = make_mivor_file_name(input_file_name);
  if (!grids.not_kept.empty()) make_warning(values_not_kept_message(grids.not_kept, source_name));
  if (result != AtomicWrite::done) {
    make_warning(atomic_write_message(result, target));
    return false;
  }
  if (replaced_open_file(target)) follow_saved_file(target);
  return true;
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
