#include "edit/fragment_library.h"

#include <cstdio>
#include <memory>

#include "formats/safe_file.h"
#include "formats/text_words.h"

std::vector<fragment_entry_t> frag;
int last_fragment = 0;

int n_fragments() { return static_cast<int>(frag.size()); }

int get_last_fragment() { return last_fragment; }

bool read_fragment_list(const std::string& path) {
  frag.clear();
  file_ptr file = open_file_ptr(path, "rb");
  if (!file) return false;
  for (std::string line = read_line(file.get()); !line.empty(); line = read_line(file.get())) {
    // A last line without a line feed is not a complete entry.
    if (line.back() != '\n') break;
    const char* first = get_ptr_ith_word(line.c_str(), 1);
    if (!first) continue;
    frag.push_back({get_one_word(first), get_one_word(get_ptr_ith_word(line.c_str(), 2))});
  }
  return true;
}

void reset_fragment_library() {
  frag.clear();
  last_fragment = 0;
}
