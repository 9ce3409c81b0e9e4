// Fuzz target: the cube converter, header and values, into a native file.
#include <cstdio>
#include <string>

#include "convert/cube.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz_init();
  const std::string path = fuzz_write_input(data, size);
  const std::string target = path + ".mvr";
  std::string error;
  convert_cube(path, std::nullopt, target, error);
  std::remove(target.c_str());
  return 0;
}
