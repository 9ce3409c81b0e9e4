// A library preloaded into the tests of failing disks: it fails the Nth
// call of write, close, fsync, fdatasync, linkat or rename that touches a
// path below a given folder, with a given errno, and counts such calls.
// write and close count only descriptors open for writing; fsync and
// fdatasync any descriptor (a folder is synced through a read-only one);
// rename and linkat their new name (and rename its old one).
//
// Armed in the process itself through mivor_fault_arm (found with dlsym),
// or for a program it is preloaded into through the environment:
// MIVOR_FAULT_DIR (the folder), MIVOR_FAULT_NTH (0: only count),
// MIVOR_FAULT_ERRNO (a number), MIVOR_FAULT_COUNT (a file that receives the
// number of calls counted when the program ends).
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct fault_state_t {
  std::string folder;
  long nth = 0;
  long calls = 0;
  int error = EIO;
};

fault_state_t& state() {
  static fault_state_t s;
  return s;
}

template <typename F>
F next(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

bool below(const char* path) {
  const std::string& folder = state().folder;
  return !folder.empty() && path && std::strncmp(path, folder.c_str(), folder.size()) == 0;
}

bool fd_below(int fd, bool writable_only) {
  if (state().folder.empty()) return false;
  if (writable_only) {
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || (flags & O_ACCMODE) == O_RDONLY) return false;
  }
  char link[64], path[PATH_MAX];
  std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  const ssize_t n = readlink(link, path, sizeof path - 1);
  if (n <= 0) return false;
  path[n] = '\0';
  return below(path);
}

// Counts a call that matches; true when it is the one to fail (errno set).
bool fails(bool matches) {
  if (!matches) return false;
  fault_state_t& s = state();
  if (++s.calls != s.nth) return false;
  errno = s.error;
  return true;
}

// Arming from the environment, and the count written at the end.
struct from_environment_t {
  from_environment_t() {
    if (const char* dir = std::getenv("MIVOR_FAULT_DIR")) state().folder = dir;
    if (const char* nth = std::getenv("MIVOR_FAULT_NTH")) state().nth = std::atol(nth);
    if (const char* e = std::getenv("MIVOR_FAULT_ERRNO")) state().error = std::atoi(e);
  }
  ~from_environment_t() {
    const char* count = std::getenv("MIVOR_FAULT_COUNT");
    if (!count) return;
    if (FILE* f = std::fopen(count, "w")) {
      std::fprintf(f, "%ld\n", state().calls);
      std::fclose(f);
    }
  }
} from_environment;

}  // namespace

extern "C" {

// Fails the nth matching call below `folder` (0: none) with `error`, and
// counts from 0 again; an empty folder disarms.
void mivor_fault_arm(const char* folder, long nth, int error) {
  state().folder = folder ? folder : "";
  state().nth = nth;
  state().error = error;
  state().calls = 0;
}

long mivor_fault_calls() { return state().calls; }

ssize_t write(int fd, const void* data, size_t size) {
  static const auto real = next<ssize_t (*)(int, const void*, size_t)>("write");
  if (fails(fd_below(fd, true))) return -1;
  return real(fd, data, size);
}

int close(int fd) {
  static const auto real = next<int (*)(int)>("close");
  if (fails(fd_below(fd, true))) {
    // The descriptor is gone all the same, as the system has it.
    const int saved = errno;
    real(fd);
    errno = saved;
    return -1;
  }
  return real(fd);
}

int fsync(int fd) {
  static const auto real = next<int (*)(int)>("fsync");
  if (fails(fd_below(fd, false))) return -1;
  return real(fd);
}

int fdatasync(int fd) {
  static const auto real = next<int (*)(int)>("fdatasync");
  if (fails(fd_below(fd, false))) return -1;
  return real(fd);
}

int rename(const char* from, const char* to) {
  static const auto real = next<int (*)(const char*, const char*)>("rename");
  if (fails(below(from) || below(to))) return -1;
  return real(from, to);
}

int linkat(int from_dir, const char* from, int to_dir, const char* to, int flags) {
  static const auto real = next<int (*)(int, const char*, int, const char*, int)>("linkat");
  if (fails(below(to))) return -1;
  return real(from_dir, from, to_dir, to, flags);
}

}  // extern "C"
