// A compressed file is a stream made with fopencookie: its read function
// runs the decoder on pieces of the file until the caller's buffer is full
// or the text ends; several compressed streams one after another (as
// parallel compressors write them) read as one text. The text ends early,
// with the reason kept, when the data is damaged, when the file ends inside
// a stream (truncated) or when it can't be read. Seeking is going on by
// decoding and dropping, or back to the start and on from there.
#include "convert/input_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "convert/decompressor.h"
#include "formats/file_types.h"
#include "formats/safe_file.h"

namespace {

constexpr size_t compressed_piece = 1 << 16;

}  // namespace

struct InputFile::state_t {
  compression_t kind = compression_t::none;
  file_ptr source{nullptr, std::fclose};  // the file itself
  FILE* stream = nullptr;                 // the text: `source`, or the decompressing stream
  std::unique_ptr<Decompressor> decoder;
  std::vector<unsigned char> in_buffer;
  const unsigned char* in = nullptr;  // compressed bytes not used yet
  size_t in_size = 0;
  bool source_ended = false;
  bool between_streams = true;  // a stream ended (or none started): the next one starts here
  bool finished = false;
  long long position = 0;  // bytes of text handed out
  std::string error;

  ~state_t() {
    if (stream && stream != source.get()) std::fclose(stream);
  }

  void fill() {
    const size_t got = std::fread(in_buffer.data(), 1, in_buffer.size(), source.get());
    in = in_buffer.data();
    in_size = got;
    if (got > 0) return;
    source_ended = true;
    if (std::ferror(source.get())) error = std::string("can't be read (") + std::strerror(errno) + ")";
  }

  // Decodes into `out` until it is full or the text ends; the bytes made.
  size_t decode(unsigned char* out, size_t room) {
    const size_t wanted = room;
    while (room > 0 && !finished && error.empty()) {
      if (in_size == 0 && !source_ended) fill();
      if (!error.empty()) break;
      if (between_streams) {
        if (in_size == 0 && source_ended) {
          finished = true;
          break;
        }
        if (!decoder->restart(error)) break;
        between_streams = false;
      }
      const size_t in_before = in_size, room_before = room;
      const Decompressor::step_t r = decoder->step(in, in_size, out, room, error);
      if (r == Decompressor::step_t::failed) break;
      if (r == Decompressor::step_t::stream_end) {
        between_streams = true;
      } else if (in_before == in_size && room_before == room && (in_size > 0 || source_ended)) {
        error = in_size > 0 ? std::string("the ") + compression_name(kind) + " data is damaged"
                            : std::string("the ") + compression_name(kind) +
                                  " data ends before its end mark: the file is truncated";
      }
    }
    position += static_cast<long long>(wanted - room);
    return wanted - room;
  }

  // Back to the start of the file and of the text.
  bool restart() {
    if (std::fseek(source.get(), 0, SEEK_SET) != 0) return false;
    std::clearerr(source.get());
    in_size = 0;
    source_ended = false;
    between_streams = true;
    finished = false;
    position = 0;
    error.clear();
    return true;
  }

  // To `target` bytes of text: on from here, or again from the start.
  bool seek_to(long long target) {
    if (target < position && !restart()) return false;
    std::vector<unsigned char> dropped(std::min<long long>(target - position, compressed_piece));
    while (position < target) {
      const size_t n = std::min<size_t>(dropped.size(), static_cast<size_t>(target - position));
      if (decode(dropped.data(), n) < n) return false;
    }
    return true;
  }
};

namespace {

ssize_t read_text(void* cookie, char* buffer, size_t size) {
  InputFile::state_t& s = *static_cast<InputFile::state_t*>(cookie);
  const size_t made = s.decode(reinterpret_cast<unsigned char*>(buffer), size);
  if (made > 0 || s.error.empty()) return static_cast<ssize_t>(made);
  return -1;
}

int seek_text(void* cookie, off64_t* offset, int whence) {
  InputFile::state_t& s = *static_cast<InputFile::state_t*>(cookie);
  long long target;
  if (whence == SEEK_SET) {
    target = *offset;
  } else if (whence == SEEK_CUR) {
    target = s.position + *offset;
  } else {
    return -1;  // the end is known only once it is reached
  }
  if (target < 0 || !s.seek_to(target)) return -1;
  *offset = s.position;
  return 0;
}

}  // namespace

InputFile::InputFile() = default;
InputFile::~InputFile() = default;
InputFile::InputFile(InputFile&&) noexcept = default;
InputFile& InputFile::operator=(InputFile&&) noexcept = default;

bool InputFile::open(const std::string& path, std::string& error) {
  auto s = std::make_unique<state_t>();
  bool not_regular = false;
  s->source = open_file_ptr(path, "rb", &not_regular);
  if (!s->source) {
    error = not_regular ? "is not a regular file" : "can't be opened";
    return false;
  }
  s->kind = compression_of_name(path);
  if (s->kind == compression_t::none) {
    s->stream = s->source.get();
    state_ = std::move(s);
    return true;
  }
  s->in_buffer.resize(compressed_piece);
  s->fill();
  if (!s->error.empty() || !has_magic(s->kind, s->in, s->in_size)) {
    error = s->error.empty() ? std::string("is not ") + compression_name(s->kind) +
                                   " data, although its name ends in " + compression_suffix(path)
                             : s->error;
    return false;
  }
  s->decoder = make_decompressor(s->kind);
  s->stream = fopencookie(s.get(), "rb", cookie_io_functions_t{read_text, nullptr, seek_text, nullptr});
  if (!s->stream) {
    error = "can't be read";
    return false;
  }
  state_ = std::move(s);
  return true;
}

FILE* InputFile::get() const { return state_ ? state_->stream : nullptr; }

bool InputFile::compressed() const { return state_ && state_->kind != compression_t::none; }

long long InputFile::bytes_left() const {
  if (!state_) return 0;
  return compressed() ? -1 : ::bytes_left(state_->stream);
}

const std::string& InputFile::error() const {
  static const std::string none;
  return state_ ? state_->error : none;
}

const std::string& InputFile::damage() {
  if (compressed()) {
    std::vector<unsigned char> dropped(compressed_piece);
    while (state_->error.empty() && state_->decode(dropped.data(), dropped.size()) > 0) {
    }
  }
  return error();
}

InputFileBuffer::int_type InputFileBuffer::underflow() {
  if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
  const size_t got = std::fread(buffer_.data(), 1, buffer_.size(), file_);
  if (got == 0) return traits_type::eof();
  setg(buffer_.data(), buffer_.data(), buffer_.data() + got);
  return traits_type::to_int_type(*gptr());
}

InputFileBuffer::pos_type InputFileBuffer::seekoff(off_type offset, std::ios_base::seekdir dir,
                                                   std::ios_base::openmode) {
  const off_t here = ftello(file_);
  if (here < 0 || dir == std::ios_base::end) return pos_type(off_type(-1));
  // The buffer holds what the stream has read past the reader's position.
  const off_type at = here - (egptr() - gptr());
  const off_type target = dir == std::ios_base::beg ? offset : at + offset;
  if (target == at) return pos_type(at);
  if (target < 0 || fseeko(file_, target, SEEK_SET) != 0) return pos_type(off_type(-1));
  setg(buffer_.data(), buffer_.data(), buffer_.data());
  return pos_type(target);
}

InputFileBuffer::pos_type InputFileBuffer::seekpos(pos_type position, std::ios_base::openmode mode) {
  return seekoff(off_type(position), std::ios_base::beg, mode);
}
