// The atoms of a Molden file: elements, ghost atoms and the core electrons
// of effective core potentials ([Atoms], [Pseudo], [Core]).
#pragma once

#include <string>
#include <vector>

#include "convert/molden_sections.h"
#include "convert/wavefunction.h"

// Adds the atoms of [Atoms] to `wf`, with what [Pseudo] and [Core] say of
// their cores; true when the sections have no [Atoms].
bool read_molden_atoms(const std::vector<molden_section_t>& sections, wavefunction_t& wf, std::string& error);
