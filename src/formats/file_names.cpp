#include "formats/file_names.h"

#include <unistd.h>

#include <cstring>

#include "formats/file_types.h"

std::string make_mivor_file_name(const std::string& compressed_name) {
  std::string name = without_compression_suffix(compressed_name);
  const size_t inner = extension_dot(name);
  if (inner != std::string::npos && name.compare(inner, std::string::npos, ".tar") == 0) name = compressed_name;
  const size_t dot = extension_dot(name);
  if (dot != std::string::npos && name.size() - dot - 1 <= 6) return name.substr(0, dot + 1) + native_extension;
  return name + "." + native_extension;
}

std::string name_before_extension(const std::string& name) { return name.substr(0, extension_dot(name)); }

int get_file_exist(const std::string& path) { return access(path.c_str(), F_OK) == 0 ? 1 : 0; }

const char* get_extension_pointer(const char* name) {
  const size_t dot = extension_dot(name);
  return name + (dot == std::string::npos ? std::strlen(name) : dot);
}

std::string get_path_without_file(const std::string& name) {
  const size_t slash = name.find_last_of('/');
  return slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
}

const char* get_filename_pointer_from_path(const char* name) {
  const char* slash = std::strrchr(name, '/');
  return slash ? slash + 1 : name;
}

std::string get_filename_without_extension(const std::string& name) {
  return name.substr(0, static_cast<size_t>(get_extension_pointer(name.c_str()) - name.c_str()));
}
