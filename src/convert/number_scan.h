// Fast reading of the numbers of text files: one number at a pointer, and
// long runs of numbers from a stream read in large pieces and parsed on
// several threads.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "formats/text_scan.h"
#include "molecule/large_blocks.h"


// The rest of a stream read as whitespace-separated finite numbers, handed
// on in order in runs, so that the text is never held whole.
class NumberStream {
 public:
  // `piece`: bytes read at a time.
  explicit NumberStream(FILE* file, size_t piece = 8u << 20) : file_(file), piece_(piece > 0 ? piece : 1) {}
  // Appends the numbers of the next piece of text to `out` and returns how
  // many (0 at the end of the stream). A word that is not a finite number
  // stops the stream with `error` set (the numbers before it are appended).
  size_t next_run(grid_values_t& out);
  const std::string& error() const { return error_; }

 private:
  bool fill();
  size_t next_piece(grid_values_t& out);
  FILE* file_;
  size_t piece_;
  std::vector<char, large_block_allocator<char>> buffer_;  // text read; [pos_, size_) is not parsed yet
  size_t pos_ = 0;
  size_t size_ = 0;
  bool eof_ = false;
  std::string error_;
  std::vector<grid_values_t> lists_;  // numbers of each part of a piece
};
