#include "formats/safe_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "molecule/notify.h"

namespace {

std::string directory_of(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

}  // namespace

file_ptr open_file_ptr(const std::string& path, const char* mode) {
  return file_ptr(std::fopen(path.c_str(), mode), std::fclose);
}

AtomicWrite write_file_atomically(const std::string& path, const std::function<bool(FILE*)>& write) {
  std::string tmpl = directory_of(path) + "/.mivor-XXXXXX";
  std::vector<char> name(tmpl.begin(), tmpl.end());
  name.push_back('\0');
  const int fd = mkstemp(name.data());
  if (fd < 0) return AtomicWrite::not_created;
  // Keep the permissions a freshly created file would have had.
  const mode_t mask = umask(0);
  umask(mask);
  FILE* f = fchmod(fd, 0666 & ~mask) == 0 ? fdopen(fd, "wb") : nullptr;
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
  if (std::rename(name.data(), path.c_str()) != 0) {
    unlink(name.data());
    return AtomicWrite::not_renamed;
  }
  return AtomicWrite::done;
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
  return write_file_atomically(path, [&content](FILE* f) {
           return std::fwrite(content.data(), 1, content.size(), f) == content.size();
         }) == AtomicWrite::done;
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
  }
  return false;
}

bool file_is_readable(const std::string& path) { return access(path.c_str(), R_OK) == 0; }

bool is_directory(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
