// The decoders of the compressed files the converters read: gzip (zlib),
// bzip2 (libbz2) and xz (liblzma), each behind one small interface that
// turns a run of compressed bytes into a run of text, one stream at a time.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

enum class compression_t { none, gzip, bzip2, xz };

// The compression the name's suffix says (".gz", ".bz2", ".xz").
compression_t compression_of_name(const std::string& name);
// Whether `head` (the first bytes of a file) starts as a stream of that
// compression does.
bool has_magic(compression_t kind, const unsigned char* head, size_t size);
// "gzip", "bzip2", "xz".
const char* compression_name(compression_t kind);

class Decompressor {
 public:
  enum class step_t { more, stream_end, failed };
  virtual ~Decompressor() = default;
  // Starts a new stream (the first, or the next of a file that holds
  // several one after another); false with `error` set when it can't.
  virtual bool restart(std::string& error) = 0;
  // Decodes from `in` (`in_size` bytes) into `out` (room for `out_size`),
  // moving both on by what was used and made. `failed` comes with `error`
  // set: the data is damaged or needs more memory than allowed.
  virtual step_t step(const unsigned char*& in, size_t& in_size, unsigned char*& out, size_t& out_size,
                      std::string& error) = 0;
};

// A decoder of `kind` (not `none`).
std::unique_ptr<Decompressor> make_decompressor(compression_t kind);
