#include "app/calc_defs.h"

#include <strings.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "app/config_dir.h"
#include "formats/safe_file.h"
#include "formats/text_words.h"

std::vector<calc_def_t> calc_defs;

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

// Where `key` stands as a key in `line`: at the start of a word outside
// double quotes, followed (after blanks) by "=", case ignored. Words inside
// values ("/opt/filetools/run", "Optimise; path of steepest descent") and
// longer keys ("arg10" for "arg1") never count. npos when absent.
size_t key_position(const std::string& line, const char* key) {
  const size_t n = std::strlen(key);
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') {
      quoted = !quoted;
      continue;
    }
    if (quoted || (i > 0 && !is_blank(line[i - 1])) || i + n > line.size() ||
        strncasecmp(line.c_str() + i, key, n) != 0)
      continue;
    size_t after = i + n;
    while (after < line.size() && is_blank(line[after])) ++after;
    if (after < line.size() && line[after] == '=') return i;
  }
  return std::string::npos;
}

bool has_key(const std::string& line, const char* key) { return key_position(line, key) != std::string::npos; }

std::optional<std::string> value_of(const std::string& line, const char* key) {
  const size_t at = key_position(line, key);
  if (at == std::string::npos) return std::nullopt;
  return my_read_str_value(line.c_str() + at);
}

calc_def_t parse_definition(const std::string& line) {
  calc_def_t def;
  def.plugin = value_of(line, "plugin").value_or("");
  def.path = value_of(line, "path");
  if (!has_key(line, "path"))
    if (const char* env = std::getenv("MIVOR_DIR")) def.path = env;
  def.description = value_of(line, "description");
  def.type = value_of(line, "type");
  def.file = value_of(line, "file");
  char key[25];
  for (int n = 1;; ++n) {
    std::snprintf(key, sizeof key, "arg%d", n);
    if (!has_key(line, key)) break;
    def.arg_name.push_back(value_of(line, key).value_or(""));
    std::snprintf(key, sizeof key, "arg_val%d", n);
    def.arg_value.push_back(value_of(line, key));
    std::snprintf(key, sizeof key, "arg_des%d", n);
    def.arg_desc.push_back(value_of(line, key));
  }
  return def;
}

}  // namespace

int n_calc_defs() { return static_cast<int>(calc_defs.size()); }

bool read_calc_defs(const std::string& path) {
  calc_defs.clear();
  file_ptr file = open_file_ptr(path, "rb");
  if (!file) return false;
  for (std::string line = read_line(file.get()); !line.empty(); line = read_line(file.get())) {
    if (line[0] == '#' || line_is_empty(line.c_str())) continue;
    if (has_key(line, "plugin")) calc_defs.push_back(parse_definition(line));
  }
  return true;
}

void load_calc_def_data() {
  if (!read_calc_defs(rcdir + "/calculation.rc")) std::fputs("WARNING: Can't find data for calculations\n", stderr);
}

void remove_calc_def_data() {
  calc_defs.clear();
  rcdir.clear();
}
