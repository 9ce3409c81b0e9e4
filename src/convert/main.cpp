// mivor-convert: the converter programs of the plug-in list. Installed
// under one name per direction and format ("xyz2mvr", "mvr2pdb", …, links to
// this program), or called as "mivor-convert NAME [options] FILE". A forward
// converter writes the native file beside FILE (its extension replaced by
// ".mvr"; a compressed FILE, "water.cube.gz", is read through the
// decompressor and gives "water.mvr"); a backward one reads the native file
// FILE and writes the file of its format beside it. Exit status 0 when the file was written; otherwise
// one line on standard error says why, nothing is left under the target
// name, and the status is 1 (2 for a wrong command line).
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "convert/babel.h"
#include "convert/cube.h"
#include "convert/fchk_grids.h"
#include "convert/molden_grids.h"
#include "convert/native_in.h"
#include "convert/orbital_file_grids.h"
#include "convert/text_lines.h"
#include "convert/xyz.h"
#include "formats/file_names.h"
#include "formats/native_writer.h"
#include "formats/safe_file.h"
#include "formats/text_words.h"
#include "molecule/elements.h"

namespace {

const char usage[] =
    "usage: mivor-convert NAME [options] FILE   (or a link named NAME)\n"
    "  FORMAT2mvr FILE      FILE to the native file beside it (xyz, cube, molden, fchk,\n"
    "                       qc for program outputs, and the Open Babel formats)\n"
    "  mvr2FORMAT FILE.mvr  the native file to FILE.FORMAT (xyz and Open Babel formats)\n"
    "options of molden2mvr, fchk2mvr, h52mvr and inporb2mvr: --spacing BOHR --net N --margin BOHR\n"
    "                       --like LATTICE.cube --all (every orbital) --density (the densities only)\n"
    "options of inporb2mvr: --basis RUN.h5 (the HDF5 file of the orbital file's run)\n"
    "options of cube2mvr:   --epot POTENTIAL.cube\n";

struct command_t {
  std::string format;
  bool forward = true;
  grid_options_t molden;
  std::optional<std::string> epot;
  std::optional<std::string> basis;
  std::string file;
};

bool parse_real(const char* text, double& out) { return word_to_double(text, out) && out > 0; }

bool parse_command(std::vector<std::string> args, const std::string& name, command_t& c) {
  std::string n = name;
  if (n == "mivor-convert") {
    if (args.empty()) return false;
    n = args.front();
    args.erase(args.begin());
  }
  if (n.size() > 4 && n.compare(n.size() - 4, 4, "2mvr") == 0) {
    c.format = n.substr(0, n.size() - 4);
  } else if (n.size() > 4 && n.compare(0, 4, "mvr2") == 0) {
    c.format = n.substr(4);
    c.forward = false;
  } else {
    return false;
  }
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool has_value = i + 1 < args.size() - 1;  // the last argument is the file
    if (a == "--all") {
      c.molden.all = true;
    } else if (a == "--density") {
      c.molden.density_only = true;
    } else if (a == "--spacing" && has_value) {
      if (!parse_real(args[++i].c_str(), c.molden.spacing)) return false;
    } else if (a == "--margin" && has_value) {
      double v;
      if (!word_to_double(args[++i], v) || v < 0) return false;
      c.molden.margin = v;
    } else if (a == "--net" && has_value) {
      long long v;
      if (!word_to_long(args[++i], v) || v < 2 || v > 2000) return false;
      c.molden.net = static_cast<int>(v);
    } else if (a == "--like" && has_value) {
      c.molden.like = args[++i];
    } else if (a == "--epot" && has_value) {
      c.epot = args[++i];
    } else if (a == "--basis" && has_value) {
      c.basis = args[++i];
    } else if (i + 1 == args.size() && !a.empty()) {
      c.file = a;
    } else {
      return false;
    }
  }
  return !c.file.empty();
}

std::string base_name(const char* path) {
  const char* slash = std::strrchr(path, '/');
  return slash ? slash + 1 : path;
}

bool marked_as_converted(const std::string& native) {
  file_ptr f = open_file_ptr(native, "rb");
  if (!f) return false;
  read_line(f.get());
  return read_line(f.get()).find("by mivor-convert") != std::string::npos;
}

// An existing native file is replaced only when a converter made it, or when
// it is not newer than the file it is made from: a native file changed after
// its source holds work that the conversion would lose.
bool may_replace(const std::string& source, const std::string& native, std::string& error) {
  struct stat in, out;
  if (stat(native.c_str(), &out) != 0) return true;
  if (marked_as_converted(native) || stat(source.c_str(), &in) != 0) return true;
  const bool newer = out.st_mtim.tv_sec > in.st_mtim.tv_sec ||
                     (out.st_mtim.tv_sec == in.st_mtim.tv_sec && out.st_mtim.tv_nsec > in.st_mtim.tv_nsec);
  if (!newer) return true;
  error = native + " is newer than this file and would be overwritten; open it, or move it away first";
  return false;
}

bool forward(const command_t& c, std::string& error) {
  const std::string target = make_mivor_file_name(c.file);
  if (target == c.file) {
    error = "the file is already a native file";
    return false;
  }
  if (!file_is_readable(c.file)) {
    error = "can't be opened";
    return false;
  }
  if (!may_replace(c.file, target, error)) return false;
  if (c.format == "xyz") {
    std::string text;
    std::vector<geometry_section_t> frames;
    if (!read_whole_file(c.file, text, error) || !read_xyz(text, frames, error)) return false;
    for (geometry_section_t& g : frames) g.comment = "converted from " + c.file + " by mivor-convert";
    return write_geometry_sections(target, frames, error);
  }
  if (c.format == "cube" || c.format == "cub") return convert_cube(c.file, c.epot, target, error);
  if (c.format == "molden") return convert_molden(c.file, c.molden, target, error);
  if (c.format == "fchk") return convert_fchk(c.file, c.molden, target, error);
  if (c.format == "h5") return convert_hdf5_orbitals(c.file, c.molden, target, error);
  if (c.format == "inporb") return convert_inporb(c.file, c.basis, c.molden, target, error);
  return babel_to_native(c.format, c.file, target, error);
}

bool backward(const command_t& c, std::string& error) {
  std::vector<geometry_section_t> geometries;
  if (!read_native(c.file, geometries, error)) return false;
  const std::string target = name_before_extension(c.file) + "." + c.format;
  if (c.format == "xyz") {
    if (write_file_atomically(target, xyz_text(geometries))) return true;
    error = "can't write " + target;
    return false;
  }
  return babel_from_native(c.format, geometries, target, error);
}

}  // namespace

int main(int argc, char** argv) {
  command_t c;
  const std::string name = base_name(argv[0]);
  if (!parse_command(std::vector<std::string>(argv + 1, argv + argc), name, c)) {
    std::fputs(usage, stderr);
    return 2;
  }
  use_builtin_element_table();
  remove_temporary_file_on_termination();
  std::string error;
  const bool ok = c.forward ? forward(c, error) : backward(c, error);
  if (!ok) {
    // One line that names the file once: messages of whole-file readers
    // begin with it already.
    const std::string named = c.file + ": ";
    std::fprintf(stderr, "%s%s\n", error.compare(0, named.size(), named) == 0 ? "" : named.c_str(), error.c_str());
    return 1;
  }
  return 0;
}
