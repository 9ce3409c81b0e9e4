// How much memory the program may still take, so that the few allocations
// whose size a file decides (grid values, isosurfaces) are planned before
// they are made: what the system has available, within the limits of the
// process and of its control group, and the limit the user may set in
// MIVOR_MEMORY_LIMIT (bytes, or with a K, M or G suffix).
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// Bytes that may still be allocated now.
size_t memory_budget();
// Whether `bytes` more fit in the budget.
bool fits_in_memory(size_t bytes);

// What the memory controller of the process's control group (a container,
// a batch job) still allows, from the control-group files under `root`
// (normally /sys/fs/cgroup) for the group that `membership` (normally
// /proc/self/cgroup) names: version 2, the tightest limit of the group and
// the groups above it, else version 1 under root/memory. SIZE_MAX when no
// limit is set, or none can be read.
size_t cgroup_memory_headroom(const std::string& root, const std::string& membership);

// Runs `work`; when memory runs out in it (std::bad_alloc, or a container
// asked for more than it can hold), warns with `failure` and returns false
// instead of letting the failure end the program. What `work` built so far
// is the caller's to put right. Nothing escapes it when memory runs out:
// not even while the warning itself is made.
bool run_within_memory(const std::function<void()>& work, std::string_view failure);
