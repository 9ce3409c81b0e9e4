// Open Babel reads one molecule per call; program outputs hold the steps of
// a run as conformers of one molecule, read with one call (their readers
// read the whole file, and the Gaussian one begins again at its start on
// every call). Each molecule and each conformer becomes one native
// geometry with its energy in hartree: the readers leave kcal/mol, except
// the ORCA and GAMESS ones, which keep the hartree the program printed.
// ORCA's steps come from the file itself, since its reader keeps only the
// first geometry (its charges too, step by step). Partial charges are kept
// only when the file gave them (asking for them otherwise makes the library
// compute some); bonds only
// from the formats that list them, so that the viewer bonds the others
// itself. Compressed files are read through the decompressor.
#include "convert/babel.h"

#include <openbabel/atom.h>
#include <openbabel/bond.h>
#include <openbabel/data_utilities.h>
#include <openbabel/format.h>
#include <openbabel/generic.h>
#include <openbabel/mol.h>
#include <openbabel/obconversion.h>
#include <openbabel/oberror.h>
#include <openbabel/obiter.h>

#include <sstream>

#include "convert/input_file.h"
#include "convert/orca_steps.h"
#include "convert/text_lines.h"
#include "formats/element_numbers.h"
#include "formats/native_writer.h"
#include "formats/safe_file.h"
#include "molecule/elements.h"

namespace {

// Open Babel's own factor: its readers multiply hartree by it, so dividing
// by the same number gives back the energies the program printed.
const double kcal_per_hartree = OpenBabel::HARTEE_TO_KCALPERMOL;

const char* const formats_with_bonds[] = {"mol2", "ml2", "sy2", "sdf", "sd", "mol", "mdl", "cml", "mrv"};

bool lists_bonds(const std::string& format) {
  for (const char* f : formats_with_bonds)
    if (format == f) return true;
  return false;
}

bool is_program_output(const std::string& format) {
  for (const char* f : {"g03", "g09", "g16", "g98", "gal", "orca", "gamout", "nwo", "qcout"})
    if (format == f) return true;
  return false;
}

// What turns the energies the reader of `format` leaves into hartree.
double hartree_per_unit(const std::string& format) {
  return format == "orca" || format == "gamout" ? 1.0 : 1.0 / kcal_per_hartree;
}

struct read_t {
  std::string format;
  bool bonds = false, program_output = false;
  std::vector<geometry_section_t> frames;
};

// A step read from the file itself rather than from Open Babel.
struct own_step_t {
  const std::vector<vec3>* xyz = nullptr;
  const std::vector<double>* mulliken = nullptr;  // or none
};

// Whether the file gave `mol`'s partial charges: asked for them otherwise,
// the library would compute some.
bool file_gave_charges(OpenBabel::OBMol& mol) { return mol.HasData("PartialCharges") || mol.HasFlag(OB_PCHARGE_MOL); }

// One frame of `mol`: its atoms where the current conformer has them, or
// where `step` has them; its charges when the file gave them, its bonds
// when the format lists them, and `energy` (hartree).
geometry_section_t frame_of(OpenBabel::OBMol& mol, const read_t& r, const own_step_t& step,
                            std::optional<double> energy) {
  geometry_section_t g;
  mol_data_t& rec = g.rec;
  atom_appender atoms(rec);
  const bool charges = step.xyz ? step.mulliken && !step.mulliken->empty() : file_gave_charges(mol);
  std::vector<double> partial;
  FOR_ATOMS_OF_MOL(a, mol) {
    std::string symbol = symbol_of_number(static_cast<int>(a->GetAtomicNum()));
    if (symbol.empty()) symbol = "X";
    const size_t i = static_cast<size_t>(a->GetIdx()) - 1;
    atoms.add(symbol, step.xyz ? (*step.xyz)[i] : vec3{a->GetX(), a->GetY(), a->GetZ()});
    if (charges) partial.push_back(step.xyz ? (*step.mulliken)[i] : a->GetPartialCharge());
  }
  for (size_t i = 0; i < partial.size(); ++i) set_atom_mulliken(rec, static_cast<int>(i), partial[i]);
  if (r.bonds) {
    g.bonds_final = true;
    FOR_BONDS_OF_MOL(b, mol) {
      const int order = static_cast<int>(b->GetBondOrder());
      rec.bond.push_back({static_cast<int>(b->GetBeginAtomIdx()) - 1, static_cast<int>(b->GetEndAtomIdx()) - 1,
                          order >= 1 && order <= 3 ? order : 1});
    }
  }
  if (energy) {
    rec.energy = *energy;
    rec.flags |= FLAG_ENERGY;
  }
  return g;
}

// The frames of one molecule: each conformer, with its energy (a program
// output's last conformer takes the molecule's energy when the conformers
// have none of their own).
void add_frames(OpenBabel::OBMol& mol, read_t& r) {
  const int conformers = std::max(1, mol.NumConformers());
  const std::vector<double> energies = mol.GetEnergies();
  const double unit = hartree_per_unit(r.format);
  for (int c = 0; c < conformers; ++c) {
    if (mol.NumConformers() > 0) mol.SetConformer(static_cast<unsigned>(c));
    std::optional<double> energy;
    if (static_cast<size_t>(c) < energies.size() && energies[static_cast<size_t>(c)] != 0)
      energy = energies[static_cast<size_t>(c)] * unit;
    else if (r.program_output && c == conformers - 1 && mol.GetEnergy() != 0)
      energy = mol.GetEnergy() * unit;
    r.frames.push_back(frame_of(mol, r, own_step_t{}, energy));
  }
}

// ORCA's steps read from its text, when they are of the molecule Open Babel
// read; false when the text has none that fit.
bool add_orca_steps(OpenBabel::OBMol& mol, const std::string& path, read_t& r) {
  std::string text, error;
  if (!read_whole_file(path, text, error)) return false;
  const std::vector<program_step_t> steps = orca_steps(text);
  for (const program_step_t& s : steps)
    if (s.xyz.size() != mol.NumAtoms()) return false;
  for (const program_step_t& s : steps) r.frames.push_back(frame_of(mol, r, {&s.xyz, &s.mulliken}, s.energy));
  return !steps.empty();
}

// The Open Babel format of a "qc" file, told by its first 64 kB; "" with
// `error` set when no known program wrote it.
std::string program_output_format(FILE* file, std::string& error) {
  std::string head(1 << 16, '\0');
  head.resize(std::fread(head.data(), 1, head.size(), file));
  const std::string format = output_format_of(head);
  if (format.empty()) {
    error = "not the output of Gaussian, ORCA, GAMESS, NWChem or Q-Chem";
  } else if (std::fseek(file, 0, SEEK_SET) != 0) {
    error = "can't be read again from its start";
    return "";
  }
  return format;
}

}  // namespace

std::string output_format_of(const std::string& head) {
  const struct {
    const char* mark;
    const char* format;
  } programs[] = {{"Entering Gaussian System", "g09"},
                  {"Gaussian, Inc.", "g09"},
                  {"O   R   C   A", "orca"},
                  {"GAMESS", "gamout"},
                  {"Northwest Computational Chemistry", "nwo"},
                  {"Q-Chem", "qcout"}};
  for (const auto& p : programs)
    if (head.find(p.mark) != std::string::npos) return p.format;
  return {};
}

bool babel_to_native(const std::string& format, const std::string& path, const std::string& target,
                     std::string& error) {
  OpenBabel::obErrorLog.StopLogging();
  InputFile input;
  if (!input.open(path, error)) return false;
  read_t r;
  r.format = format == "ent" ? "pdb" : format;
  if (format == "qc") r.format = program_output_format(input.get(), error);
  if (r.format.empty()) {
    if (!input.damage().empty()) error = input.damage();
    return false;
  }
  OpenBabel::OBConversion conv;
  if (!conv.SetInFormat(r.format.c_str())) {
    error = "Open Babel does not read the format '" + r.format + "'";
    return false;
  }
  r.bonds = lists_bonds(r.format);
  r.program_output = is_program_output(r.format);
  const bool one_molecule = (conv.GetInFormat()->Flags() & READONEONLY) != 0;
  InputFileBuffer buffer(input.get());
  std::istream in(&buffer);
  OpenBabel::OBMol mol;
  for (bool more = conv.Read(&mol, &in); more; more = !one_molecule && conv.Read(&mol)) {
    if (mol.NumAtoms() > 0 && !(r.format == "orca" && add_orca_steps(mol, path, r))) add_frames(mol, r);
    mol.Clear();
  }
  if (!input.error().empty()) {
    error = input.error();
    return false;
  }
  if (r.frames.empty()) {
    error = input.damage().empty() ? "Open Babel found no atoms in it (format " + r.format + ")" : input.damage();
    return false;
  }
  for (geometry_section_t& g : r.frames) g.comment = "converted from " + path + " by mivor-convert";
  return write_geometry_sections(target, r.frames, error);
}

bool babel_from_native(const std::string& format, const std::vector<geometry_section_t>& geometries,
                       const std::string& target, std::string& error) {
  OpenBabel::obErrorLog.StopLogging();
  OpenBabel::OBConversion conv;
  if (!conv.SetOutFormat(format.c_str())) {
    error = "Open Babel does not write the format '" + format + "'";
    return false;
  }
  std::ostringstream out;
  conv.SetOutStream(&out);
  for (size_t k = 0; k < geometries.size(); ++k) {
    const geometry_section_t& g = geometries[k];
    const mol_data_t& rec = g.rec;
    const bool charges = (rec.flags & FLAG_MULLIKEN) != 0;
    OpenBabel::OBMol mol;
    mol.BeginModify();
    for (int i = 0; i < rec.natom(); ++i) {
      OpenBabel::OBAtom* a = mol.NewAtom();
      const vec3& p = rec.xyz[static_cast<size_t>(i)];
      a->SetAtomicNum(static_cast<unsigned>(std::max(0, number_of_symbol(atom_element(rec, i).name))));
      a->SetVector(p[0], p[1], p[2]);
      if (charges) a->SetPartialCharge(atom_mulliken(rec, i));
    }
    for (const bond_t& b : rec.bond) mol.AddBond(b.a1 + 1, b.a2 + 1, b.type >= 1 && b.type <= 3 ? b.type : 1);
    mol.EndModify();
    if (charges) mol.SetPartialChargesPerceived();
    if (!g.bonds_final && rec.bond.empty()) {
      mol.ConnectTheDots();
      mol.PerceiveBondOrders();
    }
    if (rec.flags & FLAG_ENERGY) mol.SetEnergy(rec.energy * kcal_per_hartree);
    mol.SetTitle(g.comment.c_str());
    conv.SetLast(k + 1 == geometries.size());
    if (!conv.Write(&mol)) {
      error = "Open Babel could not write geometry " + std::to_string(k + 1) + " as " + format;
      return false;
    }
  }
  if (write_file_atomically(target, out.str())) return true;
  error = "can't write " + target;
  return false;
}
