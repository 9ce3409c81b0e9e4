// Memory for the program's few large arrays (grid values, text read in
// pieces, isosurface vertices): blocks of a few megabytes and more are
// mapped on their own and marked for the kernel's huge pages, so that
// filling a 64 MB grid costs tens of page faults instead of sixteen
// thousand. Smaller blocks come from the ordinary heap.
#pragma once

#include <cstddef>
#include <new>
#include <vector>

// Allocates `bytes` (at least one); throws std::bad_alloc when the system
// has no memory for it.
void* allocate_large_block(size_t bytes);
void free_large_block(void* block, size_t bytes);

template <typename T>
struct large_block_allocator {
  using value_type = T;
  large_block_allocator() = default;
  template <typename U>
  large_block_allocator(const large_block_allocator<U>&) noexcept {}
  T* allocate(size_t n) {
    if (n > static_cast<size_t>(-1) / sizeof(T)) throw std::bad_alloc();
    return static_cast<T*>(allocate_large_block(n * sizeof(T)));
  }
  void deallocate(T* p, size_t n) noexcept { free_large_block(p, n * sizeof(T)); }
  template <typename U>
  bool operator==(const large_block_allocator<U>&) const noexcept {
    return true;
  }
  template <typename U>
  bool operator!=(const large_block_allocator<U>&) const noexcept {
    return false;
  }
};

// The values of one grid, and other arrays of one number per lattice point.
using grid_values_t = std::vector<double, large_block_allocator<double>>;
