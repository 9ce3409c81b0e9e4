#include "formats/file_types.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "formats/safe_file.h"
#include "formats/text_words.h"

std::vector<input_filetype_t> input_filetypes;

namespace {

input_filetype_t native_type() {
  input_filetype_t t;
  t.extension = native_extension;
  t.description = native_description;
  return t;
}

// A converter named in "plugin.rc" must be readable in the library path;
// otherwise the start-up warning names it.
void check_converter(const input_filetype_t& t, const std::optional<std::string>& converter, int index, bool backward,
                     std::vector<missing_converter_t>& missing) {
  if (converter && !file_is_readable(*t.libpath + "/" + *converter)) missing.push_back({index, backward});
}

input_filetype_t parse_type_line(const std::string& line, int index, std::vector<missing_converter_t>& missing) {
  input_filetype_t t;
  t.libpath = key_str_value(line, "libpath");
  if (!t.libpath) return t;
  t.forward = key_str_value(line, "forward");
  check_converter(t, t.forward, index, false, missing);
  t.backward = key_str_value(line, "backward");
  check_converter(t, t.backward, index, true, missing);
  t.extension = key_str_value(line, "extension");
  t.description = key_str_value(line, "description");
  return t;
}

}  // namespace

int n_input_types() { return static_cast<int>(input_filetypes.size()); }

std::vector<missing_converter_t> read_input_filetypes(const std::string& path) {
  std::vector<missing_converter_t> missing;
  input_filetypes.assign(1, native_type());
  file_ptr file = open_file_ptr(path, "rb");
  if (!file) return missing;
  for (std::string line = read_line(file.get()); !line.empty(); line = read_line(file.get())) {
    strdiet(line);
    if (line.empty()) continue;
    input_filetypes.push_back(parse_type_line(line, n_input_types(), missing));
  }
  return missing;
}

size_t extension_dot(const std::string& name) {
  const size_t slash = name.find_last_of('/');
  const size_t start = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = name.find_last_of('.');
  return (dot == std::string::npos || dot <= start) ? std::string::npos : dot;
}

int get_filetype(const std::string& name) {
  const size_t dot = extension_dot(name);
  if (dot == std::string::npos) return n_input_types() - 1;
  const std::string ext = name.substr(dot + 1);
  for (int k = 0; k < n_input_types(); ++k)
    if (input_filetypes[static_cast<size_t>(k)].extension == ext) return k;
  return n_input_types();
}

std::string compression_suffix(const std::string& name) {
  for (const char* suffix : {".gz", ".bz2", ".xz"}) {
    const size_t n = std::strlen(suffix);
    if (name.size() > n && name.compare(name.size() - n, n, suffix) == 0 && extension_dot(name) == name.size() - n)
      return suffix;
  }
  return "";
}

std::string without_compression_suffix(const std::string& name) {
  return name.substr(0, name.size() - compression_suffix(name).size());
}

int get_input_filetype(const std::string& name) {
  const int type = get_filetype(name);
  const std::string inner = without_compression_suffix(name);
  if (type < n_input_types() || inner == name || extension_dot(inner) == std::string::npos) return type;
  return get_filetype(inner);
}

void reset_input_filetypes() { input_filetypes.clear(); }
