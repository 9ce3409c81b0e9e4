// The input file types: the native format and the foreign formats whose
// converter programs "plugin.rc" lists.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct input_filetype_t {
  std::optional<std::string> extension;  // without the dot, compared exactly
  std::optional<std::string> description;
  std::optional<std::string> forward;   // converter to the native format, in libpath
  std::optional<std::string> backward;  // converter from the native format, in libpath
  std::optional<std::string> libpath;
};

// Type 0 is the native format; the others come from "plugin.rc".
extern std::vector<input_filetype_t> input_filetypes;
int n_input_types();

constexpr const char* native_extension = "mvr";
constexpr const char* native_description = "Mivor native format";

// A converter that "plugin.rc" names but that can't be read: the index of
// its type and its direction.
struct missing_converter_t {
  int type;
  bool backward;
};

// Builds the list from the "plugin.rc" at `path` (native type only when it
// can't be read); returns the converters that can't be read, in file order.
std::vector<missing_converter_t> read_input_filetypes(const std::string& path);
// Where the extension of `name` begins: its last "." that lies in the file
// name itself (after the last "/") and is not its first character (a
// hidden file's dot); std::string::npos when there is none. A dot in a
// directory's name never counts.
size_t extension_dot(const std::string& name);
// The compression suffix that ends `name` (".gz", ".bz2" or ".xz", compared
// exactly, after the extension dot), or "" when it has none.
std::string compression_suffix(const std::string& name);
// `name` without its compression suffix.
std::string without_compression_suffix(const std::string& name);
// Index of the type whose extension is the text after the extension dot of
// `name`; the last type for a name without one; n_input_types() for none.
int get_filetype(const std::string& name);
// The type of a file to open: as `get_filetype`, but a compressed file
// (".gz", ".bz2", ".xz") whose compression suffix no type claims has the
// type of its name without that suffix (water.cube.gz is a cube file); the
// converters read it through the decompressor.
int get_input_filetype(const std::string& name);

// No file types (not even the native one) until the list is read again.
void reset_input_filetypes();
