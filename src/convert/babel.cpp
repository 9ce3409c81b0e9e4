// Open Babel reads one molecule per call; program outputs hold the steps of
// a run as conformers of one molecule, with energies in kcal/mol. Each
// molecule and each conformer becomes one native geometry with its energy in
// hartree. Partial charges are kept only when the file gave them (asking
// for them otherwise makes the library compute some); bonds only from the
// formats that list them, so that the viewer bonds the others itself.
#include "convert/babel.h"

#include <openbabel/atom.h>
#include <openbabel/bond.h>
#include <openbabel/data_utilities.h>
#include <openbabel/generic.h>
#include <openbabel/mol.h>
#include <openbabel/obconversion.h>
#include <openbabel/oberror.h>
#include <openbabel/obiter.h>

#include <fstream>
#include <sstream>

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

// The frames of one molecule: each conformer, with its energy.
void add_frames(OpenBabel::OBMol& mol, bool bonds, bool program_output, std::vector<geometry_section_t>& frames) {
  const int conformers = std::max(1, mol.NumConformers());
  const std::vector<double> energies = mol.GetEnergies();
  const bool charges = mol.HasData("PartialCharges");
  for (int c = 0; c < conformers; ++c) {
    if (mol.NumConformers() > 0) mol.SetConformer(static_cast<unsigned>(c));
    geometry_section_t g;
    mol_data_t& rec = g.rec;
    atom_appender atoms(rec);
    std::vector<double> partial;
    FOR_ATOMS_OF_MOL(a, mol) {
      std::string symbol = symbol_of_number(static_cast<int>(a->GetAtomicNum()));
      if (symbol.empty()) symbol = "X";
      atoms.add(symbol, {a->GetX(), a->GetY(), a->GetZ()});
      if (charges) partial.push_back(a->GetPartialCharge());
    }
    for (size_t i = 0; i < partial.size(); ++i) set_atom_mulliken(rec, static_cast<int>(i), partial[i]);
    if (bonds) {
      g.bonds_final = true;
      FOR_BONDS_OF_MOL(b, mol) {
        const int order = static_cast<int>(b->GetBondOrder());
        rec.bond.push_back({static_cast<int>(b->GetBeginAtomIdx()) - 1, static_cast<int>(b->GetEndAtomIdx()) - 1,
                            order >= 1 && order <= 3 ? order : 1});
      }
    }
    std::optional<double> energy;
    if (static_cast<size_t>(c) < energies.size() && energies[static_cast<size_t>(c)] != 0)
      energy = energies[static_cast<size_t>(c)] / kcal_per_hartree;
    else if (program_output && c == conformers - 1 && mol.GetEnergy() != 0)
      energy = mol.GetEnergy() / kcal_per_hartree;
    if (energy) {
      rec.energy = *energy;
      rec.flags |= FLAG_ENERGY;
    }
    frames.push_back(std::move(g));
  }
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
  std::string in_format = format == "ent" ? "pdb" : format;
  if (format == "qc") {
    std::ifstream head_stream(path, std::ios::binary);
    std::string head(1 << 16, '\0');
    head_stream.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(head_stream.gcount()));
    in_format = output_format_of(head);
    if (in_format.empty()) {
      error = "not the output of Gaussian, ORCA, GAMESS, NWChem or Q-Chem";
      return false;
    }
  }
  OpenBabel::OBConversion conv;
  if (!conv.SetInFormat(in_format.c_str())) {
    error = "Open Babel does not read the format '" + in_format + "'";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "can't open " + path;
    return false;
  }
  std::vector<geometry_section_t> frames;
  OpenBabel::OBMol mol;
  const bool bonds = lists_bonds(in_format), output = is_program_output(in_format);
  for (bool more = conv.Read(&mol, &in); more; more = conv.Read(&mol)) {
    if (mol.NumAtoms() > 0) add_frames(mol, bonds, output, frames);
    mol.Clear();
  }
  if (frames.empty()) {
    error = "Open Babel found no atoms in it (format " + in_format + ")";
    return false;
  }
  for (geometry_section_t& g : frames) g.comment = "converted from " + path + " by mivor-convert";
  return write_geometry_sections(target, frames, error);
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
