// INPORB orbital files (*.ScfOrb, *.RasOrb, …, "#INPORB 2.x"): the
// coefficients of the orbitals of each irrep in its symmetry-adapted
// functions, their occupations, energies and type letters. They carry no
// basis; the converter takes it from the HDF5 or Molden file of the same
// run.
#pragma once

#include <string>
#include <vector>

#include "formats/orbital_file.h"

struct inporb_spin_t {
  // Per irrep, the coefficients of its orbitals one after another
  // (orbital k of irrep i at vectors[i][k·nbas[i] + j]).
  std::vector<std::vector<double>> vectors;
  // Per orbital, all irreps one after another.
  std::vector<double> occupations, energies;
};

struct inporb_t {
  std::string title;              // the first line after "#INFO", without "* "
  std::vector<int> nbas, norb;    // per irrep
  std::vector<inporb_spin_t> spins;  // one, or alpha and beta
  bool has_energies = false;
  std::vector<std::string> types;  // the type letters of each irrep
  bool unrestricted() const { return spins.size() == 2; }
};

// Parses the text; false with `error` set (naming the line) when it is not
// an orbital file of version 2, or its counts disagree with what it holds.
bool parse_inporb(const std::string& text, inporb_t& out, std::string& error);
// The file as its program reads it (version 2.2: #INFO, #ORB, #OCC, #OCHR,
// #ONE, #INDEX; #UORB, #UOCC, #UOCHR, #UONE for unrestricted orbitals).
std::string inporb_text(const inporb_t& f);
// The file as a native file embeds it: the orbital file of the program
// (after its "#INPORB" line, the number of irreps and the orbitals of
// each, which its program reads past) whose lines up to "#INDEX" are the
// file's, so that the embedded file, written out, is again one its program
// reads with its types.
orbital_file_t embedded_orbital_file(const inporb_t& f);
// The embedded file written out as an INPORB orbital file: its head
// and type letters, without the native file's closing line.
std::string inporb_of_embedded(const orbital_file_t& f);
