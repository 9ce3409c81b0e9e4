#include "formats/file_names.h"

#include <unistd.h>

#include "formats/file_types.h"
#include "molecule/open_close.h"

namespace {

// The last "." at an index of 1 or more, or npos.
size_t extension_dot(const std::string& name) {
  const size_t dot = name.find_last_of('.');
  return (dot == std::string::npos || dot == 0) ? std::string::npos : dot;
}

}  // namespace

std::string make_mivor_file_name(const std::string& name) {
  const size_t dot = extension_dot(name);
  if (dot != std::string::npos && name.size() - dot - 1 <= 6) return name.substr(0, dot + 1) + native_extension;
  return name + "." + native_extension;
}

FILE* open_current_mivor_file() { return std::fopen(make_mivor_file_name(input_file_name).c_str(), "rb"); }

std::optional<std::string> nextfname() {
  if (input_file_name.empty()) return std::nullopt;
  const size_t dot = extension_dot(input_file_name);
  return input_file_name.substr(0, dot) + "_new";
}

std::string get_input_filename() { return input_file_name.empty() ? "newfile.mvr" : input_file_name; }

std::string get_current_directory() { return current_directory; }

int get_file_exist(const std::string& path) { return access(path.c_str(), F_OK) == 0 ? 1 : 0; }
