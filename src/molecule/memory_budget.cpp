#include "molecule/memory_budget.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

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
  size_t budget = system_available();
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
