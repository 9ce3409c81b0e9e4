// psi4 runs for the wrappers: the input written from the geometry, psi4
// run in a scratch folder (its scratch files there too), its Molden file
// turned into orbital grids by the Molden converter.
#include <sys/wait.h>

#include <cstdio>

#include "calc/child_run.h"
#include "calc/jobs.h"
#include "convert/molden_grids.h"
#include "formats/safe_file.h"

std::string psi4_input_text(const mol_data_t& g, const psi4_settings_t& s) {
  std::string text = "# psi4 input written by psi4-orbitals for Mivor\nmolecule {\n";
  char line[256];
  std::snprintf(line, sizeof line, "%d %d\n", s.charge, s.multiplicity);
  text += line;
  for (int i = 0; i < g.natom(); ++i) {
    const vec3& p = g.xyz[static_cast<size_t>(i)];
    std::snprintf(line, sizeof line, "%s %.10f %.10f %.10f\n", atom_element(g, i).name.c_str(), p[0], p[1], p[2]);
    text += line;
  }
  text += "units angstrom\nno_reorient\nno_com\n}\n";
  text += "set basis " + s.basis + "\nset scf_type pk\n";
  text += s.multiplicity == 1 ? "set reference rhf\n" : "set reference uhf\n";
  text += "e, wfn = energy('" + s.method + "', return_wfn=True)\n";
  text += "molden(wfn, 'orbitals.molden')\n";
  return text;
}

int run_psi4_orbitals(const job_options_t& options, const std::string& file) {
  const std::string job = "psi4-orbitals";
  psi4_settings_t s;
  s.method = option_text(options, "--method", s.method);
  s.basis = option_text(options, "--basis", s.basis);
  const std::optional<int> charge = option_int(options, "--charge", 0, -1000, 1000);
  const std::optional<int> multiplicity = option_int(options, "--multiplicity", 1, 1, 1000);
  if (!is_input_name(s.method, "-_+()") || !is_input_name(s.basis, "-_+*()") || !charge || !multiplicity)
    return job_failure(job,
                       "--method and --basis take a name (such as hf and 6-31G*), --charge a whole number, "
                       "--multiplicity a whole number from 1");
  s.charge = *charge;
  s.multiplicity = *multiplicity;

  std::string error;
  const std::optional<geometry_section_t> g = last_geometry(file, error);
  if (!g) return job_failure(job, file + ": " + error);
  if (!symbols_are_names(g->rec)) return job_failure(job, "an atom's symbol is not an element symbol");
  ScratchDir scratch;
  if (scratch.path().empty() || !write_file_atomically(scratch.file("input.dat"), psi4_input_text(g->rec, s)))
    return job_failure(job, "can't write the input of psi4 in a scratch folder");

  const run_result_t r = run_program_in({"psi4", "input.dat", "output.dat"}, scratch.path(),
                                        {{"PSI_SCRATCH", scratch.path()}}, "psi4.out", "psi4.err", nullptr);
  if (r.terminated) return job_ended;
  if (!r.started) return job_failure(job, r.error);
  if (!WIFEXITED(r.wait_status) || WEXITSTATUS(r.wait_status) != 0 ||
      !file_is_readable(scratch.file("orbitals.molden"))) {
    std::string said = last_lines_of(scratch.file("psi4.err"), 8);
    if (said.find_first_not_of(" \n\t") == std::string::npos) said = last_lines_of(scratch.file("output.dat"), 12);
    return job_failure(job, "psi4 failed; its last lines:\n" + said);
  }
  if (!convert_molden(scratch.file("orbitals.molden"), grid_options_t{}, file, error)) return job_failure(job, error);
  return job_done;
}
