// SCF and RASSCF runs that write HDF5 orbital files, for the wrappers: the
// input written from the geometry (GATEWAY with the atoms in ångström in
// their own frame, SEWARD, then SCF or RASSCF), the program that runs it
// (the command in MIVOR_RASSCF_PROGRAM: it is not part of Mivor) started
// in a scratch folder that holds its work folder too, the input named
// after the project, and the HDF5 file it leaves put on grids as the HDF5
// converter puts it. The orbital file embedded in the
// result names in its title the basis set and the symmetry setting its
// orbitals were made with ("SCF orbitals; basis STO-3G; group full"), so
// that RASSCF started from them builds the same functions in the same
// irreps.
//
// Symmetry: "Group = full" lets the program find the symmetry elements the
// molecule has as it lies (planes and twofold axes through the origin
// along the coordinate axes); it moves nothing, and a molecule placed
// otherwise, or not quite symmetric, is computed without symmetry.
#include <sys/stat.h>
#include <sys/wait.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "calc/child_run.h"
#include "calc/jobs.h"
#include "convert/orbital_file_grids.h"
#include "convert/text_lines.h"
#include "formats/inporb.h"
#include "formats/native_reader.h"
#include "formats/safe_file.h"
#include "formats/text_tail.h"
#include "formats/text_words.h"

namespace {

const char project[] = "mivor";  // the program names its files after its input
const char input_name[] = "mivor.input";
// The environment variable that holds the command running the inputs.
const char program_variable[] = "MIVOR_RASSCF_PROGRAM";
const char start_name[] = "start.RasOrb";
const char log_name[] = "run.log";
const char err_name[] = "run.err";
const char default_basis[] = "STO-3G";
// Basis set names ("6-31G*", "ANO-S-MB", "O.ANO-S-VDZP,H.STO-3G").
const char basis_signs[] = "-_+*().,";
// The program's messages that the window shows of a failure, with the line
// that introduces them (it shows ten).
constexpr size_t message_lines = 9;

// What orbitals were made with: GATEWAY's basis set and symmetry setting
// ("full", "nosym", or generators such as "X Y").
struct run_setup_t {
  std::string basis;
  std::string group;
};

std::string titled(const std::string& title, const run_setup_t& s) {
  return title + "; basis " + s.basis + "; group " + s.group;
}

// The setup a title records; a field it does not record stays empty.
run_setup_t setup_of_title(const std::string& title) {
  run_setup_t s;
  for (size_t at = 0; at < title.size();) {
    size_t end = title.find(';', at);
    if (end == std::string::npos) end = title.size();
    const std::string part(trim(std::string_view(title).substr(at, end - at)));
    if (part.rfind("basis ", 0) == 0) s.basis = std::string(trim(part.substr(6)));
    if (part.rfind("group ", 0) == 0) s.group = std::string(trim(part.substr(6)));
    at = end + 1;
  }
  return s;
}

// A symmetry setting GATEWAY reads: words of letters.
bool is_group(const std::string& g) {
  if (g.empty() || g.size() > 24) return false;
  for (unsigned char c : g)
    if (!std::isalpha(c) && c != ' ') return false;
  return true;
}

std::string gateway_text(const mol_data_t& g, const run_setup_t& s) {
  std::string text = "&GATEWAY\nCoord\n" + std::to_string(g.natom()) + "\nwritten by Mivor\n";
  char line[256];
  for (int i = 0; i < g.natom(); ++i) {
    const vec3& p = g.xyz[static_cast<size_t>(i)];
    std::snprintf(line, sizeof line, "%s %.10f %.10f %.10f\n", atom_element(g, i).name.c_str(), p[0], p[1], p[2]);
    text += line;
  }
  return text + "Basis = " + s.basis + "\nGroup = " + s.group + "\n&SEWARD\n";
}

bool blank(const std::string& s) { return s.find_first_not_of(" \t\n") == std::string::npos; }

std::string joined_words(std::string_view line) {
  std::string out;
  for (std::string_view w : split_words(line)) out += (out.empty() ? "" : " ") + std::string(w);
  return out;
}

// The lines of `text` from `at` on, trimmed and without frames of '#'
// (the program's message boxes), blank lines and runs of blanks, as far as
// a module's stop line ("--- Stop Module") and at most `max_lines` lines.
// Lines naming the scratch folder are left out: the files they name are
// gone with it.
std::string message_text(const std::string& text, size_t at, const std::string& scratch, size_t max_lines) {
  std::string out;
  for (size_t lines = 0; at < text.size() && lines < max_lines;) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string_view line = trim(std::string_view(text).substr(at, end - at));
    at = end + 1;
    if (line.rfind("--- Stop Module", 0) == 0) break;
    while (!line.empty() && line.front() == '#') line.remove_prefix(1);
    while (!line.empty() && line.back() == '#') line.remove_suffix(1);
    const std::string words = joined_words(line);
    if (words.empty() || words.find(scratch) != std::string::npos) continue;
    out += words + "\n";
    ++lines;
  }
  return out;
}

// Where the first module that did not end well says it stopped; npos when
// none did.
size_t failed_module_stop(const std::string& log) {
  for (size_t at = log.find("--- Stop Module"); at != std::string::npos; at = log.find("--- Stop Module", at + 1)) {
    const size_t end = log.find('\n', at);
    if (log.substr(at, end == std::string::npos ? std::string::npos : end - at).find("_RC_ALL_IS_WELL_") ==
        std::string::npos)
      return at;
  }
  return std::string::npos;
}

// The program's account of a failure in its output: its messages from the
// first line that speaks of an error, or else the last lines before the
// module that failed stopped.
std::string run_messages(const std::string& log, const std::string& scratch, size_t max_lines) {
  const size_t error_at = find_nocase(log, "error");
  if (error_at != std::string::npos) {
    const size_t line_start = log.rfind('\n', error_at);
    return message_text(log, line_start == std::string::npos ? 0 : line_start + 1, scratch, max_lines);
  }
  const size_t stop = failed_module_stop(log);
  if (stop == std::string::npos) return {};
  size_t from = stop;
  for (size_t n = 0; n <= max_lines && from > 0; ++n) {
    const size_t line_end = log.rfind('\n', from - 1);
    from = line_end == std::string::npos ? 0 : line_end;
  }
  return message_text(log, from == 0 ? 0 : from + 1, scratch, max_lines);
}

// What a run found, for the one who started it: the program's result lines
// ("::") and, `with_spaces`, its last account of the orbital spaces (the
// "++" block that lists the frozen, inactive, active … orbitals, as far as
// its closing "--").
std::string run_summary(const std::string& log, bool with_spaces) {
  std::string out;
  const size_t frozen = with_spaces ? log.rfind("Frozen orbitals") : std::string::npos;
  const size_t block = frozen == std::string::npos ? frozen : log.rfind("\n++", frozen);
  const size_t spaces = block == std::string::npos ? block : block + 1;
  const size_t spaces_end = spaces == std::string::npos ? spaces : log.find("\n--", spaces);
  for (size_t at = 0; at < log.size();) {
    size_t end = log.find('\n', at);
    if (end == std::string::npos) end = log.size();
    const std::string_view line = std::string_view(log).substr(at, end - at);
    const bool in_spaces = spaces != std::string::npos && at >= spaces && at < spaces_end;
    if (in_spaces || trim(line).rfind("::", 0) == 0)
      out += std::string(line.substr(0, line.find_last_not_of(' ') + 1)) + "\n";
    at = end + 1;
  }
  return out;
}

// The files of a run by name: the input, the start orbitals.
using run_files_t = std::vector<std::pair<std::string, std::string>>;

// Runs the program on the input of `files` in `scratch`: true when it ended
// well and left `result` there, else false with `status` the job's exit
// status (the reason printed, in the program's words where it gave some).
bool run_orbital_program(const std::string& job, const ScratchDir& scratch, const run_files_t& files,
                  const std::string& result, int& status) {
  const char* program = std::getenv(program_variable);
  if (!program || !*program) {
    status = job_failure(job, std::string("no program runs the calculation: set ") + program_variable +
                                  " to the command that runs its input files");
    return false;
  }
  const std::string work = scratch.file("work");
  bool written = !scratch.path().empty() && mkdir(work.c_str(), 0700) == 0;
  for (const auto& [name, text] : files) written = written && write_file_atomically(scratch.file(name), text);
  if (!written) {
    status = job_failure(job, "can't write the input of the calculation in a scratch folder");
    return false;
  }
  // The work folder in the scratch folder; the results are left beside the
  // input, named after it.
  const run_result_t r =
      run_program_in({program, input_name}, scratch.path(), {{"WorkDir", work}}, log_name, err_name, nullptr);
  if (r.terminated) {
    status = job_ended;
    return false;
  }
  if (!r.started || r.timed_out) {
    status = job_failure(job, r.timed_out ? "the calculation did not finish within the time limit" : r.error);
    return false;
  }
  if (WIFEXITED(r.wait_status) && WEXITSTATUS(r.wait_status) == 0 && file_is_readable(scratch.file(result)))
    return true;
  std::string log, error;
  read_whole_file(scratch.file(log_name), log, error);
  std::string said = run_messages(log, scratch.path(), message_lines);
  if (blank(said)) said = last_lines_of(scratch.file(err_name), static_cast<int>(message_lines));
  if (blank(said)) said = last_lines(log, static_cast<int>(message_lines));
  status = job_failure(job, "the calculation failed; its messages:\n" + said);
  return false;
}

// The HDF5 file `h5` of a run written over `file`, as the HDF5 converter
// writes it: the geometry with the energy, the orbitals and density on
// grids, and the orbital file, its title naming `setup`.
bool write_result(const std::string& h5, const run_setup_t& setup, const std::string& file, std::string& error) {
  hdf5_orbitals_t f;
  if (!read_hdf5_orbitals(h5, f, error)) return false;
  f.orbitals.title = titled(f.orbitals.title, setup);
  return write_orbital_file_wavefunction(f, grid_options_t{}, h5, f.orbitals.title, file, error);
}

// Runs the input of `files` and writes the result of `module` over
// `file`; the job's exit status. What the run found goes to standard
// output, the orbital spaces `with_spaces`.
int run_and_write(const std::string& job, const run_files_t& files, const char* module, bool with_spaces,
                  const run_setup_t& setup, const std::string& file) {
  ScratchDir scratch;
  const std::string result = std::string(project) + "." + module + ".h5";
  int status = job_done;
  if (!run_orbital_program(job, scratch, files, result, status)) return status;
  std::string error, log;
  if (!write_result(scratch.file(result), setup, file, error)) return job_failure(job, error);
  if (read_whole_file(scratch.file(log_name), log, error)) std::fputs(run_summary(log, with_spaces).c_str(), stdout);
  return job_done;
}

// RASSCF's active electrons: "N", or "N HOLES ELECTRONS" (at most so many
// holes in RAS1 and electrons in RAS3).
std::optional<std::string> active_electrons(const std::string& text) {
  const std::vector<std::string_view> words = split_words(text);
  if (words.size() != 1 && words.size() != 3) return std::nullopt;
  std::string out;
  for (std::string_view w : words) {
    long long v = 0;
    if (!word_to_long(w, v) || v < 0 || v > 1000) return std::nullopt;
    out += (out.empty() ? "" : " ") + std::to_string(v);
  }
  return words.size() == 1 ? out + " 0 0" : out;
}

// The orbital file embedded with the grids of the last geometry of `file`,
// as the program reads it (`text`) and as read back (`orbitals`); false
// with `why` set when there is none, or it holds types but no orbitals.
bool start_orbitals(const std::string& file, std::string& text, inporb_t& orbitals, std::string& why) {
  file_ptr source = open_file_ptr(file, "rb");
  std::vector<geometry_section_t> sections;
  if (source) sections = read_geometry_sections(source.get());
  while (!sections.empty() && sections.back().rec.natom() == 0) sections.pop_back();
  std::optional<orbital_file_t> embedded;
  if (!sections.empty() && sections.back().rec.ngrid() > 0)
    embedded = read_orbital_file(source.get(), sections.back().rec);
  const std::string starts =
      "hdf5-rasscf starts from the orbitals of hdf5-scf, or of the files of the same program "
      "(.h5, .ScfOrb, .RasOrb) opened in Mivor";
  if (!embedded) {
    why = "its last geometry has no orbital file with its grids: " + starts;
    return false;
  }
  text = inporb_of_embedded(*embedded);
  std::string error;
  if (!parse_inporb(text, orbitals, error)) {
    why = "the orbital file of its last geometry holds orbital types but no orbitals of an INPORB file (" + error +
          "): " + starts;
    return false;
  }
  return true;
}

int active_orbitals(const inporb_t& orbitals) {
  int n = 0;
  for (const std::string& letters : orbitals.types)
    for (char c : letters) n += c == '1' || c == '2' || c == '3';
  return n;
}

}  // namespace

int run_hdf5_scf(const job_options_t& options, const std::string& file) {
  const std::string job = "hdf5-scf";
  const run_setup_t setup{option_text(options, "--basis", default_basis), "full"};
  const std::optional<int> charge = option_int(options, "--charge", 0, -1000, 1000);
  const std::optional<int> spin = option_int(options, "--spin", 1, 1, 1000);
  if (!is_input_name(setup.basis, basis_signs) || !charge || !spin)
    return job_failure(job,
                       "--basis takes the name of a basis set (such as STO-3G or ANO-S-MB), --charge a whole "
                       "number, --spin the multiplicity 2S+1 (1, 2, 3, ...)");
  std::string error;
  const std::optional<geometry_section_t> g = last_geometry(file, error);
  if (!g) return job_failure(job, file + ": " + error);
  if (!symbols_are_names(g->rec)) return job_failure(job, "an atom's symbol is not an element symbol");
  // Open shells unrestricted; SPIN is the multiplicity.
  std::string input = gateway_text(g->rec, setup) + "&SCF\nCharge = " + std::to_string(*charge) + "\n";
  if (*spin > 1) input += "UHF\nSpin = " + std::to_string(*spin) + "\n";
  return run_and_write(job, {{input_name, input}}, "scf", false, setup, file);
}

int run_hdf5_rasscf(const job_options_t& options, const std::string& file) {
  const std::string job = "hdf5-rasscf";
  const std::optional<std::string> nactel = active_electrons(option_text(options, "--nactel", "2"));
  const std::optional<int> spin = option_int(options, "--spin", 1, 1, 1000);
  const std::optional<int> roots = option_int(options, "--ciroot", 1, 1, 1000);
  const std::optional<int> symmetry = option_int(options, "--symmetry", 1, 1, 8);
  const std::string basis = option_text(options, "--basis", "");
  if (!nactel || !spin || !roots || !symmetry || (!basis.empty() && !is_input_name(basis, basis_signs)))
    return job_failure(job, std::string("--nactel takes the number of active electrons (or that, the most holes in ") +
                                "RAS1 and the most electrons in RAS3), --spin the multiplicity 2S+1, --symmetry " +
                                "the irrep of the state (1 to 8), --ciroot the number of roots, --basis the name " +
                                "of a basis set or nothing (the one the orbitals were made with)");
  std::string error, why, text;
  const std::optional<geometry_section_t> g = last_geometry(file, error);
  if (!g) return job_failure(job, file + ": " + error);
  if (!symbols_are_names(g->rec)) return job_failure(job, "an atom's symbol is not an element symbol");
  inporb_t orbitals;
  if (!start_orbitals(file, text, orbitals, why)) return job_failure(job, file + ": " + why);
  // RASSCF starts from one set of orbitals: of unrestricted ones (an open
  // shell's SCF), the alpha orbitals.
  if (orbitals.unrestricted()) {
    orbitals.spins.resize(1);
    text = inporb_text(orbitals);
  }
  if (active_orbitals(orbitals) == 0)
    return job_failure(job, file + ": no orbital is of an active type (RAS1, RAS2 or RAS3): set the types of " +
                                "the active orbitals (1, 2, 3) and save before the calculation");

  // The basis and symmetry of the orbitals, unless told otherwise; a title
  // that records no sound setting leaves the symmetry to the irreps.
  run_setup_t setup = setup_of_title(orbitals.title);
  if (!basis.empty()) setup.basis = basis;
  if (!is_input_name(setup.basis, basis_signs))
    return job_failure(job,
                       file + ": the orbitals don't say which basis set they were made with: give it with --basis");
  if (!is_group(setup.group)) setup.group = orbitals.nbas.size() > 1 ? "full" : "nosym";
  // The roots averaged with equal weights.
  const std::string input = gateway_text(g->rec, setup) + "&RASSCF\nFileOrb = " + start_name +
                            "\nTypeIndex\nNActEl = " + *nactel + "\nSpin = " + std::to_string(*spin) +
                            "\nSymmetry = " + std::to_string(*symmetry) + "\nCIRoot = " + std::to_string(*roots) + " " +
                            std::to_string(*roots) + " 1\n";
  return run_and_write(job, {{input_name, input}, {start_name, text}}, "rasscf", true, setup, file);
}
