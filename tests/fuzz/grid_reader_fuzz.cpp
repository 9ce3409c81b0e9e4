// Fuzz target: reading the values of every grid of every geometry.

#include "document/native_file.h"
#include "formats/grid_reader.h"
#include "fuzz_support.h"
#include "molecule/mol_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!fuzz_parse_input(data, size)) return 0;
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
