// The calculations the wrappers run. Each takes the last geometry of the
// native file it is given, runs its program in a scratch folder and
// rewrites that file (always whole, through a temporary file beside it)
// with what the program found so far. Exit status: 0 done, 1 failed (the
// reason, with the program's last lines, on standard error), 2 a wrong
// command line, 143 ended on request.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "formats/geometry_section.h"

constexpr int job_done = 0;
constexpr int job_failed = 1;
constexpr int job_usage = 2;
constexpr int job_ended = 143;

// The options given ("--charge" → "0"); an empty value takes the default.
using job_options_t = std::map<std::string, std::string>;

// Geometry optimisation with GFN2-xTB: options --charge, --uhf (unpaired
// electrons), --level (crude … extreme). The file gains a geometry, with its
// energy and RMS gradient, after every step.
int run_xtb_optimisation(const job_options_t& options, const std::string& file);
// Harmonic frequencies with GFN2-xTB (options --charge, --uhf): the file
// ends with the geometry, its energy, and the normal modes with their IR
// intensities.
int run_xtb_frequencies(const job_options_t& options, const std::string& file);
// Orbitals with psi4 (options --method, default hf; --basis, default
// 6-31G*; --charge; --multiplicity): the file ends with the geometry and its
// orbitals and density on a grid, through the Molden converter.
int run_psi4_orbitals(const job_options_t& options, const std::string& file);

// Orbitals from an SCF run of the program in MIVOR_RASSCF_PROGRAM, which
// writes HDF5 orbital files (options --basis, default STO-3G;
// --charge; --spin, the multiplicity 2S+1, unrestricted above 1), in the
// symmetry the program finds in the molecule as it lies: the file becomes
// the geometry with its energy, its orbitals and density on grids, typed
// inactive (occupied) and secondary, and the run's orbital file
// embedded, its title naming the basis set and symmetry used.
int run_hdf5_scf(const job_options_t& options, const std::string& file);
// RASSCF started from the orbital file embedded in the file's last
// geometry, whose orbital types are the active space (options --nactel,
// the active electrons, "N" or "N HOLES ELECTRONS"; --spin; --symmetry,
// the irrep of the state, by its number, default 1; --ciroot, the
// number of roots averaged with equal weights; --basis, default the one
// the orbitals were made with): the file becomes the geometry with the
// RASSCF energy and the natural orbitals on grids with their occupations
// and types.
int run_hdf5_rasscf(const job_options_t& options, const std::string& file);

struct psi4_settings_t {
  std::string method = "hf";
  std::string basis = "6-31G*";
  int charge = 0;
  int multiplicity = 1;
};
// The psi4 input for `g`: its atoms in ångström in their own frame (no
// reorientation, no shift), exact integrals (scf_type pk), restricted
// orbitals for a singlet and unrestricted ones otherwise, and the orbitals
// written as Molden to "orbitals.molden".
std::string psi4_input_text(const mol_data_t& g, const psi4_settings_t& s);

// ---- Shared by the jobs (job_common.cpp) ----
// The last geometry of the native file; null with `error` set when the
// file holds none with atoms.
std::optional<geometry_section_t> last_geometry(const std::string& file, std::string& error);
// An option's value: its text, or `fallback` when absent or empty.
std::string option_text(const job_options_t& options, const char* name, const std::string& fallback);
// An option read as an integer within [lo, hi]; null when it is not one.
std::optional<int> option_int(const job_options_t& options, const char* name, int fallback, int lo, int hi);
// A name the program reads in its input (a method, a basis set): one word
// of at most 64 letters, digits and `signs`, so that it can't end the line
// it is on or start another statement.
bool is_input_name(const std::string& s, const char* signs);
// Every atom's symbol is such a word (letters and digits).
bool symbols_are_names(const mol_data_t& g);
// Prints "NAME: MESSAGE" on standard error and returns job_failed.
int job_failure(const std::string& job, const std::string& message);
