#include "document/current_file.h"

#include <sys/stat.h>

#include "formats/file_names.h"

std::string input_file_name;
std::optional<std::string> input_file_type;
std::string current_directory;
watched_file_t watched_file;

void set_input_file_name(const std::string& name) {
  input_file_name = name;
  const size_t slash = name.find_last_of('/');
  current_directory = slash == std::string::npos ? std::string() : name.substr(0, slash);
}

watched_file_t file_state(const std::string& name) {
  struct stat st;
  if (stat(name.c_str(), &st) != 0) return {};
  return {st.st_mtime, st.st_mtim.tv_nsec, static_cast<long long>(st.st_size),
          static_cast<unsigned long long>(st.st_ino)};
}

void remember_file_state(const std::string& name) { watched_file = file_state(name); }

std::string get_input_filename() { return input_file_name.empty() ? "newfile.mvr" : input_file_name; }

std::string get_current_directory() { return current_directory; }

std::optional<std::string> nextfname() {
  if (input_file_name.empty()) return std::nullopt;
  return name_before_extension(input_file_name) + "_new";
}

file_ptr open_current_mivor_file() { return open_file_ptr(make_mivor_file_name(input_file_name), "rb"); }

void reset_current_file() {
  input_file_name.clear();
  input_file_type.reset();
  current_directory.clear();
  watched_file = {};
}
