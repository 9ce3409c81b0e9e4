// Atomic numbers and element symbols, for formats that give atoms by their
// number (cube, Molden) and for normalising the symbols of XYZ files.
#pragma once

#include <string>

// The symbol of element z (1 … 118), "X" for 0 (a dummy centre), empty for
// other numbers.
std::string symbol_of_number(int z);
// The atomic number of a symbol, ignoring case ("CL" and "cl" are 17); 0 for
// "X" and -1 for anything else.
int number_of_symbol(const std::string& symbol);
// The element symbol an atom label stands for: an element symbol as it is,
// a label such as "C12", "H_3" or "Cl-2" by its leading letters, an atomic
// number by its symbol. The symbol is spelled as the element table spells
// it ("Cl"); empty when the label names no element.
std::string element_of_label(const std::string& label);
