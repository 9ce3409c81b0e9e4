// External calculations on the current molecule: the molecule is saved to
// a new native file, the program of a "calculation.rc" definition is started
// on it, and the window follows the file while the program rewrites it,
// checking it every second. One calculation runs at a time.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/calc_defs.h"

// Messages of the run (status bar 2 and warnings).
extern const char calc_started_text[];    // "Calculation started..."
extern const char calc_running_text[];    // "Calculation running..."
extern const char calc_completed_text[];  // "Calculation completed"
extern const char calc_stopped_text[];    // "Calculation stopped"
extern const char calc_failed_text[];     // "Calculation failed"
extern const char calc_no_file_text[];    // the definition's input file is not chosen
extern const char calc_busy_text[];       // a second calculation while one runs

// `dir` + "/newfile_NNN.mvr" with the first number from 001 under which no
// file exists; null when every number up to 99999 is taken.
std::optional<std::string> new_calculation_file_name(const std::string& dir);
// The argument vector for definition `def`: the program, "-f" and the
// input file when the definition takes one, each argument's word followed by
// its entry's text (the default value where `entry_texts` has none), and
// the new file last.
std::vector<std::string> calculation_arguments(const calc_def_t& def, const std::optional<std::string>& input_file,
                                               const std::vector<std::string>& entry_texts,
                                               const std::string& new_file);

// Starts definition `index`: `input_file` is the file chosen on the page,
// `entry_texts` the texts of its argument entries. Saves the molecule under
// a new name in the working directory and starts the program on it. False
// (with a warning saying why) when nothing was started.
bool mivor_start_calculation(int index, const std::optional<std::string>& input_file,
                             const std::vector<std::string>& entry_texts);
// Starts the program of `argv` in `path` on the saved file `name`. The
// window changes to `name` at the first check a second later; a program that can't be started, or
// that fails before that change, leaves the open molecule as it is and
// shows why with the last lines of its standard error.
bool set_calculation(const std::vector<std::string>& argv, const std::string& name,
                     const std::optional<std::string>& path);
// Ends the running calculation and what it started; the file keeps what
// the program last wrote.
void mivor_stop_calculation();
// A started calculation has not yet been seen to end.
bool calculation_running();

// No run, no timer (tests).
void reset_calculation_state();
