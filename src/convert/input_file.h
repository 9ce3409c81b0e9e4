// A converter's input as one stream of text, whether the file is plain or
// compressed (".gz", ".bz2", ".xz": told by the name, checked against the
// data): a FILE* that yields the decompressed bytes, so that every reader
// reads both alike and a streaming reader stays streaming. A compressed
// file is decompressed as it is read, in pieces; going back to an earlier
// position decompresses again from the start.
#pragma once

#include <cstdio>
#include <istream>
#include <memory>
#include <streambuf>
#include <string>
#include <vector>

class InputFile {
 public:
  InputFile();
  ~InputFile();
  InputFile(InputFile&&) noexcept;
  InputFile& operator=(InputFile&&) noexcept;

  // Opens `path`: false with `error` set (the path not in it) when it
  // can't be opened, or does not start as its compression suffix says.
  bool open(const std::string& path, std::string& error);
  FILE* get() const;
  bool compressed() const;
  // Bytes left from the current position when the file's size tells
  // (plain files); -1 for a decompressed stream, whose length is known only
  // at its end.
  long long bytes_left() const;
  // Why the text ended early (damaged or truncated data, a read error); ""
  // when it did not.
  const std::string& error() const;
  // For a reader that failed: reads on to the end of a compressed stream,
  // whose damage shows only when the decoder reaches it, and returns why
  // the text is damaged ("" when it is whole, and for a plain file).
  const std::string& damage();

  struct state_t;

 private:
  std::unique_ptr<state_t> state_;
};

// A standard input stream over an InputFile (for libraries that read
// std::istream): buffered, seekable as the FILE* is.
class InputFileBuffer : public std::streambuf {
 public:
  explicit InputFileBuffer(FILE* file) : file_(file), buffer_(1 << 16) {}

 protected:
  int_type underflow() override;
  pos_type seekoff(off_type offset, std::ios_base::seekdir dir, std::ios_base::openmode) override;
  pos_type seekpos(pos_type position, std::ios_base::openmode mode) override;

 private:
  FILE* file_;
  std::vector<char> buffer_;
};
