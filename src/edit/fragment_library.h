// The fragment library: the fragments listed in "fragments.rc", offered on
// the fragment palette for insertion, and the reader of a fragment file.
//
// A fragment file is XYZ-like: the number of atoms N, a free line, N lines
// "symbol x y z" (ångström), then any lines up to "<end>"; a "<bond>" line
// starts a bond block whose first line is skipped and whose following lines
// "a b type" (atoms from 1) run to "</bond>". Atom 0 marks where the atom
// that receives the fragment sits, atom 1 caps the fragment when it is
// inserted on its own, atom 2 bonds to the receiving atom.
#pragma once

#include <string>
#include <vector>

#include "molecule/types.h"

struct fragment_entry_t {
  std::string file;   // fragment file, relative to the library's directory
  std::string image;  // palette image, relative to the library's directory
};

extern std::vector<fragment_entry_t> frag;
extern int last_fragment;

int n_fragments();
int get_last_fragment();

// Reads the fragment list from the file at `path`; false when it can't be
// opened. Fragment and image files are found in the directory of `path`.
bool read_fragment_list(const std::string& path);
// The directory the fragment and image files are in ("" before a list was read).
const std::string& fragment_directory();
// No fragments.
void reset_fragment_library();

// A fragment as read: atoms in file order and bonds between them (from 0).
struct fragment_t {
  std::vector<std::string> symbol;
  std::vector<vec3> xyz;
  std::vector<bond_t> bond;
  // The type of the bond that joins atom 2 to the receiving atom: single,
  // unless the bond block gives a bond between atoms 0 and 2.
  int attachment_type = SINGLE_BOND;
  int natom() const { return static_cast<int>(xyz.size()); }
};

// The smallest fragment: attachment point, cap and one atom.
constexpr int min_fragment_atoms = 3;
// Larger files are refused before they are read.
constexpr long long max_fragment_file_bytes = 1 << 20;
// Message of a fragment file that can't be read.
constexpr char fragment_unreadable[] = "ERROR: Can't load fragment!";

// Reads the fragment file at `path`. On failure `error` says why: the
// message above for a file without a first line, the message followed by a
// line naming the file and the fault for one whose content is wrong.
bool load_fragment_from_file(const std::string& path, fragment_t& fragment, std::string& error);
// Reads fragment k of the library.
bool load_fragment(int k, fragment_t& fragment, std::string& error);
