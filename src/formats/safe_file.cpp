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
#include <random>
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

// Whether written files are synced to the disk (benchmarks compare).
bool durable_writes = true;
// The errno of the last failed call of an atomic write.
int write_errno = 0;

// Remembers the errno of a failed call; false.
bool failed() {
  write_errno = errno;
  return false;
}

// A stream's target descriptor, written with write(2) calls of our own: a
// failure (and its errno) is seen at the call that failed. The descriptor
// stays open when the stream is closed.
struct fd_writer_t {
  int fd;

  static ssize_t write(void* cookie, const char* data, size_t size) {
    const int fd = static_cast<fd_writer_t*>(cookie)->fd;
    size_t done = 0;
    while (done < size) {
      const ssize_t n = ::write(fd, data + done, size - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        if (n == 0) errno = EIO;
        failed();
        break;
      }
      done += static_cast<size_t>(n);
    }
    return static_cast<ssize_t>(done);
  }

  // Writers that fill in places of their own (the converters' grids) move
  // about in the file.
  static int seek(void* cookie, off64_t* offset, int whence) {
    const off64_t at = lseek64(static_cast<fd_writer_t*>(cookie)->fd, *offset, whence);
    if (at < 0) return -1;
    *offset = at;
    return 0;
  }

  static int close(void* cookie) {
    delete static_cast<fd_writer_t*>(cookie);
    return 0;
  }
};

// fsync of `fd`; file systems that can't sync have nothing to wait for.
bool synced(int fd) {
  if (!durable_writes || fsync(fd) == 0 || errno == EINVAL || errno == EROFS) return true;
  return failed();
}

// Syncs the directory, so that a rename in it is on the disk. A directory
// that can't be opened for that is left as it is.
bool synced_directory(const std::string& directory) {
  if (!durable_writes) return true;
  const int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return true;
  const bool ok = synced(fd);
  close(fd);
  return ok;
}

// The temporary file being written, for a program ended by a signal to
// remove (a stopped converter leaves nothing behind).
char pending_temporary[PATH_MAX];
volatile sig_atomic_t temporary_pending = 0;

void set_pending(const std::string& name) {
  if (name.size() >= sizeof pending_temporary) return;
  std::memcpy(pending_temporary, name.c_str(), name.size() + 1);
  temporary_pending = 1;
}

// The new file, written in the target's directory. Where the file system
// allows it the file has no name until it is complete, so that a process
// killed while writing leaves nothing behind; it gets a temporary name only
// just before it is renamed over the target. Elsewhere it is a hidden file
// of a name of its own from the start. Until it has replaced the target, it
// is removed when anything fails.
class temporary_t {
 public:
  explicit temporary_t(const std::string& directory) : directory_(directory) {
    fd = open(directory.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    // Naming it later goes through its entry in /proc.
    if (fd >= 0 && access(proc_name().c_str(), F_OK) != 0) {
      ::close(fd);
      fd = -1;
    }
    if (fd < 0) name_ = make_name();
  }
  ~temporary_t() {
    if (!name_.empty()) unlink(name_.c_str());
    temporary_pending = 0;
    if (fd >= 0) ::close(fd);
  }
  temporary_t(const temporary_t&) = delete;
  temporary_t& operator=(const temporary_t&) = delete;

  // The written file on the disk, with a name, and closed (each step
  // checked: a file system may report a failed write only when it closes).
  bool finish() {
    if (!synced(fd) || (name_.empty() && !link_name())) return false;
    const int closing = fd;
    fd = -1;
    return ::close(closing) == 0 || failed();
  }

  // Gives the finished file the target's name.
  bool rename_to(const std::string& target) {
    if (std::rename(name_.c_str(), target.c_str()) != 0) return failed();
    name_.clear();
    temporary_pending = 0;
    return true;
  }

  int fd = -1;

 private:
  std::string pattern() const { return directory_ + "/.mivor-XXXXXX"; }
  std::string proc_name() const { return "/proc/self/fd/" + std::to_string(fd); }

  // A named file from the start.
  std::string make_name() {
    std::string name = pattern();
    fd = mkostemp(&name[0], O_CLOEXEC);
    if (fd < 0) return std::string();
    set_pending(name);
    return name;
  }

  // A free name for the file that has none.
  bool link_name() {
    static std::mt19937 random(std::random_device{}());
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::string name = pattern();
      for (size_t k = name.size() - 6; k < name.size(); ++k) name[k] = letters[random() % (sizeof letters - 1)];
      set_pending(name);
      if (linkat(AT_FDCWD, proc_name().c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        name_ = name;
        return true;
      }
      temporary_pending = 0;
      if (errno != EEXIST) return failed();
    }
    return false;
  }

  std::string directory_;
  std::string name_;
};

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

file_ptr stream_writing_fd(int fd, size_t buffer) {
  auto* f = new fd_writer_t{fd};
  cookie_io_functions_t io{};
  io.write = fd_writer_t::write;
  io.seek = fd_writer_t::seek;
  io.close = fd_writer_t::close;
  FILE* stream = fopencookie(f, "w", io);
  if (!stream) {
    delete f;
    return file_ptr(nullptr, std::fclose);
  }
  std::setvbuf(stream, nullptr, _IOFBF, buffer);
  return file_ptr(stream, std::fclose);
}

void sync_written_files(bool on) { durable_writes = on; }

int last_write_errno() { return write_errno; }

AtomicWrite write_file_atomically(const std::string& path, const std::function<bool(FILE*)>& write) {
  write_errno = 0;
  const std::string target = follow_links(path);
  if (target.empty()) return AtomicWrite::not_created;
  struct stat st;
  bool exists = false;
  if (const AtomicWrite problem = check_target(target, st, exists); problem != AtomicWrite::done) return problem;

  const std::string directory = directory_of(target);
  temporary_t temp(directory);
  if (temp.fd < 0) return AtomicWrite::not_created;
  // A replaced file keeps its permissions (and owner, where allowed); a new
  // one gets those a freshly created file would have had.
  const mode_t mask = umask(0);
  umask(mask);
  const mode_t perms = exists ? (st.st_mode & 07777) : (0666 & ~mask);
  if (exists && (st.st_uid != geteuid() || st.st_gid != getegid()))
    static_cast<void>(fchown(temp.fd, st.st_uid, st.st_gid));
  // Few large writes: a save of a hundred megabytes is a hundred calls.
  file_ptr f = fchmod(temp.fd, perms) == 0 ? stream_writing_fd(temp.fd) : file_ptr(nullptr, std::fclose);
  if (!f) return AtomicWrite::not_created;
  bool ok = write(f.get());
  ok = (std::fflush(f.get()) == 0) && std::ferror(f.get()) == 0 && ok;
  ok = (std::fclose(f.release()) == 0) && ok;
  // On the disk before it takes the target's name: a power cut leaves the
  // old file or the new one, whole.
  if (!ok || !temp.finish()) return AtomicWrite::not_written;
  if (!temp.rename_to(target)) return AtomicWrite::not_renamed;
  // The new name on the disk too; when that fails the new file is in place
  // but not sure to stay there.
  return synced_directory(directory) ? AtomicWrite::done : AtomicWrite::not_synced;
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
  const std::string reason = write_errno ? std::string(" (") + std::strerror(write_errno) + ")" : std::string();
  switch (result) {
    case AtomicWrite::done:
      return std::string();
    case AtomicWrite::not_renamed:
      return "ERROR: system command failed! Can't rename file!";
    case AtomicWrite::not_regular:
      return "ERROR: Can't write file: " + path + " (not a regular file)";
    case AtomicWrite::read_only:
      return "ERROR: Can't write file: " + path + " (read-only)";
    case AtomicWrite::not_written:
      return "ERROR: Can't write file: " + path + reason;
    case AtomicWrite::not_synced:
      return "ERROR: Can't write file: " + path + reason + ": the new file is in place, but the disk may not keep it";
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
      make_warning("Error: Can't write file " + path +
                   (write_errno ? std::string(" (") + std::strerror(write_errno) + ")" : " (is the disk full?)"));
      break;
    case AtomicWrite::not_synced:
      make_warning(atomic_write_message(result, path));
      break;
    case AtomicWrite::not_renamed:
      make_warning("Error: Can't write file " + path +
                   (is_directory(path) ? std::string(" (it is a directory)")
                    : write_errno      ? std::string(" (") + std::strerror(write_errno) + ")"
                                       : std::string()));
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
