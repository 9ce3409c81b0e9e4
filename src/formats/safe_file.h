// Writing a whole file without ever leaving a half-written one behind, and
// small questions about files.
#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <string>

// An open stream that closes itself.
using file_ptr = std::unique_ptr<FILE, int (*)(FILE*)>;
// `path` opened in `mode` (as fopen), or a null holder when it can't be.
file_ptr open_file_ptr(const std::string& path, const char* mode);

// How an atomic write ended.
enum class AtomicWrite { done, not_created, not_written, not_renamed };

// Creates a temporary file in the directory of `path` with the permissions a
// new file would get, lets `write` stream the content into it (false from
// `write` means it failed), checks every write and the close, then renames it
// over `path`. On any failure the temporary file is removed and `path` is
// untouched.
AtomicWrite write_file_atomically(const std::string& path, const std::function<bool(FILE*)>& write);
// Copies the file `from` to `to` through a temporary file beside `to`; true
// when it was copied.
bool copy_file_atomically(const std::string& from, const std::string& to);
// The same for content held in memory; true when it was written.
bool write_file_atomically(const std::string& path, const std::string& content);

// Bytes from the current position of `file` to its end (0 when unknown).
long long bytes_left(FILE* file);

// Tells the user how an atomic write of a picture or scene to `path` ended:
// nothing when it was done; `cannot_create` when no file could be created;
// that the file could not be written otherwise (a full disk, a directory in
// the way). True when it was done.
bool report_atomic_write(AtomicWrite result, const std::string& path, const std::string& cannot_create);

// True when `path` can be opened for reading.
bool file_is_readable(const std::string& path);
// True when `path` is a directory.
bool is_directory(const std::string& path);
