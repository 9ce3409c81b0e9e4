// A file read line by line that keeps count of its own position, so that
// the readers of large files ask the system for the data and nothing else:
// positions are counted, a line can be put back, and a jump reaches the
// system only when it leaves the place where reading stands.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

class line_source {
 public:
  // Reads `file` from its current position; its size is taken once.
  explicit line_source(FILE* file);

  // The next line with its line feed (the one put back, if any); false at
  // the end of the file.
  bool next(std::string& line);
  std::string next();
  // The next call of `next` returns `line` again. One line at a time.
  void put_back(std::string line);

  // Byte position of the next line.
  int64_t tell();
  // Moves to byte `position` (beyond the end: every read ends at once).
  void seek(int64_t position);
  // Bytes from the position to the end of the file as it was when opened.
  long long bytes_left();

  // The stream for binary reads of one's own, at the position reading
  // stands; the position is asked of the system again afterwards.
  FILE* raw();

 private:
  FILE* file_;
  int64_t position_ = -1;  // -1: to be asked of the system
  int64_t size_ = 0;
  bool has_back_ = false;
  std::string back_;
};
