#include "app/command_line.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "formats/text_words.h"
#include "molecule/settings.h"
#include "molecule/version.h"

const char* init_filename = nullptr;

color_t background_for(const char* word) {
  switch (word[0]) {
    case 'b':
      return {0.0f, 0.0f, 0.0f, 0.0f};
    case 'g':
      return {0.5f, 0.5f, 0.5f, 0.0f};
    case 'w':
      return {1.0f, 1.0f, 1.0f, 0.0f};
    default:
      return {0.8f, 0.8f, 0.8f, 0.0f};
  }
}

namespace {

// Applies the value of a flag that takes one. Values that can't be read
// leave the setting as it was.
void apply_value(char flag, const char* value, input_data_t& data) {
  const char* end;
  switch (flag) {
    case 's': {
      const int size = parse_int(value, &end);
      // A drawing area needs at least one pixel.
      if (end != value && size > 0) data.initial_screen_size = size;
      break;
    }
    case 'l': {
      const double level = parse_double(value, &end);
      if (end != value) data.isolevel = level;
      break;
    }
    case 't': {
      const float alpha = parse_float(value, &end);
      if (end != value) data.object_color.alpha = alpha;
      break;
    }
    case 'b': {
      const color_t c = background_for(value);
      data.background_color.red = c.red;
      data.background_color.green = c.green;
      data.background_color.blue = c.blue;
      break;
    }
  }
}

bool takes_value(const char* arg) {
  return std::strcmp(arg, "-s") == 0 || std::strcmp(arg, "-l") == 0 || std::strcmp(arg, "-t") == 0 ||
         std::strcmp(arg, "-b") == 0;
}

}  // namespace

CommandLineAction parse_command_line(int argc, char** argv, input_data_t& data) {
  init_filename = nullptr;
  int last_used = 0;  // the last argument a flag used
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (arg[0] != '-') continue;
    last_used = i;
    if (arg[1] == 'h' || arg[1] == '?') return CommandLineAction::help;
    if (arg[1] == 'v' || std::strcmp(arg, "--version") == 0) return CommandLineAction::version;
    if (std::strcmp(arg, "--single") == 0) {
      data.single_bonds_only = 1;
    } else if (std::strcmp(arg, "-m") == 0) {
      data.animate = 1;
    } else if (takes_value(arg) && i + 1 < argc) {
      apply_value(arg[1], argv[i + 1], data);
      last_used = i + 1;
    }
  }
  if (argc > 1 && argc - 1 > last_used) init_filename = argv[argc - 1];
  return CommandLineAction::run;
}

void load_values_from_command_line_args(int argc, char** argv) {
  switch (parse_command_line(argc, argv, Input_Data)) {
    case CommandLineAction::help:
      Print_help();
      std::exit(0);
    case CommandLineAction::version:
      print_version();
      std::exit(0);
    case CommandLineAction::run:
      break;
  }
}

std::string help_text() {
  return std::string(" Visualization of geometry, molecular orbitals and densities\n") + "Usage: " + program_name +
         " [-flag value] [filename]\n"
         "Available flags: \n"
         " -h                     : this help \n"
         " -?                     : this help \n"
         " -m                     : start in animation mode \n"
         " -s integer             : set initial screen size\n"
         " -l real                : isovalue level \n"
         " -v, --version          : version \n"
         " -t real (0.0-1.0)      : transparency level \n"
         " -b white|grey|black    : background \n"
         " --single               : determine single bonds only \n";
}

std::string version_text() { return std::string(program_name) + " version: " + program_version + "\n"; }

void Print_help() {
  std::fputs(help_text().c_str(), stdout);
  std::fflush(stdout);
}

void print_version() {
  std::fputs(version_text().c_str(), stdout);
  std::fflush(stdout);
}

void reset_command_line() { init_filename = nullptr; }
