// Fuzz target: the XYZ reader, then the way back: the XYZ text of what was
// read must read again into as many frames and atoms, and the native text of
// each frame must be made.
#include <cstdlib>
#include <string>
#include <vector>

#include "convert/xyz.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz_init();
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<out_geometry_t> frames;
  std::string error;
  if (!read_xyz(text, frames, error)) return 0;
  for (const out_geometry_t& g : frames) (void)native_section_text(g);
  std::vector<out_geometry_t> again;
  if (!read_xyz(xyz_text(frames), again, error) || again.size() != frames.size()) std::abort();
  for (size_t f = 0; f < frames.size(); ++f)
    if (again[f].atoms.size() != frames[f].atoms.size()) std::abort();
  return 0;
}
