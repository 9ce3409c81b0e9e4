// Open Babel's point-group perception on one XYZ file, printed as the
// Schoenflies symbol the tests use. Runs as a child process of the tests:
// the library crashes on some inputs, and that must end only this program.
#include <openbabel/mol.h>
#include <openbabel/obconversion.h>
#include <openbabel/pointgroup.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  OpenBabel::OBConversion conversion;
  OpenBabel::OBMol mol;
  if (!conversion.SetInFormat("xyz") || !conversion.ReadFile(&mol, argv[1])) return 1;
  static const char* const names[] = {
      "C1",  "Cs",  "Ci",  "C2",  "C3",  "C4",  "C5",  "C6",  "C7",    "C8",    "D2",  "D3",  "D4",  "D5",  "D6",
      "D7",  "D8",  "C2v", "C3v", "C4v", "C5v", "C6v", "C7v", "C8v",   "C2h",   "C3h", "C4h", "C5h", "C6h", "C7h",
      "C8h", "D2d", "D3d", "D4d", "D5d", "D6d", "D7d", "D8d", "D2h",   "D3h",   "D4h", "D5h", "D6h", "D7h", "D8h",
      "S4",  "S6",  "S8",  "T",   "Th",  "Td",  "O",   "Oh",  "Cinfv", "Dinfh", "I",   "Ih",  "K",   "Kh",  "Unknown"};
  OpenBabel::OBPointGroup group;
  group.Setup(&mol);
  const int symbol = group.IdentifyPointGroupSymbol();
  std::printf("%s\n", symbol >= 0 && symbol < 60 ? names[symbol] : "Unknown");
  return 0;
}
