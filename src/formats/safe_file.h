// Opening files without ever blocking on a device or a pipe, and writing a
// whole file without ever leaving a half-written one behind or replacing
// something that is not a writable regular file.
#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <string>

// An open stream that closes itself.
using file_ptr = std::unique_ptr<FILE, int (*)(FILE*)>;
// `path` opened in `mode` (as fopen), or a null holder when it can't be.
// Only regular files are opened: a directory, a device or a pipe is refused
// without waiting for it (then `not_regular`, when given, is set).
file_ptr open_file_ptr(const std::string& path, const char* mode, bool* not_regular = nullptr);

// How an atomic write ended. `not_synced`: the new file replaced the target
// but the directory could not be synced (a power cut may bring the old file
// back).
enum class AtomicWrite { done, not_created, not_written, not_renamed, not_regular, read_only, not_synced };

// Writes the file that `path` names: the file itself, or the file its
// symbolic links lead to (the links stay). A target that exists must be a
// regular file that may be written; it keeps its permissions. A new file in
// the target's directory receives the content from `write` (false from
// `write` means it failed); every write, the flush, the close and the sync
// to the disk are checked; then it is renamed over the target and the
// directory is synced. On any failure before the rename the new file is
// removed and the target is untouched, byte for byte. A process killed
// while writing leaves the target as it was (and, where the file system
// can't make files without a name, a hidden ".mivor-XXXXXX" beside it).
AtomicWrite write_file_atomically(const std::string& path, const std::function<bool(FILE*)>& write);
// The same for content held in memory.
AtomicWrite write_text_atomically(const std::string& path, const std::string& content);
// Copies the file `from` to `to` through a temporary file beside `to`; true
// when it was copied.
bool copy_file_atomically(const std::string& from, const std::string& to);
// The same for content held in memory; true when it was written.
bool write_file_atomically(const std::string& path, const std::string& content);
// The message for a write of `path` that ended in `result` (empty when
// done), with the system's reason where a call failed.
std::string atomic_write_message(AtomicWrite result, const std::string& path);
// The errno of the call that made the last atomic write fail (0: none).
int last_write_errno();
// A stream that writes to `fd` with write(2) calls of its own, each of up
// to `buffer` bytes and checked (a failure sets the stream's error and
// last_write_errno); closing the stream leaves fd open. Null when it can't
// be made.
file_ptr stream_writing_fd(int fd, size_t buffer = 1 << 20);
// Whether atomic writes sync the new file and its directory to the disk
// (on unless a benchmark compares).
void sync_written_files(bool on);

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
// True when `path` exists (following symbolic links) and is not a regular
// file: reading it could block or never end.
bool exists_but_not_regular(const std::string& path);

// From now on, a SIGTERM, SIGINT or SIGHUP that ends the program while
// write_file_atomically writes removes its temporary file first.
void remove_temporary_file_on_termination();
