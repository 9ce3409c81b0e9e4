// HDF5 orbital files (*.scf.h5, *.rasscf.h5, …) read into a
// wavefunction: the atoms of the whole molecule, the basis of contracted
// shells on each of them, and the orbitals of each irrep, desymmetrised
// into that basis, with their energies, occupations and type letters.
#pragma once

#include <string>
#include <vector>

#include "formats/inporb.h"
#include "convert/wavefunction.h"

// What a file holds beyond the wavefunction: how its symmetry-adapted
// functions are made of the wavefunction's basis.
struct hdf5_basis_t {
  std::vector<std::string> irreps;
  std::vector<int> per_irrep;  // symmetry-adapted functions of each irrep
  // Symmetry-adapted function p (counted over all irreps) is the sum over
  // q of desym[p·n + q] times desymmetrised function q (n functions in
  // all); empty when the file has no symmetry (the functions are the same).
  std::vector<double> desym;
  // The basis function of the wavefunction that desymmetrised function q
  // is.
  std::vector<int> function_of;
  int functions() const { return static_cast<int>(function_of.size()); }
};

struct hdf5_orbitals_t {
  std::string module;  // the program part that wrote it ("SCF", "RASSCF")
  hdf5_basis_t basis;
  // The orbitals as the file gives them, in the symmetry-adapted functions
  // (the orbital file of the same orbitals), deleted ones included.
  inporb_t orbitals;
  bool has_energy = false;
  double energy = 0;  // the total energy (of the first root), hartree
  wavefunction_t wf;
};

// Reads `path`; false with `error` set when it is not an HDF5 orbital
// file with a basis and orbitals, or its datasets disagree with each other
// or with the counts its attributes give (all checked before they size
// anything). The normalisation of the primitives is not stated by the
// file: the candidate conventions go with the wavefunction, and the
// orthonormality of its orbitals decides.
bool read_hdf5_orbitals(const std::string& path, hdf5_orbitals_t& out, std::string& error);
// The coefficients, in the wavefunction's basis, of an orbital of `irrep`
// given by its coefficients `sa` of that irrep's symmetry-adapted functions.
std::vector<double> desymmetrised(const hdf5_basis_t& basis, size_t irrep, const double* sa);
// The orbital file letter of one of the files' type indices ("I", "2",
// "S", …); 'u' for any other character.
char type_letter(char file_type);
