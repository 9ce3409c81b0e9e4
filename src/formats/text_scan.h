// Text held in memory and read line by line and word by word: the lines
// with their numbers for messages, trimmed and split words, and numbers
// read from words (correctly rounded, Fortran's "D" exponent accepted).
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Reads a real at p (leading blanks, tabs and line ends skipped; Fortran's
// "D" exponent accepted) up to `end`. Returns the first character not used,
// or p when no number starts there. Correctly rounded, as strtod would
// give; NaN and infinities read as such.
const char* scan_double(const char* p, const char* end, double& out);
// The same for an integer (no fraction, no exponent), clamped to the long
// long range.
const char* scan_long(const char* p, const char* end, long long& out);

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
