// Fuzz target: compressed inputs, read by the cube converter (which streams
// its values through the decompressor) and read whole as the text readers
// read them. Inputs that start as bzip2 or xz data are read as those, all
// others as gzip.
#include <cstdio>
#include <cstring>
#include <string>

#include "convert/cube.h"
#include "convert/text_lines.h"
#include "fuzz_support.h"

namespace {

const char* suffix_of(const uint8_t* data, size_t size) {
  static const unsigned char xz[] = {0xfd, '7', 'z', 'X', 'Z', 0x00};
  if (size >= 3 && std::memcmp(data, "BZh", 3) == 0) return ".bz2";
  if (size >= sizeof xz && std::memcmp(data, xz, sizeof xz) == 0) return ".xz";
  return ".gz";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz_init();
  const std::string written = fuzz_write_input(data, size);
  const std::string path = written + ".cube" + suffix_of(data, size);
  if (std::rename(written.c_str(), path.c_str()) != 0) return 0;
  const std::string target = path + ".mvr";
  std::string error, text;
  convert_cube(path, std::nullopt, target, error);
  std::remove(target.c_str());
  read_whole_file(path, text, error);
  std::remove(path.c_str());
  return 0;
}
