#include "convert/text_lines.h"

#include "convert/input_file.h"

bool read_whole_file(const std::string& path, std::string& out, std::string& error) {
  InputFile file;
  if (!file.open(path, error)) {
    error = path + ": " + error;
    return false;
  }
  out.clear();
  char buffer[1 << 16];
  for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0;) out.append(buffer, got);
  if (std::ferror(file.get())) {
    error = path + ": " + (file.error().empty() ? "can't be read" : file.error());
    return false;
  }
  return true;
}
