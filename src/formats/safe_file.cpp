#include "formats/safe_file.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "molecule/notify.h"

namespace {

std::string directory_of(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// open(2) flags for an fopen mode.
int open_flags(const char* mode) {
  const bool plus = std::strchr(mode, '+') != nullptr;
  int flags = plus ? O_RDWR : (mode[0] == 'r' ? O_RDONLY : O_WRONLY);
  if (mode[0] == 'w' || mode[0] == 'a') flags |= O_CREAT;
  if (mode[0] == 'a') flags |= O_APPEND;
  if (std::strchr(mode, 'x')) flags |= O_EXCL;
  return flags | O_CLOEXEC;
}

// The file a write to `path` replaces: `path`, or where its symbolic links
// lead (a link to nothing leads to the file it would create). Empty when the
// links go round in circles.
std::string follow_links(std::string path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    std::vector<char> target(static_cast<size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
    const ssize_t n = readlink(path.c_str(), target.data(), target.size() - 1);
    if (n < 0) return path;
    std::string next(target.data(), static_cast<size_t>(n));
    path = next[0] == '/' ? next : directory_of(path) + "/" + next;
  }
  return std::string();
}

// Whether the target of a write may be replaced: absent, or a regular file
// that may be written. A file without any write permission is refused even
// for a user whom the system would let write it.
AtomicWrite check_target(const std::string& target, struct stat& st, bool& exists) {
  exists = stat(target.c_str(), &st) == 0;
  if (!exists) return errno == ENOENT ? AtomicWrite::done : AtomicWrite::not_created;
  if (!S_ISREG(st.st_mode)) return AtomicWrite::not_regular;
  if ((st.st_mode & 0222) == 0 || access(target.c_str(), W_OK) != 0) return AtomicWrite::read_only;
  return AtomicWrite::done;
}

// The temporary file being written, for a program ended by a signal to
// remove (a stopped converter leaves nothing behind).
char pending_temporary[PATH_MAX];
volatile sig_atomic_t temporary_pending = 0;

void remove_pending_temporary(int signal_number) {
  if (temporary_pending) unlink(pending_temporary);
  ::signal(signal_number, SIG_DFL);
  raise(signal_number);
}

}  // namespace

void remove_temporary_file_on_termination() {
  for (int s : {SIGTERM, SIGINT, SIGHUP}) ::signal(s, remove_pending_temporary);
}

file_ptr open_file_ptr(const std::string& path, const char* mode, bool* not_regular) {
  if (not_regular) *not_regular = false;
  // Non-blocking, so that a pipe without a writer or a device can't hold the
  // open; the descriptor blocks again once it is known to be a regular file.
  const int fd = open(path.c_str(), open_flags(mode) | O_NONBLOCK, 0666);
  if (fd < 0) return file_ptr(nullptr, std::fclose);
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    if (not_regular) *not_regular = true;
    close(fd);
    return file_ptr(nullptr, std::fclose);
  }
  const int flags = fcntl(fd, F_GETFL);
  if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0 || (mode[0] == 'w' && ftruncate(fd, 0) != 0)) {
    close(fd);
    return file_ptr(nullptr, std::fclose);
  }
  std::string stream_mode = mode;
  stream_mode.erase(std::remove(stream_mode.begin(), stream_mode.end(), 'x'), stream_mode.end());
  FILE* f = fdopen(fd, stream_mode.c_str());
  if (!f) close(fd);
  return file_ptr(f, std::fclose);
}

AtomicWrite write_file_atomically(const std::string& path, const std::function<bool(FILE*)>& write) {
  const std::string target = follow_links(path);
  if (target.empty()) return AtomicWrite::not_created;
  struct stat st;
  bool exists = false;
  if (const AtomicWrite problem = check_target(target, st, exists); problem != AtomicWrite::done) return problem;

  std::string tmpl = directory_of(target) + "/.mivor-XXXXXX";
  std::vector<char> name(tmpl.begin(), tmpl.end());
  name.push_back('\0');
  const int fd = mkstemp(name.data());
  if (fd < 0) return AtomicWrite::not_created;
  if (name.size() <= sizeof pending_temporary) {
    std::memcpy(pending_temporary, name.data(), name.size());
    temporary_pending = 1;
  }
  struct pending_t {
    ~pending_t() { temporary_pending = 0; }
  } pending;
  // A replaced file keeps its permissions (and owner, where allowed); a new
  // one gets those a freshly created file would have had.
  const mode_t mask = umask(0);
  umask(mask);
  const mode_t perms = exists ? (st.st_mode & 07777) : (0666 & ~mask);
  if (exists && (st.st_uid != geteuid() || st.st_gid != getegid())) static_cast<void>(fchown(fd, st.st_uid, st.st_gid));
  FILE* f = fchmod(fd, perms) == 0 ? fdopen(fd, "wb") : nullptr;
  if (!f) {
    close(fd);
    unlink(name.data());
    return AtomicWrite::not_created;
  }
  bool ok = write(f);
  ok = (std::fflush(f) == 0) && std::ferror(f) == 0 && ok;
  ok = (std::fclose(f) == 0) && ok;
  if (!ok) {
    unlink(name.data());
    return AtomicWrite::not_written;
  }
  if (std::rename(name.data(), target.c_str()) != 0) {
    unlink(name.data());
    return AtomicWrite::not_renamed;
  }
  return AtomicWrite::done;
}

AtomicWrite write_text_atomically(const std::string& path, const std::string& content) {
  return write_file_atomically(
      path, [&content](FILE* f) { return std::fwrite(content.data(), 1, content.size(), f) == content.size(); });
}

bool copy_file_atomically(const std::string& from, const std::string& to) {
  file_ptr in = open_file_ptr(from, "rb");
  return in && write_file_atomically(to, [&in](FILE* out) {
                 char buffer[1 << 16];
                 for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, in.get())) > 0;)
                   if (std::fwrite(buffer, 1, got, out) != got) return false;
                 return std::ferror(in.get()) == 0;
               }) == AtomicWrite::done;
}

bool write_file_atomically(const std::string& path, const std::string& content) {
  return write_text_atomically(path, content) == AtomicWrite::done;
}

std::string atomic_write_message(AtomicWrite result, const std::string& path) {
  switch (result) {
    case AtomicWrite::done:
      return std::string();
    case AtomicWrite::not_renamed:
      return "ERROR: system command failed! Can't rename file!";
    case AtomicWrite::not_regular:
      return "ERROR: Can't write file: " + path + " (not a regular file)";
    case AtomicWrite::read_only:
      return "ERROR: Can't write file: " + path + " (read-only)";
    default:
      return "ERROR: Can't write file: " + path;
  }
}

long long bytes_left(FILE* file) {
  struct stat st;
  const off_t here = ftello(file);
  if (here < 0 || fstat(fileno(file), &st) != 0 || st.st_size < here) return 0;
  return static_cast<long long>(st.st_size - here);
}

bool report_atomic_write(AtomicWrite result, const std::string& path, const std::string& cannot_create) {
  switch (result) {
    case AtomicWrite::done:
      return true;
    case AtomicWrite::not_created:
      make_warning(cannot_create);
      break;
    case AtomicWrite::not_written:
      make_warning("Error: Can't write file " + path + " (is the disk full?)");
      break;
    case AtomicWrite::not_renamed:
      make_warning("Error: Can't write file " + path + (is_directory(path) ? " (it is a directory)" : ""));
      break;
    case AtomicWrite::not_regular:
      make_warning(is_directory(path) ? "Error: Can't write file " + path + " (it is a directory)"
                                      : atomic_write_message(result, path));
      break;
    case AtomicWrite::read_only:
      make_warning(atomic_write_message(result, path));
      break;
  }
  return false;
}

bool file_is_readable(const std::string& path) { return access(path.c_str(), R_OK) == 0; }

bool is_directory(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool exists_but_not_regular(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode);
}
