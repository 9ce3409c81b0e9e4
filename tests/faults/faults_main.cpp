// The tests run with the fault library preloaded: started without it, the
// program starts itself again with it (and tells AddressSanitizer that a
// library comes before its own on purpose).
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  if (!dlsym(RTLD_DEFAULT, "mivor_fault_arm")) {
    if (std::getenv("MIVOR_FAULT_RESTARTED")) {
      std::fputs("the fault library could not be preloaded\n", stderr);
      return 1;
    }
    setenv("MIVOR_FAULT_RESTARTED", "1", 1);
    const char* preload = std::getenv("LD_PRELOAD");
    setenv("LD_PRELOAD", (std::string(MIVOR_FAULT_SHIM) + (preload ? std::string(":") + preload : "")).c_str(), 1);
    const char* asan = std::getenv("ASAN_OPTIONS");
    setenv("ASAN_OPTIONS", ((asan ? std::string(asan) + ":" : std::string()) + "verify_asan_link_order=0").c_str(), 1);
    execv("/proc/self/exe", argv);
    std::perror("execv");
    return 1;
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
