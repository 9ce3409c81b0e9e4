#include "formats/child_limits.h"

#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cstdlib>

long long time_limit_seconds(const char* name, long long default_seconds) {
  const char* text = std::getenv(name);
  if (!text || !*text) return default_seconds;
  char* end = nullptr;
  const long long v = std::strtoll(text, &end, 10);
  return *end == '\0' && v > 0 ? v : default_seconds;
}

std::string describe_seconds(long long seconds) {
  const struct {
    long long size;
    const char* name;
  } units[] = {{24 * 3600, "day"}, {3600, "hour"}, {60, "minute"}, {1, "second"}};
  for (const auto& u : units)
    if (seconds % u.size == 0) {
      const long long n = seconds / u.size;
      return std::to_string(n) + " " + u.name + (n == 1 ? "" : "s");
    }
  return std::to_string(seconds) + " seconds";
}

void end_with_parent(pid_t parent) {
  // An ignored SIGTERM would be inherited through exec.
  struct sigaction standard {};
  standard.sa_handler = SIG_DFL;
  sigemptyset(&standard.sa_mask);
  sigaction(SIGTERM, &standard, nullptr);
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  // The parent may have ended before the request took hold.
  if (getppid() != parent) _exit(127);
}
