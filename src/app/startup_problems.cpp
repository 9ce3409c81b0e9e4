#include "app/startup_problems.h"

#include <cstdio>

#include "app/config_dir.h"
#include "formats/file_types.h"
#include "molecule/notify.h"

namespace {

const char places[] =
    "- path defined with the MIVOR_DIR environment variable\n"
    "- $HOME/.mivor\n"
    "- /usr/local/share/mivor\n"
    "- directory containing mivor.exe";

std::string converter_warning(const std::optional<std::string>& converter) {
  char buf[1024];
  std::snprintf(buf, sizeof buf,
                "Plugin file %s can not be found. Please ensure that the file plugin.rc contains correct path to "
                "it. The file plugin.rc should be in one of the following places:\n\n%s.",
                converter ? converter->c_str() : "(null)", places);
  return buf;
}

// The input type a converter problem code names, or null.
const input_filetype_t* type_of_problem(int code, int base) {
  const int k = code - base;
  if (k < 0 || k >= n_input_types()) return nullptr;
  return &input_filetypes[static_cast<size_t>(k)];
}

}  // namespace

std::string startup_warning_text(int code) {
  switch (code) {
    case PROBLEM_NONE:
      return "";
    case PROBLEM_NO_CONFIG_DIR:
      return "Mivor can not find plugin directory. Please locate mivorrc directory in the mivor build directory "
             "and copy its contents to the one of the places:\n\n"
             "- path defined with the MIVOR_DIR environment variable\n"
             "- $HOME/.mivor;\n"
             "- /usr/local/share/mivor\n"
             "- directory containing mivor.exe";
    case PROBLEM_NO_CALCULATIONS:
      return std::string(
                 "mivor can not locate calculation.rc plugin file. If you want to run external calculations, "
                 "please place calculation.rc file in the mivor configuration directory. It should be in one of "
                 "the following places:\n\n") +
             places;
    case PROBLEM_NO_FRAGMENTS:
      return std::string(
                 "mivor can not locate fragments.rc plugin file. If you want to use molecular fragments, please "
                 "locate fragments.rc file and all files listed in it and place them in the mivor configuration "
                 "directory. It should be in one of the following places:\n\n") +
             places;
    case PROBLEM_NO_PLUGINS:
      return std::string(
                 "mivor can not locate plugin.rc plugin file. This prevents mivor to open different file formats "
                 "other than the mvr format. Please make sure that the plugin.rc file is placed in the mivor "
                 "configuration directory. It should be in one of the following places:\n\n") +
             places + ".";
  }
  if (code > PROBLEM_FORWARD_CONVERTER && code <= PROBLEM_BACKWARD_CONVERTER) {
    if (const input_filetype_t* t = type_of_problem(code, PROBLEM_FORWARD_CONVERTER))
      return converter_warning(t->forward);
  } else if (code > PROBLEM_BACKWARD_CONVERTER) {
    if (const input_filetype_t* t = type_of_problem(code, PROBLEM_BACKWARD_CONVERTER))
      return converter_warning(t->backward);
  }
  return "";
}

void print_plugin_warnings() {
  const std::string text = startup_warning_text(error_config_does_not_exist);
  if (!text.empty()) make_warning(text);
}
