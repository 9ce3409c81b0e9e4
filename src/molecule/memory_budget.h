// How much memory the program may still take, so that the few allocations
// whose size a file decides (grid values, isosurfaces) are planned before
// they are made: what the system has available, within the limits of the
// process and of its control group, and the limit the user may set in
// MIVOR_MEMORY_LIMIT (bytes, or with a K, M or G suffix).
#pragma once

#include <cstddef>
#include <functional>
#include <string>

// Bytes that may still be allocated now.
size_t memory_budget();
// Whether `bytes` more fit in the budget.
bool fits_in_memory(size_t bytes);

// Runs `work`; when memory runs out in it (std::bad_alloc, or a container
// asked for more than it can hold), warns with `failure` and returns false
// instead of letting the failure end the program. What `work` built so far
// is the caller's to put right.
bool run_within_memory(const std::function<void()>& work, const std::string& failure);
