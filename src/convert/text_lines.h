// A text file held in memory and walked line by line, with the number of
// the current line for messages.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Reads the whole text of the file, decompressed when its name says it is
// compressed (see InputFile); false with `error` set ("PATH: why") when it
// can't be opened or read to its end.
bool read_whole_file(const std::string& path, std::string& out, std::string& error);

class LineCursor {
 public:
  explicit LineCursor(std::string_view text) : text_(text) {}
  // The next line without its line end; false at the end of the text.
  bool next(std::string_view& line);
  // Steps back over the line just read (once).
  void back() {
    pos_ = last_;
    --number_;
  }
  bool at_end() const { return pos_ >= text_.size(); }
  int number() const { return number_; }  // of the line read last, from 1
  size_t bytes_left() const { return pos_ < text_.size() ? text_.size() - pos_ : 0; }

 private:
  std::string_view text_;
  size_t pos_ = 0, last_ = 0;
  int number_ = 0;
};

// Helpers for lines: white space trimmed; the words; lower-case copy;
// whether a line starts with a text, ignoring case.
std::string_view trim(std::string_view s);
std::vector<std::string_view> split_words(std::string_view s);
std::string lower(std::string_view s);
bool starts_with_nocase(std::string_view s, std::string_view prefix);
// A whole word read as a finite real or an integer; false when it is not one.
bool word_to_double(std::string_view w, double& out);
bool word_to_long(std::string_view w, long long& out);
