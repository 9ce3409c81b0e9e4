// The command line: flags that override the settings, the file to open, and
// the help and version texts.
#pragma once

#include <string>

#include "molecule/types.h"

struct input_data_t;

// The background of "-b": black, grey or white by the first letter of
// `word`, light grey for any other.
color_t background_for(const char* word);

// The file named on the command line (points into the argument vector), or
// null.
extern const char* init_filename;

enum class CommandLineAction { run, help, version };

// Applies the flags of argv to `data`, sets `init_filename`, and says whether
// the program should go on or print help or version and end. Scanning stops
// at the first help or version flag.
CommandLineAction parse_command_line(int argc, char** argv, input_data_t& data);
// Parses the command line into `Input_Data`; for help and version prints the
// text and ends the program with status 0.
void load_values_from_command_line_args(int argc, char** argv);

std::string help_text();
std::string version_text();
void Print_help();
void print_version();

// Forgets the file named on the command line.
void reset_command_line();
