// Fuzz target: the native reader, grid sections included, and the writer
// on whatever it read.
#include <cstdio>
#include <memory>

#include "formats/native_reader.h"
#include "formats/native_writer.h"
#include "fuzz_support.h"
#include "molecule/mol_data.h"
#include "molecule/open_close.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz_init();
  input_file_name = fuzz_write_input(data, size);
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(input_file_name.c_str(), "rb"), std::fclose);
  if (!file) return 0;
  parse_zev_file(file.get());
  std::unique_ptr<FILE, int (*)(FILE*)> out(std::fopen("/dev/null", "wb"), std::fclose);
  if (out) write_all_data_to_output(out.get(), 1);
  deallocate_mol_data();
  return 0;
}
