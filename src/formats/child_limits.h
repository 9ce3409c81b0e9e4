// What every program Mivor starts has in common: it ends when the program
// that started it ends, and it is stopped when it runs past a time limit.
#pragma once

#include <sys/types.h>

#include <string>

// Time limits, in seconds, and the environment variables that change them.
// A conversion of the largest files takes minutes (every orbital of a large
// basis on a fine lattice); half an hour means the converter hangs. A calculation may rightly run for days; three days is
// longer than any the window is kept open to follow, and still ends a
// program that would otherwise run on forever unattended.
constexpr long long converter_time_limit_default = 1800;
constexpr const char* converter_time_limit_variable = "MIVOR_CONVERTER_TIMEOUT";
constexpr long long calculation_time_limit_default = 3 * 24 * 3600;
constexpr const char* calculation_time_limit_variable = "MIVOR_CALCULATION_TIMEOUT";
// Seconds between asking a stopped program to end and killing it.
constexpr int kill_after_seconds = 3;

// The limit in seconds: the environment variable `name` when it holds a
// positive whole number, else `default_seconds`.
long long time_limit_seconds(const char* name, long long default_seconds);
// "10 minutes", "3 days", "1 second": a limit for a message.
std::string describe_seconds(long long seconds);

// In a child between fork and exec (async-signal-safe only): the kernel
// sends it SIGTERM (its default action restored) when `parent` ends; when
// `parent` has already ended, the child ends at once.
void end_with_parent(pid_t parent);
