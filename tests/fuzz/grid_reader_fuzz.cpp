// Fuzz target: reading the values of every grid of every geometry.
#include <cstdio>
#include <memory>

#include "formats/grid_reader.h"
#include "formats/native_reader.h"
#include "fuzz_support.h"
#include "molecule/mol_data.h"
#include "molecule/open_close.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz_init();
  input_file_name = fuzz_write_input(data, size);
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(input_file_name.c_str(), "rb"), std::fclose);
  if (!file) return 0;
  parse_zev_file(file.get());
  file.reset();
  for (int g = 0; g < n_geometries(); ++g) {
    igeo = g;
    get_new_section();
    for (int k = 0; k < m->ngrid() && k < 4; ++k) {
      iorb = k;
      read_grid_from_file();
    }
  }
  deallocate_mol_data();
  return 0;
}
