#include "app/config_dir.h"

#include <unistd.h>

#include <cstdlib>
#include <memory>

#include "formats/safe_file.h"
#include "molecule/settings.h"

std::string rcdir;
int error_config_does_not_exist = 0;
std::string system_config_dir = "/usr/local/share/mivor";

// The prefix `make install` installs into; builds without install rules
// (the fuzz build) keep the default one.
#ifndef MIVOR_INSTALL_PREFIX
#define MIVOR_INSTALL_PREFIX "/usr/local"
#endif

namespace {

// The program's own directory, from the link the kernel keeps to it.
std::string program_directory() {
  std::vector<char> path(4096);
  const ssize_t n = readlink("/proc/self/exe", path.data(), path.size() - 1);
  if (n <= 0) return {};
  const std::string exe(path.data(), static_cast<size_t>(n));
  const size_t slash = exe.find_last_of('/');
  return slash == std::string::npos ? std::string() : exe.substr(0, slash);
}

std::vector<std::string> default_installed_config_dirs() {
  std::vector<std::string> dirs = {std::string(MIVOR_INSTALL_PREFIX) + "/share/mivor"};
  const std::string program = program_directory();
  if (!program.empty()) dirs.push_back(program + "/../share/mivor");
  return dirs;
}

bool contains_settings_file(const std::string& dir) { return file_is_readable(dir + "/mivor.rc"); }

std::string working_directory() {
  std::unique_ptr<char, decltype(&std::free)> cwd(getcwd(nullptr, 0), std::free);
  return cwd ? std::string(cwd.get()) : std::string(".");
}

}  // namespace

std::vector<std::string> installed_config_dirs = default_installed_config_dirs();

void record_startup_problem(int code) {
  if (code >= PROBLEM_FORWARD_CONVERTER || error_config_does_not_exist == PROBLEM_NONE)
    error_config_does_not_exist = code;
}

void init_variables() {
  accept_keys = 1;
  move_camera = 1;
  control_pressed = 0;
  init_config_dir_path();
  if (error_config_does_not_exist == PROBLEM_NONE) check_plugin_files();
}

void init_config_dir_path() {
  error_config_does_not_exist = PROBLEM_NONE;
  rcdir.clear();
  if (const char* env = std::getenv("MIVOR_DIR")) {
    rcdir = env;
    if (contains_settings_file(rcdir)) return;
  }
  if (const char* home = std::getenv("HOME")) {
    const std::string dir = std::string(home) + "/.mivor";
    if (is_directory(dir) && contains_settings_file(dir)) {
      rcdir = dir;
      return;
    }
  }
  for (const std::string& dir : installed_config_dirs) {
    if (is_directory(dir) && contains_settings_file(dir)) {
      rcdir = dir;
      return;
    }
  }
  if (is_directory(system_config_dir)) {
    rcdir = system_config_dir;
    return;
  }
  rcdir = working_directory();
  if (!contains_settings_file(rcdir)) error_config_does_not_exist = PROBLEM_NO_CONFIG_DIR;
}

void check_plugin_files() {
  const struct {
    const char* file;
    int code;
  } checks[] = {{"calculation.rc", PROBLEM_NO_CALCULATIONS},
                {"fragments.rc", PROBLEM_NO_FRAGMENTS},
                {"plugin.rc", PROBLEM_NO_PLUGINS}};
  for (const auto& c : checks) {
    if (!file_is_readable(rcdir + "/" + c.file)) {
      record_startup_problem(c.code);
      return;
    }
  }
}

void reset_config_dir() {
  rcdir.clear();
  error_config_does_not_exist = PROBLEM_NONE;
}
