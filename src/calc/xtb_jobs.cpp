// xtb runs for the wrappers. The optimisation is followed through the log
// xtb appends a frame to after every step; the frequencies are read from
// the Gaussian-style file it writes at the end.
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "calc/child_run.h"
#include "calc/jobs.h"
#include "calc/xtb_output.h"
#include "convert/text_lines.h"
#include "convert/xyz.h"
#include "formats/native_writer.h"
#include "formats/safe_file.h"

namespace {

const char* const levels[] = {"crude", "sloppy", "loose", "lax", "normal", "tight", "vtight", "extreme"};

// What the runs share: the command line read, the geometry, the scratch
// folder with the input, and the program's messages when it fails.
struct xtb_run_t {
  std::string job;
  std::string file;
  geometry_section_t geometry;
  ScratchDir scratch;
  std::vector<std::string> argv;

  // False (with the message printed) when the run can't start.
  bool prepare(const job_options_t& options, const std::vector<std::string>& task, int& status) {
    const std::optional<int> charge = option_int(options, "--charge", 0, -1000, 1000);
    const std::optional<int> uhf = option_int(options, "--uhf", 0, 0, 1000);
    if (!charge || !uhf) {
      status = job_failure(job, "--charge and --uhf take whole numbers (--uhf: 0 or more unpaired electrons)");
      return false;
    }
    std::string error;
    std::optional<geometry_section_t> g = last_geometry(file, error);
    if (!g) {
      status = job_failure(job, file + ": " + error);
      return false;
    }
    geometry = std::move(*g);
    geometry_section_t input = geometry;
    input.rec.flags &= ~FLAG_ENERGY;
    input.comment = "input of " + job;
    if (scratch.path().empty() || !write_file_atomically(scratch.file("input.xyz"), xyz_text({input}))) {
      status = job_failure(job, "can't write the input of xtb in a scratch folder");
      return false;
    }
    argv = {"xtb", "input.xyz"};
    argv.insert(argv.end(), task.begin(), task.end());
    for (const std::string& a :
         {std::string("--chrg"), std::to_string(*charge), std::string("--uhf"), std::to_string(*uhf)})
      argv.push_back(a);
    return true;
  }

  // The status for a run that did not end well.
  int failed(const run_result_t& r) const {
    if (r.terminated) return job_ended;
    if (!r.started) return job_failure(job, r.error);
    std::string said = last_lines_of(scratch.file("xtb.err"), 8);
    if (said.find_first_not_of(" \n\t") == std::string::npos) said = last_lines_of(scratch.file("xtb.out"), 8);
    return job_failure(job, "xtb failed; its last lines:\n" + said);
  }

  bool write(const std::vector<geometry_section_t>& geometries, int& status) const {
    std::string error;
    if (write_geometry_sections(file, geometries, error)) return true;
    status = job_failure(job, error);
    return false;
  }
};

bool ended_well(const run_result_t& r) {
  return r.started && !r.terminated && WIFEXITED(r.wait_status) && WEXITSTATUS(r.wait_status) == 0;
}

bool same_atoms(const xtb_step_t& a, const xtb_step_t& b) {
  if (a.atoms.natom() != b.atoms.natom()) return false;
  for (size_t i = 0; i < a.atoms.xyz.size(); ++i)
    for (size_t c = 0; c < 3; ++c)
      if (std::abs(a.atoms.xyz[i][c] - b.atoms.xyz[i][c]) > 1e-9) return false;
  return true;
}

}  // namespace

int run_xtb_optimisation(const job_options_t& options, const std::string& file) {
  xtb_run_t run{"xtb-opt", file, {}, {}, {}};
  const std::string level = option_text(options, "--level", "normal");
  if (std::find(std::begin(levels), std::end(levels), level) == std::end(levels))
    return job_failure(run.job, "--level takes crude, sloppy, loose, lax, normal, tight, vtight or extreme");
  int status = job_done;
  if (!run.prepare(options, {"--opt", level}, status)) return status;

  // Every new step of the log rewrites the file with all steps so far.
  size_t written = 0;
  bool write_failed = false;
  const auto follow = [&] {
    std::string text, error;
    if (write_failed || !read_whole_file(run.scratch.file("xtbopt.log"), text, error)) return;
    const std::vector<xtb_step_t> steps = parse_xtb_steps(text);
    if (steps.size() <= written) return;
    written = steps.size();
    write_failed = !run.write(steps_to_geometries(steps), status);
  };
  const run_result_t r = run_program_in(run.argv, run.scratch.path(), {}, "xtb.out", "xtb.err", follow);
  if (write_failed) return status;
  if (!ended_well(r)) return run.failed(r);

  // The log ends with the step before the last; the optimised geometry is
  // in "xtbopt.xyz".
  std::string log, final_text, error;
  read_whole_file(run.scratch.file("xtbopt.log"), log, error);
  std::vector<xtb_step_t> steps = parse_xtb_steps(log);
  if (read_whole_file(run.scratch.file("xtbopt.xyz"), final_text, error)) {
    const std::vector<xtb_step_t> last = parse_xtb_steps(final_text);
    if (!last.empty() && (steps.empty() || !same_atoms(steps.back(), last.front()))) steps.push_back(last.front());
  }
  if (steps.empty()) return job_failure(run.job, "xtb wrote no optimisation steps");
  return run.write(steps_to_geometries(steps), status) ? job_done : status;
}

int run_xtb_frequencies(const job_options_t& options, const std::string& file) {
  xtb_run_t run{"xtb-freq", file, {}, {}, {}};
  int status = job_done;
  if (!run.prepare(options, {"--hess"}, status)) return status;
  const run_result_t r = run_program_in(run.argv, run.scratch.path(), {}, "xtb.out", "xtb.err", nullptr);
  if (!ended_well(r)) return run.failed(r);

  std::string g98, output, error;
  geometry_section_t result = run.geometry;
  if (!read_whole_file(run.scratch.file("g98.out"), g98, error) || !parse_g98_modes(g98, result.rec, error))
    return job_failure(run.job, error);
  if (read_whole_file(run.scratch.file("xtb.out"), output, error)) {
    const std::optional<double> energy = xtb_total_energy(output);
    result.rec.energy = energy.value_or(0.0);
    result.rec.flags = energy ? result.rec.flags | FLAG_ENERGY : result.rec.flags & ~FLAG_ENERGY;
  }
  result.comment = "xtb frequencies";
  return run.write({result}, status) ? job_done : status;
}
