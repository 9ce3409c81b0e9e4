#include "formats/converters.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <vector>

#include "formats/file_types.h"
#include "molecule/notify.h"

extern char** environ;

namespace {

const input_filetype_t* type_at(int type) {
  if (type < 0 || type >= n_input_types()) return nullptr;
  return &input_filetypes[static_cast<size_t>(type)];
}

}  // namespace

bool run_converter(const std::string& program, const std::string& file) {
  // The file name is one argument, never seen by a shell; a leading "-"
  // is made a path so that it can't be taken for an option.
  const std::string arg = (!file.empty() && file[0] == '-') ? "./" + file : file;
  std::vector<char*> argv = {const_cast<char*>(program.c_str()), const_cast<char*>(arg.c_str()), nullptr};
  pid_t pid;
  if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return false;
  int status;
  while (waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return false;
  return true;
}

bool convert_from_foreign(int type, const std::string& name) {
  const input_filetype_t* t = type_at(type);
  if (!t || !t->libpath || !t->forward || !run_converter(*t->libpath + "/" + *t->forward, name)) {
    make_warning("ERROR: Can't process file: " + name);
    return false;
  }
  return true;
}

void convert_to_target_file(int type, const std::string& native_name) {
  const input_filetype_t* t = type_at(type);
  if (!t || !t->libpath || !t->backward) return;
  if (!run_converter(*t->libpath + "/" + *t->backward, native_name))
    make_warning("ERROR: Can't convert file.\nFile will be saved in zev format.");
}
