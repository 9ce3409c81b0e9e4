#include "molecule/memory_budget.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
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

// The number alone on the first line of a file (white space around it
// allowed); unlimited when the file is absent or holds anything else ("max"
// in a cgroup file, a sign, words).
size_t number_in(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "r");
  if (!f) return unlimited;
  char line[64];
  const bool read = std::fgets(line, sizeof line, f) != nullptr;
  std::fclose(f);
  if (!read) return unlimited;
  const char* p = line;
  while (*p == ' ' || *p == '\t') ++p;
  if (!std::isdigit(static_cast<unsigned char>(*p))) return unlimited;
  errno = 0;
  char* end = nullptr;
  const unsigned long long v = std::strtoull(p, &end, 10);
  while (*end == ' ' || *end == '\t' || *end == '\n' || *end == '\r') ++end;
  if (errno == ERANGE || *end != '\0' || v >= unlimited) return unlimited;
  return static_cast<size_t>(v);
}

// The page cache a control group may drop at once (its inactive files):
// its usage counts them, yet they are not taken. 0 when unknown.
size_t reclaimable_in(const std::string& stat_path, const char* key) {
  FILE* f = std::fopen(stat_path.c_str(), "r");
  if (!f) return 0;
  char line[256];
  size_t found = 0;
  const size_t key_length = std::strlen(key);
  while (std::fgets(line, sizeof line, f)) {
    if (std::strncmp(line, key, key_length) != 0 || line[key_length] != ' ') continue;
    const char* p = line + key_length + 1;
    if (!std::isdigit(static_cast<unsigned char>(*p))) continue;
    errno = 0;
    const unsigned long long v = std::strtoull(p, nullptr, 10);
    if (errno != ERANGE && v < unlimited) found = static_cast<size_t>(v);
  }
  std::fclose(f);
  return found;
}

// Bytes still free under the limit in `limit_file` when the group's usage
// (`usage_file`, less the page cache it may drop) is taken; unlimited without
// a limit. A usage that can't be read counts as none.
size_t group_headroom(const std::string& limit_file, const std::string& usage_file, const std::string& stat_file,
                      const char* cache_key) {
  const size_t limit = number_in(limit_file);
  if (limit == unlimited) return unlimited;
  const size_t used = number_in(usage_file);
  if (used == unlimited) return limit;
  return headroom(limit, used - std::min(used, reclaimable_in(stat_file, cache_key)));
}

// The folder below `root` of the process's unified (version 2) control
// group as `membership` names it ("0::/PATH"); empty for the root itself
// (inside a container the group is the root of its namespace) or when the
// file names none.
std::string cgroup2_path(const std::string& membership) {
  FILE* f = std::fopen(membership.c_str(), "r");
  if (!f) return "";
  char line[4096];
  std::string rel;
  while (std::fgets(line, sizeof line, f)) {
    if (std::strncmp(line, "0::/", 4) != 0) continue;
    rel = line + 4;
    while (!rel.empty() && (rel.back() == '\n' || rel.back() == '\r' || rel.back() == '/')) rel.pop_back();
    break;
  }
  std::fclose(f);
  return rel.find("..") == std::string::npos ? rel : "";
}

}  // namespace

size_t cgroup_memory_headroom(const std::string& root, const std::string& membership) {
  // Version 2: the group and each group above it may set a limit; the
  // tightest one holds.
  size_t v2 = unlimited;
  std::string rel = cgroup2_path(membership);
  for (;;) {
    const std::string dir = rel.empty() ? root : root + "/" + rel;
    v2 = std::min(v2,
                  group_headroom(dir + "/memory.max", dir + "/memory.current", dir + "/memory.stat", "inactive_file"));
    if (rel.empty()) break;
    const size_t slash = rel.rfind('/');
    rel.resize(slash == std::string::npos ? 0 : slash);
  }
  if (v2 != unlimited) return v2;
  // Version 1 writes "no limit" as a number near the largest one.
  const std::string v1 = root + "/memory/";
  if (number_in(v1 + "memory.limit_in_bytes") >= (size_t{1} << 60)) return unlimited;
  return group_headroom(v1 + "memory.limit_in_bytes", v1 + "memory.usage_in_bytes", v1 + "memory.stat",
                        "total_inactive_file");
}

namespace {

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
  size_t budget = std::min(system_available(), cgroup_memory_headroom("/sys/fs/cgroup", "/proc/self/cgroup"));
  if (const size_t as = rlimit_of(RLIMIT_AS); as != unlimited)
    budget = std::min(budget, headroom(as, used.address_space));
  if (const size_t data = rlimit_of(RLIMIT_DATA); data != unlimited)
    budget = std::min(budget, headroom(data, used.data));
  if (const size_t user = user_limit(); user != unlimited) budget = std::min(budget, headroom(user, used.resident));
  return budget;
}

bool fits_in_memory(size_t bytes) { return bytes <= memory_budget(); }

bool run_within_memory(const std::function<void()>& work, std::string_view failure) {
  try {
    work();
    return true;
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  try {
    make_warning(std::string(failure));
  } catch (const std::exception&) {
    // No memory left even for the message: standard error needs none.
    std::fprintf(stderr, "%.*s\n", static_cast<int>(failure.size()), failure.data());
  }
  return false;
}
