// Fuzz target: the XYZ reader, then the way back: the XYZ text of what was
// read must read again into as many frames and atoms, and the native text of
// each frame must be made.
#include <cstdlib>
#include <string>
#include <vector>

#include "convert/xyz.h"
#include "formats/native_writer.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz_init();
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<geometry_section_t> frames;
  std::string error;
  if (!read_xyz(text, frames, error)) return 0;
  for (const geometry_section_t& g : frames) (void)geometry_section_text(g);
  std::vector<geometry_section_t> again;
  if (!read_xyz(xyz_text(frames), again, error) || again.size() != frames.size()) std::abort();
  for (size_t f = 0; f < frames.size(); ++f)
    if (again[f].rec.natom() != frames[f].rec.natom()) std::abort();
  return 0;
}
