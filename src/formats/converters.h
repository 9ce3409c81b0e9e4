// Running the converter programs of foreign file types.
#pragma once

#include <string>
#include <vector>

// How a converter run ended.
struct converter_run_t {
  bool started = false;      // false: the program could not be started
  int status = -1;           // exit status; -1 when it did not exit normally
  std::string message;       // the last line it wrote on standard error
  bool timed_out = false;    // stopped at the time limit
  long long time_limit = 0;  // seconds
  bool ok() const { return started && status == 0; }
};

// Options put before the file name for the forward converters (mivor-cli
// passes them on; the viewer gives none).
extern std::vector<std::string> converter_options;

// Runs `program` with `options` and then `file` as its arguments and waits
// for it, telling the notifier that we wait; when the user stops it, or it
// runs past the time limit (MIVOR_CONVERTER_TIMEOUT seconds, half an hour
// unless set), it is ended with what it started and the run counts as
// failed. It ends too when this program ends, however that happens. What
// it writes on standard error is passed on to ours.
converter_run_t run_converter(const std::string& program, const std::string& file,
                              const std::vector<std::string>& options = {});
// Runs the forward converter of type `type` on `name`; false (with a
// warning that says why) when it could not be started or failed.
bool convert_from_foreign(int type, const std::string& name);
// Runs the backward converter of type `type` on the native file; false
// (with a warning) when it could not be started or failed. A type without a
// backward converter has nothing to do and succeeds.
bool convert_to_target_file(int type, const std::string& native_name);
