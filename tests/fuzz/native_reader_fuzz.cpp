// Fuzz target: the native reader, grid sections included, and the writer
// on whatever it read.
#include <cstdio>
#include <memory>

#include "document/current_file.h"
#include "formats/native_writer.h"
#include "fuzz_support.h"
#include "molecule/mol_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!fuzz_parse_input(data, size)) return 0;
  std::unique_ptr<FILE, int (*)(FILE*)> out(std::fopen("/dev/null", "wb"), std::fclose);
  // The input is also the grid source: the writer copies its orbital files.
  std::unique_ptr<FILE, int (*)(FILE*)> source(std::fopen(input_file_name.c_str(), "rb"), std::fclose);
  if (out) write_all_data_to_output(out.get(), 1, source.get());
  deallocate_mol_data();
  return 0;
}
