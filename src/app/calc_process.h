// The program of an external calculation as a child process: started with
// an argument vector and a working directory in a process group of its own,
// its standard error kept (and echoed on ours), its end reported from the
// GLib main loop, and stopped with everything it started: on request, at
// its time limit, and when the window ends. One at a time.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

// Starts argv[0] (no search of the executable path) in `dir` (the working
// directory is inherited when null) with the inherited environment.
// `on_end` is called once, from the main loop, with the wait status when the
// program has ended. False with the toolkit's message in `error` when it
// could not be started.
bool spawn_calculation_process(const std::vector<std::string>& argv, const std::optional<std::string>& dir,
                               std::function<void(int wait_status)> on_end, std::string& error);
// True from a successful start until the program has ended.
bool calculation_process_alive();
// The time limit in seconds (MIVOR_CALCULATION_TIMEOUT, else three days),
// and whether the last program was stopped because it ran past it.
long long calculation_time_limit();
bool calculation_process_timed_out();
// Asks the program and every process it started to end (SIGTERM to its
// process group); those still there three seconds later are killed.
void stop_calculation_process();
// The last `lines` lines the program wrote on its standard error.
std::string calculation_stderr_tail(int lines = 10);
// Describes a wait status for a message: "exited with status 2", "was
// ended by signal 9".
std::string describe_wait_status(int wait_status);
