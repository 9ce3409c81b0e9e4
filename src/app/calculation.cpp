// A run goes idle → started (file saved, program running, the molecule on
// show unchanged) → following (the window shows the new file and reloads it
// when it changes, every second) → ended (completed, failed or stopped,
// said once on status bar 2). A program that fails while still started
// never replaces the molecule on show.
#include "app/calculation.h"

#include <glib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "app/calc_process.h"
#include "app/guarded.h"
#include "document/current_file.h"
#include "document/open_close.h"
#include "document/save.h"
#include "formats/child_limits.h"
#include "molecule/mol_data.h"
#include "molecule/notify.h"

const char calc_started_text[] = "Calculation started...";
const char calc_running_text[] = "Calculation running...";
const char calc_completed_text[] = "Calculation completed";
const char calc_stopped_text[] = "Calculation stopped";
const char calc_failed_text[] = "Calculation failed";
const char calc_no_file_text[] = "No file is selected, calculation can not proceed!";
const char calc_busy_text[] =
    "A calculation is running. Stop it on the \"calculation\" page, or wait until it has completed, before "
    "starting another one.";

namespace {

constexpr guint follow_milliseconds = 1000;
constexpr int max_file_number = 99999;
constexpr int stderr_lines_shown = 10;

struct run_state_t {
  bool active = false;     // started and not yet ended
  bool following = false;  // the window shows the run's file
  bool stopped = false;    // the user stopped it
  bool exited = false;     // the program has ended (calc_alive clear)
  int wait_status = 0;
  std::string name;  // the file the program rewrites
  std::string program;
  guint calc_timer = 0;
} run;
// Numbers the runs, so that the end of a run that was reset is ignored.
int run_number = 0;

bool exited_well(int wait_status) { return WIFEXITED(wait_status) && WEXITSTATUS(wait_status) == 0; }

std::string failure_message() {
  std::string text = "The calculation " + run.program + " " + describe_wait_status(run.wait_status) + ".";
  if (calculation_process_timed_out())
    text = "The calculation " + run.program + " was stopped: it ran longer than " +
           describe_seconds(calculation_time_limit()) + ", the time limit (" + calculation_time_limit_variable + ").";
  const std::string tail = calculation_stderr_tail(stderr_lines_shown);
  if (!tail.empty()) text += "\n\nThe last lines of its standard error:\n" + tail;
  return text;
}

void say(const char* text) { notifier().status(StatusBar::lower, text); }

void end_run() {
  if (run.calc_timer) g_source_remove(run.calc_timer);
  run = run_state_t{};
  notifier().calculation_changed();
}

// Shows geometry `target` when it is not the one on show.
void show_geometry_index(int target) {
  if (target == igeo || target < 0 || target >= n_geometries()) return;
  igeo = target;
  get_new_section();
  notifier().geometry_shown();
  rerender_3d();
  redraw();
}

// The window shows the run's file from now on, at its latest geometry: a
// program that wrote several steps before the first look shows where it
// has got to.
void follow_file() {
  close_file();
  open_file(run.name, std::nullopt);
  run.following = true;
  show_geometry_index(n_geometries() - 1);
}

// Reloads the file when it changed; the view stays at the last geometry
// when it was there (an optimisation is followed step by step), else at the
// geometry the user went to.
void reload_if_changed() {
  const bool at_last = igeo >= n_geometries() - 1;
  const int before = igeo;
  const watched_file_t seen = watched_file;
  check_if_file_changed();
  if (watched_file == seen) return;
  const int n = n_geometries();
  show_geometry_index(std::max(0, at_last ? n - 1 : std::min(before, n - 1)));
}

// A program that failed before the window changed to its file: the
// molecule on show stays.
bool failed_before_following() { return run.exited && !run.following && !run.stopped && !exited_well(run.wait_status); }

// Says how the run ended and ends it. What allocates comes before the run is
// reset, so that running out of memory leaves the run to be ended again.
void finish_run() {
  const bool well = exited_well(run.wait_status);
  const std::string message = run.stopped || well ? "" : failure_message();
  say(run.stopped ? calc_stopped_text : well ? calc_completed_text : calc_failed_text);
  end_run();
  if (!message.empty()) make_warning(message);
}

// The follow-up of run `number`, every second. Guarded to run again when
// memory ran out (guarded<check_if_calc_runs, TRUE>): the next tick tries
// again, so a run is followed and ended even when one tick failed; a tick
// whose run has ended or been replaced stops.
gboolean check_if_calc_runs(gpointer number) {
  if (GPOINTER_TO_INT(number) != run_number || !run.active) return FALSE;
  if (!failed_before_following()) {
    if (!run.following) {
      follow_file();
    } else {
      reload_if_changed();
    }
    if (!run.exited) {
      say(calc_running_text);
      return TRUE;
    }
  }
  run.calc_timer = 0;
  finish_run();
  return FALSE;
}

void mivor_calculation_over(int number, int wait_status) {
  if (number != run_number || !run.active) return;
  run.exited = true;
  run.wait_status = wait_status;
  if (failed_before_following()) finish_run();
}

bool file_exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

std::optional<std::string> working_directory() {
  std::vector<char> buffer(4096);
  if (!getcwd(buffer.data(), buffer.size())) return std::nullopt;
  return std::string(buffer.data());
}

}  // namespace

std::optional<std::string> new_calculation_file_name(const std::string& dir) {
  char number[16];
  for (int k = 1; k <= max_file_number; ++k) {
    std::snprintf(number, sizeof number, "%.3d", k);
    const std::string name = dir + "/newfile_" + number + ".mvr";
    if (!file_exists(name)) return name;
  }
  return std::nullopt;
}

std::vector<std::string> calculation_arguments(const calc_def_t& def, const std::optional<std::string>& input_file,
                                               const std::vector<std::string>& entry_texts,
                                               const std::string& new_file) {
  std::vector<std::string> argv{def.plugin};
  if (def.file) {
    argv.push_back("-f");
    argv.push_back(input_file.value_or(""));
  }
  for (size_t k = 0; k < def.arg_name.size(); ++k) {
    argv.push_back(def.arg_name[k]);
    argv.push_back(k < entry_texts.size() ? entry_texts[k] : def.arg_value[k].value_or(""));
  }
  argv.push_back(new_file);
  return argv;
}

bool mivor_start_calculation(int index, const std::optional<std::string>& input_file,
                             const std::vector<std::string>& entry_texts) {
  if (index < 0 || index >= n_calc_defs()) return false;
  if (run.active) {
    make_warning(calc_busy_text);
    return false;
  }
  const calc_def_t& def = calc_defs[static_cast<size_t>(index)];
  if (def.file && (!input_file || input_file->empty())) {
    make_warning(calc_no_file_text);
    return false;
  }
  const std::optional<std::string> cwd = working_directory();
  const std::optional<std::string> name = cwd ? new_calculation_file_name(*cwd) : std::nullopt;
  if (!name) {
    make_warning(cwd ? "ERROR: No free name newfile_001.mvr to newfile_99999.mvr in " + *cwd
                     : std::string("ERROR: The working directory can't be found"));
    return false;
  }
  if (!save_zev_file(*name)) return false;
  return set_calculation(calculation_arguments(def, input_file, entry_texts, *name), *name, def.path);
}

bool set_calculation(const std::vector<std::string>& argv, const std::string& name,
                     const std::optional<std::string>& path) {
  if (run.active) {
    make_warning(calc_busy_text);
    return false;
  }
  std::string error;
  const int number = ++run_number;
  const auto over = [number](int wait_status) { mivor_calculation_over(number, wait_status); };
  if (!spawn_calculation_process(argv, path, over, error)) {
    make_warning(error);
    return false;
  }
  run.active = true;
  run.name = name;
  run.program = argv.front();
  run.calc_timer = g_timeout_add(follow_milliseconds, guarded<check_if_calc_runs, TRUE>, GINT_TO_POINTER(number));
  say(calc_started_text);
  notifier().calculation_changed();
  return true;
}

void mivor_stop_calculation() {
  if (!run.active || run.exited) return;
  run.stopped = true;
  stop_calculation_process();
}

bool calculation_running() { return run.active; }

void reset_calculation_state() {
  if (run.active && !run.exited) stop_calculation_process();
  if (run.calc_timer) g_source_remove(run.calc_timer);
  run = run_state_t{};
  ++run_number;
}
