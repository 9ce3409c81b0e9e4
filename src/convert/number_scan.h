// Fast reading of the numbers of text files: one number at a pointer, and
// long runs of numbers from a stream read in large pieces and parsed on
// several threads.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

// Reads a real at p (leading blanks, tabs and line ends skipped; Fortran's
// "D" exponent accepted) up to `end`. Returns the first character not used,
// or p when no number starts there. Decimal numbers of up to 19 significant
// digits with moderate exponents are converted exactly without the C
// library; others go through it. NaN and infinities read as such.
const char* scan_double(const char* p, const char* end, double& out);
// The same for an integer (no fraction, no exponent), clamped to the long
// long range.
const char* scan_long(const char* p, const char* end, long long& out);

// The rest of a stream read as whitespace-separated finite numbers, handed
// on in order in runs, so that the text is never held whole.
class NumberStream {
 public:
  // `piece`: bytes read at a time.
  explicit NumberStream(FILE* file, size_t piece = 8u << 20) : file_(file), piece_(piece > 0 ? piece : 1) {}
  // Appends the numbers of the next piece of text to `out` and returns how
  // many (0 at the end of the stream). A word that is not a finite number
  // stops the stream with `error` set (the numbers before it are appended).
  size_t next_run(std::vector<double>& out);
  const std::string& error() const { return error_; }

 private:
  bool fill();
  size_t next_piece(std::vector<double>& out);
  FILE* file_;
  size_t piece_;
  std::string text_;  // unparsed text; ends at a word boundary unless the stream ended
  size_t pos_ = 0;
  bool eof_ = false;
  std::string error_;
};
