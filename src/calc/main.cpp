// mivor-calc: the calculation programs of "calculation.rc", installed under
// one name per calculation (links to this program) or called as
// "mivor-calc NAME [--option value …] FILE":
//   xtb-opt        geometry optimisation with xtb (GFN2-xTB)
//   xtb-freq       harmonic frequencies and IR intensities with xtb
//   psi4-orbitals  molecular orbitals with psi4, on a grid
//   hdf5-scf       SCF orbitals through an HDF5 orbital file, on grids, with
//                  their types (the program in MIVOR_RASSCF_PROGRAM)
//   hdf5-rasscf    RASSCF on the active space of the types, the same way
// FILE is the native file the window saved and follows; the program reads
// its last geometry and rewrites it with the results as they come.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "calc/child_run.h"
#include "calc/jobs.h"
#include "molecule/elements.h"

namespace {

const char usage[] =
    "usage: mivor-calc NAME [--option value ...] FILE.mvr   (or a link named NAME)\n"
    "  xtb-opt        [--charge N] [--uhf N] [--level crude|...|normal|...|extreme]\n"
    "  xtb-freq       [--charge N] [--uhf N]\n"
    "  psi4-orbitals  [--method hf] [--basis 6-31G*] [--charge N] [--multiplicity N]\n"
    "  hdf5-scf       [--basis STO-3G] [--charge N] [--spin 2S+1]\n"
    "  hdf5-rasscf    [--nactel N | \"N HOLES ELECTRONS\"] [--spin 2S+1] [--symmetry IRREP]\n"
    "                 [--ciroot N] [--basis NAME]\n"
    "FILE is read (its last geometry) and rewritten with the results.\n";

struct job_t {
  const char* name;
  int (*run)(const job_options_t&, const std::string&);
  std::vector<std::string> options;
};

const std::vector<job_t>& jobs() {
  static const std::vector<job_t> list = {
      {"xtb-opt", run_xtb_optimisation, {"--charge", "--uhf", "--level"}},
      {"xtb-freq", run_xtb_frequencies, {"--charge", "--uhf"}},
      {"psi4-orbitals", run_psi4_orbitals, {"--method", "--basis", "--charge", "--multiplicity"}},
      {"hdf5-scf", run_hdf5_scf, {"--basis", "--charge", "--spin"}},
      {"hdf5-rasscf", run_hdf5_rasscf, {"--nactel", "--spin", "--symmetry", "--ciroot", "--basis"}},
  };
  return list;
}

std::string base_name(const char* path) {
  const char* slash = std::strrchr(path, '/');
  return slash ? slash + 1 : path;
}

// Options come in pairs ("--charge" "0"; the value may be empty), the file
// last. False for anything else.
bool parse(const job_t& job, const std::vector<std::string>& args, job_options_t& options, std::string& file) {
  if (args.empty() || args.size() % 2 == 0) return false;
  for (size_t i = 0; i + 1 < args.size(); i += 2) {
    bool known = false;
    for (const std::string& o : job.options) known = known || o == args[i];
    if (!known) return false;
    options[args[i]] = args[i + 1];
  }
  file = args.back();
  return !file.empty();
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string name = base_name(argv[0]);
  if (name == "mivor-calc" && !args.empty()) {
    name = args.front();
    args.erase(args.begin());
  }
  for (const job_t& job : jobs()) {
    if (name != job.name) continue;
    job_options_t options;
    std::string file;
    if (!parse(job, args, options, file)) break;
    install_termination_handlers();
    use_builtin_element_table();
    return job.run(options, file);
  }
  std::fputs(usage, stderr);
  return job_usage;
}
