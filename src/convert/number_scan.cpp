// Number reading for large text files.
//
// A stream is read in pieces of a few megabytes cut at the last white space;
// each piece is split into as many parts as there are threads, the parts
// parsed at once into their own lists and joined in order.
#include "convert/number_scan.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <thread>

namespace {

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

}  // namespace

bool NumberStream::fill() {
  if (eof_) return false;
  // The unparsed rest (the end of a cut word) moves to the front and the
  // buffer is filled behind it. It grows only when a rest takes more than
  // half of it: one word longer than a piece.
  const size_t rest = size_ - pos_;
  if (buffer_.empty() || rest > buffer_.size() / 2) {
    std::vector<char, large_block_allocator<char>> bigger(std::max(2 * rest, piece_ + piece_ / 8 + 64));
    if (rest > 0) std::memcpy(bigger.data(), buffer_.data() + pos_, rest);
    buffer_.swap(bigger);
  } else if (rest > 0) {
    std::memmove(buffer_.data(), buffer_.data() + pos_, rest);
  }
  pos_ = 0;
  size_ = rest;
  const size_t want = buffer_.size() - size_;
  const size_t got = std::fread(buffer_.data() + size_, 1, want, file_);
  size_ += got;
  if (got < want) eof_ = true;
  return got > 0;
}

namespace {

// Parses [begin, end) (which starts and ends at word boundaries) into `out`;
// the first bad word, if any, into `bad`.
void parse_part(const char* begin, const char* end, grid_values_t& out, std::string& bad) {
  for (const char* p = begin;;) {
    while (p < end && is_space(*p)) ++p;
    if (p >= end) return;
    double v;
    const char* q = scan_double(p, end, v);
    if (q == p || (q < end && !is_space(*q)) || !std::isfinite(v)) {
      const char* w = p;
      while (w < end && !is_space(*w) && w - p < 40) ++w;
      bad.assign(p, w);
      return;
    }
    out.push_back(v);
    p = q;
  }
}

}  // namespace

size_t NumberStream::next_run(grid_values_t& out) {
  // A piece may hold white space only: go on to the next until numbers come
  // or the stream ends.
  for (;;) {
    const size_t added = next_piece(out);
    if (added > 0 || !error_.empty() || (eof_ && pos_ >= size_)) return added;
  }
}

size_t NumberStream::next_piece(grid_values_t& out) {
  if (!error_.empty()) return 0;
  // A piece whose end is a word boundary: the last white space, or the end
  // of the stream.
  size_t end = std::string::npos;
  for (;;) {
    if (pos_ < size_) {
      const size_t ws =
          eof_ ? std::string_view::npos : std::string_view(buffer_.data(), size_).find_last_of(" \t\r\n\f\v");
      if (eof_ || (ws != std::string_view::npos && ws > pos_)) {
        end = eof_ ? size_ : ws;
        break;
      }
    }
    if (!fill() && pos_ >= size_) return 0;
  }
  const unsigned threads = std::max(1u, std::min(std::thread::hardware_concurrency(), 8u));
  const size_t length = end - pos_;
  const unsigned parts = length < (1u << 20) ? 1 : threads;
  const char* base = buffer_.data();
  std::vector<const char*> cuts(parts + 1);
  cuts[0] = base + pos_;
  cuts[parts] = base + end;
  for (unsigned k = 1; k < parts; ++k) {
    const char* c = std::max(cuts[k - 1], base + pos_ + length * k / parts);
    while (c < base + end && !is_space(*c)) ++c;
    cuts[k] = c;
  }
  // The lists keep their memory from piece to piece: fresh ones would be
  // faulted in again for every piece.
  std::vector<grid_values_t>& lists = lists_;
  lists.resize(std::max<size_t>(lists.size(), parts));
  for (grid_values_t& l : lists) l.clear();
  std::vector<std::string> bad(parts);
  std::vector<std::thread> workers;
  for (unsigned k = 1; k < parts; ++k)
    workers.emplace_back([&, k] { parse_part(cuts[k], cuts[k + 1], lists[k], bad[k]); });
  parse_part(cuts[0], cuts[1], lists[0], bad[0]);
  for (std::thread& t : workers) t.join();
  pos_ = end;
  size_t added = 0;
  for (unsigned k = 0; k < parts; ++k) {
    out.insert(out.end(), lists[k].begin(), lists[k].end());
    added += lists[k].size();
    if (!bad[k].empty()) {
      error_ = "'" + bad[k] + "' is not a number";
      break;
    }
  }
  return added;
}
