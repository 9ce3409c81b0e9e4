#include "faults/faults.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "support/temp_dir.h"

namespace {

using arm_t = void (*)(const char*, long, int);
using calls_t = long (*)();

template <typename F>
F shim_function(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_DEFAULT, name));
}

// The target as it is, or a mark that it is missing.
std::string contents(const std::string& path) { return file_exists(path) ? read_file(path) : "(no file)"; }

void put_back(const std::string& path, const std::string& old) {
  if (old == "(no file)") {
    std::remove(path.c_str());
    return;
  }
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(old.data(), 1, old.size(), f);
    std::fclose(f);
  }
}

}  // namespace

void arm_fault(const std::string& folder, long nth, int error) {
  static const arm_t arm = shim_function<arm_t>("mivor_fault_arm");
  arm(folder.c_str(), nth, error);
}

long fault_calls() {
  static const calls_t calls = shim_function<calls_t>("mivor_fault_calls");
  return calls();
}

std::vector<std::string> folder_names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

long walk_save(const walked_save_t& w) {
  const std::string old = contents(w.target);
  const std::vector<std::string> names = folder_names(w.folder);
  w.forget();
  arm_fault(w.folder, 0, 0);
  const bool saved = w.save();
  const long calls = fault_calls();
  arm_fault("", 0, 0);
  EXPECT_TRUE(saved) << w.what;
  const std::string made = contents(w.target);
  EXPECT_NE(made, old) << w.what;
  std::vector<std::string> with_target = names;
  const std::string target_name = std::filesystem::path(w.target).filename();
  if (std::find(names.begin(), names.end(), target_name) == names.end()) with_target.push_back(target_name);
  std::sort(with_target.begin(), with_target.end());
  for (int error : {EIO, ENOSPC}) {
    const std::string reason = std::strerror(error);
    for (long n = 1; n <= calls; ++n) {
      put_back(w.target, old);
      w.forget();
      arm_fault(w.folder, n, error);
      const bool ok = w.save();
      arm_fault("", 0, 0);
      const std::string at = w.what + ", call " + std::to_string(n) + " of " + std::to_string(calls) + ", " + reason;
      EXPECT_FALSE(ok) << at;
      const std::vector<std::string> said = w.said();
      EXPECT_EQ(said.size(), 1u) << at;
      // With the system's reason, but for the rename's message of its own.
      if (!said.empty() && said[0] != "ERROR: system command failed! Can't rename file!") {
        EXPECT_NE(said[0].find(reason), std::string::npos) << at << ": " << said[0];
      }
      // The last call syncs the folder after the rename: the new file is
      // in place then.
      const bool renamed = n == calls;
      EXPECT_TRUE(contents(w.target) == (renamed ? made : old)) << at;
      EXPECT_EQ(folder_names(w.folder), renamed ? with_target : names) << at;
    }
  }
  put_back(w.target, old);
  return calls;
}
