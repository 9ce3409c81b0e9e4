#include "molecule/memory_budget.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>

#include "molecule/notify.h"

namespace {

constexpr size_t unlimited = static_cast<size_t>(-1);

// Bytes still free under `limit` when `used` are taken.
size_t headroom(size_t limit, size_t used) { return limit > used ? limit - used : 0; }

// The system's estimate of the memory available to new allocations; a
// quarter is left for the rest of the system and the program's own needs.
size_t system_available() {
  FILE* f = std::fopen("/proc/meminfo", "r");
  if (!f) return unlimited;
  char line[256];
  size_t kb = 0;
  bool found = false;
  while (!found && std::fgets(line, sizeof line, f)) found = std::sscanf(line, "MemAvailable: %zu kB", &kb) == 1;
  std::fclose(f);
  return found ? kb / 4 * 3 * 1024 : unlimited;
}

// A number read from the first line of a file; unlimited when the file or
// the number is absent ("max" in a cgroup file).
size_t number_in(const char* path) {
  FILE* f = std::fopen(path, "r");
  if (!f) return unlimited;
  unsigned long long v = 0;
  const bool read = std::fscanf(f, "%llu", &v) == 1;
  std::fclose(f);
  return read && v < unlimited ? static_cast<size_t>(v) : unlimited;
}

// The page cache a control group may drop at once (its inactive files):
// its usage counts them, yet they are not taken.
size_t reclaimable_in(const char* stat_path, const char* key) {
  FILE* f = std::fopen(stat_path, "r");
  if (!f) return 0;
  char name[64];
  unsigned long long v = 0, found = 0;
  while (std::fscanf(f, "%63s %llu", name, &v) == 2)
    if (std::strcmp(name, key) == 0) found = v;
  std::fclose(f);
  return static_cast<size_t>(found);
}

// The unified (version 2) control group directory of the process: its own
// folder when /proc/self/cgroup names one below the mount, else the mount
// itself (inside a container the group is the root of its namespace).
std::string cgroup2_dir() {
  const std::string root = "/sys/fs/cgroup";
  FILE* f = std::fopen("/proc/self/cgroup", "r");
  if (!f) return root;
  char line[4096];
  std::string dir = root;
  while (std::fgets(line, sizeof line, f)) {
    if (std::strncmp(line, "0::/", 4) != 0) continue;
    std::string rel(line + 4);
    while (!rel.empty() && (rel.back() == '\n' || rel.back() == '\r')) rel.pop_back();
    if (!rel.empty() && rel.find("..") == std::string::npos) dir = root + "/" + rel;
    break;
  }
  std::fclose(f);
  if (FILE* probe = std::fopen((dir + "/memory.max").c_str(), "r")) {
    std::fclose(probe);
    return dir;
  }
  return root;
}

// What the memory controller of the process's control group (a container,
// a batch job) still allows; unlimited without one.
size_t cgroup_headroom() {
  const std::string dir = cgroup2_dir();
  const size_t v2 = number_in((dir + "/memory.max").c_str());
  if (v2 != unlimited) {
    const size_t used = number_in((dir + "/memory.current").c_str());
    const size_t cache = reclaimable_in((dir + "/memory.stat").c_str(), "inactive_file");
    return headroom(v2, used == unlimited ? 0 : used - std::min(used, cache));
  }
  // Version 1 writes "no limit" as a number near the largest one.
  const size_t v1 = number_in("/sys/fs/cgroup/memory/memory.limit_in_bytes");
  if (v1 == unlimited || v1 >= (size_t{1} << 60)) return unlimited;
  const size_t used = number_in("/sys/fs/cgroup/memory/memory.usage_in_bytes");
  const size_t cache = reclaimable_in("/sys/fs/cgroup/memory/memory.stat", "total_inactive_file");
  return headroom(v1, used == unlimited ? 0 : used - std::min(used, cache));
}

// The process's sizes in bytes: address space, resident set and data.
struct process_sizes_t {
  size_t address_space = 0, resident = 0, data = 0;
};

process_sizes_t process_sizes() {
  process_sizes_t s;
  FILE* f = std::fopen("/proc/self/statm", "r");
  if (!f) return s;
  size_t pages[7] = {};
  const int n = std::fscanf(f, "%zu %zu %zu %zu %zu %zu %zu", &pages[0], &pages[1], &pages[2], &pages[3], &pages[4],
                            &pages[5], &pages[6]);
  std::fclose(f);
  const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  if (n >= 6) s = {pages[0] * page, pages[1] * page, pages[5] * page};
  return s;
}

size_t rlimit_of(int resource) {
  struct rlimit r;
  if (getrlimit(resource, &r) != 0 || r.rlim_cur == RLIM_INFINITY) return unlimited;
  return static_cast<size_t>(r.rlim_cur);
}

// MIVOR_MEMORY_LIMIT in bytes, or unlimited when unset or unreadable.
size_t user_limit() {
  const char* text = std::getenv("MIVOR_MEMORY_LIMIT");
  if (!text || !*text) return unlimited;
  char* end = nullptr;
  const double v = std::strtod(text, &end);
  if (end == text || !(v > 0)) return unlimited;
  double scale = 1;
  switch (*end) {
    case 'k':
    case 'K':
      scale = 1024.0;
      break;
    case 'm':
    case 'M':
      scale = 1024.0 * 1024;
      break;
    case 'g':
    case 'G':
      scale = 1024.0 * 1024 * 1024;
      break;
    default:
      break;
  }
  const double bytes = v * scale;
  return bytes >= static_cast<double>(unlimited) ? unlimited : static_cast<size_t>(bytes);
}

}  // namespace

size_t memory_budget() {
  const process_sizes_t used = process_sizes();
  size_t budget = std::min(system_available(), cgroup_headroom());
  if (const size_t as = rlimit_of(RLIMIT_AS); as != unlimited)
    budget = std::min(budget, headroom(as, used.address_space));
  if (const size_t data = rlimit_of(RLIMIT_DATA); data != unlimited)
    budget = std::min(budget, headroom(data, used.data));
  if (const size_t user = user_limit(); user != unlimited) budget = std::min(budget, headroom(user, used.resident));
  return budget;
}

bool fits_in_memory(size_t bytes) { return bytes <= memory_budget(); }

bool run_within_memory(const std::function<void()>& work, const std::string& failure) {
  try {
    work();
    return true;
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  make_warning(failure);
  return false;
}
