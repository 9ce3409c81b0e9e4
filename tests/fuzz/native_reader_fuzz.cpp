// Fuzz target: the native reader, grid sections included, and the writer
// on whatever it read.
#include <cstdio>
#include <memory>

#include "formats/native_writer.h"
#include "fuzz_support.h"
#include "molecule/mol_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!fuzz_parse_input(data, size)) return 0;
  std::unique_ptr<FILE, int (*)(FILE*)> out(std::fopen("/dev/null", "wb"), std::fclose);
  if (out) write_all_data_to_output(out.get(), 1);
  deallocate_mol_data();
  return 0;
}
