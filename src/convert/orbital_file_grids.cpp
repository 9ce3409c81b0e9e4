// Symmetry: the files give each irrep's orbitals in its symmetry-adapted
// functions, combinations of the functions on symmetry-equivalent atoms.
// Its symmetrisation matrix says which; each orbital is turned into the
// functions of the whole molecule with it (desymmetrised), evaluated on the
// lattice like any other, and keeps its irrep and index within it.
#include "convert/orbital_file_grids.h"

#include <dirent.h>

#include <algorithm>
#include <vector>

#include "convert/hdf5_orbitals.h"
#include "convert/text_lines.h"
#include "convert/wavefunction_grids.h"
#include "formats/inporb.h"
#include "formats/safe_file.h"

namespace {

std::string irreps_note(const hdf5_basis_t& b) {
  if (b.irreps.size() < 2) return {};
  std::string note = "Orbitals by irrep:";
  for (size_t i = 0; i < b.irreps.size(); ++i) note += " " + std::to_string(i + 1) + " " + b.irreps[i];
  return note;
}

// The directory and the project name of an orbital file: water.ScfOrb and
// water.RasOrb.1 are of the project "water".
void project_of(const std::string& path, std::string& dir, std::string& project) {
  const size_t slash = path.rfind('/');
  dir = slash == std::string::npos ? "." : path.substr(0, slash);
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  project = base.substr(0, base.find('.'));
}

// The HDF5 files of the same project beside `path`, the likeliest first.
std::vector<std::string> basis_candidates(const std::string& path) {
  std::string dir, project;
  project_of(path, dir, project);
  std::vector<std::string> out;
  for (const char* kind : {"rasscf", "scf", "caspt2", "guessorb"}) {
    const std::string name = dir + "/" + project + "." + kind + ".h5";
    if (file_is_readable(name)) out.push_back(name);
  }
  if (DIR* d = opendir(dir.c_str())) {
    while (const dirent* e = readdir(d)) {
      const std::string name = e->d_name;
      if (name.rfind(project + ".", 0) == 0 && name.size() > 3 && name.compare(name.size() - 3, 3, ".h5") == 0 &&
          std::find(out.begin(), out.end(), dir + "/" + name) == out.end())
        out.push_back(dir + "/" + name);
    }
    closedir(d);
  }
  return out;
}

// The basis file's functions fit the orbital file's: the same irreps with
// the same counts.
bool same_basis(const hdf5_basis_t& basis, const inporb_t& orbitals) {
  if (basis.per_irrep.size() != orbitals.nbas.size()) return false;
  for (size_t i = 0; i < orbitals.nbas.size(); ++i)
    if (basis.per_irrep[i] != orbitals.nbas[i]) return false;
  return true;
}

// The wavefunction of the orbital file in the basis of `f` (whose own
// orbitals it replaces).
void take_orbitals(hdf5_orbitals_t& f, const inporb_t& orbitals) {
  f.wf.orbitals.clear();
  for (size_t s = 0; s < orbitals.spins.size(); ++s) {
    const inporb_spin_t& spin = orbitals.spins[s];
    size_t orbital = 0;
    for (size_t i = 0; i < orbitals.norb.size(); ++i) {
      const size_t n = static_cast<size_t>(orbitals.nbas[i]);
      for (size_t k = 0; k < static_cast<size_t>(orbitals.norb[i]); ++k, ++orbital) {
        const char letter = s == 0 ? orbitals.types[i][k] : 'u';
        if (letter == 'd') continue;
        wf_orbital_t mo;
        mo.irrep = f.basis.irreps[i];
        mo.index = static_cast<int>(k + 1);
        mo.beta = s == 1;
        mo.occ = spin.occupations[orbital];
        mo.energy = orbital < spin.energies.size() ? spin.energies[orbital] : 0.0;
        mo.type = letter;
        mo.dense = desymmetrised(f.basis, i, &spin.vectors[i][k * n]);
        f.wf.orbitals.push_back(std::move(mo));
      }
    }
  }
  f.orbitals = orbitals;
}

}  // namespace

bool write_orbital_file_wavefunction(hdf5_orbitals_t& f, const grid_options_t& o, const std::string& source,
                               const std::string& comment, const std::string& target, std::string& error) {
  f.wf.orbital_file = embedded_orbital_file(f.orbitals);
  std::vector<geometry_section_t> geometries =
      wavefunction_geometry(f.wf, source, f.has_energy ? std::optional<double>(f.energy) : std::nullopt);
  if (!comment.empty()) geometries[0].comment = comment;
  std::vector<std::string> notes;
  if (const std::string n = irreps_note(f.basis); !n.empty()) notes.push_back(n);
  return write_wavefunction(f.wf, o, source, geometries, notes, target, error);
}

bool convert_hdf5_orbitals(const std::string& path, const grid_options_t& o, const std::string& target,
                       std::string& error) {
  hdf5_orbitals_t f;
  if (!read_hdf5_orbitals(path, f, error)) return false;
  return write_orbital_file_wavefunction(f, o, path, "", target, error);
}

bool convert_inporb(const std::string& path, const std::optional<std::string>& basis, const grid_options_t& o,
                    const std::string& target, std::string& error) {
  std::string text;
  inporb_t orbitals;
  if (!read_whole_file(path, text, error) || !parse_inporb(text, orbitals, error)) return false;
  text.clear();
  const std::vector<std::string> candidates = basis ? std::vector<std::string>{*basis} : basis_candidates(path);
  if (candidates.empty()) {
    error = "the orbital file has no basis: give the HDF5 file of its run with --basis FILE.h5";
    return false;
  }
  hdf5_orbitals_t f;
  std::string why;
  for (const std::string& candidate : candidates) {
    hdf5_orbitals_t h;
    std::string e;
    if (!read_hdf5_orbitals(candidate, h, e)) {
      why = candidate + ": " + e;
    } else if (!same_basis(h.basis, orbitals)) {
      why = candidate + " holds the basis of another molecule or another basis (its irreps or their functions differ)";
    } else {
      f = std::move(h);
      why.clear();
      break;
    }
  }
  if (!why.empty()) {
    error = why;
    return false;
  }
  take_orbitals(f, orbitals);
  f.has_energy = false;
  return write_orbital_file_wavefunction(f, o, path, "", target, error);
}
