// Fuzz target: the orbital-file reader, and what is made of a file it
// accepts: its text written again and the embedded form, each of which
// must read back to the same counts.
#include <cstdlib>
#include <string>

#include "formats/inporb.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz_init();
  const std::string text(reinterpret_cast<const char*>(data), size);
  inporb_t f;
  std::string error;
  if (!parse_inporb(text, f, error)) return 0;
  inporb_t again, embedded;
  if (!parse_inporb(inporb_text(f), again, error) || again.nbas != f.nbas || again.types != f.types) std::abort();
  if (!parse_inporb(inporb_of_embedded(embedded_orbital_file(f)), embedded, error) || embedded.norb != f.norb)
    std::abort();
  return 0;
}
