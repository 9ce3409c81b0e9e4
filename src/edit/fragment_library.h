// The fragment library: the fragments listed in "fragments.rc", offered on
// the fragment palette for insertion.
#pragma once

#include <string>
#include <vector>

struct fragment_entry_t {
  std::string file;   // fragment file, relative to the configuration directory
  std::string image;  // palette image, relative to the configuration directory
};

extern std::vector<fragment_entry_t> frag;
extern int last_fragment;

int n_fragments();
int get_last_fragment();

// Reads the fragment list from the file at `path`; false when it can't be opened.
bool read_fragment_list(const std::string& path);
// No fragments.
void reset_fragment_library();
