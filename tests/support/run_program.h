// Runs a program to its end with a chosen environment and working
// directory, and returns its exit status and both output streams.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

struct program_result {
  int status = -1;  // exit status; -1 when it did not exit normally
  std::string out;
  std::string err;
  double cpu_seconds = 0;  // user and system time of the program
  long peak_rss_kb = 0;    // its largest resident set
};

// `env` entries set a variable, or unset it when the value is nullopt.
// A program that opens windows gets `drive`: it runs on a private X display,
// `drive(pid)` acts on it, then its windows are closed until it ends.
program_result run_program(const std::vector<std::string>& argv,
                           const std::map<std::string, std::optional<std::string>>& env, const std::string& cwd,
                           const std::function<void(int)>& drive = nullptr);
