#include "molecule/large_blocks.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>

namespace {

constexpr size_t huge_page = size_t{2} << 20;

// Under AddressSanitizer every block comes from the heap, where overruns
// are caught; a mapping of its own has no guard zones.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool map_large_blocks = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool map_large_blocks = false;
#else
constexpr bool map_large_blocks = true;
#endif
#else
constexpr bool map_large_blocks = true;
#endif

bool is_mapped(size_t bytes) { return map_large_blocks && bytes >= huge_page; }

size_t mapped_size(size_t bytes) { return (bytes + huge_page - 1) / huge_page * huge_page; }

}  // namespace

void* allocate_large_block(size_t bytes) {
  if (bytes == 0) bytes = 1;
  if (!is_mapped(bytes)) return ::operator new(bytes);
  // Map one huge page more than needed and give back the ends, so that the
  // block starts on a huge-page boundary.
  const size_t size = mapped_size(bytes);
  if (size < bytes || size + huge_page < size) throw std::bad_alloc();
  void* raw = mmap(nullptr, size + huge_page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) throw std::bad_alloc();
  const uintptr_t start = reinterpret_cast<uintptr_t>(raw);
  const uintptr_t aligned = (start + huge_page - 1) / huge_page * huge_page;
  if (aligned > start) munmap(raw, aligned - start);
  const size_t tail = huge_page - (aligned - start);
  if (tail > 0) munmap(reinterpret_cast<void*>(aligned + size), tail);
  void* block = reinterpret_cast<void*>(aligned);
  madvise(block, size, MADV_HUGEPAGE);  // a hint: without huge pages the block works as well
  return block;
}

void free_large_block(void* block, size_t bytes) {
  if (!block) return;
  if (bytes == 0) bytes = 1;
  if (!is_mapped(bytes)) {
    ::operator delete(block);
    return;
  }
  munmap(block, mapped_size(bytes));
}
