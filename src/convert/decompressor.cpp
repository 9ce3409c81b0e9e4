#include "convert/decompressor.h"

#include <bzlib.h>
#include <lzma.h>
#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "formats/file_types.h"

namespace {

// The most an xz stream may make its decoder allocate: files made with the
// strongest preset need 65 MiB; a header that asks for more is refused
// rather than believed.
constexpr uint64_t xz_memory_limit = 512ull << 20;

// The libraries count in unsigned int: a run is handed over in pieces of
// at most that.
unsigned int piece(size_t n) { return static_cast<unsigned int>(std::min<size_t>(n, UINT_MAX)); }

class GzipDecompressor : public Decompressor {
 public:
  ~GzipDecompressor() override {
    if (ready_) inflateEnd(&z_);
  }
  bool restart(std::string& error) override {
    // 15 + 16: the largest window, and a gzip header and trailer.
    const int r = ready_ ? inflateReset(&z_) : inflateInit2(&z_, 15 + 16);
    ready_ = ready_ || r == Z_OK;
    if (r != Z_OK) error = "the gzip decoder could not be started";
    return r == Z_OK;
  }
  step_t step(const unsigned char*& in, size_t& in_size, unsigned char*& out, size_t& out_size,
              std::string& error) override {
    z_.next_in = const_cast<unsigned char*>(in);
    z_.avail_in = piece(in_size);
    z_.next_out = out;
    z_.avail_out = piece(out_size);
    const unsigned int in_given = z_.avail_in, out_given = z_.avail_out;
    const int r = inflate(&z_, Z_NO_FLUSH);
    in += in_given - z_.avail_in;
    in_size -= in_given - z_.avail_in;
    out += out_given - z_.avail_out;
    out_size -= out_given - z_.avail_out;
    if (r == Z_STREAM_END) return step_t::stream_end;
    if (r == Z_OK || r == Z_BUF_ERROR) return step_t::more;
    error = r == Z_MEM_ERROR
                ? "not enough memory to decompress the file"
                : std::string("the gzip data is damaged") + (z_.msg ? std::string(" (") + z_.msg + ")" : "");
    return step_t::failed;
  }

 private:
  z_stream z_{};
  bool ready_ = false;
};

class Bzip2Decompressor : public Decompressor {
 public:
  ~Bzip2Decompressor() override {
    if (ready_) BZ2_bzDecompressEnd(&b_);
  }
  bool restart(std::string& error) override {
    if (ready_) BZ2_bzDecompressEnd(&b_);
    b_ = bz_stream{};
    ready_ = BZ2_bzDecompressInit(&b_, 0, 0) == BZ_OK;
    if (!ready_) error = "the bzip2 decoder could not be started";
    return ready_;
  }
  step_t step(const unsigned char*& in, size_t& in_size, unsigned char*& out, size_t& out_size,
              std::string& error) override {
    b_.next_in = reinterpret_cast<char*>(const_cast<unsigned char*>(in));
    b_.avail_in = piece(in_size);
    b_.next_out = reinterpret_cast<char*>(out);
    b_.avail_out = piece(out_size);
    const unsigned int in_given = b_.avail_in, out_given = b_.avail_out;
    const int r = BZ2_bzDecompress(&b_);
    in += in_given - b_.avail_in;
    in_size -= in_given - b_.avail_in;
    out += out_given - b_.avail_out;
    out_size -= out_given - b_.avail_out;
    if (r == BZ_STREAM_END) return step_t::stream_end;
    if (r == BZ_OK) return step_t::more;
    error = r == BZ_MEM_ERROR ? "not enough memory to decompress the file" : "the bzip2 data is damaged";
    return step_t::failed;
  }

 private:
  bz_stream b_{};
  bool ready_ = false;
};

class XzDecompressor : public Decompressor {
 public:
  ~XzDecompressor() override { lzma_end(&x_); }
  bool restart(std::string& error) override {
    lzma_end(&x_);
    x_ = LZMA_STREAM_INIT;
    if (lzma_stream_decoder(&x_, xz_memory_limit, 0) == LZMA_OK) return true;
    error = "the xz decoder could not be started";
    return false;
  }
  step_t step(const unsigned char*& in, size_t& in_size, unsigned char*& out, size_t& out_size,
              std::string& error) override {
    x_.next_in = in;
    x_.avail_in = in_size;
    x_.next_out = out;
    x_.avail_out = out_size;
    const lzma_ret r = lzma_code(&x_, LZMA_RUN);
    in = x_.next_in;
    in_size = x_.avail_in;
    out = x_.next_out;
    out_size = x_.avail_out;
    if (r == LZMA_STREAM_END) return step_t::stream_end;
    if (r == LZMA_OK || r == LZMA_BUF_ERROR) return step_t::more;
    error = r == LZMA_MEMLIMIT_ERROR ? "decompressing the xz data would take more than 512 MiB of memory"
            : r == LZMA_MEM_ERROR    ? "not enough memory to decompress the file"
                                     : "the xz data is damaged";
    return step_t::failed;
  }

 private:
  lzma_stream x_ = LZMA_STREAM_INIT;
};

}  // namespace

compression_t compression_of_name(const std::string& name) {
  const std::string suffix = compression_suffix(name);
  if (suffix == ".gz") return compression_t::gzip;
  if (suffix == ".bz2") return compression_t::bzip2;
  if (suffix == ".xz") return compression_t::xz;
  return compression_t::none;
}

bool has_magic(compression_t kind, const unsigned char* head, size_t size) {
  static const unsigned char gzip[] = {0x1f, 0x8b}, bzip2[] = {'B', 'Z', 'h'}, xz[] = {0xfd, '7', 'z', 'X', 'Z', 0x00};
  const auto starts = [&](const unsigned char* magic, size_t n) {
    return size >= n && std::memcmp(head, magic, n) == 0;
  };
  switch (kind) {
    case compression_t::gzip:
      return starts(gzip, sizeof gzip);
    case compression_t::bzip2:
      return starts(bzip2, sizeof bzip2);
    case compression_t::xz:
      return starts(xz, sizeof xz);
    case compression_t::none:
      break;
  }
  return true;
}

const char* compression_name(compression_t kind) {
  switch (kind) {
    case compression_t::gzip:
      return "gzip";
    case compression_t::bzip2:
      return "bzip2";
    case compression_t::xz:
      return "xz";
    case compression_t::none:
      break;
  }
  return "uncompressed";
}

std::unique_ptr<Decompressor> make_decompressor(compression_t kind) {
  switch (kind) {
    case compression_t::gzip:
      return std::make_unique<GzipDecompressor>();
    case compression_t::bzip2:
      return std::make_unique<Bzip2Decompressor>();
    case compression_t::xz:
      return std::make_unique<XzDecompressor>();
    case compression_t::none:
      break;
  }
  return nullptr;
}
