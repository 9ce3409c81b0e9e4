#include "formats/element_numbers.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace {

const char* const symbols[] = {"X",  "H",  "He", "Li", "Be", "B",  "C",  "N",  "O",  "F",  "Ne", "Na", "Mg", "Al", "Si",
                               "P",  "S",  "Cl", "Ar", "K",  "Ca", "Sc", "Ti", "V",  "Cr", "Mn", "Fe", "Co", "Ni", "Cu",
                               "Zn", "Ga", "Ge", "As", "Se", "Br", "Kr", "Rb", "Sr", "Y",  "Zr", "Nb", "Mo", "Tc", "Ru",
                               "Rh", "Pd", "Ag", "Cd", "In", "Sn", "Sb", "Te", "I",  "Xe", "Cs", "Ba", "La", "Ce", "Pr",
                               "Nd", "Pm", "Sm", "Eu", "Gd", "Tb", "Dy", "Ho", "Er", "Tm", "Yb", "Lu", "Hf", "Ta", "W",
                               "Re", "Os", "Ir", "Pt", "Au", "Hg", "Tl", "Pb", "Bi", "Po", "At", "Rn", "Fr", "Ra", "Ac",
                               "Th", "Pa", "U",  "Np", "Pu", "Am", "Cm", "Bk", "Cf", "Es", "Fm", "Md", "No", "Lr", "Rf",
                               "Db", "Sg", "Bh", "Hs", "Mt", "Ds", "Rg", "Cn", "Nh", "Fl", "Mc", "Lv", "Ts", "Og"};
constexpr int n_symbols = static_cast<int>(sizeof symbols / sizeof symbols[0]);

bool same_nocase(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return i == a.size() && !b[i];
}

}  // namespace

std::string symbol_of_number(int z) { return z >= 0 && z < n_symbols ? symbols[z] : std::string(); }

int number_of_symbol(const std::string& symbol) {
  for (int z = 0; z < n_symbols; ++z)
    if (same_nocase(symbol, symbols[z])) return z;
  return -1;
}

std::string element_of_label(const std::string& label) {
  if (label.empty() || label.size() > 32) return {};
  if (std::isdigit(static_cast<unsigned char>(label[0]))) {
    char* end = nullptr;
    const long z = std::strtol(label.c_str(), &end, 10);
    return *end == '\0' && z >= 1 ? symbol_of_number(static_cast<int>(z)) : std::string();
  }
  if (number_of_symbol(label) >= 0) return symbol_of_number(number_of_symbol(label));
  // Leading letters: all of them when there are one or two, else the
  // first two or the first one that make a symbol ("CA1" is calcium).
  size_t letters = 0;
  while (letters < label.size() && std::isalpha(static_cast<unsigned char>(label[letters]))) ++letters;
  if (letters == 0) return {};
  if (letters <= 2) return symbol_of_number(number_of_symbol(label.substr(0, letters)));
  for (size_t n = 2; n >= 1; --n)
    if (number_of_symbol(label.substr(0, n)) >= 0) return symbol_of_number(number_of_symbol(label.substr(0, n)));
  return {};
}
