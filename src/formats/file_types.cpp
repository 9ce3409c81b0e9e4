#include "formats/file_types.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/config_dir.h"
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

std::optional<std::string> value_of(const std::string& line, const char* key) {
  const size_t at = find_nocase(line, key);
  if (at == std::string::npos) return std::nullopt;
  return my_read_str_value(line.c_str() + at);
}

// A converter named in "plugin.rc" must be readable in the library path;
// otherwise the start-up warning names it.
void check_converter(const input_filetype_t& t, const std::optional<std::string>& converter, int code) {
  if (converter && !file_is_readable(*t.libpath + "/" + *converter)) record_startup_problem(code);
}

input_filetype_t parse_type_line(const std::string& line, int index) {
  input_filetype_t t;
  t.libpath = value_of(line, "libpath");
  if (!t.libpath) return t;
  t.forward = value_of(line, "forward");
  check_converter(t, t.forward, PROBLEM_FORWARD_CONVERTER + index);
  t.backward = value_of(line, "backward");
  check_converter(t, t.backward, PROBLEM_BACKWARD_CONVERTER + index);
  t.extension = value_of(line, "extension");
  t.description = value_of(line, "description");
  return t;
}

}  // namespace

int n_input_types() { return static_cast<int>(input_filetypes.size()); }

void read_input_filetypes(const std::string& path) {
  input_filetypes.assign(1, native_type());
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!file) return;
  for (std::string line = read_line(file.get()); !line.empty(); line = read_line(file.get())) {
    strdiet(line);
    if (line.empty()) continue;
    input_filetypes.push_back(parse_type_line(line, n_input_types()));
  }
}

void init_input_filetypes() {
  const char* env = std::getenv("MIVOR_DIR");
  read_input_filetypes((env ? std::string(env) : rcdir) + "/plugin.rc");
}

int get_filetype(const std::string& name) {
  const size_t dot = name.find_last_of('.');
  if (dot == std::string::npos) return n_input_types() - 1;
  const std::string ext = name.substr(dot + 1);
  for (int k = 0; k < n_input_types(); ++k)
    if (input_filetypes[static_cast<size_t>(k)].extension == ext) return k;
  return n_input_types();
}
