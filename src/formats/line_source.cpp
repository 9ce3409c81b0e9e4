#include "formats/line_source.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <utility>

#include "formats/text_words.h"

line_source::line_source(FILE* file) : file_(file) {
  struct stat st;
  if (file_ && fstat(fileno(file_), &st) == 0) size_ = static_cast<int64_t>(st.st_size);
}

bool line_source::next(std::string& line) {
  if (has_back_) {
    has_back_ = false;
    line = std::move(back_);
    return true;
  }
  tell();
  if (!read_line_into(file_, line)) return false;
  position_ += static_cast<int64_t>(line.size());
  return true;
}

std::string line_source::next() {
  std::string line;
  next(line);
  return line;
}

void line_source::put_back(std::string line) {
  back_ = std::move(line);
  has_back_ = true;
}

int64_t line_source::tell() {
  if (position_ < 0) position_ = file_ ? static_cast<int64_t>(ftello(file_)) : 0;
  return position_ - (has_back_ ? static_cast<int64_t>(back_.size()) : 0);
}

void line_source::seek(int64_t position) {
  // Where reading stands already, a line put back stays: it starts here.
  if (position == tell()) return;
  has_back_ = false;
  position_ = -1;
  if (file_) fseeko(file_, static_cast<off_t>(position), SEEK_SET);
}

long long line_source::bytes_left() {
  const int64_t here = tell();
  return here < size_ ? static_cast<long long>(size_ - here) : 0;
}

FILE* line_source::raw() {
  if (has_back_) {
    // The system's position is past the line put back: go back to its start.
    const int64_t start = tell();
    has_back_ = false;
    if (file_) fseeko(file_, static_cast<off_t>(start), SEEK_SET);
  }
  position_ = -1;
  return file_;
}
