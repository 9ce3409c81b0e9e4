// How the calculation wrappers run a quantum-chemistry program: in a scratch
// folder of its own that goes away with the wrapper, its output streams in
// files there, with a look at its progress a few times a second, and ended
// together with the wrapper when the window stops the calculation.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

// A fresh folder under $TMPDIR (or /tmp), removed with all it holds when the
// holder goes.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  // Empty when no folder could be made.
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// SIGTERM, SIGINT and SIGHUP no longer end the wrapper at once: they only
// set the flag that `run_program` and the wrappers look at.
void install_termination_handlers();
bool termination_requested();

struct run_result_t {
  bool started = false;  // false: `error` says why the program could not start
  int wait_status = 0;
  bool terminated = false;  // ended because the wrapper was asked to end
  bool timed_out = false;   // stopped at the time limit (said on standard error)
  std::string error;
};

// Runs `argv` (the program found on the executable path) in `dir` with
// `env` added to the environment, standard output into `dir`/`out_name`
// and standard error into `dir`/`err_name`, standard input empty; calls
// `progress` about four times a second while it runs, and once more after
// it ended. When the wrapper is asked to end, or the program runs past the
// time limit of calculations (MIVOR_CALCULATION_TIMEOUT seconds, else three
// days), the program and the programs it started (its process group) are
// asked to end, and killed after three seconds; the program also ends when
// the wrapper ends.
run_result_t run_program_in(const std::vector<std::string>& argv, const std::string& dir,
                            const std::map<std::string, std::string>& env, const std::string& out_name,
                            const std::string& err_name, const std::function<void()>& progress);

// The last `lines` lines of a text file ("" when it can't be read).
std::string last_lines_of(const std::string& path, int lines);
