#include "formats/text_tail.h"

std::string last_lines(std::string text, int lines) {
  if (lines <= 0) return "";
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  size_t start = text.size();
  for (int n = 0; n < lines; ++n) {
    const size_t nl = start == 0 ? std::string::npos : text.rfind('\n', start - 1);
    if (nl == std::string::npos) return text;
    start = nl;
  }
  return text.substr(start + 1);
}
